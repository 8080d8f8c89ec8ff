// Which vertex carries each feature point: the lips, lids and brows by their place on the rings, the
// rest of the face by the grid vertex nearest to where the point belongs.
#include "face/CHeadModel.h"
#include "HeadParameters.h"
#include "HeadRigging.h"

#include <cmath>
#include <numbers>

namespace headgen {

namespace {

// Segments of the mouth rings that carry the lip points (0 at the face's left corner); the peaks of the
// upper lip stand where the dip of its middle ends.
constexpr int kLeftCorner = 0, kRightCorner = kMouthSegments / 2, kUpperMid = kMouthSegments / 4,
              kLowerMid = 3 * kMouthSegments / 4, kUpperLeftMid = kMouthCornerSegments,
              kUpperRightMid = kRightCorner - kMouthCornerSegments,
              kLowerRightMid = kRightCorner + kMouthCornerSegments,
              kLowerLeftMid = kMouthSegments - kMouthCornerSegments, kLeftPeak = kUpperMid - kLipPeakOffset,
              kRightPeak = kUpperMid + kLipPeakOffset;
// Segments of the eye rings (24 segments, 0 pointing to +x).
constexpr int kEyeTop = 6, kEyeBottom = 18, kEyePlusXCorner = 0, kEyeMinusXCorner = 12, kBrowPlusXEnd = 2,
              kBrowMinusXEnd = 10;

struct GridPlace {
    int group, point;
    double x, y;
};
constexpr GridPlace kGridPlaces[] = {
    {2, 1, 0.0, kChinY},    {2, 10, 0.0, 8.2},    {2, 11, 1.7, 7.3},    {2, 12, -1.7, 7.3},
    {2, 13, 5.5, 9.5},      {2, 14, -5.5, 9.5},   {5, 1, 4.75, 12.2},   {5, 2, -4.75, 12.2},
    {5, 3, 4.6, 16.3},      {5, 4, -4.6, 16.3},   {9, 1, 1.26, 14.65},  {9, 2, -1.26, 14.65},
    {9, 3, 0.0, kNoseTipY}, {9, 4, -1.68, 14.25}, {9, 5, 1.68, 14.25},  {9, 6, -0.42, 18.45},
    {9, 7, 0.42, 18.45},    {9, 12, 0.0, 17.15},  {9, 13, 0.42, 17.15}, {9, 14, -0.42, 17.15},
    {9, 15, 0.0, 13.85},    {11, 1, 0.0, 25.6},   {11, 2, -4.6, 24.7},  {11, 3, 4.6, 24.7},
};
} // namespace

// The front grid vertex nearest to (x, y); openings have no grid vertices, so their rim is found.
int nearestFrontVertex(const MeshBuilder& mesh, const ShellGrid& grid, double x, double y)
{
    int best = -1;
    double bestDistance = 0.0;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c) {
            int v = grid.at(r, c);
            if (v < 0 || std::fabs(grid.columnAngle[static_cast<size_t>(c)]) > std::numbers::pi / 2)
                continue;
            const Point3& p = mesh.points()[static_cast<size_t>(v)];
            double d = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
            if (best < 0 || d < bestDistance) {
                best = v;
                bestDistance = d;
            }
        }
    return best;
}

void assignFeaturePoints(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts)
{
    const auto& inner = parts.mouth.rings[0];
    const auto& border = parts.mouth.rings[kLipBorderRing];
    const int innerLip[][2] = {{2, kUpperMid},     {3, kLowerMid},     {4, kLeftCorner},
                               {5, kRightCorner},  {6, kUpperLeftMid}, {7, kUpperRightMid},
                               {8, kLowerLeftMid}, {9, kLowerRightMid}};
    for (const auto& [point, segment] : innerLip)
        model.setFeaturePoint(2, point, inner[segment]);
    const int outerLip[][2] = {
        {1, kUpperMid},      {2, kLowerMid},     {3, kLeftCorner},    {4, kRightCorner}, {5, kUpperLeftMid},
        {6, kUpperRightMid}, {7, kLowerLeftMid}, {8, kLowerRightMid}, {9, kRightPeak},   {10, kLeftPeak}};
    for (const auto& [point, segment] : outerLip)
        model.setFeaturePoint(8, point, border[segment]);

    // Left eye points are the odd MPEG-4 numbers, right eye the even ones; "outer" is towards the ear.
    for (const EyeParts* eye : {&parts.leftEye, &parts.rightEye}) {
        int side = eye->faceLeft ? 0 : 1;
        const auto& margin = eye->lids.rings[0];
        const auto& crease = eye->lids.rings[2];
        const auto& brow = eye->lids.rings[kBrowRing];
        model.setFeaturePoint(3, 1 + side, margin[kEyeTop]);
        model.setFeaturePoint(3, 3 + side, margin[kEyeBottom]);
        model.setFeaturePoint(3, 5 + side, eye->pupil);
        model.setFeaturePoint(3, eye->faceLeft ? 7 : 8, margin[kEyePlusXCorner]);
        model.setFeaturePoint(3, eye->faceLeft ? 11 : 12, margin[kEyeMinusXCorner]);
        model.setFeaturePoint(3, 9 + side, crease[kEyeBottom]);
        model.setFeaturePoint(3, 13 + side, crease[kEyeTop]);
        model.setFeaturePoint(4, 1 + side, brow[eye->faceLeft ? kBrowMinusXEnd : kBrowPlusXEnd]); // inner end
        model.setFeaturePoint(4, 3 + side, brow[kEyeTop]);
        model.setFeaturePoint(4, 5 + side, brow[eye->faceLeft ? kBrowPlusXEnd : kBrowMinusXEnd]); // outer end
    }

    for (int k = 0; k < 4; ++k)
        model.setFeaturePoint(6, k + 1, parts.inside.tonguePoints[k]);
    model.setFeaturePoint(7, 1, parts.pivot);

    for (const GridPlace& place : kGridPlaces)
        model.setFeaturePoint(place.group, place.point,
                              nearestFrontVertex(mesh, parts.shell, place.x, place.y));
    // The ear's top and the lobe's bottom are the rim's tips, its back the rim's outermost vertex;
    // where it meets the head are the upper and lower ends of its front base line.
    for (const EarParts* ear : {&parts.leftEar, &parts.rightEar}) {
        int side = ear == &parts.leftEar ? 0 : 1;
        model.setFeaturePoint(10, 1 + side, ear->rim.back());
        model.setFeaturePoint(10, 3 + side, ear->outermost);
        model.setFeaturePoint(10, 5 + side, ear->rim.front());
        model.setFeaturePoint(10, 7 + side, ear->front.front());
        model.setFeaturePoint(10, 9 + side, ear->front.back());
    }
    const ShellGrid& grid = parts.shell;
    model.setFeaturePoint(11, 4, grid.topPole);
}

} // namespace headgen
