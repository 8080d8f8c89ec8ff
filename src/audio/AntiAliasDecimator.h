#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Low-pass filter and decimator for sources faster than 16 kHz: removes what lies above the 8 kHz the
// working format can carry before samples are picked, so it cannot fold back into the band people hear.
// Keeps the block structure of the plain resampler: a block of n source samples gives trunc(n / ratio)
// samples, the i-th at source position ratio x i from the block's start.
class CAntiAliasDecimator {
public:
    explicit CAntiAliasDecimator(std::uint32_t sourceRate);

    // Source samples the filter needs on each side of a block.
    std::size_t reach() const { return reach_; }
    // `window` holds reach() samples before the block, its n samples, then reach() samples after it
    // (the stream's first and last samples repeated where it has none); `ratio` is the plain resampler's.
    void decimate(const std::int16_t* window, std::size_t n, double ratio,
                  std::vector<std::int16_t>& out) const;

private:
    void buildTable(double sourceRate);

    std::uint64_t stepNumerator_ = 1;   // the source step per output sample is
    std::uint64_t stepDenominator_ = 1; // stepNumerator_ / stepDenominator_, exactly
    std::size_t phases_ = 1;
    std::size_t reach_ = 0;
    std::size_t taps_ = 0;
    std::vector<std::int16_t> table_; // phases_ rows of taps_ coefficients, Q15
};
