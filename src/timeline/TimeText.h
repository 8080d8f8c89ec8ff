#pragma once

#include <cstdint>
#include <string>

enum class TimeTextMode { Seconds, Clock };

// A timeline time (samples at 16 kHz) as the track window shows it: "1.250" in seconds mode,
// "01:2.500" or "01:00:0.000" in clock mode.
std::string timeText(std::int64_t samples, TimeTextMode mode);
