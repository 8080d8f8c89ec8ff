// Which vertices follow which feature points. The deformation moves a region's vertices by distance
// weights of its control points against the edges of a box that only grows from region to region, so
// every region is kept to where its points' motion belongs, and bands that must absorb large motions
// (lip to nose, brow to lid, chin to neck) are left free of vertices.
#include "face/CHeadModel.h"
#include "HeadParameters.h"
#include "HeadRigging.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <set>

namespace headgen {

int nearestFrontVertex(const MeshBuilder& mesh, const ShellGrid& grid, double x, double y);

namespace {

enum Region {
    kJaw = 0,
    kInnerLips = 1,
    kChin = 2,
    kLeftLids = 3,
    kRightLids = 4,
    kLeftBrow = 5,
    kRightBrow = 6,
    kLeftPuff = 7,
    kRightPuff = 8,
    kLeftLift = 9,
    kRightLift = 10,
    kUpperLip = 11,
    kLowerLip = 12,
    kLeftCorner = 13,
    kRightCorner = 14,
    kLeftNostril = 15,
    kRightNostril = 16,
    kNoseTip = 17
};

constexpr double kMouthBoxHalfWidth = 4.8, kMouthBoxUp = 2.8, kMouthBoxDown = 2.9;
constexpr double kJawHalfWidth = 4.4, kChinHalfWidth = 6.2, kJawTop = 9.1;
constexpr double kLidBoxTop = 27.6;
constexpr double kCornerAnchorX = 6.3;
// The inner brows close in on each other; the forehead between them stays.
constexpr double kBrowInnerX = 1.5, kBrowBottom = 21.9;
constexpr double kPuffInnerX = 4.5, kPuffOuterX = 5.6, kPuffBottom = kMouthY - 1.4, kPuffTop = 13.6;

// The lower inner lip between a corner and the mid point. The inner lip points move it in step with the
// corner, which comes far inwards for rounded lips, and lift it with the lips' middle; the inner lip
// points alone would leave it on the line from the corner to the mid point, as high as the upper lip's
// mid point pulls it. The chin, far off, lowers it by a fraction of the jaw's drop, which is what rounds
// the opening there. The outer lower lip would carry it as far down as the mid point and beyond, past
// the lip border beside the corner.
void rigLowerLipBetween(CHeadModel& model, int vertex)
{
    model.regionEdit(vertex, kInnerLips, true);
    model.regionEdit(vertex, kChin, true);
}

void fillMouthRegions(CHeadModel& model, const RingPatch& mouth)
{
    int half = kMouthSegments / 2;
    std::set<int> placed; // a collapsed ring vertex belongs where it first appears
    // The segments beside such a vertex collapse onto it, and may come first.
    std::set<int> lowerBetween;
    for (int i = 0; i < kMouthSegments; ++i)
        if (isLowerLipBetween(i))
            lowerBetween.insert(mouth.rings[0][static_cast<size_t>(i)]);
    for (size_t ring = 0; ring < mouth.rings.size(); ++ring)
        for (int i = 0; i < kMouthSegments; ++i) {
            int v = mouth.rings[ring][static_cast<size_t>(i)];
            int k = static_cast<int>(ring);
            if (k > kLipBorderRing && v == mouth.rings[kLipBorderRing][static_cast<size_t>(i)])
                continue; // collapsed onto the lip border
            if (!placed.insert(v).second)
                continue;
            bool upper = i > 0 && i < half;
            int fromLeft = std::min(i, kMouthSegments - i), fromRight = std::abs(i - half);
            if (k > kLipBorderRing && std::min(fromLeft, fromRight) <= 1)
                model.regionEdit(v, fromLeft <= 1 ? kLeftCorner : kRightCorner, true);
            else if (k > kLipBorderRing)
                model.regionEdit(v, kJaw, true);
            else if (k == 0 && lowerBetween.count(v))
                rigLowerLipBetween(model, v);
            else
                model.regionEdit(v, upper ? kUpperLip : kLowerLip, true);
        }
}

// The inner lip points all lie on the mouth line, so the inner-lip box would be flat and pin every
// vertex on that line; four still vertices round the mouth give it room. The chin's region comes next
// and inherits the box: its top edge, the nearest to the lower lip, sets how much of the chin's drop the
// lower lip's vertices beside the corners take. Higher, they sag past the lip border beside the corner.
void widenInnerLipBox(CHeadModel& model, const MeshBuilder& mesh, const ShellGrid& grid)
{
    const double places[][2] = {{kMouthBoxHalfWidth, kMouthY},
                                {-kMouthBoxHalfWidth, kMouthY},
                                {0.0, kMouthY + kMouthBoxUp},
                                {0.0, kMouthY - kMouthBoxDown}};
    // The vertex nearest a place may carry a feature point (the chin's below the mouth), which no region
    // takes; the next column's vertex serves as well.
    for (const auto& place : places)
        for (double offset : {0.0, kColumnSpacing, -kColumnSpacing})
            if (model.regionEdit(nearestFrontVertex(mesh, grid, place[0] + offset, place[1]), kInnerLips, true))
                break;
    // A still vertex out on the cheek makes the corner regions two vertices long, so they move.
    model.regionEdit(nearestFrontVertex(mesh, grid, kCornerAnchorX, kMouthY), kLeftCorner, true);
    model.regionEdit(nearestFrontVertex(mesh, grid, -kCornerAnchorX, kMouthY), kRightCorner, true);
}

// The lids come before the brows, so their box would end at the lid crease and pin the lid rims
// next to it; a still vertex high on the forehead gives the box room.
void widenLidBoxes(CHeadModel& model, const MeshBuilder& mesh, const ShellGrid& grid)
{
    int anchor = nearestFrontVertex(mesh, grid, 0.0, kLidBoxTop);
    model.regionEdit(anchor, kLeftLids, true);
    model.regionEdit(anchor, kRightLids, true);
}

void fillEyeRegions(CHeadModel& model, const EyeParts& eye)
{
    int lids = eye.faceLeft ? kLeftLids : kRightLids;
    int brow = eye.faceLeft ? kLeftBrow : kRightBrow;
    int lift = eye.faceLeft ? kLeftLift : kRightLift;
    int half = kEyeSegments / 2;
    for (size_t ring = 1; ring < eye.lids.rings.size(); ++ring)
        for (int i = 0; i < kEyeSegments; ++i) {
            int v = eye.lids.rings[ring][static_cast<size_t>(i)];
            // Lid vertices beside the corners would sink halfway with both lids and fold the corner.
            int fromCorner = std::min(std::min(i, kEyeSegments - i), std::abs(i - half));
            // Below the eye the lid beside the corner stays with the corner's lower margin.
            bool lower = i > half;
            if (static_cast<int>(ring) < kBrowRing) {
                if (fromCorner >= (lower ? 2 : 1))
                    model.regionEdit(v, lids, true);
            } else if (i > 0 && i < half)
                model.regionEdit(v, brow, true);
            else if (static_cast<int>(ring) > kBrowRing && fromCorner >= 2)
                model.regionEdit(v, lift, true); // the cheek under the eye rises with the cheekbone
        }
}

// Every grid vertex in front of the head.
template <typename Visit> void forFrontGrid(const MeshBuilder& mesh, const ShellGrid& grid, Visit visit)
{
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.columns(); ++c) {
            int v = grid.at(r, c);
            if (v >= 0 && std::fabs(grid.columnAngle[static_cast<size_t>(c)]) <= std::numbers::pi / 2)
                visit(v, mesh.points()[static_cast<size_t>(v)]);
        }
}

bool insideEllipse(const Point3& p, double x, double y, double rx, double ry)
{
    double dx = (p.x - x) / rx, dy = (p.y - y) / ry;
    return dx * dx + dy * dy <= 1.0;
}

void fillGridRegions(CHeadModel& model, const MeshBuilder& mesh, const ShellGrid& grid)
{
    forFrontGrid(mesh, grid, [&](int v, const Point3& p) {
        double ax = std::fabs(p.x);
        bool left = p.x > 0.0;
        // Whole columns down to the chin's underside: the neck rows below it lie further away than
        // the widest opening of the jaw, and a row in between would be overtaken.
        if (p.y >= kChinY - 0.01 && p.y <= kJawTop && ax < kChinHalfWidth)
            model.regionEdit(v, ax <= kJawHalfWidth ? kJaw : kChin, true);
        // The forehead over each brow, out of reach of the other brow.
        if (p.y > kBrowBottom && ax > kBrowInnerX && insideEllipse(p, left ? kEyeX : -kEyeX, 22.0, 3.6, 4.7))
            model.regionEdit(v, left ? kLeftBrow : kRightBrow, true);
        // The cheek puffs carry the rim of the mouth opening beside the cheek point as one block, so
        // the skin between the mouth corner and the cheek takes up their motion.
        if (ax >= kPuffInnerX && ax <= kPuffOuterX && p.y >= kPuffBottom && p.y <= kPuffTop)
            model.regionEdit(v, left ? kLeftPuff : kRightPuff, true);
        if (insideEllipse(p, left ? 4.6 : -4.6, 16.3, 1.9, 1.9))
            model.regionEdit(v, left ? kLeftLift : kRightLift, true);
        if (insideEllipse(p, left ? 1.26 : -1.26, 14.6, 0.8, 0.7))
            model.regionEdit(v, left ? kLeftNostril : kRightNostril, true);
        if (insideEllipse(p, 0.0, kNoseTipY, 0.9, 0.8))
            model.regionEdit(v, kNoseTip, true);
    });
}

} // namespace

