#include "G723/CG723Encoder.h"

#include "G723/BitWriter.h"
#include "G723/G723Tables.h"

#include <algorithm>
#include <cmath>

using namespace cm::g723;

namespace {

constexpr int kHalf = 120;
constexpr int kSubframes = 4;
constexpr int kOpenLoopMax = kPitchMax - 3;
constexpr float kHighPassPole = 0x7f00 / 32768.0f;
// Perceptual weighting A(z/0.9) / A(z/0.5).
constexpr float kZeroFactor = 0.9f;
constexpr float kPoleFactor = 0.5f;
constexpr float kHarmonicGainMax = 0x2800 / 32768.0f;
constexpr int kEvenLagSpread = 5;
constexpr unsigned kTypeActiveLow = 1;

Lpc scaled(const Lpc& a, float factor)
{
    Lpc out{};
    float f = factor;
    for (int i = 0; i < kOrder; ++i, f *= factor)
        out[i] = a[i] * f;
    return out;
}

std::int16_t clip16(int v)
{
    return std::int16_t(std::clamp(v, -32768, 32767));
}

double dot(const float* a, const float* b, int n)
{
    double s = 0;
    for (int i = 0; i < n; ++i)
        s += double(a[i]) * b[i];
    return s;
}

} // namespace

struct CG723Encoder::SubframePlan {
    int adaptiveOffset[kSubframes] = {1, 1, 1, 1};
    int adaptiveGain[kSubframes] = {};
    FixedChoice fixed[kSubframes];
};

CG723Encoder::CG723Encoder(bool voiceActivityDetection) : vadOn_(voiceActivityDetection)
{
    reset();
}

void CG723Encoder::reset()
{
    hpIn_ = hpOut_ = 0;
    lookback_.fill(0);
    prevLsp_ = dcLsp();
    spFir_.fill(0);
    spIir_.fill(0);
    weightedHistory_.fill(0);
    synMem_.fill(0);
    synthWeighted_.fill(0);
    excitation_.fill(0);
    vad_.reset();
    noise_.reset();
    lastActive_ = false;
    sidSent_ = false;
    sidCode_ = 0;
    sidLsp_ = dcLsp();
}

int CG723Encoder::frameBytes(std::uint8_t firstByte)
{
    static constexpr int kBytes[4] = {24, 20, 4, 1};
    return kBytes[firstByte & 3];
}

void CG723Encoder::highPass(const std::int16_t* samples, Frame& out)
{
    // DC removal; the excitation is in the units of the decoder's output samples.
    for (int i = 0; i < kFrameSamples; ++i) {
        float x = samples[i];
        hpOut_ = (x - hpIn_) + kHighPassPole * hpOut_;
        hpIn_ = x;
        out[i] = hpOut_;
    }
    if (!std::isfinite(hpOut_))
        hpOut_ = 0;
}

void CG723Encoder::analyse(const Frame& filtered, std::array<Lpc, 4>& unquantized, Autocorr& frameAutocorr)
{
    float buf[kHalf + kFrameSamples];
    std::copy(lookback_.begin(), lookback_.end(), buf);
    std::copy(filtered.begin(), filtered.end(), buf + kHalf);
    frameAutocorr.fill(0);
    for (int sub = 0; sub < kSubframes; ++sub) {
        Autocorr r = windowedAutocorr(buf + sub * kSubLen);
        unquantized[sub] = levinson(r);
        for (int k = 0; k <= kOrder; ++k)
            frameAutocorr[k] += r[k];
    }
}

int CG723Encoder::encodeFrame(const std::int16_t* samples, std::uint8_t* out)
{
    Frame filtered;
    highPass(samples, filtered);
    std::array<Lpc, 4> lpc;
    Autocorr frameAutocorr;
    analyse(filtered, lpc, frameAutocorr);

    // The frame coded now is delayed by one subframe behind the analysis (the look-ahead).
    Frame speech;
    std::copy(lookback_.begin() + kSubLen, lookback_.end(), speech.begin());
    std::copy(filtered.begin(), filtered.begin() + kFrameSamples - kSubLen, speech.begin() + kSubLen);
    std::copy(filtered.begin() + kHalf, filtered.end(), lookback_.begin());

    const bool active =
        !vadOn_ || vad_.decide(dot(speech.data(), speech.data(), kFrameSamples) / kFrameSamples);
    if (!active)
        return encodeSilence(speech, lpc, frameAutocorr, out);
    LspF lsp{};
    bool lspValid = lpcToLsp(lpc[3], lsp);
    return encodeActive(speech, lpc, lsp, lspValid, out);
}

