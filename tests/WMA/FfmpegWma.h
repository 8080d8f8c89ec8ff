#pragma once

#include "WMA/CWmaEncoder.h"

#include <cstdint>
#include <string>
#include <vector>

// Reference side of the WMA tests and benchmarks: FFmpeg's wmav2 decoder as the independent reader,
// its encoder as the peer at the rates it accepts, and the measures of the quality report.
namespace wmaref {

struct Decoded {
    std::vector<float> pcm;        // interleaved, full scale = 1
    int errors = 0;                // packets the decoder refused
    std::vector<std::string> logs; // warnings and errors FFmpeg printed while decoding
};

Decoded decode(const WmaFormat& format, const std::vector<WmaPacket>& packets);

// Our encoder over a whole signal (interleaved 16-bit).
std::vector<WmaPacket> encode(const WmaFormat& format, const std::vector<std::int16_t>& pcm);

// FFmpeg's wmav2 encoder at `bitRate` (mono); the packets and its stream's format. Empty on refusal.
struct PeerStream {
    WmaFormat format;
    std::vector<std::uint8_t> extra;
    std::vector<std::vector<std::uint8_t>> packets;
};
PeerStream encodePeer(int sampleRate, int bitRate, const std::vector<std::int16_t>& pcm);
Decoded decodePeer(const PeerStream& stream);

// Speech by espeak-ng (voice, words per minute) or flite (voice name after "flite:"), resampled by sox
// to `rate`; empty when the tool is missing.
std::vector<std::int16_t> synthesize(const std::string& text, const std::string& voice, int rate);

std::vector<float> toFloat(const std::vector<std::int16_t>& pcm);

// Measures between a reference and a decoded signal (mono, full scale = 1).
struct Quality {
    double segSnr = 0;       // dB, 20-ms segments with signal, at the best delay
    double loudnessErr = 0;  // dB, mean absolute error of the 0-4 kHz band level over voiced segments
    double envelopeCorr = 0; // correlation of 20-ms log-energy envelopes at the best alignment
    int delay = 0;           // of the envelopes' best alignment (decoded later by this many samples)
    int waveDelay = 0;       // of the best waveform match
};
Quality measure(const std::vector<float>& reference, const std::vector<float>& decoded, int rate,
                int maxDelay);

} // namespace wmaref
