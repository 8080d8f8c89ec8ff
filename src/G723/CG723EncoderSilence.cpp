// The silence side of the coder: silence-description and untransmitted frames, and keeping the
// active coder's memories in step with the decoder's comfort noise.
#include "G723/CG723Encoder.h"

#include "G723/BitWriter.h"

#include <cmath>
#include <cstdlib>

using namespace cm::g723;

namespace {

constexpr int kSubframes = 4;
// Mean LSP distance from the decoder's current description that calls for a new one.
constexpr double kSidLspChange = 700;
// Gain-code steps of level change that call for a new description.
constexpr int kSidGainChange = 2;
constexpr unsigned kTypeSilence = 2, kTypeUntransmitted = 3;

} // namespace

int CG723Encoder::encodeSilence(const Frame& speech, const std::array<Lpc, 4>& lpc,
                                const Autocorr& frameAutocorr, std::uint8_t* out)
{
    LspF lsp{};
    if (!lpcToLsp(levinson(frameAutocorr), lsp))
        for (int i = 0; i < kOrder; ++i)
            lsp[i] = float(sidSent_ ? sidLsp_[i] : prevLsp_[i]);
    const std::array<int, 3> index = quantizeLsp(lsp, prevLsp_);
    const LspQ candidate = decodeLsp(index, prevLsp_);
    const Lpc filter = lspToLpc(candidate);
    // Mean square of the prediction residual, the level the decoder's noise is scaled to.
    double energy = 0;
    for (int n = kOrder; n < kFrameSamples; ++n) {
        double e = speech[n];
        for (int i = 0; i < kOrder; ++i)
            e += filter[i] * speech[n - 1 - i];
        energy += e * e;
    }
    const int code = ComfortNoise::gainCode(energy / (kFrameSamples - kOrder));

    bool describe = !sidSent_ || lastActive_ || std::abs(code - sidCode_) > kSidGainChange;
    // A new description only when the spectrum moved away from the one the decoder is using.
    double drift = 0;
    for (int i = 0; i < kOrder; ++i)
        drift += std::fabs(lsp[i] - float(sidLsp_[i]));
    describe = describe || drift / kOrder > kSidLspChange;
    const LspQ previous = prevLsp_;
    if (describe) {
        sidLsp_ = candidate;
        sidCode_ = code;
        sidSent_ = true;
    }
    prevLsp_ = sidLsp_;
    followComfortNoise(speech, lpc, previous, describe ? code : -1);
    lastActive_ = false;

    if (!describe) {
        BitWriter bits(out, kUntransmittedBytes);
        bits.put(kTypeUntransmitted, 2);
        return kUntransmittedBytes;
    }
    BitWriter bits(out, kSilenceBytes);
    bits.put(kTypeSilence, 2);
    bits.put(unsigned(index[2]), 8);
    bits.put(unsigned(index[1]), 8);
    bits.put(unsigned(index[0]), 8);
    bits.put(unsigned(code), 6);
    return kSilenceBytes;
}

void CG723Encoder::followComfortNoise(const Frame& speech, const std::array<Lpc, 4>& lpc,
                                      const LspQ& previous, int code)
{
    // Keep every memory the active coder reads in step with what the decoder now holds.
    Frame weighted;
    weightSpeech(speech, lpc, weighted);
    float buf[kPitchMax + kFrameSamples];
    std::copy(weightedHistory_.begin(), weightedHistory_.end(), buf);
    std::copy(weighted.begin(), weighted.end(), buf + kPitchMax);
    std::copy(buf + kFrameSamples, buf + kFrameSamples + kPitchMax, weightedHistory_.begin());

    std::array<std::int16_t, kFrameSamples> exc{};
    noise_.onSilenceFrame(code, excitation_, exc);
    for (int sub = 0; sub < kSubframes; ++sub) {
        qLpc_[sub] = lspToLpc(interpolateLsp(previous, sidLsp_, sub));
        float x[kSubLen], sink[kSubLen];
        for (int n = 0; n < kSubLen; ++n)
            x[n] = exc[sub * kSubLen + n];
        runChain(x, qLpc_[sub], wNum_[sub], wDen_[sub], synMem_.data(), synthWeighted_.data(), sink);
    }
}