void CG723Encoder::weightSpeech(const Frame& speech, const std::array<Lpc, 4>& lpc, Frame& weighted)
{
    for (int sub = 0; sub < kSubframes; ++sub) {
        wNum_[sub] = scaled(lpc[sub], kZeroFactor);
        wDen_[sub] = scaled(lpc[sub], kPoleFactor);
        for (int n = sub * kSubLen; n < (sub + 1) * kSubLen; ++n) {
            float x = speech[n];
            float y = x;
            for (int i = 0; i < kOrder; ++i)
                y += wNum_[sub][i] * spFir_[i] - wDen_[sub][i] * spIir_[i];
            std::copy_backward(spFir_.begin(), spFir_.end() - 1, spFir_.end());
            std::copy_backward(spIir_.begin(), spIir_.end() - 1, spIir_.end());
            spFir_[0] = x;
            spIir_[0] = y;
            weighted[n] = y;
        }
    }
}

int CG723Encoder::openLoopPitch(const float* buf, int start) const
{
    int best = kPitchMin;
    double bestCorr = 0, bestEnergy = 1;
    for (int lag = kPitchMin; lag <= kOpenLoopMax; ++lag) {
        double corr = dot(buf + start, buf + start - lag, kHalf);
        if (corr <= 0)
            continue;
        double energy = std::max(dot(buf + start - lag, buf + start - lag, kHalf), 1e-6);
        double score = corr * corr;
        double diff = score * bestEnergy - energy * bestCorr;
        // A lag far from the current best (a multiple) must be clearly better to win.
        if (diff > 0 && (lag - best < kPitchMin || diff > score * bestEnergy / 4)) {
            best = lag;
            bestCorr = score;
            bestEnergy = energy;
        }
    }
    return best;
}

void CG723Encoder::runChain(const float* exc, const Lpc& synth, const Lpc& num, const Lpc& den, float* synMem,
                            float* weightedHistory, float* out) const
{
    // synMem: last ten synthesized samples, newest first; weightedHistory: past weighted output,
    // oldest first, ending with the newest sample.
    float syn[kOrder + kSubLen];
    float wy[kOrder + kSubLen];
    for (int i = 0; i < kOrder; ++i) {
        syn[kOrder - 1 - i] = synMem[i];
        wy[kOrder - 1 - i] = weightedHistory[kPitchMax - 1 - i];
    }
    for (int n = 0; n < kSubLen; ++n) {
        float s = exc[n];
        for (int i = 0; i < kOrder; ++i)
            s -= synth[i] * syn[kOrder + n - 1 - i];
        syn[kOrder + n] = s;
        float w = s;
        for (int i = 0; i < kOrder; ++i)
            w += num[i] * syn[kOrder + n - 1 - i] - den[i] * wy[kOrder + n - 1 - i];
        wy[kOrder + n] = w;
        out[n] = w;
    }
    for (int i = 0; i < kOrder; ++i)
        synMem[i] = syn[kOrder + kSubLen - 1 - i];
    std::copy(weightedHistory + kSubLen, weightedHistory + kPitchMax, weightedHistory);
    std::copy(wy + kOrder, wy + kOrder + kSubLen, weightedHistory + kPitchMax - kSubLen);
}

