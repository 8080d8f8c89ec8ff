#pragma once

#include <string>

class CHeadModel;

// The current positions as Wavefront OBJ text: v lines, one vt per face corner, f lines v/vt.
std::string headAsObj(const CHeadModel& model);
