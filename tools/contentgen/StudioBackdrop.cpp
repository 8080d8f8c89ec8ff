#include "StudioBackdrop.h"

#include <cmath>

namespace {

constexpr double kTop[3] = {78, 98, 128};
constexpr double kBottom[3] = {26, 32, 46};
constexpr double kSpot[3] = {150, 166, 188};
constexpr double kPi = 3.14159265358979323846;

} // namespace

RgbImage paintStudioBackdrop(int width, int height)
{
    RgbImage picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double v = (y + 0.5) / height;
            const double u = (x + 0.5) / width;
            // A spot above the head's shoulders, elliptical because the light falls on a curved sweep.
            const double dx = (u - 0.5) / 0.42;
            const double dy = (v - 0.38) / 0.34;
            const double spot = std::exp(-(dx * dx + dy * dy));
            const double vignette = 1 - 0.35 * std::pow(std::abs(u - 0.5) * 2, 2.2);
            // Two faint diagonal weaves; amplitudes stay within a few grey levels.
            const double weave = 3.0 * std::sin((x + y) * 2 * kPi / 9) * std::sin((x - y) * 2 * kPi / 9);
            double colour[3];
            for (int c = 0; c < 3; ++c) {
                const double base = kTop[c] + (kBottom[c] - kTop[c]) * v;
                colour[c] = (base + (kSpot[c] - base) * 0.6 * spot) * vignette + weave;
            }
            picture.set(x, y, colour[0], colour[1], colour[2]);
        }
    }
    return picture;
}
