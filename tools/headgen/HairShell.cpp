#include "HairShell.h"

#include "HeadSurface.h"

#include <algorithm>
#include <cmath>

namespace headgen {

namespace {

double smoothStep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// The hair's half width at a height; 0 below and above the outline.
double hairHalfWidth(std::span<const HairRow> outline, double y)
{
    for (size_t i = 1; i < outline.size(); ++i)
        if (y >= outline[i - 1].y && y <= outline[i].y) {
            const double t = (y - outline[i - 1].y) / (outline[i].y - outline[i - 1].y);
            return outline[i - 1].halfWidth + t * (outline[i].halfWidth - outline[i - 1].halfWidth);
        }
    return 0.0;
}

} // namespace

void shapeHair(std::vector<Point3>& points, const std::vector<bool>& pinned, const HairShape& hair)
{
    for (size_t i = 0; i < points.size(); ++i) {
        if (i < pinned.size() && pinned[i])
            continue;
        Point3& p = points[i];
        const double skin = sectionAt(p.y).halfWidth;
        const double reach = std::max(hairHalfWidth(hair.outline, p.y), skin);
        if (skin > 0.0) {
            const double side = std::fabs(p.x) / skin;
            if (side <= 1.0) {
                // Skin widens in proportion, from nothing where the hair starts to all of it at the side.
                const double share = smoothStep((side - kHairFadeStart) / (kHairFadeFull - kHairFadeStart));
                p.x *= 1.0 + share * (reach / skin - 1.0);
            } else {
                // What stands out of the skin (the ears) moves with the skin beneath it, keeping its size.
                p.x += std::copysign(reach - skin, p.x);
            }
        }
    }
}

} // namespace headgen
