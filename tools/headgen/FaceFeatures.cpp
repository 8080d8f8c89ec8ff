// The mouth and eye patches: rings that follow the lips, lids and brows closely, so the parts of the
// face that move most carry the most vertices.
#include "HeadParameters.h"
#include "HeadParts.h"
#include "HeadSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <numbers>

namespace headgen {

namespace {

double segmentAngle(int i, int segments)
{
    return 2.0 * std::numbers::pi * i / segments;
}

double signedPower(double value, double exponent)
{
    return std::copysign(std::pow(std::fabs(value), exponent), value);
}

int segmentsFromCorner(int i)
{
    int half = kMouthSegments / 2;
    return std::min(std::min(i, kMouthSegments - i), std::abs(i - half));
}

} // namespace

bool isLowerLipBetween(int i)
{
    return i > kMouthSegments / 2 && segmentsFromCorner(i) == kLowerLipBetween;
}

namespace {

Point3 lipRingPoint(int ring, int i)
{
    const MouthRing& r = kMouthRings[ring];
    double a = segmentAngle(i, kMouthSegments), c = std::cos(a), s = std::sin(a);
    bool lip = ring <= kLipBorderRing;
    double exponent = lip ? kLipShapeExponent : 1.0;
    double height = s >= 0.0 ? r.upper : r.lower;
    if (lip && s > 0.0)
        height *= 1.0 - kCupidsBowDip * std::exp(-(c / kCupidsBowWidth) * (c / kCupidsBowWidth));
    double x = r.halfWidth * c;
    double y = kMouthY + height * signedPower(s, exponent);
    if (ring > kLipBorderRing && segmentsFromCorner(i) == 1) {
        x = std::copysign(kCornerSkinHalfWidth, c);
        y = kMouthY + (s > 0.0 ? kCornerSkinUp : -kCornerSkinDown);
    }
    return skinAt(x, y);
}

// Points of the skin the eye patch gets its heights from; the brow rings arch, the lid rings are
// almond shaped, and the outer corner sits a little higher than the inner one. Segments are evenly
// spaced across the eye rather than by angle, so the corners are not crowded: lid vertices next to
// a corner travel far less than their neighbours and would fold over them if they stood close.
Point3 eyeRingPoint(int ring, int i, bool faceLeft)
{
    const EyeRing& r = kEyeRings[ring];
    int half = kEyeSegments / 2;
    bool upper = i <= half;
    double u = upper ? 1.0 - 2.0 * i / half : -1.0 + 2.0 * (i - half) / half; // +1 at segment 0
    double outward = faceLeft ? u : -u;                                       // towards the ear
    double centreX = faceLeft ? kEyeX : -kEyeX;
    double halfWidth = outward >= 0.0 ? r.outerHalfWidth : r.innerHalfWidth;
    double exponent = upper && ring >= kBrowRing ? kBrowShapeExponent : 0.8;
    double rise = std::pow(std::fmax(1.0 - u * u, 0.0), 0.5 * exponent);
    double x = centreX + halfWidth * u;
    double y = kEyeY + (upper ? r.upper : -r.lower) * rise + kEyeCornerTilt * outward;
    return skinAt(x, y);
}

} // namespace

namespace {

// Which ring vertices exist. The lip corners travel far (inwards by up to a third of the mouth
// width, outwards, up and down, inner and outer corner each their own way) and each lip thins or
// thickens by most of its height, so the lips are single bands from the lip line to the lip border,
// and between a corner and the lip's mid points both lines run straight. Nothing but one band of skin
// lies between the upper lip and the nose, because the lip may rise almost to the nose.
// The upper lip's border keeps only its mid points, peaks and middle: a border vertex between a peak and
// the middle would lag behind both, which rise together, and fold the skin above it.
bool mouthVertexExists(int ring, int i)
{
    bool upper = i <= kMouthSegments / 2;
    bool corner = i == 0 || i == kMouthSegments / 2;
    bool between = segmentsFromCorner(i) >= kMouthCornerSegments;
    const int fromMiddle = std::abs(i - kMouthSegments / 4);
    if (ring == kLipBorderRing && upper && fromMiddle > 0 && fromMiddle < kLipPeakOffset)
        return false;
    if (ring == 0 && isLowerLipBetween(i))
        return true;
    if (ring <= kLipBorderRing)
        return between || corner;
    if (segmentsFromCorner(i) == 1)
        return ring == kLipBorderRing + 1; // the skin above and below each corner, pulled by it
    return !upper && between && !corner;
}

// The vertex a missing ring vertex collapses onto: the lip border (or for the lip line, the lip line)
// at the same segment, or at the nearest segment towards the middle of its lip.
int collapsedMouthVertex(const RingPatch& patch, int ring, int i)
{
    const int half = kMouthSegments / 2;
    if (segmentsFromCorner(i) <= 1 && ring > kLipBorderRing) {
        if (i == 0 || i == half)
            i = i == 0 ? kMouthSegments - 1 : i + 1; // the corner's own column joins the skin below it
        return patch.rings[kLipBorderRing + 1][static_cast<size_t>(i)];
    }
    // Below the lip between a corner and the lower mid point the skin rings end on the skin beside the
    // corner, so the outermost ring runs round the mouth without turning back to the lip border.
    if (ring > kLipBorderRing && i > half) {
        const int besideCorner = i < 3 * kMouthSegments / 4 ? half + 1 : kMouthSegments - 1;
        return patch.rings[kLipBorderRing + 1][static_cast<size_t>(besideCorner)];
    }
    const auto& line = patch.rings[static_cast<size_t>(std::min(ring, kLipBorderRing))];
    int middle = i <= kMouthSegments / 2 ? kMouthSegments / 4 : 3 * kMouthSegments / 4;
    while (line[static_cast<size_t>(i)] < 0 || (ring > kLipBorderRing && line[static_cast<size_t>(i)] < 0))
        i += i < middle ? 1 : -1;
    return line[static_cast<size_t>(i)];
}

// The inner lip's feature points travel further than the contour between them, so the lip band's
// diagonals start from them: a diagonal from a lagging neighbour would be crossed.
bool isInnerLipPoint(int i)
{
    const int quarter = kMouthSegments / 4;
    const int fromMiddle = std::min(std::abs(i - quarter), std::abs(i - 3 * quarter));
    return fromMiddle == 0 || fromMiddle == quarter - kMouthCornerSegments;
}

} // namespace

RingPatch buildMouthRings(MeshBuilder& mesh)
{
    RingPatch patch;
    patch.centreX = 0.0;
    patch.centreY = kMouthY;
    constexpr int ringCount = static_cast<int>(std::size(kMouthRings));
    const int half = kMouthSegments / 2;
    patch.rings.assign(ringCount, std::vector<int>(kMouthSegments, -1));
    for (int ring = 0; ring < ringCount; ++ring)
        for (int i = 0; i < kMouthSegments; ++i)
            if (mouthVertexExists(ring, i))
                patch.rings[ring][i] = mesh.addVertex(lipRingPoint(ring, i));
    for (int ring = 0; ring < ringCount; ++ring)
        for (int i = 0; i < kMouthSegments; ++i)
            if (patch.rings[ring][i] < 0)
                patch.rings[ring][i] = collapsedMouthVertex(patch, ring, i);
    for (int ring = 0; ring + 1 < ringCount; ++ring)
        for (int i = 0; i < kMouthSegments; ++i) {
            int next = (i + 1) % kMouthSegments;
            const auto& in = patch.rings[ring];
            const auto& out = patch.rings[ring + 1];
            bool alongAc = (i < half) == (i % 2 == 0);
            if (ring == 0 && isInnerLipPoint(i))
                alongAc = true;
            else if (ring == 0 && isInnerLipPoint(next))
                alongAc = false;
            mesh.addQuad(in[i], out[i], out[next], in[next], kSlotFace, alongAc);
        }
    return patch;
}

EyeParts buildEye(MeshBuilder& mesh, bool faceLeft)
{
    EyeParts eye;
    eye.faceLeft = faceLeft;
    eye.lids.centreX = faceLeft ? kEyeX : -kEyeX;
    eye.lids.centreY = kEyeY;
    constexpr int ringCount = static_cast<int>(std::size(kEyeRings));
    eye.lids.rings.assign(ringCount, std::vector<int>(kEyeSegments, -1));
    for (int ring = 0; ring < ringCount; ++ring)
        for (int i = 0; i < kEyeSegments; ++i)
            eye.lids.rings[ring][i] = mesh.addVertex(eyeRingPoint(ring, i, faceLeft));
    for (int ring = 0; ring + 1 < ringCount; ++ring)
        for (int i = 0; i < kEyeSegments; ++i) {
            int next = (i + 1) % kEyeSegments;
            const auto& in = eye.lids.rings[ring];
            const auto& out = eye.lids.rings[ring + 1];
            // Lid margins travel furthest in the middle: each quad's diagonal runs from the margin
            // vertex nearer the corner, so the farther-travelling one never folds over it.
            bool towardsMiddle = i % (kEyeSegments / 2) < kEyeSegments / 4;
            mesh.addQuad(in[i], out[i], out[next], in[next], kSlotFace, towardsMiddle);
        }
    return eye;
}

// The cap sits as far forward as it can while every lid vertex that sweeps over it when the lids
// close stays in front of it.
void buildEyeball(MeshBuilder& mesh, EyeParts& eye)
{
    double cx = eye.lids.centreX, cy = eye.lids.centreY;
    auto sag = [](double dx, double dy) {
        double r2 = dx * dx + dy * dy;
        double inside = kEyeballRadius * kEyeballRadius - r2;
        return kEyeballRadius - std::sqrt(std::fmax(inside, 0.0));
    };
    double front = 1e9;
    for (int ring = 0; ring < 3; ++ring)
        for (int vertex : eye.lids.rings[ring]) {
            const Point3& p = mesh.points()[static_cast<size_t>(vertex)];
            double dx = p.x - cx;
            if (std::fabs(dx) < kEyeballRadius)
                front = std::fmin(front, p.z + sag(dx, 0.0) - kEyeballClearance);
        }
    auto capPoint = [&](double dx, double dy) { return Point3{cx + dx, cy + dy, front - sag(dx, dy)}; };
    eye.pupil = mesh.addVertex(capPoint(0.0, 0.0));
    eye.ball.centreX = cx;
    eye.ball.centreY = cy;
    for (double scale : kEyeballRingScales) {
        std::vector<int> ring;
        for (int i = 0; i < kEyeSegments; ++i) {
            double a = segmentAngle(i, kEyeSegments);
            ring.push_back(mesh.addVertex(
                capPoint(scale * kEyeballHalfWidth * std::cos(a), scale * kEyeballHalfHeight * std::sin(a))));
        }
        eye.ball.rings.push_back(ring);
    }
    const auto& first = eye.ball.rings[0];
    for (int i = 0; i < kEyeSegments; ++i)
        mesh.addTriangle(eye.pupil, first[i], first[(i + 1) % kEyeSegments], kSlotFace);
    for (size_t ring = 0; ring + 1 < eye.ball.rings.size(); ++ring)
        for (int i = 0; i < kEyeSegments; ++i) {
            int next = (i + 1) % kEyeSegments;
            const auto& in = eye.ball.rings[ring];
            const auto& out = eye.ball.rings[ring + 1];
            mesh.addQuad(in[i], out[i], out[next], in[next], kSlotFace, i % 2 == 0);
        }
}

} // namespace headgen
