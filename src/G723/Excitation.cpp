#include "G723/Excitation.h"

#include "G723/G723Tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace cm::g723 {
namespace {

constexpr int kGainEntries = 170;
constexpr int kTrackSlots = 8;

std::int32_t saturate(std::int64_t v)
{
    return std::int32_t(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

int pulsePosition(int grid, int track, int slot)
{
    return slot * 8 + track * 2 + grid;
}

// Filtered versions of the five delayed excitation vectors: y[k] = conv(past[k..k+59], h).
void filterTaps(const std::array<std::int16_t, kSubLen + kTaps - 1>& past, const SubVector& h,
                float (&y)[kTaps][kSubLen])
{
    for (int n = 0; n < kSubLen; ++n) {
        float sum = 0;
        for (int m = 0; m <= n; ++m)
            sum += past[kTaps - 1 + m] * h[n - m];
        y[kTaps - 1][n] = sum;
    }
    for (int k = kTaps - 2; k >= 0; --k) {
        y[k][0] = past[k] * h[0];
        for (int n = 1; n < kSubLen; ++n)
            y[k][n] = y[k + 1][n - 1] + past[k] * h[n];
    }
}

} // namespace

std::array<std::int16_t, kSubLen + kTaps - 1> pastExcitation(const ExcHistory& history, int lag)
{
    std::array<std::int16_t, kSubLen + kTaps - 1> out{};
    int offset = kPitchMax - kTaps / 2 - lag;
    out[0] = history[offset];
    out[1] = history[offset + 1];
    offset += 2;
    for (int i = 2; i < kSubLen + kTaps - 1; ++i)
        out[i] = history[offset + (i - 2) % lag];
    return out;
}

std::array<std::int16_t, kSubLen> adaptiveVector(const ExcHistory& history, int lag, int gainIndex)
{
    auto past = pastExcitation(history, lag);
    const std::int16_t* taps = kAdaptiveGain[gainIndex];
    std::array<std::int16_t, kSubLen> out{};
    for (int i = 0; i < kSubLen; ++i) {
        std::int64_t sum = 0;
        for (int k = 0; k < kTaps; ++k)
            sum += std::int32_t(past[i + k]) * taps[k];
        std::int32_t doubled = saturate(2 * std::int64_t(saturate(sum)));
        out[i] = std::int16_t(saturate((1 << 15) + 2 * std::int64_t(doubled)) >> 16);
    }
    return out;
}

AdaptiveShortlist searchAdaptive(const ExcHistory& history, const SubVector& target, const SubVector& h,
                                 int base, int count)
{
    AdaptiveShortlist best{};
    for (int c = 0; c < count; ++c) {
        auto past = pastExcitation(history, base + c - 1);
        float y[kTaps][kSubLen];
        filterTaps(past, h, y);
        double corr[kTaps], prod[kTaps][kTaps];
        for (int k = 0; k < kTaps; ++k) {
            double s = 0;
            for (int n = 0; n < kSubLen; ++n)
                s += double(target[n]) * y[k][n];
            corr[k] = s;
            for (int l = 0; l <= k; ++l) {
                double p = 0;
                for (int n = 0; n < kSubLen; ++n)
                    p += double(y[k][n]) * y[l][n];
                prod[k][l] = prod[l][k] = p;
            }
        }
        for (int g = 0; g < kGainEntries; ++g) {
            double b[kTaps];
            for (int k = 0; k < kTaps; ++k)
                b[k] = kAdaptiveGain[g][k] / 16384.0;
            double err = 0;
            for (int k = 0; k < kTaps; ++k) {
                double cross = 0;
                for (int l = 0; l < kTaps; ++l)
                    cross += b[l] * prod[k][l];
                err += b[k] * (cross - 2.0 * corr[k]);
            }
            if (err < best.back().error) {
                int at = kAdaptiveCandidates - 1;
                for (; at > 0 && best[at - 1].error > err; --at)
                    best[at] = best[at - 1];
                best[at] = {c, g, err};
            }
        }
    }
    return best;
}

FixedChoice searchFixed(const SubVector& target, const SubVector& h)
{
    // Backward-filtered target and the correlation matrix of the impulse response.
    double d[kSubLen];
    for (int n = 0; n < kSubLen; ++n) {
        double s = 0;
        for (int m = n; m < kSubLen; ++m)
            s += double(target[m]) * h[m - n];
        d[n] = s;
    }
    static thread_local double phi[kSubLen][kSubLen];
    for (int diag = 0; diag < kSubLen; ++diag) {
        double s = 0;
        for (int k = 0; k <= kSubLen - 1 - diag; ++k) {
            s += double(h[k]) * h[k + diag];
            int i = kSubLen - 1 - diag - k;
            phi[i][i + diag] = phi[i + diag][i] = s;
        }
    }
    FixedChoice best;
    double bestNum = -1, bestDen = 1;
    for (int grid = 0; grid < 2; ++grid) {
        int pos[4][kTrackSlots];
        int slots[4];
        for (int t = 0; t < 4; ++t) {
            slots[t] = 0;
            for (int s = 0; s < kTrackSlots; ++s)
                if (pulsePosition(grid, t, s) < kSubLen)
                    pos[t][slots[t]++] = pulsePosition(grid, t, s);
        }
        double sign[kSubLen];
        for (int n = 0; n < kSubLen; ++n)
            sign[n] = d[n] >= 0 ? 1.0 : -1.0;
        auto cross = [&](int a, int b) { return sign[a] * sign[b] * phi[a][b]; };
        for (int s0 = 0; s0 < slots[0]; ++s0) {
            int p0 = pos[0][s0];
            double c0 = std::fabs(d[p0]), e0 = phi[p0][p0];
            for (int s1 = 0; s1 < slots[1]; ++s1) {
                int p1 = pos[1][s1];
                double c1 = c0 + std::fabs(d[p1]);
                double e1 = e0 + phi[p1][p1] + 2 * cross(p0, p1);
                for (int s2 = 0; s2 < slots[2]; ++s2) {
                    int p2 = pos[2][s2];
                    double c2 = c1 + std::fabs(d[p2]);
                    double e2 = e1 + phi[p2][p2] + 2 * (cross(p0, p2) + cross(p1, p2));
                    for (int s3 = 0; s3 < slots[3]; ++s3) {
                        int p3 = pos[3][s3];
                        double c3 = c2 + std::fabs(d[p3]);
                        double e3 = e2 + phi[p3][p3] + 2 * (cross(p0, p3) + cross(p1, p3) + cross(p2, p3));
                        if (e3 > 0 && c3 * c3 * bestDen > bestNum * e3) {
                            bestNum = c3 * c3;
                            bestDen = e3;
                            best.grid = grid;
                            best.track = {s0, s1, s2, s3};
                            const int p[4] = {p0, p1, p2, p3};
                            for (int t = 0; t < 4; ++t)
                                best.positive[t] = d[p[t]] >= 0;
                        }
                    }
                }
            }
        }
    }
    // Optimal amplitude sqrt(num)/den; the decoder doubles the pulse amplitude it reads.
    double amplitude = bestNum > 0 ? std::sqrt(bestNum) / bestDen / 2.0 : 0.0;
    int gi = 0;
    for (int i = 1; i < 24; ++i)
        if (std::fabs(kFixedGain[i] - amplitude) < std::fabs(kFixedGain[gi] - amplitude))
            gi = i;
    best.gainIndex = gi;
    best.correlation = bestNum > 0 ? std::sqrt(bestNum) : 0.0;
    best.energy = bestDen;
    return best;
}

std::array<std::int16_t, kSubLen> fixedVector(const FixedChoice& choice, int sharpenLag, int sharpenGain)
{
    std::array<std::int16_t, kSubLen> v{};
    const int amp = kFixedGain[choice.gainIndex];
    for (int t = 0; t < 4; ++t) {
        int p = pulsePosition(choice.grid, t, choice.track[t]);
        if (p < kSubLen)
            v[p] = std::int16_t(choice.positive[t] ? amp : -amp);
    }
    if (sharpenLag < kSubLen - 2)
        for (int i = sharpenLag; i < kSubLen; ++i)
            v[i] = std::int16_t(v[i] + ((sharpenGain * v[i - sharpenLag]) >> 15));
    return v;
}

} // namespace cm::g723
