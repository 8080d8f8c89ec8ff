#include "FakeRecogniser.h"
#include "lipsync/LipSyncAnalyzer.h"
#include "timeline/TimelineData.h"
#include "lipsync/TimelineVisemeSink.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TrackPhoneme phoneme(uint32_t start, uint32_t end, const std::string& syllable = "")
{
    TrackPhoneme p;
    p.start = start;
    p.end = end;
    p.length = end - start;
    p.syllable = syllable;
    p.symbol = "\xA3\x74";
    p.phoneme = 14;
    p.viseme = 1;
    p.label = "[b]";
    p.visemeName = "pbm";
    return p;
}

void expectTrackInvariants(const TrackArray<VisemeItem>& track)
{
    for (int i = 0; i < track.count(); ++i) {
        const VisemeItem& item = *track.item(i);
        EXPECT_LT(item.start, item.end) << i;
        EXPECT_EQ(item.length, item.end - item.start) << i;
        if (i > 0) {
            EXPECT_LE(track.item(i - 1)->end, item.start) << i;
        }
    }
}

// A silent 16 kHz voice of `seconds`, put on the timeline.
void putVoice(TimelineData& timeline, const testsupport::TempDir& dir, uint32_t seconds)
{
    const auto path = dir / "voice.wav";
    const auto line = "sox -n -r 16000 -c 1 -b 16 " + path.string() + " trim 0 " + std::to_string(seconds);
    ASSERT_EQ(testsupport::runCommand(line).status, 0) << "sox is needed";
    ASSERT_TRUE(timeline.setVoice(path, static_cast<int32_t>(seconds * 16000)));
}

// Syllables every 50 frames, relative to a block that may start anywhere: frame numbers come from the
// block's sample count and a block counter, since the voice itself is silent.
struct GridByBlock {
    int block = 0;
    std::vector<FakeSyllable> operator()(const int16_t*, int count)
    {
        const int first = block++ * 5500; // later blocks start 55 s further on
        std::vector<FakeSyllable> out;
        for (int f = (first + 49) / 50 * 50; f + 40 < first + count / 160; f += 50)
            out.push_back({static_cast<uint16_t>(f - first), static_cast<uint16_t>(f - first + 39), "\xA3\xAB"});
        return out;
    }
};

} // namespace

TEST(TimelineVisemeSink, TrackKeepsItsInvariantsWhateverTheItemsLookLike)
{
    TimelineData timeline;
    timeline.setSelection(0, 100);
    ASSERT_NE(timeline.insertViseme(), nullptr); // an old item the first result must replace
    TimelineVisemeSink sink(timeline);
    sink.setVisemeTrack({phoneme(1600, 3200, "\xA3\x74\xA3\xAB"), phoneme(3200, 3200), phoneme(3000, 4800),
                         phoneme(4000, 4500), phoneme(6400, 8000)});
    const auto& track = timeline.visemes();
    ASSERT_EQ(track.count(), 3);
    expectTrackInvariants(track);
    const uint32_t spans[][2] = {{1600, 3200}, {3200, 4800}, {6400, 8000}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(track.item(i)->start, spans[i][0]) << i;
        EXPECT_EQ(track.item(i)->end, spans[i][1]) << i;
    }
    const VisemeItem& first = *track.item(0);
    EXPECT_STREQ(first.syllable, "\xA3\x74\xA3\xAB");
    EXPECT_STREQ(first.phonemeLabel, "[b]");
    EXPECT_STREQ(first.visemeShortName, "pbm");
    EXPECT_EQ(first.weight, 50);
    EXPECT_EQ(first.level, 100u);
    EXPECT_EQ(track.item(1)->syllable[0], '\0');
}

TEST(TimelineVisemeSink, OverlongTextsAreCutToTheirFields)
{
    TrackPhoneme p = phoneme(0, 160);
    p.syllable = std::string(40, 'x');
    p.label = std::string(40, 'y');
    const VisemeItem item = visemeItemOf(p);
    EXPECT_EQ(std::strlen(item.syllable), sizeof item.syllable - 1);
    EXPECT_EQ(std::strlen(item.phonemeLabel), sizeof item.phonemeLabel - 1);
}

TEST(LipSyncOnTimeline, VoiceOfTwoMinutesFillsTheTimelineTrackAcrossSplices)
{
    testsupport::TempDir dir;
    TimelineData timeline;
    putVoice(timeline, dir, 125); // three blocks, two splices
    FakeRecogniser fake;
    fake.script = GridByBlock{};
    LipSyncAnalyzer analyzer(timeline, nullptr, &fake, "unused.res");
    ASSERT_TRUE(analyzer.run());
    EXPECT_EQ(fake.blocksFinished, 3);
    const auto& track = timeline.visemes();
    ASSERT_EQ(track.count(), 12500 / 50);
    expectTrackInvariants(track);
    for (int i = 0; i < track.count(); ++i)
        ASSERT_EQ(track.item(i)->start, static_cast<uint32_t>(i) * 50 * 160) << i;
    EXPECT_EQ(track.item(track.count() - 1)->viseme, 10);
}

TEST(LipSyncOnTimeline, RunWithoutResultLeavesTheTrackAsItWas)
{
    testsupport::TempDir dir;
    TimelineData timeline;
    putVoice(timeline, dir, 2);
    timeline.setSelection(100, 900);
    ASSERT_NE(timeline.insertViseme(), nullptr);
    const struct {
        int initResult;
        int count;
        bool ok;
    } cases[] = {{0, kSylNoResult, true}, {0, 0, true}, {0, -3, false}, {1, 1, false}};
    for (const auto& c : cases) {
        FakeRecogniser fake;
        fake.initResult = c.initResult;
        fake.useForcedCount = true;
        fake.forcedCount = c.count;
        LipSyncAnalyzer analyzer(timeline, nullptr, &fake, "unused.res");
        EXPECT_EQ(analyzer.run(), c.ok) << c.count;
        ASSERT_EQ(timeline.visemes().count(), 1) << c.count;
        EXPECT_EQ(timeline.visemes().item(0)->start, 100u);
    }
}
