#pragma once

#include <cstdint>

// One horizontal run of pixels as the software rasteriser's polygon routines hand it to a span
// routine. Depth values are 1,000,000,000 / z (larger is nearer) carried in 16.16 fixed point; a
// pixel passes the depth test when the stored value is less than its own. `depth` is null when the
// depth test is off, and then the depth buffer is neither read nor written.
struct RasterTexturedRun {
    uint32_t* color = nullptr;
    int32_t* depth = nullptr;
    int count = 0;
    int64_t depth16 = 0, depthStep16 = 0;
    // Texel coordinates in 16.16, stepped linearly across the run; they wrap (repeat) at the size.
    int64_t u = 0, v = 0, du = 0, dv = 0;
    const uint32_t* texels = nullptr;
    int logWidth = 0;
    uint32_t maskU = 0, maskV = 0;
};

struct RasterColorRun {
    uint32_t* color = nullptr;
    int32_t* depth = nullptr;
    int count = 0;
    int64_t depth16 = 0, depthStep16 = 0;
    // Channels in 16.16; a flat run has zero steps.
    int64_t red = 0, green = 0, blue = 0, redStep = 0, greenStep = 0, blueStep = 0;
};

enum RasterTextureMode : int { kRasterReplace = 0, kRasterAlphaTest = 1, kRasterBlend = 2 };

using RasterTexturedRoutine = void (*)(const RasterTexturedRun& run);
using RasterColorRoutine = void (*)(const RasterColorRun& run);

// The span routines of one processor path: textured[mode][depth test], and the untextured ones.
struct RasterSpanRoutines {
    RasterTexturedRoutine textured[3][2];
    RasterColorRoutine flat[2];
    RasterColorRoutine smooth[2];
};

// Blend of a texel over a pixel by the texel's alpha, per byte, rounded: shared by every path so
// that all of them give the same pixels.
inline uint32_t rasterBlendPixel(uint32_t pixel, uint32_t texel)
{
    // Two channels per 32-bit word: each 16-bit lane holds at most 255 * 255 + 128, so lanes never
    // spill into each other, and the result equals the per-channel formula exactly.
    const uint32_t alpha = texel >> 24, inverse = 255 - alpha, lanes = 0x00FF00FFu;
    uint32_t redBlue = (pixel & lanes) * inverse + (texel & lanes) * alpha + 0x00800080u;
    uint32_t alphaGreen = ((pixel >> 8) & lanes) * inverse + ((texel >> 8) & lanes) * alpha + 0x00800080u;
    redBlue = ((redBlue + ((redBlue >> 8) & lanes)) >> 8) & lanes;
    alphaGreen = ((alphaGreen + ((alphaGreen >> 8) & lanes)) >> 8) & lanes;
    return redBlue | (alphaGreen << 8);
}
