#pragma once

#include "Common/RasterSpan.h"

// The span routines of the Pentium 4 path: the same pixels as the generic routines, with the
// blending done four channels at a time in packed 16-bit arithmetic.
const RasterSpanRoutines& rasterizerP4Spans();
