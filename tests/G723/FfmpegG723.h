#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reference side for the speech coder's tests and benchmarks: FFmpeg's G.723.1 decoder and its
// 6.3 kbit/s encoder, plus the quality measure.
namespace g723ref {

struct Decoded {
    std::vector<std::int16_t> pcm;
    int errors = 0;    // packets the decoder refused or failed on
    int frames = 0;    // packets handed to the decoder
    int truncated = 0; // trailing bytes that did not make up a whole frame
};

// Splits a raw stream by the type bits of each frame and decodes it.
Decoded decode(const std::vector<std::uint8_t>& stream, bool postfilter);
// FFmpeg's own encoder at 6.3 kbit/s (the quality anchor); empty on failure.
std::vector<std::uint8_t> encodeAnchor(const std::vector<std::int16_t>& pcm);

// Segmental SNR (dB) over 240-sample segments that carry signal, at the best delay in 0..maxDelay.
double segmentalSnr(const std::vector<std::int16_t>& reference, const std::vector<std::int16_t>& decoded,
                    int maxDelay = 120);

// Speech made by espeak-ng, resampled to 8 kHz; empty when the synthesiser is missing.
std::vector<std::int16_t> synthesizeSpeech(const std::string& text, const std::string& voice,
                                           int wordsPerMinute);

} // namespace g723ref
