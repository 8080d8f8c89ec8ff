#include "G723/ComfortNoise.h"

#include "G723/G723Tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace cm::g723 {
namespace {

constexpr int kPulses[4] = {6, 5, 6, 5};
constexpr int kLagOffset[4] = {1, 0, 1, 3};
constexpr int kPulsesPerPair = 11;
// The generator aims at a mean square of gain^2 / 512 per sample; the filter interpolation and the
// smoothing of the decoder lose about 3 dB of it, measured through a decoder.
constexpr double kGainSquarePerMeanSquare = 1024.0;

int log2Floor(unsigned v)
{
    int n = 0;
    while (v >>= 1)
        ++n;
    return n;
}

int evenHalfRoot(unsigned v)
{
    auto r = unsigned(std::sqrt(double(v) * 2.0));
    while (std::uint64_t(r) * r > std::uint64_t(v) * 2)
        --r;
    while (std::uint64_t(r + 1) * (r + 1) <= std::uint64_t(v) * 2)
        ++r;
    return int((r >> 1) & ~1u);
}

std::int16_t clip16(int v)
{
    return std::int16_t(std::clamp(v, -32768, 32767));
}

} // namespace

void ComfortNoise::reset()
{
    seed_ = kSeed;
    curGain_ = 0;
    sidGain_ = 0;
    lastActive_ = false;
}

int ComfortNoise::nextRandom(int base)
{
    seed_ = (seed_ * 521 + 259) & 0xFFFF;
    return ((seed_ & 0x7FFF) * base) >> 15;
}

int ComfortNoise::codeToGain(int code)
{
    if (code < 0x10)
        return code << 6;
    if (code < 0x20)
        return (code - 8) << 7;
    return (code - 20) << 8;
}

int ComfortNoise::gainCode(double residualMeanSquare)
{
    double gain = std::sqrt(std::max(residualMeanSquare, 0.0) * kGainSquarePerMeanSquare);
    int best = 0;
    for (int code = 1; code < 64; ++code)
        if (std::fabs(codeToGain(code) - gain) < std::fabs(codeToGain(best) - gain))
            best = code;
    return best;
}

void ComfortNoise::onSilenceFrame(int code, ExcHistory& history, std::array<std::int16_t, 240>& excitation)
{
    if (code >= 0)
        sidGain_ = codeToGain(code);
    curGain_ = lastActive_ ? sidGain_ : (curGain_ * 7 + sidGain_) >> 3;
    lastActive_ = false;

    int lag[2];
    lag[0] = nextRandom(21) + 123;
    lag[1] = nextRandom(19) + 123;
    int gainIndex[4];
    for (int i = 0; i < 4; ++i)
        gainIndex[i] = nextRandom(50) + 1;
    int offset[4], sign[2 * kPulsesPerPair], pos[2 * kPulsesPerPair];
    for (int i = 0; i < 2; ++i) {
        int t = nextRandom(1 << 13);
        offset[i * 2] = t & 1;
        offset[i * 2 + 1] = ((t >> 1) & 1) + kSubLen;
        t >>= 2;
        for (int j = 0; j < kPulsesPerPair; ++j, t >>= 1)
            sign[i * kPulsesPerPair + j] = ((t & 1) * 2 - 1) * (1 << 14);
    }
    int idx = 0;
    for (int i = 0; i < 4; ++i) {
        int free[kSubLen / 2];
        for (int j = 0; j < kSubLen / 2; ++j)
            free[j] = j;
        int left = kSubLen / 2;
        for (int j = 0; j < kPulses[i]; ++j, ++idx) {
            int pick = nextRandom(left);
            pos[idx] = free[pick] * 2 + offset[i];
            free[pick] = free[--left];
        }
    }
    for (int pair = 0; pair < 2; ++pair) {
        std::int16_t* v = excitation.data() + pair * 2 * kSubLen;
        ExcHistory running = history;
        for (int s = 0; s < 2; ++s) {
            int sub = pair * 2 + s;
            auto acb = adaptiveVector(running, lag[pair] + kLagOffset[sub] - 1, gainIndex[sub]);
            std::copy(acb.begin(), acb.end(), v + s * kSubLen);
            std::copy(running.begin() + kSubLen, running.end(), running.begin());
            std::copy(acb.begin(), acb.end(), running.end() - kSubLen);
        }
        addPulses(v, pos + pair * kPulsesPerPair, sign + pair * kPulsesPerPair);
        std::copy(history.begin() + 2 * kSubLen, history.end(), history.begin());
        std::copy(v, v + 2 * kSubLen, history.end() - 2 * kSubLen);
    }
}

void ComfortNoise::addPulses(std::int16_t* v, const int* pos, const int* sign)
{
    const int n = 2 * kSubLen;
    int peak = 0;
    for (int j = 0; j < n; ++j)
        peak |= std::abs(int(v[j]));
    peak = std::min(peak, 0x7FFF);
    int shift = peak ? std::max(-10 + log2Floor(unsigned(peak)), -2) : 0;
    std::int64_t sum = 0;
    int tmp[2 * kSubLen];
    for (int j = 0; j < n; ++j) {
        int t = shift < 0 ? v[j] * (1 << -shift) : v[j] >> shift;
        sum += std::int64_t(t) * t;
        tmp[j] = t;
    }
    std::int64_t b0 = 0;
    for (int j = 0; j < kPulsesPerPair; ++j)
        b0 += std::int64_t(tmp[pos[j]]) * sign[j];
    b0 = (b0 * 2 * 2979 + (1 << 29)) >> 30;
    std::int64_t c = std::int64_t(curGain_) * ((curGain_ * kSubLen) >> 5);
    if (shift * 2 + 3 >= 0)
        c >>= shift * 2 + 3;
    else
        c <<= -(shift * 2 + 3);
    std::int64_t sum2 = std::clamp<std::int64_t>(sum << 1, INT32_MIN, INT32_MAX);
    c = ((sum2 - c) * 2979) >> 15;
    std::int64_t delta = b0 * b0 * 2 - c;
    std::int64_t x;
    if (delta <= 0) {
        x = -b0;
    } else {
        std::int64_t root = evenHalfRoot(unsigned(std::min<std::int64_t>(delta, INT32_MAX)));
        x = root - b0;
        std::int64_t t = root + b0;
        if (std::llabs(t) < std::llabs(x))
            x = -t;
    }
    ++shift;
    x = shift < 0 ? x >> -shift : x * (std::int64_t(1) << shift);
    x = std::clamp<std::int64_t>(x, -10000, 10000);
    for (int j = 0; j < kPulsesPerPair; ++j)
        v[pos[j]] = clip16(int(v[pos[j]] + ((x * sign[j]) >> 15)));
}

} // namespace cm::g723
