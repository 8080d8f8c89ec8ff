#include "rendering/SoftRasterizer.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kFixedOne = 65536.0;
constexpr double kDepthScale = 1.0e9;
constexpr int kPerspectiveRun = 32;
// Window coordinates beyond this are refused: a clipped polygon never comes near it.
constexpr double kCoordinateLimit = 1.0e6;

// Clamped so the conversion stays defined, then floored; written without branches because it runs
// several times per scan line.
inline int64_t toFixed(double value)
{
    constexpr double limit = 9.0e15;
#if defined(__SSE2__)
    // minsd/maxsd; the library's min and max compile to compares and jumps here.
    __m128d scaled = _mm_set_sd(value * kFixedOne);
    value = _mm_cvtsd_f64(_mm_min_sd(_mm_max_sd(scaled, _mm_set_sd(-limit)), _mm_set_sd(limit)));
#else
    value = std::min(std::max(value * kFixedOne, -limit), limit);
#endif
    int64_t whole = static_cast<int64_t>(value);
    return whole - static_cast<int64_t>(static_cast<double>(whole) > value);
}

// ceil for the window coordinates the rasteriser accepts (well inside the int range).
inline int ceilToInt(double value)
{
    int whole = static_cast<int>(value);
    return whole < value ? whole + 1 : whole;
}

} // namespace

void SoftRasterizer::setTarget(uint32_t* color, int32_t* depth, int width, int height)
{
    color_ = color;
    depth_ = depth;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    rowOffsets_.resize(static_cast<size_t>(height_));
    for (int y = 0; y < height_; ++y)
        rowOffsets_[static_cast<size_t>(y)] = y * width_;
    spanLeft_.assign(static_cast<size_t>(height_), 0);
    spanRight_.assign(static_cast<size_t>(height_), 0);
}

// Fills the span table: for each row whose centre the polygon covers, the first pixel and one past
// the last. Returns false when nothing is covered. The winding tells which edges bound the left and
// which the right of the spans, so each edge writes only its own side.
bool SoftRasterizer::buildSpans(const ScreenPolygon& polygon)
{
    double top = -kCoordinateLimit, bottom = kCoordinateLimit, twiceArea = 0;
    for (int i = 0; i < polygon.count; ++i) {
        const ScreenVertex& v = polygon.corners[i];
        if (!(std::fabs(v.x) < kCoordinateLimit && std::fabs(v.y) < kCoordinateLimit))
            return false;
        top = std::max(top, v.y);
        bottom = std::min(bottom, v.y);
        const ScreenVertex& next = polygon.corners[i + 1 < polygon.count ? i + 1 : 0];
        twiceArea += v.x * next.y - next.x * v.y;
    }
    firstRow_ = std::max(0, ceilToInt((bottom - 0.5)));
    lastRow_ = std::min(height_ - 1, ceilToInt((top - 0.5)) - 1);
    if (firstRow_ > lastRow_ || twiceArea == 0.0)
        return false;
    int* left = spanLeft_.data();
    int* right = spanRight_.data();
    for (int y = firstRow_; y <= lastRow_; ++y) {
        left[y] = width_;
        right[y] = 0;
    }
    const bool counterClockwise = twiceArea > 0;
    for (int i = 0; i < polygon.count; ++i) {
        const ScreenVertex& a = polygon.corners[i];
        const ScreenVertex& b = polygon.corners[i + 1 < polygon.count ? i + 1 : 0];
        if (a.y == b.y)
            continue;
        const bool upward = a.y < b.y;
        const ScreenVertex& low = upward ? a : b;
        const ScreenVertex& high = upward ? b : a;
        int from = std::max(firstRow_, ceilToInt((low.y - 0.5)));
        int to = std::min(lastRow_, ceilToInt((high.y - 0.5)) - 1);
        if (from > to)
            continue;
        // The edge is stepped in 16.16 fixed point; rounding the start up makes the shift a ceiling.
        double slope = (high.x - low.x) / (high.y - low.y);
        int64_t x = toFixed(low.x + (from + 0.5 - low.y) * slope - 0.5) + 0xFFFF;
        int64_t step = toFixed(slope);
        int* side = upward == counterClockwise ? right : left;
        // Clipped polygons stay within the window, so the edge's ends decide whether any row of it
        // can fall outside and needs clamping.
        int64_t last = x + step * (to - from);
        if (std::min(x, last) >= 0 && std::max(x, last) >> 16 <= width_) {
            for (int y = from; y <= to; ++y, x += step)
                side[y] = static_cast<int>(x >> 16);
        } else {
            for (int y = from; y <= to; ++y, x += step)
                side[y] = static_cast<int>(std::clamp<int64_t>(x >> 16, 0, width_));
        }
    }
    return true;
}

