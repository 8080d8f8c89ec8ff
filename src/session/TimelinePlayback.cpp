#include "session/TimelinePlayback.h"

#include "timeline/TimelineMix.h"

namespace {

bool startSound(TimelineData& timeline, TimelinePlayInputs& inputs, CEventSequencer& schedule,
                CStreamPlayer& sound)
{
    return inputs.voiceReader && !inputs.mixFile.empty() &&
           prepareTimelineMix(timeline, *inputs.voiceReader, schedule, inputs.mixFile) == 0 &&
           sound.open(inputs.mixFile) == 0 && sound.start();
}

} // namespace

TimelinePlayStart startTimelinePlay(CAnimPlayer& player, TimelineData& timeline, TimelinePlayInputs inputs,
                                    std::unique_ptr<CStreamPlayer>& sound)
{
    if (timeline.voiceFile().empty() || player.isPlaying())
        return TimelinePlayStart::refused;
    // The previous play's sound output is idle now that the player is.
    sound.reset();

    const PlaybackRange range = selectionRange(timeline);
    const std::uint32_t endTime =
        fillPlayback(timeline, inputs.files, player.mixer(), player.mediaSchedule(), range, inputs.blinks);

    sound = std::make_unique<CStreamPlayer>(std::move(inputs.sink));
    if (!startSound(timeline, inputs, player.mediaSchedule(), *sound)) {
        sound.reset();
        player.mixer().clear();
        player.mediaSchedule().clear();
        return TimelinePlayStart::soundFailed;
    }

    const int begin = static_cast<int>(range.startMs);
    CStreamPlayer* output = sound.get();
    player.setClock(
        [output, begin, onClock = std::move(inputs.onClock)](int code) {
            if (code == kClockNow) {
                const int now = begin + output->position();
                if (onClock)
                    onClock(now);
                return now;
            }
            if (code == kClockStopped)
                output->close();
            return 0;
        },
        true);
    player.play(true, static_cast<std::int32_t>(endTime));
    return TimelinePlayStart::started;
}
