#include "rendering/SoftSpans.h"

namespace {

inline uint32_t texelAt(const RasterTexturedRun& run, int64_t u, int64_t v)
{
    uint32_t column = static_cast<uint32_t>(u >> 16) & run.maskU;
    uint32_t row = static_cast<uint32_t>(v >> 16) & run.maskV;
    return run.texels[(row << run.logWidth) + column];
}

// The depth test: a pixel passes when it is nearer than what is stored, and then owns the depth.
inline bool passDepth(int32_t* depth, int i, int64_t depth16)
{
    int32_t value = static_cast<int32_t>(depth16 >> 16);
    if (depth[i] >= value)
        return false;
    depth[i] = value;
    return true;
}

template <int Mode> inline void writeTexel(uint32_t& pixel, uint32_t texel)
{
    if (Mode == kRasterReplace)
        pixel = texel;
    else if (Mode == kRasterAlphaTest) {
        if ((texel >> 24) > 127)
            pixel = texel;
    } else {
        pixel = rasterBlendPixel(pixel, texel);
    }
}

template <int Mode, bool Depth> void texturedSpan(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v, z = run.depth16;
    for (int i = 0; i < run.count; ++i) {
        if (!Depth || passDepth(run.depth, i, z))
            writeTexel<Mode>(run.color[i], texelAt(run, u, v));
        u += run.du;
        v += run.dv;
        z += run.depthStep16;
    }
}

template <bool Depth> void colorSpan(const RasterColorRun& run)
{
    int64_t r = run.red, g = run.green, b = run.blue, z = run.depth16;
    for (int i = 0; i < run.count; ++i) {
        if (!Depth || passDepth(run.depth, i, z))
            run.color[i] = static_cast<uint32_t>((((r >> 16) & 0xFF) << 16) | (((g >> 16) & 0xFF) << 8) |
                                                 ((b >> 16) & 0xFF));
        r += run.redStep;
        g += run.greenStep;
        b += run.blueStep;
        z += run.depthStep16;
    }
}

const RasterSpanRoutines kGenericSpans = {
    {{texturedSpan<kRasterReplace, false>, texturedSpan<kRasterReplace, true>},
     {texturedSpan<kRasterAlphaTest, false>, texturedSpan<kRasterAlphaTest, true>},
     {texturedSpan<kRasterBlend, false>, texturedSpan<kRasterBlend, true>}},
    {colorSpan<false>, colorSpan<true>},
    {colorSpan<false>, colorSpan<true>},
};

} // namespace

const RasterSpanRoutines& genericSpanRoutines()
{
    return kGenericSpans;
}
