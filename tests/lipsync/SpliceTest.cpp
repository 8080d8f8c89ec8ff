#include "lipsync/BlockRecognition.h"
#include "lipsync/TrackSplicer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// One converted single-symbol entry [start, end) in samples from the block start.
PhonemeEntry entry(uint32_t start, uint32_t end, const char* text)
{
    PhonemeEntry e;
    e.start = start;
    e.end = end;
    e.length = end - start;
    std::strcpy(e.syllable, text);
    std::strcpy(e.symbol, text);
    return e;
}

const char* kB = "\xA3\x74";
const char* kA = "\xA3\xAB";
const char* kM = "\xA3\x76";

void expectOrderedAndApart(const std::vector<TrackPhoneme>& track)
{
    for (size_t i = 1; i < track.size(); ++i)
        EXPECT_LE(track[i - 1].end, track[i].start) << i;
}

} // namespace

TEST(TrackSplicer, FirstBlockIsTakenWholeAndEmptyBlockChangesNothing)
{
    std::vector<TrackPhoneme> track;
    mergeBlock(track, 0, {});
    EXPECT_TRUE(track.empty());
    mergeBlock(track, 0, {entry(0, 1600, kB), entry(1600, 3200, kA)});
    ASSERT_EQ(track.size(), 2u);
    EXPECT_EQ(track[1].start, 1600u);
    EXPECT_EQ(track[1].weight, 50u);
    mergeBlock(track, 880000, {});
    EXPECT_EQ(track.size(), 2u);
}

TEST(TrackSplicer, MatchingRunInTheOverlapJoinsTheBlocks)
{
    const uint32_t b = 880000;
    std::vector<TrackPhoneme> track;
    // Old block: items around the overlap start, two of which the new block recognises alike.
    mergeBlock(track, 0, {entry(b - 3200, b - 1600, kB), entry(b + 1600, b + 4800, kA), entry(b + 4800, b + 9600, kM),
                          entry(b + 70000, b + 79000, kB)});
    // New block: the same A and M at the same times, then its own tail.
    mergeBlock(track, b, {entry(0, 1600, kM), entry(1600, 4800, kA), entry(4800, 9600, kM), entry(60000, 70000, kB),
                          entry(70000, 90000, kA), entry(200000, 210000, kB)});
    ASSERT_EQ(track.size(), 6u);
    EXPECT_EQ(track[0].start, b - 3200);
    EXPECT_EQ(track[1].start, b + 1600);  // the run's first pair starts the new part
    EXPECT_EQ(track[3].start, b + 60000); // the old block's tail gave way to the new block
    EXPECT_EQ(track.back().start, b + 200000);
    expectOrderedAndApart(track);
}

TEST(TrackSplicer, WithoutAMatchTheMiddleOfTheOverlapSplits)
{
    const uint32_t b = 880000;
    std::vector<TrackPhoneme> track;
    mergeBlock(track, 0, {entry(b - 3200, b - 1600, kB), entry(b + 10000, b + 20000, kA),
                          entry(b + 30000, b + 41000, kM), entry(b + 60000, b + 70000, kB)});
    mergeBlock(track, b, {entry(10000, 19000, kM), entry(45000, 50000, kA), entry(60500, 70000, kB)});
    // Old items through the syllable starting at or before B + 40,000; new ones from after 40,000.
    ASSERT_EQ(track.size(), 5u);
    EXPECT_EQ(track[2].start, b + 30000);
    EXPECT_EQ(track[3].start, b + 45000);
    EXPECT_EQ(track[4].start, b + 60500);
    expectOrderedAndApart(track);
}

TEST(TrackSplicer, OpenCasesKeepTheOldTrackAndContinueAfterIt)
{
    const uint32_t b = 880000;
    std::vector<TrackPhoneme> track;
    mergeBlock(track, 0, {entry(100, 200, kB), entry(b + 50000, b + 60000, kA)});
    // No new syllable after the middle of the overlap, and nothing old before it in the overlap either.
    mergeBlock(track, b, {entry(1000, 20000, kM), entry(55000, 65000, kB), entry(70000, 75000, kA)});
    ASSERT_EQ(track.size(), 3u);
    EXPECT_EQ(track[1].start, b + 50000);
    EXPECT_EQ(track[2].start, b + 70000); // entries starting inside the last kept item are dropped
    expectOrderedAndApart(track);
}
