#pragma once

#include "Common/RasterSpan.h"

// The portable span routines: one pixel at a time, the reference for every other path.
const RasterSpanRoutines& genericSpanRoutines();