// Attributes are planes over the window; the widest corner triple of the polygon defines each one.
template <typename Get>
bool SoftRasterizer::buildPlane(const ScreenPolygon& polygon, Get get, Plane& plane) const
{
    const ScreenVertex& a = polygon.corners[bestA_];
    const ScreenVertex& b = polygon.corners[bestB_];
    const ScreenVertex& c = polygon.corners[bestC_];
    double abx = b.x - a.x, aby = b.y - a.y, acx = c.x - a.x, acy = c.y - a.y;
    double area = abx * acy - acx * aby;
    if (area == 0.0)
        return false;
    double inverse = 1.0 / area;
    double dab = get(b) - get(a), dac = get(c) - get(a);
    plane.atX = a.x;
    plane.atY = a.y;
    plane.value = get(a);
    plane.dx = (dab * acy - dac * aby) * inverse;
    plane.dy = (dac * abx - dab * acx) * inverse;
    return true;
}

namespace {

void chooseWidestTriple(const ScreenPolygon& polygon, int& a, int& b, int& c)
{
    double best = -1.0;
    a = 0, b = 1, c = 2;
    for (int i = 1; i + 1 < polygon.count; ++i) {
        const ScreenVertex& p0 = polygon.corners[0];
        const ScreenVertex& p1 = polygon.corners[i];
        const ScreenVertex& p2 = polygon.corners[i + 1];
        double area = std::fabs((p1.x - p0.x) * (p2.y - p0.y) - (p2.x - p0.x) * (p1.y - p0.y));
        if (area > best) {
            best = area;
            b = i;
            c = i + 1;
        }
    }
}

} // namespace

// Orthographic rows: every attribute is linear over the window and evaluated at the first pixel's
// centre of each row (stepping it down from row to row would move texel choices on exact edges).
void SoftRasterizer::texturedRows(const Plane planes[3], const Plane& depthPlane, RasterTexturedRun& run,
                                  RasterTexturedRoutine routine, bool depthTest) const
{
    for (int y = firstRow_; y <= lastRow_; ++y) {
        const int left = spanLeft_[static_cast<size_t>(y)], right = spanRight_[static_cast<size_t>(y)];
        if (left >= right)
            continue;
        const double centreY = y + 0.5, first = left + 0.5;
        const size_t start = static_cast<size_t>(rowOffsets_[static_cast<size_t>(y)] + left);
        run.color = color_ + start;
        run.depth = depthTest ? depth_ + start : nullptr;
        run.count = right - left;
        run.depth16 = toFixed(depthPlane.at(first, centreY));
        run.u = toFixed(planes[0].at(first, centreY));
        run.v = toFixed(planes[1].at(first, centreY));
        routine(run);
    }
}

// Perspective rows are cut into runs; s and t are recovered at both ends of each run and stepped
// linearly between them.
void SoftRasterizer::texturedRowPerspective(int y, const Plane planes[3], const Plane& depthPlane,
                                            RasterTexturedRun& run, RasterTexturedRoutine routine,
                                            bool depthTest) const
{
    int left = spanLeft_[static_cast<size_t>(y)], right = spanRight_[static_cast<size_t>(y)];
    if (left >= right)
        return;
    double centreY = y + 0.5;
    size_t rowStart = static_cast<size_t>(rowOffsets_[static_cast<size_t>(y)]);
    for (int x = left; x < right; x += kPerspectiveRun) {
        int count = std::min(kPerspectiveRun, right - x);
        double first = x + 0.5, last = x + count - 0.5;
        run.color = color_ + rowStart + static_cast<size_t>(x);
        run.depth = depthTest ? depth_ + rowStart + static_cast<size_t>(x) : nullptr;
        run.count = count;
        run.depth16 = toFixed(depthPlane.at(first, centreY));
        double firstZ = 1.0 / std::max(planes[2].at(first, centreY), 1.0e-12);
        double lastZ = 1.0 / std::max(planes[2].at(last, centreY), 1.0e-12);
        double u0 = planes[0].at(first, centreY) * firstZ, v0 = planes[1].at(first, centreY) * firstZ;
        double u1 = planes[0].at(last, centreY) * lastZ, v1 = planes[1].at(last, centreY) * lastZ;
        run.u = toFixed(u0);
        run.v = toFixed(v0);
        run.du = count > 1 ? (toFixed(u1) - run.u) / (count - 1) : 0;
        run.dv = count > 1 ? (toFixed(v1) - run.v) / (count - 1) : 0;
        routine(run);
    }
}

