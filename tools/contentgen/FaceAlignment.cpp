#include "FaceAlignment.h"

#include <algorithm>
#include <cmath>

const FaceLandmarks& meshPhotoLandmarks()
{
    // The generic head's pupils, nose tip, mouth, lip corners and chin as it stands attached (tools/headgen).
    static const FaceLandmarks landmarks{{111.16, 131.07}, {144.84, 131.07}, {128, 151.27}, {128, 169.79},
                                         {112.85, 169.79}, {143.15, 169.79}, {128, 195.04}};
    return landmarks;
}

Point2 Similarity::apply(Point2 p) const
{
    return {a * p.x - b * p.y + tx, b * p.x + a * p.y + ty};
}

Similarity Similarity::inverse() const
{
    // The linear part is a scaled rotation, so its inverse is the conjugate over the squared scale.
    const double norm = a * a + b * b;
    Similarity inv;
    inv.a = a / norm;
    inv.b = -b / norm;
    inv.tx = -(inv.a * tx - inv.b * ty);
    inv.ty = -(inv.b * tx + inv.a * ty);
    return inv;
}

double Similarity::scale() const
{
    return std::hypot(a, b);
}

double Similarity::angleDegrees() const
{
    return std::atan2(b, a) * 180.0 / 3.14159265358979323846;
}

bool similarityFromPairs(Point2 s1, Point2 s2, Point2 t1, Point2 t2, Similarity& out)
{
    // As complex numbers: t = m s + c with m = (t2 - t1) / (s2 - s1).
    const double sx = s2.x - s1.x;
    const double sy = s2.y - s1.y;
    const double dx = t2.x - t1.x;
    const double dy = t2.y - t1.y;
    const double norm = sx * sx + sy * sy;
    if (norm < 1e-12 || dx * dx + dy * dy < 1e-12)
        return false;
    Similarity m;
    m.a = (dx * sx + dy * sy) / norm;
    m.b = (dy * sx - dx * sy) / norm;
    m.tx = t1.x - (m.a * s1.x - m.b * s1.y);
    m.ty = t1.y - (m.b * s1.x + m.a * s1.y);
    out = m;
    return true;
}

bool eyeAlignment(const FaceLandmarks& source, Similarity& out)
{
    const FaceLandmarks& target = meshPhotoLandmarks();
    return similarityFromPairs(source.rightEye, source.leftEye, target.rightEye, target.leftEye, out);
}

namespace {

// Past the source's border the edge pixels are repeated, which on its own draws streaks of the edge's
// noise across the gap; averaging along the edge, wider the further out, turns them into a smooth fill.
void sampleBeyondEdges(const RgbImage& source, Point2 at, double out[3])
{
    const double beyondX = std::max(-at.x, at.x - (source.width - 1));
    const double beyondY = std::max(-at.y, at.y - (source.height - 1));
    const double beyond = std::max(beyondX, beyondY);
    if (beyond <= 0) {
        sampleBilinear(source, at.x, at.y, out);
        return;
    }
    // One tap per source pixel along the edge, so a regular pattern there cannot alias into stripes.
    const int reach = static_cast<int>(std::ceil(0.8 * beyond));
    const bool alongX = beyondY >= beyondX; // past the top or bottom: average along the row
    out[0] = out[1] = out[2] = 0;
    for (int offset = -reach; offset <= reach; ++offset) {
        double colour[3];
        sampleBilinear(source, at.x + (alongX ? offset : 0), at.y + (alongX ? 0 : offset), colour);
        for (int c = 0; c < 3; ++c)
            out[c] += colour[c] / (2 * reach + 1);
    }
}

} // namespace

RgbImage warpPicture(const RgbImage& source, const Similarity& toTarget, int size)
{
    RgbImage result(size, size);
    if (source.empty())
        return result;
    const Similarity back = toTarget.inverse();
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const Point2 from = back.apply({static_cast<double>(x), static_cast<double>(y)});
            double colour[3];
            sampleBeyondEdges(source, from, colour);
            result.set(x, y, colour[0], colour[1], colour[2]);
        }
    }
    return result;
}
