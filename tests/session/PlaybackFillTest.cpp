// The fill of a play or an export: which range it covers, what each track becomes, where the blinks
// fall, which pictures and clips reach the schedule, and the preview's demonstrations.
#include "session/PlaybackFill.h"

#include "documents/ProjectStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

constexpr std::int32_t kTenSeconds = 160000;

BlinkRandom constantRandom(int value)
{
    return [value] { return value; };
}

struct Filled {
    CFapMixer mixer{ExpressionRows{}};
    CEventSequencer schedule;
    PlaybackFillLog log;
    std::uint32_t stopAt = 0;

    void fill(const TimelineData& timeline, const PlaybackRange& range, const BlinkRandom& random,
              const MediaFiles& files = {})
    {
        log = {};
        stopAt = fillPlayback(timeline, files, mixer, schedule, range, random, &log);
    }
};

std::vector<FilledEvent> eventsOf(const PlaybackFillLog& log, FilledEvent::Kind kind)
{
    std::vector<FilledEvent> events;
    for (const FilledEvent& event : log.events)
        if (event.kind == kind)
            events.push_back(event);
    return events;
}

TEST(PlaybackFill, RangeIsTheSelectionOrElseTheWholeVoice)
{
    struct Case {
        const char* name;
        std::int32_t selStart, selEnd;
        std::uint32_t startMs, endMs;
    };
    const Case cases[] = {
        {"nothing selected", 0, 0, 0, 10000},  {"an empty selection inside", 4000, 4000, 0, 10000},
        {"one sample", 500, 501, 0, 10000},    {"two samples", 3215, 3217, 200, 201},
        {"a selection", 3200, 9600, 200, 600}, {"a selection past the voice end", 16000, 400000, 1000, 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimelineData timeline;
        timeline.setSampleCount(kTenSeconds);
        timeline.setSelection(c.selStart, c.selEnd);
        const PlaybackRange range = selectionRange(timeline);
        EXPECT_EQ(range.startMs, c.startMs);
        EXPECT_EQ(range.endMs, c.endMs);
        Filled filled;
        filled.fill(timeline, range, constantRandom(0));
        EXPECT_EQ(filled.stopAt, c.endMs - 1);
    }
    TimelineData silent;
    EXPECT_EQ(wholeVoiceRange(silent).endMs, 0u);
    Filled filled;
    filled.fill(silent, wholeVoiceRange(silent), constantRandom(0));
    EXPECT_EQ(filled.stopAt, 0u);
}

TEST(PlaybackFill, StartsFromAnEmptyMixerAndSchedule)
{
    Filled filled;
    filled.mixer.addViseme(3, 63, 0, 100);
    filled.schedule.addImage("/old.jpg", 0);
    TimelineData empty;
    filled.fill(empty, {0, 500}, constantRandom(0));
    EXPECT_EQ(filled.mixer.isEmpty(), 1);
    filled.schedule.setTime(1000);
    EXPECT_FALSE(filled.schedule.nextImage().has_value());
}

TEST(PlaybackFill, TracksBecomeMixerEventsInMilliseconds)
{
    TimelineData timeline;
    timeline.setSampleCount(kTenSeconds);
    struct Viseme {
        std::int32_t start, end;
        std::uint16_t viseme;
        std::int32_t weight;
        int row, intensity;
    };
    // Intensity min(63, samples x (weight x 63 / 100) / 1600), in whole numbers.
    const Viseme visemes[] = {
        {0, 800, 3, 100, 3, 31},         // 50 ms at full weight
        {800, 4000, 4, 100, 4, 63},      // 200 ms
        {4000, 5600, 5, 100, 5, 63},     // 100 ms reaches full
        {5600, 7199, 6, 100, 6, 62},     // just short of 100 ms
        {7199, 10399, 7, 50, 7, 62},     // 200 ms at half weight
        {10399, 11039, 8, 50, 8, 12},    // 40 ms at half weight
        {11039, 12000, 9, 0, 9, 0},      // no weight
        {12000, 14000, 255, 100, 0, 63}, // a syllable without a viseme keeps the mouth neutral
    };
    for (const Viseme& v : visemes) {
        timeline.setSelection(v.start, v.end);
        VisemeItem* item = timeline.insertViseme();
        ASSERT_NE(item, nullptr);
        item->viseme = v.viseme;
        item->weight = v.weight;
    }
    struct Expression {
        std::int32_t start, end;
        std::uint32_t expression;
        std::int32_t intensity;
        int expected;
    };
    const Expression expressions[] = {{0, 16000, 1, 100, 63},
                                      {16000, 32000, 2, 50, 31},
                                      {32000, 48000, 3, 40, 25},
                                      {48000, 64000, 4, 0, 0}};
    for (const Expression& e : expressions) {
        timeline.setSelection(e.start, e.end);
        ExpressionItem* item = timeline.insertExpression();
        ASSERT_NE(item, nullptr);
        item->expression = e.expression;
        item->intensity = e.intensity;
    }
    timeline.setSelection(0, 8000);
    HeadTurnKey* key = timeline.insertHeadTurn();
    ASSERT_NE(key, nullptr);
    *key = {0, 8000, 8000, 10, -20, 30, {}};
    timeline.setSelection(0, 0);

    Filled filled;
    filled.fill(timeline, selectionRange(timeline), constantRandom(0));
    const auto filledVisemes = eventsOf(filled.log, FilledEvent::Kind::viseme);
    ASSERT_EQ(filledVisemes.size(), std::size(visemes));
    for (std::size_t i = 0; i < filledVisemes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(filledVisemes[i].row, visemes[i].row);
        EXPECT_EQ(filledVisemes[i].intensity, visemes[i].intensity);
        EXPECT_EQ(filledVisemes[i].start, std::uint32_t(visemes[i].start / 16));
        EXPECT_EQ(filledVisemes[i].duration, std::uint32_t((visemes[i].end - visemes[i].start) / 16));
    }
    const auto filledExpressions = eventsOf(filled.log, FilledEvent::Kind::expression);
    ASSERT_EQ(filledExpressions.size(), std::size(expressions));
    for (std::size_t i = 0; i < filledExpressions.size(); ++i) {
        EXPECT_EQ(filledExpressions[i].row, int(expressions[i].expression));
        EXPECT_EQ(filledExpressions[i].intensity, expressions[i].expected);
        EXPECT_EQ(filledExpressions[i].start, std::uint32_t(i * 1000));
        EXPECT_EQ(filledExpressions[i].duration, 1000u);
    }
    const auto turns = eventsOf(filled.log, FilledEvent::Kind::turn);
    ASSERT_EQ(turns.size(), 1u);
    EXPECT_EQ(turns[0].pitch, 10);
    EXPECT_EQ(turns[0].yaw, -20);
    EXPECT_EQ(turns[0].roll, 30);
    EXPECT_EQ(turns[0].duration, 500u);
    // Expressions, visemes, head turns, then blinks, each in track order.
    EXPECT_EQ(filled.log.events.front().kind, FilledEvent::Kind::expression);
    EXPECT_EQ(filled.log.events[4].kind, FilledEvent::Kind::viseme);
    EXPECT_EQ(filled.log.events[12].kind, FilledEvent::Kind::turn);
    EXPECT_EQ(filled.log.events.back().kind, FilledEvent::Kind::blink);

    // What the log shows is what the mixer got: the 200-ms viseme at its midpoint, fully faded in.
    filled.mixer.setClock(150);
    FapFrame frame{};
    filled.mixer.computeFrame(frame);
    EXPECT_EQ(frame[0] & 0xFFFFFF, 4 << 16 | 63); // next row 4 at weight 63
}

TEST(PlaybackFill, BlinksFallInsideTheRangeAtNaturalGaps)
{
    int flip = 0;
    struct Case {
        const char* name;
        std::uint32_t startMs, endMs;
        BlinkRandom random;
        int expectedBlinks; // -1: only the rules are checked
    };
    const Case cases[] = {
        {"shortest gaps", 0, 10000, constantRandom(0), 24}, // 400, 800 ... 9600 (9600 + 360 < 10000)
        {"only the low bits count", 0, 10000, constantRandom(64 * 5), 24},
        {"longest gaps", 1000, 11000, constantRandom(63), 3}, // 3500, 6000, 8500; 11000 + 360 reaches
        {"a blink that just fits", 1000, 1761, constantRandom(0), 1},
        {"a blink that reaches the end", 1000, 1760, constantRandom(0), 0},
        {"too short for any", 200, 601, constantRandom(0), 0},
        {"empty range", 0, 0, constantRandom(0), 0},
        {"alternating", 0, 20000, [&flip] { return (flip ^= 63); }, -1},
        {"seeded", 2000, 60000, seededBlinkRandom(1), -1},
        {"another seed", 0, 60000, seededBlinkRandom(12345), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimelineData timeline;
        timeline.setSampleCount(kTenSeconds * 10);
        Filled filled;
        filled.fill(timeline, {c.startMs, c.endMs}, c.random);
        const auto blinks = eventsOf(filled.log, FilledEvent::Kind::blink);
        ASSERT_EQ(blinks.size() % 2, 0u);
        if (c.expectedBlinks >= 0) {
            EXPECT_EQ(int(blinks.size() / 2), c.expectedBlinks);
        }
        std::uint32_t previous = c.startMs;
        for (std::size_t i = 0; i < blinks.size(); i += 2) {
            const FilledEvent& closing = blinks[i];
            const FilledEvent& opening = blinks[i + 1];
            SCOPED_TRACE(closing.start);
            EXPECT_EQ(closing.row, 1);
            EXPECT_EQ(opening.row, 0);
            EXPECT_EQ(closing.intensity, 63);
            EXPECT_EQ(opening.intensity, 63);
            EXPECT_EQ(closing.duration, 180u);
            EXPECT_EQ(opening.duration, 180u);
            EXPECT_EQ(opening.start, closing.start + 180);
            EXPECT_GE(closing.start, previous + 400);
            EXPECT_LE(closing.start, previous + 2500);
            EXPECT_LT(closing.start + 360, c.endMs);
            previous = closing.start;
        }
    }
    // Both ends of the gap occur under a seeded generator.
    TimelineData timeline;
    Filled filled;
    filled.fill(timeline, {0, 4000000}, seededBlinkRandom(7));
    const auto blinks = eventsOf(filled.log, FilledEvent::Kind::blink);
    std::uint32_t shortest = UINT32_MAX, longest = 0;
    for (std::size_t i = 2; i < blinks.size(); i += 2) {
        shortest = std::min(shortest, blinks[i].start - blinks[i - 2].start);
        longest = std::max(longest, blinks[i].start - blinks[i - 2].start);
    }
    EXPECT_EQ(shortest, 400u);
    EXPECT_EQ(longest, 2500u);
}

void placeImage(TimelineData& timeline, std::int32_t at, const char* name)
{
    timeline.setSelection(at, at);
    EventItem* event = timeline.insertPointEvent(kImageEvent);
    ASSERT_NE(event, nullptr);
    std::snprintf(event->name, sizeof event->name, "%s", name);
}

void placeSound(TimelineData& timeline, std::int32_t start, std::int32_t end, const char* name, int volume)
{
    timeline.setSelection(start, end);
    SoundItem* item = timeline.insertSound();
    ASSERT_NE(item, nullptr);
    std::snprintf(item->name, sizeof item->name, "%s", name);
    item->volume = volume;
}

TEST(PlaybackFill, PicturesWithinTheRangeAndClipsOfTheProjectsLists)
{
    ProjectStore store;
    ASSERT_TRUE(store.addBackground("/pics/studio.jpg", "Studio", false));
    ASSERT_TRUE(store.addBackground("/pics/beach.jpg", "Beach", false));
    ASSERT_TRUE(store.addSoundClip("/clips/clap.wav", "Clap", false));

    TimelineData timeline;
    timeline.setSampleCount(kTenSeconds);
    struct Image {
        std::int32_t at;
        const char* name;
        bool kept;
    };
    // The range is [200, 600] ms; a picture counts by its time in whole milliseconds.
    const Image images[] = {
        {3199, "Studio", false},  // 199 ms
        {3200, "Studio", true},   // 200 ms, the range's start
        {4000, "Nowhere", false}, // no such picture
        {4800, "beach", true},    // names match ignoring case
        {9615, "Studio", true},   // 600 ms, the range's end
        {9616, "Beach", false},   // 601 ms
    };
    for (const Image& image : images)
        placeImage(timeline, image.at, image.name);
    timeline.setSelection(100, 100);
    ASSERT_NE(timeline.insertPointEvent(kMarkerEvent), nullptr);
    placeSound(timeline, 0, 1600, "clap", 40);         // before the range: still scheduled
    placeSound(timeline, 1600, 3200, "Applause", 100); // not in the list
    placeSound(timeline, 8000, 24000, "Clap", 100);
    timeline.setSelection(3200, 9600);

    Filled filled;
    filled.fill(timeline, selectionRange(timeline), constantRandom(0), mediaFilesOf(store));
    std::vector<std::int32_t> times;
    for (const Image& image : images)
        if (image.kept)
            times.push_back(image.at / 16);
    ASSERT_EQ(filled.log.images.size(), times.size());
    const char* paths[] = {"/pics/studio.jpg", "/pics/beach.jpg", "/pics/studio.jpg"};
    for (std::size_t i = 0; i < times.size(); ++i) {
        EXPECT_EQ(filled.log.images[i].time, times[i]);
        EXPECT_EQ(filled.log.images[i].path, paths[i]);
    }
    EXPECT_EQ(filled.log.images[1].name, "beach");
    ASSERT_EQ(filled.log.sounds.size(), 2u);
    EXPECT_EQ(filled.log.sounds[0].clip, "clap");
    EXPECT_EQ(filled.log.sounds[0].path, "/clips/clap.wav");
    EXPECT_EQ(filled.log.sounds[0].volume, 40);
    EXPECT_EQ(filled.log.sounds[0].start, 0);
    EXPECT_EQ(filled.log.sounds[0].length, 100);
    EXPECT_EQ(filled.log.sounds[1].start, 500);
    EXPECT_EQ(filled.log.sounds[1].length, 1000);

    // The schedule hands the pictures out at their times.
    for (std::size_t i = 0; i < 2; ++i) {
        filled.schedule.setTime(times[i] - 1);
        EXPECT_FALSE(filled.schedule.nextImage().has_value());
        filled.schedule.setTime(times[i]);
        EXPECT_EQ(filled.schedule.nextImage().value_or(""), paths[i]);
    }

    // The media alone, as a mix of sound without a face uses it, adds the same and leaves the mixer be.
    CEventSequencer schedule;
    PlaybackFillLog log;
    scheduleMedia(timeline, mediaFilesOf(store), schedule, selectionRange(timeline), &log);
    EXPECT_EQ(log.images.size(), times.size());
    EXPECT_EQ(log.sounds.size(), 2u);
    EXPECT_TRUE(log.events.empty());
}

TEST(PlaybackFill, DemonstrationsPlayUntilTheirEventsAreUsedUp)
{
    struct Case {
        const char* name;
        void (*fill)(CFapMixer&);
        std::uint32_t at;
        std::size_t entry;
        int value;
        std::uint32_t over;
    };
    const Case cases[] = {
        {"mouth", fillMouthDemo, 350, 0, 10 << 16 | 31, 851},
        {"blink", fillBlinkDemo, 350, 18, 971, 851},
        {"head", fillHeadDemo, 600, 47, 40 * CFapMixer::kHeadTurnScale, 3101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFapMixer mixer{ExpressionRows{}};
        mixer.addExpression(1, 63, 0, 100000); // left from an earlier play
        c.fill(mixer);
        FapFrame frame{};
        mixer.setClock(c.at);
        EXPECT_EQ(mixer.computeFrame(frame), 1);
        EXPECT_EQ(frame[c.entry], c.value);
        mixer.setClock(c.over - 1);
        EXPECT_EQ(mixer.computeFrame(frame), 1);
        mixer.setClock(c.over);
        EXPECT_EQ(mixer.computeFrame(frame), 0);
    }
}

} // namespace
