#pragma once

#include <cstdint>

namespace cm::g723 {

// Cos(2*pi*i/512) in Q14, one extra entry for interpolation.
extern const std::int16_t kCosTable[513];
// Split VQ codebook for LSPs 0..2.
extern const std::int16_t kLspBand0[256][3];
// Split VQ codebook for LSPs 3..5.
extern const std::int16_t kLspBand1[256][3];
// Split VQ codebook for LSPs 6..9.
extern const std::int16_t kLspBand2[256][4];
// Long-term mean of the LSP vector.
extern const std::int16_t kLspDc[10];
// Fixed codebook pulse amplitudes.
extern const std::int16_t kFixedGain[24];
// 5-tap pitch predictor codebook: taps in Q14 followed by 15 product terms.
extern const std::int16_t kAdaptiveGain[170][20];
// Per predictor entry: pitch-sharpening lag offset and gain (Q15).
extern const std::int16_t kPitchContrib[170][2];
// LPC analysis window in Q15.
extern const std::int16_t kHammingWindow[180];

} // namespace cm::g723
