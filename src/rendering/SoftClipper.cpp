#include "rendering/SoftClipper.h"

namespace {

// Signed distance-like value of a corner against one side; inside when >= 0.
double sideValue(const ClipVolume& v, int side, const ClipVertex& p)
{
    double zScale = v.perspective ? p.z / v.nearZ : 1.0;
    switch (side) {
    case 0:
        return p.z - v.nearZ;
    case 1:
        return p.x - v.left * zScale;
    case 2:
        return v.right * zScale - p.x;
    case 3:
        return p.y - v.bottom * zScale;
    default:
        return v.top * zScale - p.y;
    }
}

ClipVertex between(const ClipVertex& a, const ClipVertex& b, double f)
{
    ClipVertex r;
    r.x = a.x + (b.x - a.x) * f;
    r.y = a.y + (b.y - a.y) * f;
    r.z = a.z + (b.z - a.z) * f;
    r.s = a.s + (b.s - a.s) * f;
    r.t = a.t + (b.t - a.t) * f;
    r.red = a.red + (b.red - a.red) * f;
    r.green = a.green + (b.green - a.green) * f;
    r.blue = a.blue + (b.blue - a.blue) * f;
    return r;
}

void clipSide(const ClipVolume& volume, int side, ClipPolygon& polygon)
{
    ClipPolygon result;
    for (int i = 0; i < polygon.count; ++i) {
        const ClipVertex& a = polygon.corners[i];
        const ClipVertex& b = polygon.corners[(i + 1) % polygon.count];
        double va = sideValue(volume, side, a), vb = sideValue(volume, side, b);
        if (va >= 0 && result.count < kMaxClipCorners)
            result.corners[result.count++] = a;
        if ((va >= 0) != (vb >= 0) && result.count < kMaxClipCorners)
            result.corners[result.count++] = between(a, b, va / (va - vb));
    }
    polygon = result;
}

// One pass over all five sides; the same comparisons as sideValue() >= 0.
inline bool insideAllSides(const ClipVolume& v, const ClipVertex& p)
{
    double zScale = v.perspective ? p.z / v.nearZ : 1.0;
    return p.z >= v.nearZ && p.x >= v.left * zScale && v.right * zScale >= p.x && p.y >= v.bottom * zScale &&
           v.top * zScale >= p.y;
}

} // namespace

bool clipPolygon(const ClipVolume& volume, ClipPolygon& polygon)
{
    // Nearly every triangle of a frame lies wholly inside; it needs no side-by-side work.
    bool whollyInside = polygon.count >= 3;
    for (int i = 0; i < polygon.count && whollyInside; ++i)
        whollyInside = insideAllSides(volume, polygon.corners[i]);
    if (whollyInside)
        return true;
    for (int side = 0; side < 5 && polygon.count >= 3; ++side) {
        bool allInside = true;
        for (int i = 0; i < polygon.count && allInside; ++i)
            allInside = sideValue(volume, side, polygon.corners[i]) >= 0;
        if (!allInside)
            clipSide(volume, side, polygon);
    }
    return polygon.count >= 3;
}
