#include "audio/AntiAliasDecimator.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr double kOutputRate = 16000.0;
// Voices keep everything up to 7 kHz; from 8 kHz on, where the working format would fold it back, the
// filter takes away kStopbandDb.
constexpr double kPassEdge = 7000.0;
constexpr double kStopEdge = 8000.0;
constexpr double kStopbandDb = 80.0;
// Positions that fall between exact phases are rounded to the nearest of this many per source sample;
// the timing error left (1/2048 sample) is far below anything audible.
constexpr std::size_t kMaxPhases = 1024;
constexpr std::size_t kTapMultiple = 16; // one AVX2 register of 16-bit values
constexpr int kQ15 = 1 << 15;

double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 60 && term > sum * 1e-17; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) std::int32_t dotAvx2(const std::int16_t* x, const std::int16_t* h,
                                                     std::size_t taps)
{
    __m256i acc = _mm256_setzero_si256();
    for (std::size_t k = 0; k < taps; k += 16) {
        const __m256i xs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + k));
        const __m256i hs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + k));
        acc = _mm256_add_epi32(acc, _mm256_madd_epi16(xs, hs));
    }
    __m128i sum = _mm_add_epi32(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
}

std::int32_t dotSse2(const std::int16_t* x, const std::int16_t* h, std::size_t taps)
{
    __m128i acc = _mm_setzero_si128();
    for (std::size_t k = 0; k < taps; k += 8) {
        const __m128i xs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + k));
        const __m128i hs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + k));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(xs, hs));
    }
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(1, 0, 3, 2)));
    acc = _mm_add_epi32(acc, _mm_shuffle_epi32(acc, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(acc);
}
#else
std::int32_t dotPlain(const std::int16_t* x, const std::int16_t* h, std::size_t taps)
{
    std::int32_t acc = 0;
    for (std::size_t k = 0; k < taps; ++k)
        acc += std::int32_t(x[k]) * h[k];
    return acc;
}
#endif

using DotProduct = std::int32_t (*)(const std::int16_t*, const std::int16_t*, std::size_t);

// The widest the processor has; every version gives the same sums.
DotProduct bestDot()
{
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2") ? dotAvx2 : dotSse2;
#else
    return dotPlain;
#endif
}

// Rounds one phase's coefficients to Q15 so that they add up to exactly 1: a constant passes unchanged.
void quantizeRow(const std::vector<double>& row, std::int16_t* out)
{
    const double sum = std::accumulate(row.begin(), row.end(), 0.0);
    int total = 0;
    std::size_t largest = 0;
    for (std::size_t k = 0; k < row.size(); ++k) {
        out[k] = std::int16_t(std::lround(row[k] / sum * kQ15));
        total += out[k];
        if (row[k] > row[largest])
            largest = k;
    }
    out[largest] = std::int16_t(out[largest] + (kQ15 - total));
}

} // namespace

CAntiAliasDecimator::CAntiAliasDecimator(std::uint32_t sourceRate)
{
    const std::uint64_t common = std::gcd(std::uint64_t(sourceRate), std::uint64_t(kOutputRate));
    stepNumerator_ = sourceRate / common;
    stepDenominator_ = std::uint64_t(kOutputRate) / common;
    phases_ = std::size_t(std::min<std::uint64_t>(stepDenominator_, kMaxPhases));
    buildTable(double(sourceRate));
}

void CAntiAliasDecimator::buildTable(double sourceRate)
{
    // Kaiser's estimate of the length that reaches kStopbandDb across the transition band.
    const double transition = 2.0 * std::numbers::pi * (kStopEdge - kPassEdge) / sourceRate;
    const double length = (kStopbandDb - 7.95) / (2.285 * transition);
    reach_ = (std::size_t(std::ceil(length / 2.0)) + kTapMultiple / 2 - 1) / (kTapMultiple / 2) *
             (kTapMultiple / 2);
    taps_ = 2 * reach_;
    const double beta = 0.1102 * (kStopbandDb - 8.7);
    const double cutoff = (kPassEdge + kStopEdge) / 2.0 / sourceRate; // cycles per source sample
    const double half = double(reach_);
    table_.resize(phases_ * taps_);
    std::vector<double> row(taps_);
    for (std::size_t p = 0; p < phases_; ++p) {
        const double fraction = double(p) / double(phases_);
        for (std::size_t k = 0; k < taps_; ++k) {
            // Distance from the output position to the source sample this tap weighs.
            const double t = half - 1.0 - double(k) + fraction;
            const double x = 2.0 * cutoff * t;
            const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            const double edge = std::max(0.0, 1.0 - (t / half) * (t / half));
            row[k] = sinc * besselI0(beta * std::sqrt(edge));
        }
        quantizeRow(row, table_.data() + p * taps_);
    }
}

void CAntiAliasDecimator::decimate(const std::int16_t* window, std::size_t n, double ratio,
                                   std::vector<std::int16_t>& out) const
{
    out.clear();
    if (n == 0)
        return;
    static const DotProduct dot = bestDot();
    // The count of the plain resampler, so that every timing built on it stays as it is.
    const auto m = std::size_t(double(n) / ratio);
    out.resize(m);
    // Output i lies at source position i x numerator / denominator: `whole` samples and `rest` over.
    const std::size_t stepWhole = std::size_t(stepNumerator_ / stepDenominator_);
    const std::uint64_t stepRest = stepNumerator_ % stepDenominator_;
    std::size_t whole = 0;
    std::uint64_t rest = 0;
    for (std::size_t i = 0; i < m; ++i) {
        std::size_t at = whole;
        std::size_t phase = std::size_t(rest);
        if (phases_ != stepDenominator_) {
            phase = std::size_t((rest * phases_ + stepDenominator_ / 2) / stepDenominator_);
            if (phase == phases_)
                phase = 0, ++at;
        }
        at = std::min(at, n - 1);
        const std::int32_t acc = dot(window + at + 1, table_.data() + phase * taps_, taps_);
        out[i] = std::int16_t(std::clamp((acc + kQ15 / 2) >> 15, -32768, 32767));
        whole += stepWhole;
        rest += stepRest;
        if (rest >= stepDenominator_)
            rest -= stepDenominator_, ++whole;
    }
}