void SoftRasterizer::fillTextured(const ScreenPolygon& polygon, const RasterTexture& texture,
                                  RasterTextureMode mode, bool depthTest, bool perspective)
{
    if (!hasTarget() || !spans_ || polygon.count < 3 || !buildSpans(polygon))
        return;
    chooseWidestTriple(polygon, bestA_, bestB_, bestC_);
    const double width = static_cast<double>(1 << texture.logWidth);
    const double height = static_cast<double>(1 << texture.logHeight);
    Plane planes[3], depthPlane;
    bool ok = buildPlane(
        polygon, [](const ScreenVertex& v) { return v.invZ * kDepthScale; }, depthPlane);
    if (perspective) {
        ok = ok && buildPlane(
                       polygon, [&](const ScreenVertex& v) { return v.s * width * v.invZ; }, planes[0]);
        ok = ok && buildPlane(
                       polygon, [&](const ScreenVertex& v) { return v.t * height * v.invZ; }, planes[1]);
        ok = ok && buildPlane(
                       polygon, [](const ScreenVertex& v) { return v.invZ; }, planes[2]);
    } else {
        ok = ok && buildPlane(
                       polygon, [&](const ScreenVertex& v) { return v.s * width; }, planes[0]);
        ok = ok && buildPlane(
                       polygon, [&](const ScreenVertex& v) { return v.t * height; }, planes[1]);
    }
    if (!ok)
        return;
    RasterTexturedRun run;
    run.texels = texture.texels;
    run.logWidth = texture.logWidth;
    run.maskU = (1u << texture.logWidth) - 1;
    run.maskV = (1u << texture.logHeight) - 1;
    run.depthStep16 = toFixed(depthPlane.dx);
    if (!perspective) {
        run.du = toFixed(planes[0].dx);
        run.dv = toFixed(planes[1].dx);
    }
    RasterTexturedRoutine routine = spans_->textured[mode][depthTest ? 1 : 0];
    if (perspective) {
        for (int y = firstRow_; y <= lastRow_; ++y)
            texturedRowPerspective(y, planes, depthPlane, run, routine, depthTest);
    } else {
        texturedRows(planes, depthPlane, run, routine, depthTest);
    }
}

void SoftRasterizer::fillColor(const ScreenPolygon& polygon, bool smooth, bool depthTest)
{
    if (!hasTarget() || !spans_ || polygon.count < 3 || !buildSpans(polygon))
        return;
    chooseWidestTriple(polygon, bestA_, bestB_, bestC_);
    Plane depthPlane, red, green, blue;
    if (!buildPlane(
            polygon, [](const ScreenVertex& v) { return v.invZ * kDepthScale; }, depthPlane))
        return;
    const ScreenVertex& first = polygon.corners[0];
    if (smooth) {
        buildPlane(
            polygon, [](const ScreenVertex& v) { return v.red; }, red);
        buildPlane(
            polygon, [](const ScreenVertex& v) { return v.green; }, green);
        buildPlane(
            polygon, [](const ScreenVertex& v) { return v.blue; }, blue);
    } else {
        red.value = first.red, green.value = first.green, blue.value = first.blue;
    }
    RasterColorRoutine routine = (smooth ? spans_->smooth : spans_->flat)[depthTest ? 1 : 0];
    RasterColorRun run;
    run.depthStep16 = toFixed(depthPlane.dx);
    run.redStep = toFixed(red.dx), run.greenStep = toFixed(green.dx), run.blueStep = toFixed(blue.dx);
    for (int y = firstRow_; y <= lastRow_; ++y) {
        int left = spanLeft_[static_cast<size_t>(y)], right = spanRight_[static_cast<size_t>(y)];
        if (left >= right)
            continue;
        double x = left + 0.5, centreY = y + 0.5;
        size_t start = static_cast<size_t>(rowOffsets_[static_cast<size_t>(y)] + left);
        run.color = color_ + start;
        run.depth = depthTest ? depth_ + start : nullptr;
        run.count = right - left;
        run.depth16 = toFixed(depthPlane.at(x, centreY));
        run.red = toFixed(std::clamp(red.at(x, centreY), 0.0, 255.0));
        run.green = toFixed(std::clamp(green.at(x, centreY), 0.0, 255.0));
        run.blue = toFixed(std::clamp(blue.at(x, centreY), 0.0, 255.0));
        routine(run);
    }
}
