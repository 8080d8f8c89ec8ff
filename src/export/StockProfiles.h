#pragma once

#include <array>
#include <cstdint>

// One row of the fixed profile table: the audio and video settings of a quality level.
struct StockProfile {
    const char* name;
    std::int32_t audioTag;
    std::int32_t audioBitRate;
    std::int32_t sampleRate;
    std::int32_t channels;
    std::int32_t reserved; // carried by the table, read by nothing
    std::int32_t videoBitRate;
    std::int32_t width;
    std::int32_t height;
    std::int32_t framesPerSecond;
    std::int32_t keyFrameSeconds;
};

constexpr std::int32_t kWmaVersion2Tag = 353;
constexpr std::int32_t kAcelpTag = 304;
constexpr int kStockProfileCount = 9;

// The nine rows in the order the export dialog lists them.
const std::array<StockProfile, kStockProfileCount>& stockProfiles();
// Row `index`, or nullptr outside 0-8.
const StockProfile* stockProfile(int index);
// The animation stream's fixed settings at `framesPerSecond` (15 in the export).
StockProfile animationStreamProfile(std::int32_t framesPerSecond);
