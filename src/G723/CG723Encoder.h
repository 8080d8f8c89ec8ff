#pragma once

#include "G723/ComfortNoise.h"
#include "G723/Excitation.h"
#include "G723/LpcTools.h"
#include "G723/VoiceActivity.h"

#include <array>
#include <cstdint>

// Encoder of ITU-T G.723.1 at 5.3 kbit/s with Annex A silence compression.
class CG723Encoder {
public:
    static constexpr int kFrameSamples = 240;
    static constexpr int kMaxFrameBytes = 20;
    static constexpr int kActiveBytes = 20;
    static constexpr int kSilenceBytes = 4;
    static constexpr int kUntransmittedBytes = 1;

    explicit CG723Encoder(bool voiceActivityDetection = true);

    // Back to the state of a fresh coder (also clears the detector); keeps the VAD setting.
    void reset();
    void setVoiceActivityDetection(bool on) { vadOn_ = on; }
    // Codes 240 samples (8 kHz, 16-bit) into out (room for kMaxFrameBytes); returns 20, 4 or 1.
    int encodeFrame(const std::int16_t* samples, std::uint8_t* out);

    // Byte count a frame announces in the type bits of its first byte.
    static int frameBytes(std::uint8_t firstByte);

private:
    struct SubframePlan;
    using Frame = std::array<float, kFrameSamples>;

    void highPass(const std::int16_t* samples, Frame& out);
    void analyse(const Frame& filtered, std::array<cm::g723::Lpc, 4>& unquantized,
                 cm::g723::Autocorr& frameAutocorr);
    int encodeActive(const Frame& speech, const std::array<cm::g723::Lpc, 4>& lpc, const cm::g723::LspF& lsp,
                     bool lspValid, std::uint8_t* out);
    void weightSpeech(const Frame& speech, const std::array<cm::g723::Lpc, 4>& lpc, Frame& weighted);
    int openLoopPitch(const float* buf, int start) const;
    void codeSubframe(int sub, SubframePlan& plan);
    void runChain(const float* exc, const cm::g723::Lpc& synth, const cm::g723::Lpc& num,
                  const cm::g723::Lpc& den, float* synMem, float* weightedHistory, float* out) const;
    void advanceChain(const std::array<std::int16_t, cm::g723::kSubLen>& exc, int sub);
    void pushExcitation(const std::int16_t* exc, int count);
    int encodeSilence(const Frame& speech, const std::array<cm::g723::Lpc, 4>& lpc,
                      const cm::g723::Autocorr& frameAutocorr, std::uint8_t* out);
    void followComfortNoise(const Frame& speech, const std::array<cm::g723::Lpc, 4>& lpc,
                            const cm::g723::LspQ& previous, int code);

    bool vadOn_;
    float hpIn_ = 0, hpOut_ = 0;
    std::array<float, 120> lookback_{};
    cm::g723::LspQ prevLsp_{};
    // Perceptual weighting of the input speech.
    std::array<float, cm::g723::kOrder> spFir_{}, spIir_{};
    std::array<float, cm::g723::kPitchMax> weightedHistory_{};
    // Synthesis + weighting chain driven by the coded excitation.
    std::array<float, cm::g723::kOrder> synMem_{};
    std::array<float, cm::g723::kPitchMax> synthWeighted_{};
    cm::g723::ExcHistory excitation_{};
    // Per-frame working state.
    std::array<cm::g723::Lpc, 4> qLpc_{}, wNum_{}, wDen_{};
    Frame weightedTarget_{};
    std::array<int, 2> olp_{}, pitchLag_{};
    std::array<int, 4> harmLag_{};
    std::array<float, 4> harmGain_{};
    cm::g723::VoiceActivity vad_;
    cm::g723::ComfortNoise noise_;
    bool lastActive_ = false;
    bool sidSent_ = false;
    int sidCode_ = 0;
    cm::g723::LspQ sidLsp_{};
};
