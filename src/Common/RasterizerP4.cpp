#include "Common/RasterizerP4.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define P4_HAVE_SSE2 1
#else
#define P4_HAVE_SSE2 0
#endif

namespace {

// Texel lookups with repeat wrapping. Runs along a single texture row (the orthographic view of an
// upright quad: the background and the photo overlay) need no row arithmetic per pixel.
struct AnyTexel {
    const RasterTexturedRun& run;
    uint32_t operator()(int64_t u, int64_t v) const
    {
        uint32_t column = static_cast<uint32_t>(u >> 16) & run.maskU;
        uint32_t row = static_cast<uint32_t>(v >> 16) & run.maskV;
        return run.texels[(row << run.logWidth) + column];
    }
};

struct RowTexel {
    const uint32_t* row;
    uint32_t maskU;
    explicit RowTexel(const RasterTexturedRun& run)
        : row(run.texels + ((static_cast<uint32_t>(run.v >> 16) & run.maskV) << run.logWidth)),
          maskU(run.maskU)
    {
    }
    uint32_t operator()(int64_t u, int64_t) const { return row[static_cast<uint32_t>(u >> 16) & maskU]; }
};

template <template <typename> class Routine> void withTexels(const RasterTexturedRun& run)
{
    if (run.dv == 0)
        Routine<RowTexel>::draw(run, RowTexel(run));
    else
        Routine<AnyTexel>::draw(run, AnyTexel{run});
}

#if P4_HAVE_SSE2
// Two pixels widened to 16-bit lanes: dst * (255 - a) + src * a + 128, then the exact rounding
// division by 255. No lane exceeds 65,407, so the wrapping 16-bit arithmetic is exact.
inline __m128i blendWide(__m128i dst, __m128i src)
{
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, 0xFF), 0xFF);
    __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(dst, inverse), _mm_mullo_epi16(src, alpha));
    mixed = _mm_add_epi16(mixed, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(mixed, _mm_srli_epi16(mixed, 8)), 8);
}

inline __m128i blendQuad(__m128i pixels, __m128i texels)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i low = blendWide(_mm_unpacklo_epi8(pixels, zero), _mm_unpacklo_epi8(texels, zero));
    __m128i high = blendWide(_mm_unpackhi_epi8(pixels, zero), _mm_unpackhi_epi8(texels, zero));
    return _mm_packus_epi16(low, high);
}

// Blends four texels over four pixels; a texel of alpha 0 leaves its pixel exactly as it was, which
// is how pixels that failed the depth test are kept.
inline void blendFour(uint32_t* out, const uint32_t texels[4])
{
    uint32_t any = texels[0] | texels[1] | texels[2] | texels[3];
    if (any >> 24 == 0)
        return;
    __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(texels));
    __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), blendQuad(pixels, source));
}
#endif

// Single pixels skip the arithmetic where its result is known: a clear texel leaves the pixel, an
// opaque one replaces it (the blend formula gives exactly these values too).
inline uint32_t blendOne(uint32_t pixel, uint32_t texel)
{
    uint32_t alpha = texel >> 24;
    if (alpha == 0)
        return pixel;
    if (alpha == 255)
        return texel;
    return rasterBlendPixel(pixel, texel);
}

template <typename Texel> struct ReplaceNoDepth {
    static void draw(const RasterTexturedRun& run, Texel texel)
    {
        int64_t u = run.u, v = run.v;
        uint32_t* out = run.color;
        int i = 0;
        for (; i + 4 <= run.count; i += 4) {
            uint32_t t0 = texel(u, v);
            uint32_t t1 = texel(u + run.du, v + run.dv);
            uint32_t t2 = texel(u + 2 * run.du, v + 2 * run.dv);
            uint32_t t3 = texel(u + 3 * run.du, v + 3 * run.dv);
            out[i] = t0, out[i + 1] = t1, out[i + 2] = t2, out[i + 3] = t3;
            u += 4 * run.du, v += 4 * run.dv;
        }
        for (; i < run.count; ++i, u += run.du, v += run.dv)
            out[i] = texel(u, v);
    }
};

template <typename Texel> struct ReplaceDepth {
    static void draw(const RasterTexturedRun& run, Texel texel)
    {
        int64_t u = run.u, v = run.v, z = run.depth16;
        for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
            int32_t depth = static_cast<int32_t>(z >> 16);
            if (run.depth[i] < depth) {
                run.depth[i] = depth;
                run.color[i] = texel(u, v);
            }
        }
    }
};