int CG723Encoder::encodeActive(const Frame& speech, const std::array<Lpc, 4>& lpc, const LspF& lsp,
                               bool lspValid, std::uint8_t* out)
{
    std::array<int, 3> lspIndex{0, 0, 0};
    LspF target = lsp;
    if (!lspValid)
        for (int i = 0; i < kOrder; ++i)
            target[i] = float(prevLsp_[i]);
    lspIndex = quantizeLsp(target, prevLsp_);
    LspQ curLsp = decodeLsp(lspIndex, prevLsp_);
    for (int sub = 0; sub < kSubframes; ++sub)
        qLpc_[sub] = lspToLpc(interpolateLsp(prevLsp_, curLsp, sub));
    prevLsp_ = curLsp;

    Frame weighted;
    weightSpeech(speech, lpc, weighted);
    float buf[kPitchMax + kFrameSamples];
    std::copy(weightedHistory_.begin(), weightedHistory_.end(), buf);
    std::copy(weighted.begin(), weighted.end(), buf + kPitchMax);
    olp_[0] = openLoopPitch(buf, kPitchMax);
    olp_[1] = openLoopPitch(buf, kPitchMax + kHalf);
    for (int sub = 0; sub < kSubframes; ++sub) {
        const float* cur = buf + kPitchMax + sub * kSubLen;
        int best = -1;
        double bestScore = 0, bestEnergy = 1;
        for (int lag = olp_[sub / 2] - 3; lag <= olp_[sub / 2] + 3; ++lag) {
            double corr = dot(cur, cur - lag, kSubLen);
            double energy = dot(cur - lag, cur - lag, kSubLen);
            if (corr > 0 && corr * corr * bestEnergy > bestScore * energy) {
                best = lag;
                bestScore = corr * corr;
                bestEnergy = energy;
            }
        }
        harmLag_[sub] = best < 0 ? olp_[sub / 2] : best;
        harmGain_[sub] = 0;
        double tgt = dot(cur, cur, kSubLen);
        if (best >= 0 && bestScore > 0.375 * tgt * bestEnergy) {
            double ratio = std::sqrt(bestScore) / std::max(bestEnergy, 1e-9);
            harmGain_[sub] = kHarmonicGainMax * float(std::min(ratio, 1.0));
        }
        for (int n = 0; n < kSubLen; ++n)
            weightedTarget_[sub * kSubLen + n] = cur[n] - harmGain_[sub] * cur[n - harmLag_[sub]];
    }
    std::copy(buf + kFrameSamples, buf + kFrameSamples + kPitchMax, weightedHistory_.begin());

    SubframePlan plan;
    for (int sub = 0; sub < kSubframes; ++sub)
        codeSubframe(sub, plan);
    noise_.onActiveFrame();
    lastActive_ = true;

    BitWriter bits(out, kActiveBytes);
    bits.put(kTypeActiveLow, 2);
    bits.put(unsigned(lspIndex[2]), 8);
    bits.put(unsigned(lspIndex[1]), 8);
    bits.put(unsigned(lspIndex[0]), 8);
    bits.put(unsigned(pitchLag_[0] - kPitchMin), 7);
    bits.put(unsigned(plan.adaptiveOffset[1]), 2);
    bits.put(unsigned(pitchLag_[1] - kPitchMin), 7);
    bits.put(unsigned(plan.adaptiveOffset[3]), 2);
    for (int sub = 0; sub < kSubframes; ++sub)
        bits.put(unsigned(plan.adaptiveGain[sub] * 24 + plan.fixed[sub].gainIndex), 12);
    for (int sub = 0; sub < kSubframes; ++sub)
        bits.put(unsigned(plan.fixed[sub].grid), 1);
    for (int sub = 0; sub < kSubframes; ++sub) {
        unsigned pos = 0;
        for (int t = 0; t < 4; ++t)
            pos |= unsigned(plan.fixed[sub].track[t]) << (3 * t);
        bits.put(pos, 12);
    }
    for (int sub = 0; sub < kSubframes; ++sub) {
        unsigned sign = 0;
        for (int t = 0; t < 4; ++t)
            sign |= unsigned(plan.fixed[sub].positive[t]) << t;
        bits.put(sign, 4);
    }
    return kActiveBytes;
}

