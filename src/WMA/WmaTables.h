#pragma once

#include <cstdint>

namespace wma {

// Exponent deltas (index = delta + 60) and high-band gain deltas (index = delta + 18).
extern const std::uint32_t kScaleCodes[121];
extern const std::uint8_t kScaleBits[121];
extern const std::uint16_t kHighGainCodes[37];
extern const std::uint8_t kHighGainBits[37];

// Run-level code of the coefficients. Symbol 0 is the escape, 1 the end of block; from 2 on the
// symbols run through level 1 with runs 0 .. runsPerLevel[0] - 1, then level 2, and so on.
struct CoefTable {
    int symbols;
    int levels;
    const std::uint32_t* codes;
    const std::uint8_t* bits;
    const std::uint16_t* runsPerLevel;
};
// [0] for channel 0 and left/right channel 1; [1] for the side channel of mid/side blocks.
extern const CoefTable kCoefTables[2];

extern const std::uint16_t kCriticalFreqs[25];
extern const std::uint8_t kBands22050[3][25];

} // namespace wma