// The depth is written whenever the test passes, the colour only for texels above half coverage.
template <typename Texel> struct AlphaTest {
    static void draw(const RasterTexturedRun& run, Texel texel)
    {
        int64_t u = run.u, v = run.v, z = run.depth16;
        for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
            if (run.depth) {
                int32_t depth = static_cast<int32_t>(z >> 16);
                if (run.depth[i] >= depth)
                    continue;
                run.depth[i] = depth;
            }
            uint32_t value = texel(u, v);
            if ((value >> 24) > 127)
                run.color[i] = value;
        }
    }
};

template <typename Texel> struct BlendNoDepth {
    static void draw(const RasterTexturedRun& run, Texel texel)
    {
        int64_t u = run.u, v = run.v;
        uint32_t* out = run.color;
        int i = 0;
#if P4_HAVE_SSE2
        for (; i + 4 <= run.count; i += 4) {
            uint32_t texels[4];
            for (uint32_t& value : texels) {
                value = texel(u, v);
                u += run.du, v += run.dv;
            }
            blendFour(out + i, texels);
        }
#endif
        for (; i < run.count; ++i, u += run.du, v += run.dv)
            out[i] = blendOne(out[i], texel(u, v));
    }
};

// Pixels that fail the depth test get a clear texel, which the blend leaves exactly as they were.
template <typename Texel> struct BlendDepth {
    static void draw(const RasterTexturedRun& run, Texel texel)
    {
        int64_t u = run.u, v = run.v, z = run.depth16;
        int i = 0;
#if P4_HAVE_SSE2
        for (; i + 4 <= run.count; i += 4) {
            uint32_t texels[4];
            for (int k = 0; k < 4; ++k, u += run.du, v += run.dv, z += run.depthStep16) {
                int32_t depth = static_cast<int32_t>(z >> 16);
                bool passes = run.depth[i + k] < depth;
                run.depth[i + k] = passes ? depth : run.depth[i + k];
                texels[k] = passes ? texel(u, v) : 0u;
            }
            blendFour(run.color + i, texels);
        }
#endif
        for (; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
            int32_t depth = static_cast<int32_t>(z >> 16);
            if (run.depth[i] >= depth)
                continue;
            run.depth[i] = depth;
            run.color[i] = blendOne(run.color[i], texel(u, v));
        }
    }
};

void replaceNoDepth(const RasterTexturedRun& run)
{
    withTexels<ReplaceNoDepth>(run);
}

void replaceDepth(const RasterTexturedRun& run)
{
    withTexels<ReplaceDepth>(run);
}

void alphaTest(const RasterTexturedRun& run)
{
    withTexels<AlphaTest>(run);
}

void blendNoDepth(const RasterTexturedRun& run)
{
    withTexels<BlendNoDepth>(run);
}

void blendDepth(const RasterTexturedRun& run)
{
    withTexels<BlendDepth>(run);
}

inline uint32_t packColor(const RasterColorRun&, int64_t r, int64_t g, int64_t b)
{
    return static_cast<uint32_t>((((r >> 16) & 0xFF) << 16) | (((g >> 16) & 0xFF) << 8) | ((b >> 16) & 0xFF));
}

void colorNoDepth(const RasterColorRun& run)
{
    int64_t r = run.red, g = run.green, b = run.blue;
    for (int i = 0; i < run.count; ++i, r += run.redStep, g += run.greenStep, b += run.blueStep)
        run.color[i] = packColor(run, r, g, b);
}

void colorDepth(const RasterColorRun& run)
{
    int64_t r = run.red, g = run.green, b = run.blue, z = run.depth16;
    for (int i = 0; i < run.count; ++i, r += run.redStep, g += run.greenStep, b += run.blueStep) {
        int32_t depth = static_cast<int32_t>(z >> 16);
        z += run.depthStep16;
        if (run.depth[i] < depth) {
            run.depth[i] = depth;
            run.color[i] = packColor(run, r, g, b);
        }
    }
}

const RasterSpanRoutines kP4Spans = {
    {{replaceNoDepth, replaceDepth}, {alphaTest, alphaTest}, {blendNoDepth, blendDepth}},
    {colorNoDepth, colorDepth},
    {colorNoDepth, colorDepth},
};

} // namespace

const RasterSpanRoutines& rasterizerP4Spans()
{
    return kP4Spans;
}
