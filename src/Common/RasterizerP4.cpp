#include "RasterizerP4.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define P4_HAVE_SSE2 1
#else
#define P4_HAVE_SSE2 0
#endif

namespace {

inline uint32_t fetch(const RasterTexturedRun& run, int64_t u, int64_t v)
{
    uint32_t column = static_cast<uint32_t>(u >> 16) & run.maskU;
    uint32_t row = static_cast<uint32_t>(v >> 16) & run.maskV;
    return run.texels[(row << run.logWidth) + column];
}

#if P4_HAVE_SSE2
// Two pixels at once: dst * (255 - a) + src * a + 128, then the exact rounding division by 255.
inline __m128i blendPair(__m128i pixels, __m128i texels)
{
    const __m128i zero = _mm_setzero_si128();
    __m128i dst = _mm_unpacklo_epi8(pixels, zero);
    __m128i src = _mm_unpacklo_epi8(texels, zero);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, 0xFF), 0xFF);
    __m128i inverse = _mm_sub_epi16(_mm_set1_epi16(255), alpha);
    __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(dst, inverse), _mm_mullo_epi16(src, alpha));
    mixed = _mm_add_epi16(mixed, _mm_set1_epi16(128));
    mixed = _mm_srli_epi16(_mm_add_epi16(mixed, _mm_srli_epi16(mixed, 8)), 8);
    return _mm_packus_epi16(mixed, zero);
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

void replaceNoDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v;
    uint32_t* out = run.color;
    int i = 0;
    for (; i + 4 <= run.count; i += 4) {
        uint32_t t0 = fetch(run, u, v);
        uint32_t t1 = fetch(run, u + run.du, v + run.dv);
        uint32_t t2 = fetch(run, u + 2 * run.du, v + 2 * run.dv);
        uint32_t t3 = fetch(run, u + 3 * run.du, v + 3 * run.dv);
        out[i] = t0, out[i + 1] = t1, out[i + 2] = t2, out[i + 3] = t3;
        u += 4 * run.du, v += 4 * run.dv;
    }
    for (; i < run.count; ++i, u += run.du, v += run.dv)
        out[i] = fetch(run, u, v);
}

void replaceDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v, z = run.depth16;
    for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
        int32_t depth = static_cast<int32_t>(z >> 16);
        if (run.depth[i] < depth) {
            run.depth[i] = depth;
            run.color[i] = fetch(run, u, v);
        }
    }
}

void alphaTestNoDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v;
    for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv) {
        uint32_t texel = fetch(run, u, v);
        if ((texel >> 24) > 127)
            run.color[i] = texel;
    }
}

void alphaTestDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v, z = run.depth16;
    for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
        int32_t depth = static_cast<int32_t>(z >> 16);
        if (run.depth[i] >= depth)
            continue;
        run.depth[i] = depth;
        uint32_t texel = fetch(run, u, v);
        if ((texel >> 24) > 127)
            run.color[i] = texel;
    }
}

void blendNoDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v;
    uint32_t* out = run.color;
    int i = 0;
#if P4_HAVE_SSE2
    for (; i + 2 <= run.count; i += 2) {
        uint32_t t0 = fetch(run, u, v), t1 = fetch(run, u + run.du, v + run.dv);
        u += 2 * run.du, v += 2 * run.dv;
        if ((t0 | t1) >> 24 == 0)
            continue; // fully transparent: nothing to do
        __m128i texels = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(t0)),
                                            _mm_cvtsi32_si128(static_cast<int>(t1)));
        __m128i pixels = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(out + i));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), blendPair(pixels, texels));
    }
#endif
    for (; i < run.count; ++i, u += run.du, v += run.dv)
        out[i] = blendOne(out[i], fetch(run, u, v));
}

void blendDepth(const RasterTexturedRun& run)
{
    int64_t u = run.u, v = run.v, z = run.depth16;
    for (int i = 0; i < run.count; ++i, u += run.du, v += run.dv, z += run.depthStep16) {
        int32_t depth = static_cast<int32_t>(z >> 16);
        if (run.depth[i] >= depth)
            continue;
        run.depth[i] = depth;
        run.color[i] = blendOne(run.color[i], fetch(run, u, v));
    }
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
    {{replaceNoDepth, replaceDepth}, {alphaTestNoDepth, alphaTestDepth}, {blendNoDepth, blendDepth}},
    {colorNoDepth, colorDepth},
    {colorNoDepth, colorDepth},
};

} // namespace

const RasterSpanRoutines& rasterizerP4Spans()
{
    return kP4Spans;
}
