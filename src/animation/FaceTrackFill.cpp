#include "animation/FaceTrackFill.h"

#include <algorithm>
#include <climits>
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

// Every add goes through here, so the log is exactly what the mixer got.
class FaceTarget {
public:
    FaceTarget(CFapMixer& mixer, std::vector<FilledEvent>* log) : mixer_(mixer), log_(log) {}

    void rowEvent(FilledEvent::Kind kind, int row, int intensity, std::uint32_t start, std::uint32_t duration)
    {
        if (kind == FilledEvent::Kind::expression)
            mixer_.addExpression(row, intensity, start, duration);
        else if (kind == FilledEvent::Kind::viseme)
            mixer_.addViseme(row, intensity, start, duration);
        else
            mixer_.addBlink(row, intensity, start, duration);
        if (log_) {
            FilledEvent event;
            event.kind = kind;
            event.row = row;
            event.intensity = intensity;
            event.start = start;
            event.duration = duration;
            log_->push_back(event);
        }
    }

    void headTurn(int pitch, int yaw, int roll, std::uint32_t start, std::uint32_t duration)
    {
        mixer_.addHeadTurn(pitch, yaw, roll, start, duration);
        if (log_) {
            FilledEvent event;
            event.kind = FilledEvent::Kind::turn;
            event.pitch = pitch;
            event.yaw = yaw;
            event.roll = roll;
            event.start = start;
            event.duration = duration;
            log_->push_back(event);
        }
    }

private:
    CFapMixer& mixer_;
    std::vector<FilledEvent>* log_;
};

// Every item goes to the mixer, also those outside the range: the mixer drops what its clock has
// passed, and an item already under way when the range begins must still shape the face there.
void addFaceTracks(const TimelineData& timeline, FaceTarget& target)
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
void addBlinks(const PlaybackRange& range, const BlinkRandom& random, FaceTarget& target)
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

BlinkRandom seededBlinkRandom(std::uint32_t seed)
{
    // mt19937's sequence for a seed is fixed by the standard, unlike rand()'s.
    return [engine = std::mt19937(seed)]() mutable { return int(engine() >> 1); };
}

void fillFaceEvents(const TimelineData& timeline, CFapMixer& mixer, const PlaybackRange& range,
                    const BlinkRandom& random, std::vector<FilledEvent>* log)
{
    mixer.clear();
    FaceTarget target(mixer, log);
    addFaceTracks(timeline, target);
    addBlinks(range, random, target);
}
