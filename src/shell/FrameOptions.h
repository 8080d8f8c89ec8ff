#pragma once

#include <cstdint>

// The five options of the Options dialog, kept by the frame and stored under "Options".
struct FrameOptions {
    int toolBarFloating = 0;
    int keepDockWindowSize = 0;
    int useMinuteUnit = 0;
    std::uint32_t indicatorColor = 0xFF3232; // 0x00BBGGRR
    std::uint32_t amplitudeColor = 0x9CB9CB;

    bool operator==(const FrameOptions&) const = default;
};
