#pragma once

#include <array>
#include <cstdint>

// Excitation of one 60-sample subframe: the decoder-exact construction of the adaptive and fixed
// codebook vectors, and the encoder's searches for both.
namespace cm::g723 {

inline constexpr int kSubLen = 60;
inline constexpr int kPitchMax = 145;
inline constexpr int kPitchMin = 18;
inline constexpr int kTaps = 5;

using SubVector = std::array<float, kSubLen>;
using ExcHistory = std::array<std::int16_t, kPitchMax>;

// The 64 past-excitation samples the 5-tap predictor reads for a lag (periodically extended).
std::array<std::int16_t, kSubLen + kTaps - 1> pastExcitation(const ExcHistory& history, int lag);
// Adaptive codebook vector as the decoder computes it.
std::array<std::int16_t, kSubLen> adaptiveVector(const ExcHistory& history, int lag, int gainIndex);

inline constexpr int kAdaptiveCandidates = 1;

struct AdaptiveChoice {
    int lagOffset = 1; // lag = base + offset - 1
    int gainIndex = 0;
    double error = 1e300; // weighted error left by this choice alone (relative)
};
using AdaptiveShortlist = std::array<AdaptiveChoice, kAdaptiveCandidates>;
// Best lags (among count offsets from base - 1) and predictor entries for the target under impulse h,
// best first; unused places keep an infinite error.
AdaptiveShortlist searchAdaptive(const ExcHistory& history, const SubVector& target, const SubVector& h,
                                 int base, int count);

struct FixedChoice {
    int grid = 0;
    std::array<int, 4> track{}; // position index within each track (0..7)
    std::array<int, 4> positive{};
    int gainIndex = 0;
    double correlation = 0; // target . filtered pulses (unit amplitude)
    double energy = 0;      // energy of the filtered pulses (unit amplitude)
};
// Four-pulse algebraic codebook search (sharpened impulse response h) and gain quantisation.
FixedChoice searchFixed(const SubVector& target, const SubVector& h);
// Pulse vector as the decoder builds it, including pitch sharpening (lag >= 58 disables it).
std::array<std::int16_t, kSubLen> fixedVector(const FixedChoice& choice, int sharpenLag, int sharpenGain);

} // namespace cm::g723
