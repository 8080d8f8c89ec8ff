#include "FakeRecogniser.h"
#include "lipsync/LipSyncAnalyzer.h"
#include "SREngine/SylRecog.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct RecordingSink : IVisemeTrackSink {
    int calls = 0;
    std::vector<TrackPhoneme> items;
    void setVisemeTrack(const std::vector<TrackPhoneme>& track) override
    {
        ++calls;
        items = track;
    }
};

// A 16 kHz mono WAV whose every sample holds its own frame number, so a fake can tell where a block is.
void writeFrameNumberedVoice(const std::filesystem::path& path, uint32_t samples, uint32_t rate = 16000)
{
    std::vector<unsigned char> bytes(44 + samples * 2);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i)); };
    std::memcpy(bytes.data(), "RIFF", 4);
    put32(4, 36 + samples * 2);
    std::memcpy(bytes.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put32(20, 1 | 1 << 16);
    put32(24, rate);
    put32(28, rate * 2);
    put32(32, 2 | 16 << 16);
    std::memcpy(bytes.data() + 36, "data", 4);
    put32(40, samples * 2);
    for (uint32_t s = 0; s < samples; ++s) {
        const auto frame = static_cast<uint16_t>(s / 160);
        bytes[44 + 2 * s] = static_cast<unsigned char>(frame);
        bytes[45 + 2 * s] = static_cast<unsigned char>(frame >> 8);
    }
    testsupport::writeBinaryFile(path, bytes);
}

// Syllables every 50 frames of the whole voice, 40 frames long, reported relative to the block.
std::vector<FakeSyllable> gridSyllables(const int16_t* samples, int count)
{
    const int first = samples[0];
    const int frames = count / 160;
    std::vector<FakeSyllable> out;
    for (int f = (first + 49) / 50 * 50; f + 40 < first + frames; f += 50)
        out.push_back({static_cast<uint16_t>(f - first), static_cast<uint16_t>(f - first + 39),
                       (f / 50) % 2 ? "\xA3\x74" : "\xA3\xAB"});
    return out;
}

} // namespace

TEST(LipSyncAnalyzer, LongVoiceIsSplicedIntoOneGapFreeTrack)
{
    testsupport::TempDir dir;
    writeFrameNumberedVoice(dir / "v.wav", 16000 * 130); // three blocks
    FakeRecogniser fake;
    fake.script = gridSyllables;
    RecordingSink sink;
    unsigned lastStep = 0;
    LipSyncAnalyzer analyzer(sink, (dir / "v.wav").string(),
                             [&](unsigned step, unsigned total, const std::string&, const std::string&) {
                                 EXPECT_EQ(total, 1000u);
                                 EXPECT_EQ(step, lastStep + 1);
                                 lastStep = step;
                                 return 1;
                             },
                             &fake, "unused.res");
    ASSERT_TRUE(analyzer.run());
    EXPECT_EQ(lastStep, 1000u);
    EXPECT_EQ(fake.blocksFinished, 3);
    EXPECT_EQ(sink.calls, 3);
    ASSERT_EQ(sink.items.size(), 13000u / 50);
    for (size_t i = 0; i < sink.items.size(); ++i) {
        EXPECT_EQ(sink.items[i].start, i * 50 * 160) << i;
        EXPECT_EQ(sink.items[i].end, i * 50 * 160 + 39 * 160) << i;
    }
}

TEST(LipSyncAnalyzer, NoSyllablesAnywhereSucceedsAndLeavesTheTrack)
{
    testsupport::TempDir dir;
    writeFrameNumberedVoice(dir / "v.wav", 16000 * 70);
    for (int count : {0, kSylNoResult}) {
        FakeRecogniser fake;
        fake.useForcedCount = true;
        fake.forcedCount = count;
        RecordingSink sink;
        LipSyncAnalyzer analyzer(sink, (dir / "v.wav").string(), nullptr, &fake, "unused.res");
        EXPECT_TRUE(analyzer.run());
        EXPECT_EQ(sink.calls, 0);
        EXPECT_EQ(fake.blocksFinished, 2);
    }
}

TEST(LipSyncAnalyzer, FailuresReturnFalse)
{
    testsupport::TempDir dir;
    writeFrameNumberedVoice(dir / "v.wav", 16000 * 3);
    writeFrameNumberedVoice(dir / "8k.wav", 8000 * 3, 8000); // frames would be timed at half speed
    testsupport::writeTextFile(dir / "text.wav", "RIFF....WAVEjunk");
    auto truncated = testsupport::readBinaryFile(dir / "v.wav");
    truncated.resize(truncated.size() - 1000); // the data chunk claims more than the file holds
    testsupport::writeBinaryFile(dir / "short.wav", truncated);
    const struct {
        std::string file;
        int initResult;
        int count;
    } cases[] = {{"missing.wav", 0, 1}, {"text.wav", 0, 1}, {"8k.wav", 0, 1},
                 {"short.wav", 0, 1},   {"v.wav", 1, 1},    {"v.wav", 0, -5}};
    for (const auto& c : cases) {
        FakeRecogniser fake;
        fake.initResult = c.initResult;
        fake.useForcedCount = c.count < 0;
        fake.forcedCount = c.count;
        fake.script = gridSyllables;
        RecordingSink sink;
        LipSyncAnalyzer analyzer(sink, (dir / c.file).string(), nullptr, &fake, "unused.res");
        EXPECT_FALSE(analyzer.run()) << c.file << c.initResult << c.count;
        EXPECT_EQ(sink.calls, 0);
    }
}

TEST(LipSyncAnalyzer, CancelDuringTheFirstBlockWaitsForItToFinish)
{
    testsupport::TempDir dir;
    writeFrameNumberedVoice(dir / "v.wav", 16000 * 120);
    FakeRecogniser fake;
    fake.delay = std::chrono::milliseconds(600);
    fake.script = gridSyllables;
    RecordingSink sink;
    LipSyncAnalyzer analyzer(sink, (dir / "v.wav").string(),
                             [](unsigned, unsigned, const std::string&, const std::string&) { return 0; }, &fake,
                             "unused.res");
    EXPECT_FALSE(analyzer.run());
    EXPECT_EQ(fake.blocksFinished, 1);
    EXPECT_EQ(sink.calls, 0);
}

TEST(LipSyncAnalyzer, TimeTextsAreHoursMinutesSeconds)
{
    EXPECT_EQ(lipSyncTimeText(0), " 00:00:00 ");
    EXPECT_EQ(lipSyncTimeText(3723999), " 01:02:03 ");
}
