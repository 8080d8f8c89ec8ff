#include "G723/LpcTools.h"

#include "G723/G723Tables.h"

#include <algorithm>
#include <cmath>

namespace cm::g723 {
namespace {

constexpr int kWindowLen = 180;
constexpr double kPi = 3.14159265358979323846;
// Lag window on the autocorrelation (binomial shape) in Q15.
constexpr int kLagWindow[kOrder] = {32749, 32695, 32604, 32477, 32315, 32118, 31887, 31622, 31324, 30995};
// 0.994^i: bandwidth expansion before the LSP search.
constexpr int kBandwidth[kOrder] = {32571, 32376, 32182, 31989, 31797, 31606, 31416, 31228, 31040, 30854};
constexpr int kLspGrid = 512;
constexpr int kMinLspGap = 0x100;

// Evaluates one of the two symmetric LSP polynomials at angle w (coefficients f[0..5]).
double evalPoly(const std::array<double, 6>& f, double w)
{
    double sum = f[5] * 0.5;
    for (int k = 0; k < 5; ++k)
        sum += f[k] * std::cos((5 - k) * w);
    return sum;
}

double refineRoot(const std::array<double, 6>& f, double lo, double hi, double flo)
{
    for (int i = 0; i < 6; ++i) {
        double mid = 0.5 * (lo + hi);
        double fm = evalPoly(f, mid);
        if ((fm < 0) == (flo < 0)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    double fhi = evalPoly(f, hi);
    double denom = flo - fhi;
    return denom != 0 ? lo + (hi - lo) * flo / denom : 0.5 * (lo + hi);
}

// Product of second-order sections (1 - 2 cos(w) z^-1 + z^-2) over every other LSP.
std::array<double, 6> sectionProduct(const std::array<double, kOrder>& negCos, int first)
{
    std::array<double, 6> p{1, 0, 0, 0, 0, 0};
    for (int s = 0; s < 5; ++s) {
        double c = negCos[first + 2 * s] * 2.0;
        std::array<double, 6> q{};
        for (int k = 0; k <= 2 * s + 2 && k < 6; ++k) {
            q[k] = p[k];
            if (k >= 1)
                q[k] += c * p[k - 1];
            if (k >= 2)
                q[k] += p[k - 2];
        }
        p = q;
    }
    return p;
}

int bestCodeword(const float* target, const float* weight, const std::int16_t* book, int dim)
{
    int best = 0;
    double bestErr = 1e300;
    for (int i = 0; i < 256; ++i) {
        double err = 0;
        for (int j = 0; j < dim; ++j) {
            double d = target[j] - book[i * dim + j];
            err += weight[j] * d * d;
        }
        if (err < bestErr) {
            bestErr = err;
            best = i;
        }
    }
    return best;
}

int predictedPart(int prev, int i)
{
    return ((prev - kLspDc[i]) * 12288 + (1 << 14)) >> 15;
}

} // namespace

Autocorr windowedAutocorr(const float* samples)
{
    float windowed[kWindowLen];
    for (int i = 0; i < kWindowLen; ++i)
        windowed[i] = samples[i] * (kHammingWindow[i] / 32768.0f);
    Autocorr r{};
    for (int k = 0; k <= kOrder; ++k) {
        double sum = 0;
        for (int i = k; i < kWindowLen; ++i)
            sum += double(windowed[i]) * windowed[i - k];
        r[k] = sum;
    }
    r[0] *= 1.0 + 1.0 / 1024.0;
    for (int k = 1; k <= kOrder; ++k)
        r[k] *= kLagWindow[k - 1] / 32768.0;
    return r;
}

Lpc levinson(const Autocorr& r)
{
    Lpc a{};
    double err = r[0];
    if (!(err > 0))
        return a;
    double cur[kOrder] = {};
    for (int i = 0; i < kOrder; ++i) {
        double acc = r[i + 1];
        for (int j = 0; j < i; ++j)
            acc += cur[j] * r[i - j];
        double k = -acc / err;
        if (std::fabs(k) >= 0.9999)
            break;
        double prev[kOrder];
        std::copy(cur, cur + kOrder, prev);
        cur[i] = k;
        for (int j = 0; j < i; ++j)
            cur[j] = prev[j] + k * prev[i - 1 - j];
        err *= 1.0 - k * k;
    }
    for (int i = 0; i < kOrder; ++i)
        a[i] = float(cur[i]);
    return a;
}

bool lpcToLsp(const Lpc& lpc, LspF& lsp)
{
    double a[kOrder];
    for (int i = 0; i < kOrder; ++i)
        a[i] = lpc[i] * (kBandwidth[i] / 32768.0);
    // Sum polynomial deflated by (1 + z^-1), difference polynomial by (1 - z^-1).
    std::array<double, 6> f1{1, 0, 0, 0, 0, 0};
    std::array<double, 6> f2{1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 5; ++i) {
        f1[i + 1] = a[i] + a[kOrder - 1 - i] - f1[i];
        f2[i + 1] = a[i] - a[kOrder - 1 - i] + f2[i];
    }
    int count = 0;
    const std::array<double, 6>* poly[2] = {&f1, &f2};
    double prevW = 0;
    double prevVal = evalPoly(f1, 0);
    for (int g = 1; g <= kLspGrid && count < kOrder; ++g) {
        double w = kPi * g / kLspGrid;
        double val = evalPoly(*poly[count & 1], w);
        if ((val < 0) != (prevVal < 0)) {
            double root = refineRoot(*poly[count & 1], prevW, w, prevVal);
            lsp[count++] = float(root * 32768.0 / kPi);
            if (count == kOrder)
                break;
            val = evalPoly(*poly[count & 1], w);
        }
        prevW = w;
        prevVal = val;
    }
    return count == kOrder;
}

Lpc lspToLpc(const LspQ& lsp)
{
    std::array<double, kOrder> negCos{};
    for (int i = 0; i < kOrder; ++i)
        negCos[i] = -std::cos(lsp[i] * kPi / 32768.0);
    std::array<double, 6> p = sectionProduct(negCos, 0);
    std::array<double, 6> q = sectionProduct(negCos, 1);
    // Full symmetric / antisymmetric polynomials of degree 10, then A = (P(1+z^-1) + Q(1-z^-1)) / 2.
    double pf[11], qf[11];
    for (int k = 0; k <= 10; ++k) {
        pf[k] = k <= 5 ? p[k] : p[10 - k];
        qf[k] = k <= 5 ? q[k] : q[10 - k];
    }
    Lpc a{};
    for (int k = 1; k <= kOrder; ++k)
        a[k - 1] = float(0.5 * (pf[k] + pf[k - 1] + qf[k] - qf[k - 1]));
    return a;
}

std::array<int, 3> quantizeLsp(const LspF& lsp, const LspQ& prevDecoded)
{
    float weight[kOrder];
    for (int i = 0; i < kOrder; ++i) {
        float lo = i > 0 ? lsp[i] - lsp[i - 1] : 1e9f;
        float hi = i < kOrder - 1 ? lsp[i + 1] - lsp[i] : 1e9f;
        weight[i] = 1.0f / std::max(std::min(lo, hi), 32.0f);
    }
    float target[kOrder];
    for (int i = 0; i < kOrder; ++i)
        target[i] = lsp[i] - kLspDc[i] - predictedPart(prevDecoded[i], i);
    return {bestCodeword(target, weight, &kLspBand0[0][0], 3),
            bestCodeword(target + 3, weight + 3, &kLspBand1[0][0], 3),
            bestCodeword(target + 6, weight + 6, &kLspBand2[0][0], 4)};
}

LspQ decodeLsp(const std::array<int, 3>& index, const LspQ& prevDecoded)
{
    LspQ cur{};
    for (int j = 0; j < 3; ++j) {
        cur[j] = kLspBand0[index[0]][j];
        cur[3 + j] = kLspBand1[index[1]][j];
    }
    for (int j = 0; j < 4; ++j)
        cur[6 + j] = kLspBand2[index[2]][j];
    for (int i = 0; i < kOrder; ++i)
        cur[i] = std::int16_t(cur[i] + kLspDc[i] + predictedPart(prevDecoded[i], i));
    bool stable = false;
    for (int pass = 0; pass < kOrder && !stable; ++pass) {
        cur[0] = std::max(cur[0], 0x180);
        cur[kOrder - 1] = std::min(cur[kOrder - 1], 0x7e00);
        for (int j = 1; j < kOrder; ++j) {
            int overlap = kMinLspGap + cur[j - 1] - cur[j];
            if (overlap > 0) {
                overlap >>= 1;
                cur[j - 1] -= overlap;
                cur[j] += overlap;
            }
        }
        stable = true;
        for (int j = 1; j < kOrder; ++j)
            if (cur[j - 1] + kMinLspGap - cur[j] - 4 > 0)
                stable = false;
    }
    return stable ? cur : prevDecoded;
}

LspQ interpolateLsp(const LspQ& prev, const LspQ& cur, int subframe)
{
    if (subframe == 3)
        return cur;
    const int curWeight = 4096 * (subframe + 1);
    LspQ out{};
    for (int i = 0; i < kOrder; ++i)
        out[i] = std::int16_t((cur[i] * curWeight + prev[i] * (16384 - curWeight) + (1 << 13)) >> 14);
    return out;
}

LspQ dcLsp()
{
    LspQ out{};
    for (int i = 0; i < kOrder; ++i)
        out[i] = kLspDc[i];
    return out;
}

} // namespace cm::g723
