#include "timeline/WaveformPeaks.h"

#include "timeline/TimelineData.h"

#include <algorithm>
#include <cstring>

void WaveformPeaks::clear()
{
    file_.clear();
    samples_ = -1;
    low_.clear();
    high_.clear();
}

bool WaveformPeaks::build(TimelineData& timeline, VoiceReader& reader)
{
    clear();
    if (!timeline.openVoice(reader))
        return false;
    const std::int64_t total = timeline.sampleCount();
    const std::size_t blocks = std::size_t((total + kBlock - 1) / kBlock);
    low_.assign(blocks, 0);
    high_.assign(blocks, 0);
    constexpr std::int64_t kChunkBlocks = 4096;
    bool ok = timeline.seekSamples(0);
    for (std::int64_t first = 0; ok && first < total; first += kChunkBlocks * kBlock) {
        const std::int64_t count = std::min<std::int64_t>(kChunkBlocks * kBlock, total - first);
        const std::vector<std::uint8_t> bytes = timeline.readSamples(std::size_t(count) * 2);
        if (bytes.size() != std::size_t(count) * 2) {
            ok = false;
            break;
        }
        for (std::int64_t i = 0; i < count; ++i) {
            std::int16_t sample;
            std::memcpy(&sample, bytes.data() + 2 * i, 2);
            const std::size_t block = std::size_t((first + i) / kBlock);
            // Both extremes start at 0, as the waveform's baseline does.
            low_[block] = std::min(low_[block], sample);
            high_[block] = std::max(high_[block], sample);
        }
    }
    timeline.closeVoice();
    if (!ok) {
        clear();
        return false;
    }
    file_ = timeline.voiceFile();
    samples_ = total;
    return true;
}

void WaveformPeaks::extremes(std::int64_t from, std::int64_t to, int& low, int& high) const
{
    low = high = 0;
    from = std::max<std::int64_t>(from, 0);
    to = std::min<std::int64_t>(to, samples_);
    if (to <= from)
        return;
    const std::size_t last = std::min(std::size_t((to - 1) / kBlock), low_.size() - 1);
    for (std::size_t block = std::size_t(from / kBlock); block <= last; ++block) {
        low = std::min<int>(low, low_[block]);
        high = std::max<int>(high, high_[block]);
    }
}