void CG723Encoder::codeSubframe(int sub, SubframePlan& plan)
{
    // Impulse response of synthesis, weighting and harmonic shaping.
    SubVector h{};
    {
        float impulse[kSubLen] = {1.0f};
        float zeroSyn[kOrder] = {};
        float zeroHist[kPitchMax] = {};
        runChain(impulse, qLpc_[sub], wNum_[sub], wDen_[sub], zeroSyn, zeroHist, h.data());
        for (int n = kSubLen - 1; n >= harmLag_[sub]; --n)
            h[n] -= harmGain_[sub] * h[n - harmLag_[sub]];
    }
    // Target: shaped weighted speech minus the chain's response to its own memory.
    SubVector target{};
    {
        float zero[kSubLen] = {};
        float syn[kOrder];
        float hist[kPitchMax];
        std::copy(synMem_.begin(), synMem_.end(), syn);
        std::copy(synthWeighted_.begin(), synthWeighted_.end(), hist);
        float zir[kSubLen];
        runChain(zero, qLpc_[sub], wNum_[sub], wDen_[sub], syn, hist, zir);
        for (int n = 0; n < kSubLen; ++n) {
            int back = n - harmLag_[sub];
            float past = back >= 0 ? zir[back] : synthWeighted_[kPitchMax + back];
            target[n] = weightedTarget_[sub * kSubLen + n] - (zir[n] - harmGain_[sub] * past);
        }
    }

    int base, count;
    if (sub % 2 == 0) {
        // Even subframes send their lag whole, so the closed loop may stray a little further.
        base = std::clamp(olp_[sub / 2] - 1, kPitchMin + 1, kPitchMax - 2 - kEvenLagSpread);
        count = kEvenLagSpread;
    } else {
        base = pitchLag_[sub / 2];
        count = 4;
    }
    // The shortlisted predictor choices are finished with their pulses; the lowest total error wins.
    const AdaptiveShortlist shortlist = searchAdaptive(excitation_, target, h, base, count);
    double bestError = 1e300;
    std::array<std::int16_t, kSubLen> bestExc{};
    for (const AdaptiveChoice& acb : shortlist) {
        if (acb.error >= 1e299)
            continue;
        const int lag = base + acb.lagOffset - 1;
        auto adaptive = adaptiveVector(excitation_, lag, acb.gainIndex);
        SubVector rest = target;
        for (int n = 0; n < kSubLen; ++n) {
            float s = 0;
            for (int m = 0; m <= n; ++m)
                s += adaptive[m] * h[n - m];
            rest[n] -= s;
        }
        const int sharpenLag = lag + kPitchContrib[acb.gainIndex][0];
        const int sharpenGain = kPitchContrib[acb.gainIndex][1];
        SubVector sharpened = h;
        if (sharpenLag < kSubLen - 2)
            for (int n = sharpenLag; n < kSubLen; ++n)
                sharpened[n] += sharpenGain / 32768.0f * sharpened[n - sharpenLag];
        FixedChoice fixed = searchFixed(rest, sharpened);
        const double amp = 2.0 * kFixedGain[fixed.gainIndex];
        const double error =
            dot(rest.data(), rest.data(), kSubLen) - 2 * amp * fixed.correlation + amp * amp * fixed.energy;
        if (error >= bestError)
            continue;
        bestError = error;
        if (sub % 2 == 0) {
            pitchLag_[sub / 2] = lag;
            plan.adaptiveOffset[sub] = 1;
        } else {
            plan.adaptiveOffset[sub] = acb.lagOffset;
        }
        plan.adaptiveGain[sub] = acb.gainIndex;
        plan.fixed[sub] = fixed;
        auto pulses = fixedVector(fixed, sharpenLag, sharpenGain);
        for (int n = 0; n < kSubLen; ++n)
            bestExc[n] = clip16(clip16(pulses[n] * 2) + adaptive[n]);
    }
    advanceChain(bestExc, sub);
}

void CG723Encoder::advanceChain(const std::array<std::int16_t, kSubLen>& exc, int sub)
{
    float x[kSubLen];
    for (int n = 0; n < kSubLen; ++n)
        x[n] = exc[n];
    float out[kSubLen];
    runChain(x, qLpc_[sub], wNum_[sub], wDen_[sub], synMem_.data(), synthWeighted_.data(), out);
    for (float& v : synMem_)
        if (!std::isfinite(v))
            v = 0;
    pushExcitation(exc.data(), kSubLen);
}

void CG723Encoder::pushExcitation(const std::int16_t* exc, int count)
{
    std::copy(excitation_.begin() + count, excitation_.end(), excitation_.begin());
    std::copy(exc, exc + count, excitation_.end() - count);
}
