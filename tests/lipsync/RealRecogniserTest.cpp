#include "lipsync/LipSyncAnalyzer.h"
#include "lipsync/PhonemeTables.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TrackSink : IVisemeTrackSink {
    std::vector<TrackPhoneme> items;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override { items = track; }
};

} // namespace

// The real recogniser over a synthesised voice of more than one block.
TEST(LipSyncWithRealRecogniser, SeventySecondVoiceGivesAnOrderedTrackAcrossTheSplice)
{
    testsupport::TempDir dir;
    const auto one = dir / "one.wav";
    const auto voice = dir / "voice.wav";
    std::string fliteLine = "flite -voice slt -t \"She sells sea shells by the sea shore, and the quick brown fox "
                            "jumps over the lazy dog while we wait for the evening train.\" -o ";
    fliteLine.append(one.string());
    auto flite = testsupport::runCommand(fliteLine);
    ASSERT_EQ(flite.status, 0) << "flite is needed";
    std::string soxLine = "sox";
    for (int i = 0; i < 12; ++i)
        soxLine.append(" ").append(one.string());
    soxLine.append(" -r 16000 -c 1 -b 16 ").append(voice.string()).append(" trim 0 70");
    auto sox = testsupport::runCommand(soxLine);
    ASSERT_EQ(sox.status, 0) << sox.err;

    TrackSink sink;
    LipSyncAnalyzer analyzer(sink, voice.string(), nullptr);
    ASSERT_TRUE(analyzer.run());
    ASSERT_GT(sink.items.size(), 200u);
    for (size_t i = 0; i < sink.items.size(); ++i) {
        const auto& item = sink.items[i];
        EXPECT_LT(item.start, item.end) << i;
        EXPECT_EQ(item.length, item.end - item.start) << i;
        EXPECT_LE(item.viseme, 14) << i;
        EXPECT_EQ(item.visemeName, visemeShortName(item.viseme)) << i;
        if (i > 0) {
            EXPECT_LE(sink.items[i - 1].end, item.start) << i;
        }
    }
    EXPECT_GT(sink.items.back().end, 65u * 16000); // the second block reached the track
}
