#pragma once

#include "FaceAlignment.h"

#include <string>
#include <vector>

// Closes a portrait's open smile: the gap between the lips (teeth and the dark corners beside them) is
// painted over with the lips' own colours, the upper lip reaching down and the lower lip up until they
// meet in a soft dark line, so the head at rest and on closed-mouth shapes shows no teeth; the mesh's own
// mouth and teeth show once it opens. Only the gap and a pixel round it change: the skin shading stays.
// Positions are source pixels, row 0 at the top.
struct LipGap {
    std::vector<Point2> top;    // the upper lip's lower edge, left to right across the picture
    std::vector<Point2> bottom; // the lower lip's upper edge, left to right, between the same corners
    bool empty() const { return top.empty() && bottom.empty(); }
};

// Share of the gap's height, from its top, at which the lips meet: the lower lip is usually the fuller.
constexpr double kLipMeeting = 0.6;

// Why the gap cannot be painted (fewer than two points on an edge, x not rising, edges that do not
// start and end at the same corners or that cross); empty when it can.
std::string lipGapProblem(const LipGap& gap);

// Paints the gap closed in place; a gap with a problem leaves the picture as it was.
void closeLipGap(RgbImage& picture, const LipGap& gap);