void fillRegions(CHeadModel& model, const MeshBuilder& mesh, const HeadParts& parts)
{
    for (const StripGrid* carried : {&parts.inside.lowerTeeth, &parts.inside.tongue})
        for (int vertex : carried->vertex)
            model.regionEdit(vertex, kJaw, true);
    fillMouthRegions(model, parts.mouth);
    widenInnerLipBox(model, mesh, parts.shell);
    fillEyeRegions(model, parts.leftEye);
    fillEyeRegions(model, parts.rightEye);
    widenLidBoxes(model, mesh, parts.shell);
    fillGridRegions(model, mesh, parts.shell);
}

void pairEyelids(CHeadModel& model, const HeadParts& parts)
{
    for (const EyeParts* eye : {&parts.leftEye, &parts.rightEye}) {
        const auto& margin = eye->lids.rings[0];
        int kind = eye->faceLeft ? kEyelidLeft : kEyelidRight;
        // The upper margin vertex at segment i closes onto the lower one straight below it; the two
        // beside the corners close onto the corner, which the lower lid beside it lies below.
        int half = kEyeSegments / 2;
        for (int i = 1; i < half; ++i) {
            int partner = i == 1 ? 0 : i == half - 1 ? half : kEyeSegments - i;
            model.setEyelidPair(kind, margin[static_cast<size_t>(i)], margin[static_cast<size_t>(partner)]);
        }
    }
}

} // namespace headgen
