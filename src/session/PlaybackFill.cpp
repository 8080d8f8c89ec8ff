#include "session/PlaybackFill.h"

#include "documents/ProjectStore.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kSamplesPerMs = 16;
constexpr int kFullIntensity = 63;

std::string fieldText(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::uint32_t toMs(std::uint32_t samples)
{
    return samples / kSamplesPerMs;
}

// Every add of the media goes through here, so the log is exactly what the schedule got.
class MediaTarget {
public:
    MediaTarget(CEventSequencer& schedule, PlaybackFillLog* log) : schedule_(schedule), log_(log) {}

    void image(const std::string& name, const std::filesystem::path& path, std::int32_t time)
    {
        schedule_.addImage(path, time);
        if (log_)
            log_->images.push_back({time, name, path});
    }

    void sound(const std::string& clip, const std::filesystem::path& path, std::int32_t volume,
               std::int32_t start, std::int32_t length)
    {
        schedule_.addSound(path, volume, start, length);
        if (log_)
            log_->sounds.push_back({clip, path, volume, start, length});
    }

private:
    CEventSequencer& schedule_;
    PlaybackFillLog* log_;
};

void addMedia(const TimelineData& timeline, const MediaFiles& files, const PlaybackRange& range,
              MediaTarget& target)
{
    for (const EventItem& event : timeline.events().records()) {
        const std::uint32_t time = toMs(event.start);
        if (event.kind != kImageEvent || time < range.startMs || time > range.endMs)
            continue;
        const std::string name = fieldText(event.name, sizeof event.name);
        if (const auto path = files.image ? files.image(name) : std::nullopt)
            target.image(name, *path, std::int32_t(time));
    }
    for (const SoundItem& item : timeline.sounds().records()) {
        const std::string name = fieldText(item.name, sizeof item.name);
        if (const auto path = files.clip ? files.clip(name) : std::nullopt)
            target.sound(name, *path, item.volume, std::int32_t(toMs(item.start)),
                         std::int32_t(toMs(item.length)));
    }
}

NamedFileLookup listLookup(const AssetList& list)
{
    return [&list](const std::string& name) -> std::optional<std::filesystem::path> {
        std::string path = list.findPath(name);
        if (path.empty())
            return std::nullopt;
        return std::filesystem::path(path);
    };
}

} // namespace

MediaFiles mediaFilesOf(const ProjectStore& store)
{
    return {listLookup(store.soundClips()), listLookup(store.backgrounds())};
}

std::uint32_t fillPlayback(const TimelineData& timeline, const MediaFiles& files, CFapMixer& mixer,
                           CEventSequencer& schedule, const PlaybackRange& range, const BlinkRandom& random,
                           PlaybackFillLog* log)
{
    // clear, not only reset: a second play must not find the first play's entries still queued.
    schedule.clear();
    fillFaceEvents(timeline, mixer, range, random, log ? &log->events : nullptr);
    MediaTarget target(schedule, log);
    addMedia(timeline, files, range, target);
    return range.endMs > 0 ? range.endMs - 1 : 0;
}

void scheduleMedia(const TimelineData& timeline, const MediaFiles& files, CEventSequencer& schedule,
                   const PlaybackRange& range, PlaybackFillLog* log)
{
    MediaTarget target(schedule, log);
    addMedia(timeline, files, range, target);
}

void fillMouthDemo(CFapMixer& mixer)
{
    mixer.clear();
    mixer.addViseme(10, 31, 100, 500);
    mixer.addViseme(0, 31, 600, 500);
}

void fillBlinkDemo(CFapMixer& mixer)
{
    mixer.clear();
    mixer.addBlink(1, kFullIntensity, 100, 500);
    mixer.addBlink(0, kFullIntensity, 600, 500);
}

void fillHeadDemo(CFapMixer& mixer)
{
    struct Turn {
        int pitch, yaw, roll;
    };
    constexpr Turn kTurns[] = {{40, 0, 0}, {-40, 0, 0}, {0, 0, 0}, {0, 40, 0}, {0, -40, 0}, {0, 0, 0}};
    mixer.clear();
    std::uint32_t start = 100;
    for (const Turn& turn : kTurns) {
        mixer.addHeadTurn(turn.pitch, turn.yaw, turn.roll, start, 500);
        start += 500;
    }
}
