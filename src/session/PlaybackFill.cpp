#include "session/PlaybackFill.h"

#include "documents/ProjectStore.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>

namespace {

constexpr std::uint32_t kSamplesPerMs = 16;

constexpr int kFullIntensity = 63;
constexpr std::uint32_t kBlinkHalfMs = 180;
constexpr std::uint32_t kBlinkMs = 2 * kBlinkHalfMs;
constexpr std::int64_t kShortestBlinkGapMs = 400;
constexpr std::int64_t kBlinkGapSpreadMs = 2100;
// A full-weight viseme reaches full intensity at 100 ms (1600 samples).
constexpr std::int64_t kFullVisemeSamples = 1600;

std::string fieldText(const char* field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

std::uint32_t toMs(std::uint32_t samples)
{
    return samples / kSamplesPerMs;
}

int clampToInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// The lip-sync marks a syllable it could not place with viseme 255; the mixer would clamp that to its
// last row, a rounded mouth, where the neutral mouth is meant.
int visemeRow(std::uint16_t viseme)
{
    return viseme < kVisemeRowCount ? viseme : 0;
}

// Every add of a fill goes through here, so the log is exactly what the mixer and the schedule got.
class FillTarget {
public:
    FillTarget(CFapMixer* mixer, CEventSequencer& schedule, PlaybackFillLog* log)
        : mixer_(mixer), schedule_(schedule), log_(log)
    {
    }

    void rowEvent(FilledEvent::Kind kind, int row, int intensity, std::uint32_t start, std::uint32_t duration)
    {
        if (kind == FilledEvent::Kind::expression)
            mixer_->addExpression(row, intensity, start, duration);
        else if (kind == FilledEvent::Kind::viseme)
            mixer_->addViseme(row, intensity, start, duration);
        else
            mixer_->addBlink(row, intensity, start, duration);
        if (log_) {
            FilledEvent event;
            event.kind = kind;
            event.row = row;
            event.intensity = intensity;
            event.start = start;
            event.duration = duration;
            log_->events.push_back(event);
        }
    }

    void headTurn(int pitch, int yaw, int roll, std::uint32_t start, std::uint32_t duration)
    {
        mixer_->addHeadTurn(pitch, yaw, roll, start, duration);
        if (log_) {
            FilledEvent event;
            event.kind = FilledEvent::Kind::turn;
            event.pitch = pitch;
            event.yaw = yaw;
            event.roll = roll;
            event.start = start;
            event.duration = duration;
            log_->events.push_back(event);
        }
    }

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
    CFapMixer* mixer_;
    CEventSequencer& schedule_;
    PlaybackFillLog* log_;
};

// Every item goes to the mixer, also those outside the range: the mixer drops what its clock has
// passed, and an item already under way when the range begins must still shape the face there.
void addFaceTracks(const TimelineData& timeline, FillTarget& target)
{
    for (const ExpressionItem& item : timeline.expressions().records())
        target.rowEvent(FilledEvent::Kind::expression, clampToInt(item.expression),
                        clampToInt(std::int64_t(item.intensity) * kFullIntensity / 100), toMs(item.start),
                        toMs(item.length));
    for (const VisemeItem& item : timeline.visemes().records()) {
        // Short visemes are weaker: the mouth has no time to reach the full shape.
        const std::int64_t weight = std::int64_t(item.weight) * kFullIntensity / 100;
        const std::int64_t intensity =
            std::min<std::int64_t>(kFullIntensity, std::int64_t(item.length) * weight / kFullVisemeSamples);
        target.rowEvent(FilledEvent::Kind::viseme, visemeRow(item.viseme), clampToInt(intensity),
                        toMs(item.start), toMs(item.length));
    }
    for (const HeadTurnKey& key : timeline.headTurns().records())
        target.headTurn(key.angle_a, key.angle_b, key.angle_c, toMs(key.start), toMs(key.length));
}

// A blink every 400 to 2500 ms, each one that closes and opens within the range.
void addBlinks(const PlaybackRange& range, const BlinkRandom& random, FillTarget& target)
{
    const std::int64_t end = range.endMs;
    std::int64_t t = range.startMs;
    for (;;) {
        t += std::int64_t(random() & 63) * kBlinkGapSpreadMs / 63 + kShortestBlinkGapMs;
        if (t + std::int64_t(kBlinkMs) >= end)
            break;
        target.rowEvent(FilledEvent::Kind::blink, 1, kFullIntensity, std::uint32_t(t), kBlinkHalfMs);
        target.rowEvent(FilledEvent::Kind::blink, 0, kFullIntensity, std::uint32_t(t) + kBlinkHalfMs,
                        kBlinkHalfMs);
    }
}

void addMedia(const TimelineData& timeline, const MediaFiles& files, const PlaybackRange& range,
              FillTarget& target)
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

PlaybackRange wholeVoiceRange(const TimelineData& timeline)
{
    return {0, toMs(std::uint32_t(std::max(timeline.sampleCount(), 0)))};
}

PlaybackRange selectionRange(const TimelineData& timeline)
{
    const std::int64_t start = timeline.selectionStart();
    const std::int64_t end = timeline.selectionEnd();
    if (end - start <= 1)
        return wholeVoiceRange(timeline);
    const std::int64_t voice = std::max(timeline.sampleCount(), 0);
    const auto first = std::uint32_t(std::clamp<std::int64_t>(start, 0, voice));
    const auto last = std::uint32_t(std::clamp<std::int64_t>(end, 0, voice));
    return {toMs(first), toMs(last)};
}

MediaFiles mediaFilesOf(const ProjectStore& store)
{
    return {listLookup(store.soundClips()), listLookup(store.backgrounds())};
}

BlinkRandom seededBlinkRandom(std::uint32_t seed)
{
    // mt19937's sequence for a seed is fixed by the standard, unlike rand()'s.
    return [engine = std::mt19937(seed)]() mutable { return int(engine() >> 1); };
}

std::uint32_t fillPlayback(const TimelineData& timeline, const MediaFiles& files, CFapMixer& mixer,
                           CEventSequencer& schedule, const PlaybackRange& range, const BlinkRandom& random,
                           PlaybackFillLog* log)
{
    mixer.clear();
    // clear, not only reset: a second play must not find the first play's entries still queued.
    schedule.clear();
    FillTarget target(&mixer, schedule, log);
    addFaceTracks(timeline, target);
    addBlinks(range, random, target);
    addMedia(timeline, files, range, target);
    return range.endMs > 0 ? range.endMs - 1 : 0;
}

void scheduleMedia(const TimelineData& timeline, const MediaFiles& files, CEventSequencer& schedule,
                   const PlaybackRange& range, PlaybackFillLog* log)
{
    FillTarget target(nullptr, schedule, log);
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
