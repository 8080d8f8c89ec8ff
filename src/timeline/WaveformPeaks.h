#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

class TimelineData;
class VoiceReader;

// The voice's lowest and highest sample over blocks of 64 samples, read once per voice, so that
// the waveform of a long voice redraws at any zoom without reading the file again.
class WaveformPeaks {
public:
    static constexpr int kBlock = 64;

    // Reads the whole working copy through `reader`; false (and empty) when it cannot be opened.
    bool build(TimelineData& timeline, VoiceReader& reader);
    void clear();
    // Whether these peaks were read from `file` with `samples` samples.
    bool matches(const std::filesystem::path& file, std::int64_t samples) const
    {
        return file == file_ && samples == samples_;
    }
    std::int64_t samples() const { return samples_; }
    // The extremes over the blocks that [from, to) touches; both 0 for an empty range.
    void extremes(std::int64_t from, std::int64_t to, int& low, int& high) const;

private:
    std::filesystem::path file_;
    std::int64_t samples_ = -1;
    std::vector<std::int16_t> low_;
    std::vector<std::int16_t> high_;
};
