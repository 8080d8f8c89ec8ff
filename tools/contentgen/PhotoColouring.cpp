#include "PhotoColouring.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace {

struct Stop {
    double level;
    std::array<double, 3> colour;
};

// Brightness to colour; the stops keep the picture's own brightness roughly where it was.
constexpr Stop kSkin[] = {{0, {22, 13, 9}},       {60, {78, 48, 34}},     {120, {156, 104, 82}},
                          {180, {216, 164, 138}}, {230, {244, 208, 186}}, {255, {255, 234, 218}}};
constexpr Stop kHair[] = {{0, {14, 10, 8}}, {60, {54, 38, 26}}, {120, {104, 78, 56}}, {255, {214, 196, 176}}};
constexpr Stop kElsewhere[] = {{0, {10, 10, 12}}, {128, {128, 124, 118}}, {255, {255, 252, 246}}};
constexpr double kLipRed[3] = {1.0, 0.52, 0.52};
constexpr double kLipTint = 0.4;
// Below this brightness a skin pixel is hair rather than skin, fully so below kHairFull.
constexpr double kHairStart = 120, kHairFull = 70;

std::array<double, 3> ramp(const Stop* stops, size_t count, double level)
{
    if (level <= stops[0].level)
        return stops[0].colour;
    for (size_t i = 1; i < count; ++i)
        if (level <= stops[i].level) {
            const double t = (level - stops[i - 1].level) / (stops[i].level - stops[i - 1].level);
            std::array<double, 3> out{};
            for (int c = 0; c < 3; ++c)
                out[c] = stops[i - 1].colour[c] + t * (stops[i].colour[c] - stops[i - 1].colour[c]);
            return out;
        }
    return stops[count - 1].colour;
}

double smoothStep(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double strongestWeight(const std::vector<TintEllipse>& ellipses, Point2 p)
{
    double weight = 0;
    for (const TintEllipse& e : ellipses)
        weight = std::max(weight, ellipseWeight(e, p));
    return weight;
}

void mixInto(std::array<double, 3>& colour, const std::array<double, 3>& towards, double amount)
{
    for (int c = 0; c < 3; ++c)
        colour[c] += (towards[c] - colour[c]) * amount;
}

} // namespace

double ellipseWeight(const TintEllipse& ellipse, Point2 p)
{
    if (ellipse.radiusX <= 0 || ellipse.radiusY <= 0)
        return 0;
    const double dx = (p.x - ellipse.centre.x) / ellipse.radiusX;
    const double dy = (p.y - ellipse.centre.y) / ellipse.radiusY;
    return smoothStep((1.0 - std::sqrt(dx * dx + dy * dy)) / 0.25);
}

RgbImage colourGreyPortrait(const RgbImage& grey, const PhotoColouring& colouring)
{
    RgbImage out(grey.width, grey.height);
    for (int y = 0; y < grey.height; ++y)
        for (int x = 0; x < grey.width; ++x) {
            const double level = grey.at(x, y)[0];
            const Point2 p{static_cast<double>(x), static_cast<double>(y)};
            std::array<double, 3> colour = ramp(kElsewhere, std::size(kElsewhere), level);
            std::array<double, 3> skin = ramp(kSkin, std::size(kSkin), level);
            mixInto(skin, ramp(kHair, std::size(kHair), level),
                    smoothStep((kHairStart - level) / (kHairStart - kHairFull)));
            mixInto(colour, skin, strongestWeight(colouring.skin, p));
            const double lips = strongestWeight(colouring.lips, p) * kLipTint;
            const std::array<double, 3> red{level * kLipRed[0], level * kLipRed[1], level * kLipRed[2]};
            mixInto(colour, red, lips);
            out.set(x, y, colour[0], colour[1], colour[2]);
        }
    return out;
}
