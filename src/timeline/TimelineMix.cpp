#include "timeline/TimelineMix.h"

#include "audio/ScheduleMix.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kSamplesPerMs = 16;

} // namespace

int prepareTimelineMix(TimelineData& timeline, VoiceReader& reader, CEventSequencer& schedule,
                       const std::filesystem::path& destination, const ConversionProgress& progress)
{
    if (!timeline.openVoice(reader))
        return kWavCannotOpen;
    const auto length = std::uint32_t(timeline.sampleCount());
    auto first = std::uint32_t(timeline.selectionStart());
    auto samples = length;
    if (timeline.selectionEnd() - timeline.selectionStart() > 1) {
        // A selection reaching past the voice is cut to it; one starting beyond it has nothing to play.
        samples = std::min(std::uint32_t(timeline.selectionEnd()), length) - std::min(first, length);
        if (samples == 0 || !timeline.seekSamples(first * 2)) {
            timeline.closeVoice();
            return kWavTruncatedData;
        }
    } else {
        first = 0;
    }
    const VoiceChunkReader voice = [&timeline](std::uint8_t* buffer, std::size_t bytes) {
        const std::vector<std::uint8_t> read = timeline.readSamples(bytes);
        if (read.size() != bytes)
            return false;
        std::memcpy(buffer, read.data(), bytes);
        return true;
    };
    const int code = writeScheduleMix(voice, schedule, std::int32_t(first / kSamplesPerMs), samples,
                                      destination, progress);
    timeline.closeVoice();
    return code;
}
