#include "HeadSurface.h"

#include "HeadParameters.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace headgen {

namespace {

double smoothStep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Cubic Hermite through the profile rows with centred slopes, so the outline has no kinks.
double interpolateProfile(double y, double ProfileRow::*field)
{
    constexpr int count = static_cast<int>(std::size(kProfile));
    int i = 0;
    while (i < count - 2 && y > kProfile[i + 1].y)
        ++i;
    auto value = [field](int k) { return kProfile[std::clamp(k, 0, count - 1)].*field; };
    auto height = [](int k) { return kProfile[std::clamp(k, 0, count - 1)].y; };
    auto slope = [&](int k) {
        int lo = std::max(k - 1, 0), hi = std::min(k + 1, count - 1);
        return (value(hi) - value(lo)) / (height(hi) - height(lo));
    };
    double y0 = height(i), y1 = height(i + 1), h = y1 - y0;
    double t = std::clamp((y - y0) / h, 0.0, 1.0);
    double t2 = t * t, t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * value(i) + (t3 - 2 * t2 + t) * h * slope(i) +
           (-2 * t3 + 3 * t2) * value(i + 1) + (t3 - t2) * h * slope(i + 1);
}

double signedPower(double value, double exponent)
{
    return std::copysign(std::pow(std::fabs(value), exponent), value);
}

double bump(const Bump& b, double x, double y)
{
    double dx = (x - b.x) / b.radiusX, dy = (y - b.y) / b.radiusY;
    double r2 = dx * dx + dy * dy;
    return r2 < 1.0 ? b.height * (1.0 - r2) * (1.0 - r2) : 0.0;
}

double noseRelief(double x, double y)
{
    double height = 0.0, halfWidth = kNoseTipHalfWidth;
    if (y >= kNoseTipY && y <= kNoseBridgeY) {
        double t = (y - kNoseTipY) / (kNoseBridgeY - kNoseTipY);
        height = kNoseTipHeight + (kNoseBridgeHeight - kNoseTipHeight) * smoothStep(t * 1.15);
        halfWidth = kNoseTipHalfWidth + (kNoseBridgeHalfWidth - kNoseTipHalfWidth) * t;
    } else if (y > kNoseBridgeY && y < kNoseTopY) {
        double s = (y - kNoseBridgeY) / (kNoseTopY - kNoseBridgeY);
        height = kNoseBridgeHeight * (1.0 - s) * (1.0 - s);
        halfWidth = kNoseBridgeHalfWidth;
    } else if (y < kNoseTipY && y > kNoseBaseY) {
        double s = (kNoseTipY - y) / (kNoseTipY - kNoseBaseY);
        height = kNoseTipHeight * std::pow(1.0 - s * s, 0.6);
        halfWidth = kNoseTipHalfWidth * (1.0 + 0.25 * s);
    }
    double u = x / (1.5 * halfWidth);
    return u * u < 1.0 ? height * (1.0 - u * u) * (1.0 - u * u) : 0.0;
}

// Relief only on the face: full in front, gone by the sides of the head.
double frontWeight(double angle)
{
    double degrees = std::fabs(angle) * 180.0 / std::numbers::pi;
    return 1.0 - smoothStep((degrees - 55.0) / 20.0);
}

} // namespace

Section sectionAt(double y)
{
    double yBase = std::min(y, kDomeStartY);
    Section base{interpolateProfile(yBase, &ProfileRow::front), interpolateProfile(yBase, &ProfileRow::back),
                 interpolateProfile(yBase, &ProfileRow::halfWidth)};
    if (y <= kDomeStartY)
        return base;
    double s = std::clamp((y - kDomeStartY) / (kTopY - kDomeStartY), 0.0, 1.0);
    double shrink = std::sqrt(1.0 - s * s);
    double middle = 0.5 * (base.front + base.back);
    return {middle + (base.front - middle) * shrink, middle + (base.back - middle) * shrink,
            base.halfWidth * shrink};
}

double faceRelief(double x, double y)
{
    double relief = noseRelief(x, y);
    for (const Bump& b : kReliefBumps) {
        relief += bump(b, x, y);
        if (b.mirrored)
            relief += bump({-b.x, b.y, b.radiusX, b.radiusY, b.height, false}, x, y);
    }
    return relief;
}

Point3 skinAtAngle(double angle, double y)
{
    Section s = sectionAt(y);
    double exponent = 2.0 / kSectionExponent;
    double middle = 0.5 * (s.front + s.back), depth = 0.5 * (s.front - s.back);
    double x = s.halfWidth * signedPower(std::sin(angle), exponent);
    double z = middle + depth * signedPower(std::cos(angle), exponent);
    return {x, y, z + faceRelief(x, y) * frontWeight(angle)};
}

double angleForX(double x, double y)
{
    double halfWidth = sectionAt(y).halfWidth;
    double ratio = std::clamp(std::fabs(x) / halfWidth, 0.0, 1.0);
    return std::copysign(std::asin(std::pow(ratio, kSectionExponent / 2.0)), x);
}

Point3 skinAt(double x, double y)
{
    Point3 p = skinAtAngle(angleForX(x, y), y);
    p.x = x; // exact, whatever rounding the angle went through
    return p;
}

} // namespace headgen
