#pragma once

#include <cstdint>
#include <vector>

// Input rates the resampler is meant for; outside them a caller should refuse the input, since the
// output (or the filter) would grow out of proportion.
constexpr unsigned kWmaMinInputRate = 1000;
constexpr unsigned kWmaMaxInputRate = 768000;

// Converts interleaved 16-bit audio between sample rates with a windowed-sinc filter whose cut-off
// sits below the lower of the two Nyquist frequencies. Gives round(frames * toRate / fromRate)
// frames; rates must be positive (anything else gives an empty result).
std::vector<std::int16_t> wmaResample(const std::vector<std::int16_t>& interleaved, int channels,
                                      int fromRate, int toRate);
