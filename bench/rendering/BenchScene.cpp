#include "BenchScene.h"

#include <cmath>
#include <random>

namespace {

void fillSlot(BenchScene& scene, int slot, int width, int height, uint32_t seed, bool randomAlpha)
{
    std::mt19937 random(seed);
    scene.slotWidth[slot] = width;
    scene.slotHeight[slot] = height;
    scene.slotPixels[slot].resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint32_t& pixel : scene.slotPixels[slot])
        pixel = (random() & 0x00FFFFFFu) | (randomAlpha ? (random() & 0xFF000000u) : 0xFF000000u);
}

} // namespace

BenchScene buildBenchScene(int rings, int segments)
{
    BenchScene scene;
    fillSlot(scene, 0, 256, 256, 1, true);
    fillSlot(scene, 1, 64, 16, 2, false);
    fillSlot(scene, 2, 64, 16, 3, false);
    fillSlot(scene, 7, 256, 256, 4, false);
    fillSlot(scene, 8, 256, 256, 5, false);
    const double pi = 3.14159265358979323846;
    auto point = [&](int ring, int segment, float* out, float* uv) {
        double theta = pi * ring / rings, phi = 2 * pi * segment / segments;
        double x = 11 * std::sin(theta) * std::sin(phi), y = 14 - 15 * std::cos(theta);
        double z = 12 * std::sin(theta) * std::cos(phi);
        out[0] = static_cast<float>(x), out[1] = static_cast<float>(y + 6), out[2] = static_cast<float>(z);
        uv[0] = static_cast<float>(x * 0.025 + 0.5), uv[1] = static_cast<float>(1 - (y + 6) * 0.025);
    };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            int slot = r == rings / 2 && s % 8 == 0 ? 1 + s % 2 : 0;
            const int corners[2][3][2] = {{{r, s}, {r + 1, s}, {r + 1, s + 1}},
                                          {{r, s}, {r + 1, s + 1}, {r, s + 1}}};
            for (const auto& tri : corners) {
                BenchTriangle triangle{};
                for (int c = 0; c < 3; ++c)
                    point(tri[c][0], tri[c][1], triangle.position[c], triangle.texture[c]);
                triangle.slot = slot;
                scene.triangles.push_back(triangle);
            }
        }
    }
    return scene;
}
