#include "SilhouetteMask.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace {

double cross(Point2 o, Point2 a, Point2 b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

int side(Point2 o, Point2 a, Point2 b)
{
    const double c = cross(o, a, b);
    return (c > 0) - (c < 0);
}

// For p known to lie on the line through a and b.
bool withinBox(Point2 a, Point2 b, Point2 p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Touching counts: a corner resting on another edge folds the outline just as a crossing does.
bool segmentsMeet(Point2 a, Point2 b, Point2 c, Point2 d)
{
    const int abc = side(a, b, c);
    const int abd = side(a, b, d);
    const int cda = side(c, d, a);
    const int cdb = side(c, d, b);
    if (abc * abd < 0 && cda * cdb < 0)
        return true;
    return (abc == 0 && withinBox(a, b, c)) || (abd == 0 && withinBox(a, b, d)) ||
           (cda == 0 && withinBox(c, d, a)) || (cdb == 0 && withinBox(c, d, b));
}

double distanceToSegment(Point2 a, Point2 b, Point2 p)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0;
    if (lengthSquared > 0)
        t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double area(const std::vector<OutlinePoint>& outline)
{
    double twice = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const Point2 a = outline[i].at;
        const Point2 b = outline[(i + 1) % outline.size()].at;
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2;
}

std::string edgeName(const std::vector<OutlinePoint>& outline, size_t i)
{
    return outline[i].name + "-" + outline[(i + 1) % outline.size()].name;
}

std::string crossingProblem(const std::vector<OutlinePoint>& outline)
{
    const size_t n = outline.size();
    for (size_t i = 0; i < n; ++i) {
        // Neighbouring edges share a corner by construction; every other pair must stay apart.
        for (size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1)
                continue;
            if (segmentsMeet(outline[i].at, outline[(i + 1) % n].at, outline[j].at, outline[(j + 1) % n].at))
                return "edge " + edgeName(outline, i) + " meets edge " + edgeName(outline, j);
        }
    }
    return {};
}

} // namespace

std::string outlineProblem(const std::vector<OutlinePoint>& outline)
{
    if (outline.size() < 3)
        return "the outline needs at least 3 points";
    std::set<std::string> names;
    for (size_t i = 0; i < outline.size(); ++i) {
        const OutlinePoint& point = outline[i];
        if (!std::isfinite(point.at.x) || !std::isfinite(point.at.y))
            return "outline point " + point.name + " is not a finite position";
        if (!names.insert(point.name).second)
            return "outline point " + point.name + " is named twice";
        const OutlinePoint& next = outline[(i + 1) % outline.size()];
        if (point.at.x == next.at.x && point.at.y == next.at.y)
            return "outline points " + point.name + " and " + next.name + " coincide";
    }
    if (const std::string crossing = crossingProblem(outline); !crossing.empty())
        return "the outline folds over itself: " + crossing;
    // Collinear corners leave no crossing to find, but nothing to fill either.
    if (area(outline) < 1.0)
        return "the outline encloses no area";
    return {};
}

std::vector<Point2> transformOutline(const std::vector<OutlinePoint>& outline, const Similarity& toPhoto)
{
    std::vector<Point2> polygon;
    polygon.reserve(outline.size());
    for (const OutlinePoint& point : outline)
        polygon.push_back(toPhoto.apply(point.at));
    return polygon;
}

double signedDistanceToOutline(const std::vector<Point2>& polygon, Point2 p)
{
    if (polygon.size() < 2)
        return -std::numeric_limits<double>::infinity();
    double nearest = std::numeric_limits<double>::infinity();
    bool inside = false;
    for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point2 a = polygon[j];
        const Point2 b = polygon[i];
        nearest = std::min(nearest, distanceToSegment(a, b, p));
        // Half-open in y so a ray through a corner counts it once.
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    }
    return inside ? nearest : -nearest;
}

double silhouetteAlpha(const std::vector<Point2>& polygon, double feather, Point2 p)
{
    const double inside = signedDistanceToOutline(polygon, p);
    if (feather <= 0)
        return inside >= 0 ? 1.0 : 0.0;
    const double t = std::clamp(inside / feather + 0.5, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

RgbImage paintSilhouetteMask(const std::vector<Point2>& polygon, double feather, int size)
{
    RgbImage mask(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double grey = 255.0 * silhouetteAlpha(polygon, feather, {double(x), double(y)});
            mask.set(x, y, grey, grey, grey);
        }
    }
    return mask;
}

RgbImage placeOnBackdrop(const RgbImage& photo, const std::vector<Point2>& polygon, double feather,
                         const RgbImage& backdrop)
{
    RgbImage result = photo;
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            const double keep = silhouetteAlpha(polygon, feather, {double(x), double(y)});
            // The photo square spans 40 units, the background quad the middle 36 of them.
            const double u = ((x + 0.5) / photo.width * 40.0 - 2.0) / 36.0 * backdrop.width - 0.5;
            const double v = ((y + 0.5) / photo.height * 40.0 - 2.0) / 36.0 * backdrop.height - 0.5;
            double behind[3];
            sampleBilinear(backdrop, u, v, behind);
            const std::uint8_t* own = photo.at(x, y);
            result.set(x, y, behind[0] + (own[0] - behind[0]) * keep, behind[1] + (own[1] - behind[1]) * keep,
                       behind[2] + (own[2] - behind[2]) * keep);
        }
    return result;
}
