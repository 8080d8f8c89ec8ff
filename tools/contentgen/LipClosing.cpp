#include "LipClosing.h"

#include <algorithm>
#include <cmath>

namespace {

// How far outside the gap the painted lips fade into the photo, and how far into each lip the colour
// is taken from (clear of the gap's own blur).
constexpr double kEdgeFade = 1.0;
constexpr double kColourDepth = 1.6;
// The lips roll in towards the line where they meet, and the line itself is a thin shadow.
constexpr double kRollInShade = 0.1;
constexpr double kLineShade = 0.42;
constexpr double kLineHalfWidth = 0.75;
constexpr double kCornerTolerance = 0.5;

double edgeAt(const std::vector<Point2>& edge, double x)
{
    if (x <= edge.front().x)
        return edge.front().y;
    for (size_t i = 1; i < edge.size(); ++i)
        if (x <= edge[i].x) {
            const double t = (x - edge[i - 1].x) / (edge[i].x - edge[i - 1].x);
            return edge[i - 1].y + t * (edge[i].y - edge[i - 1].y);
        }
    return edge.back().y;
}

bool rising(const std::vector<Point2>& edge)
{
    for (size_t i = 1; i < edge.size(); ++i)
        if (!(edge[i].x > edge[i - 1].x) || !std::isfinite(edge[i].y))
            return false;
    return std::isfinite(edge.front().x) && std::isfinite(edge.front().y);
}

bool sameCorner(Point2 a, Point2 b)
{
    return std::fabs(a.x - b.x) <= kCornerTolerance && std::fabs(a.y - b.y) <= kCornerTolerance;
}

double smoothStep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// A lip's colour beside the gap, averaged over three columns so a single tooth-lit pixel cannot streak.
void lipColour(const RgbImage& picture, double x, double y, double out[3])
{
    out[0] = out[1] = out[2] = 0.0;
    for (double dx : {-1.0, 0.0, 1.0}) {
        double sample[3];
        sampleBilinear(picture, x + dx, y, sample);
        for (int c = 0; c < 3; ++c)
            out[c] += sample[c] / 3.0;
    }
}

void paintColumn(RgbImage& picture, const RgbImage& original, int x, double top, double bottom)
{
    const double meet = top + kLipMeeting * (bottom - top);
    double upper[3], lower[3];
    lipColour(original, x, top - kColourDepth, upper);
    lipColour(original, x, bottom + kColourDepth, lower);
    const int firstRow = std::max(0, static_cast<int>(std::floor(top - kEdgeFade)));
    const int lastRow = std::min(picture.height - 1, static_cast<int>(std::ceil(bottom + kEdgeFade)));
    for (int y = firstRow; y <= lastRow; ++y) {
        const double outside = std::max(top - y, y - bottom);
        const double cover = 1.0 - smoothStep(outside / kEdgeFade);
        if (cover <= 0.0)
            continue;
        const bool upperLip = y < meet;
        const double* lip = upperLip ? upper : lower;
        const double span = upperLip ? meet - top : bottom - meet;
        const double towardsLine = span > 0.0 ? std::clamp(1.0 - std::fabs(y - meet) / span, 0.0, 1.0) : 1.0;
        const double lineDistance = (y - meet) / kLineHalfWidth;
        const double shade =
            (1.0 - kRollInShade * towardsLine) * (1.0 - kLineShade * std::exp(-lineDistance * lineDistance));
        const std::uint8_t* was = original.at(x, y);
        picture.set(x, y, was[0] + cover * (lip[0] * shade - was[0]),
                    was[1] + cover * (lip[1] * shade - was[1]), was[2] + cover * (lip[2] * shade - was[2]));
    }
}

} // namespace

std::string lipGapProblem(const LipGap& gap)
{
    if (gap.top.size() < 2 || gap.bottom.size() < 2)
        return "each edge of the lip gap needs at least two points";
    if (!rising(gap.top) || !rising(gap.bottom))
        return "the lip gap's edges must run left to right with finite positions";
    if (!sameCorner(gap.top.front(), gap.bottom.front()) || !sameCorner(gap.top.back(), gap.bottom.back()))
        return "the lip gap's edges must start and end at the same corners";
    for (const std::vector<Point2>* edge : {&gap.top, &gap.bottom})
        for (const Point2& p : *edge)
            if (edgeAt(gap.bottom, p.x) < edgeAt(gap.top, p.x) - kCornerTolerance)
                return "the lip gap's lower edge runs above its upper edge";
    return {};
}

void closeLipGap(RgbImage& picture, const LipGap& gap)
{
    if (!lipGapProblem(gap).empty() || picture.empty())
        return;
    const RgbImage original = picture;
    const double left = std::min(gap.top.front().x, gap.bottom.front().x);
    const double right = std::max(gap.top.back().x, gap.bottom.back().x);
    const int first = std::max(0, static_cast<int>(std::ceil(left)));
    const int last = std::min(picture.width - 1, static_cast<int>(std::floor(right)));
    for (int x = first; x <= last; ++x) {
        const double top = edgeAt(gap.top, x), bottom = std::max(top, edgeAt(gap.bottom, x));
        paintColumn(picture, original, x, top, bottom);
    }
}
