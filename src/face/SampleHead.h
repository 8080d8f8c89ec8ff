#pragma once

#include <memory>

class CHeadModel;

// A procedurally built head (a 40 x 30 vertex front surface) with every feature point the
// deformation uses, all 18 regions filled, eyelid pairs and editing lines. Its neutral pose is
// saved in stored sets 0 and 1. Null only when memory runs out.
std::unique_ptr<CHeadModel> buildSampleHead();
