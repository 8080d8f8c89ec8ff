#pragma once

#include "RgbImage.h"

// The default background picture: a soft studio backdrop, lit from above behind the head, with a faint
// woven pattern so it does not read as a flat fill. The player and the export take only 256 x 256
// backgrounds, so that is its size.
constexpr int kBackdropSize = 256;

RgbImage paintStudioBackdrop(int width, int height);
