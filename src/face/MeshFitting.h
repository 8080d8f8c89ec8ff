#pragma once

class CHeadModel;

// Warps every vertex that ends no editing line after the lines' current positions, relative to the
// reference pose in stored set 0. The caller holds the model's lock. Returns 0 (nothing changed)
// when the working arrays cannot be allocated, else 1.
int fitToLines(CHeadModel& model);
