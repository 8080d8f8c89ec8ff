#pragma once

#include "FaceAlignment.h"

#include <vector>

// Colours a black-and-white portrait from its own brightness: skin tones inside hand-placed ellipses
// (face, ears, neck), with their darkest parts (hair, brows, lashes) turning brown, a warmer red over the
// lips, and slightly warm greys everywhere else (clothing, background). Positions are source pixels.
struct TintEllipse {
    Point2 centre;
    double radiusX = 0;
    double radiusY = 0;
};

struct PhotoColouring {
    std::vector<TintEllipse> skin;
    std::vector<TintEllipse> lips;
    bool empty() const { return skin.empty() && lips.empty(); }
};

RgbImage colourGreyPortrait(const RgbImage& grey, const PhotoColouring& colouring);

// 1 well inside the ellipse, 0 outside it, easing across its outer quarter.
double ellipseWeight(const TintEllipse& ellipse, Point2 p);
