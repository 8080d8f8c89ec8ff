#include "SREngine/RecogResources.h"
#include "SpeechSample.h"
#include "SREngine/SylRecog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// The recogniser is one global; each test leaves it destroyed.
struct SylRecogTest : ::testing::Test {
    void TearDown() override { ASTDestroy(); }
};

std::vector<std::string> textsByFrame(const std::vector<SylRecord>& records, int frames)
{
    std::vector<std::string> byFrame(static_cast<size_t>(frames));
    for (const auto& record : records) {
        char text[kSylTextCapacity];
        ASTGetSyl(record.id, text);
        for (int f = record.startFrame; f <= record.endFrame && f < frames; ++f)
            byFrame[static_cast<size_t>(f)] = text;
    }
    return byFrame;
}

} // namespace

TEST_F(SylRecogTest, CallsOutOfOrderOrWithBadArgumentsFailCleanly)
{
    int16_t samples[1600] = {};
    SylRecord record{};
    char text[kSylTextCapacity] = "x";
    EXPECT_EQ(ASTGetNumTotalSyl(), kSylNotReady);
    EXPECT_EQ(ASTSylRecogSample(samples, 1600), kSylNotReady);
    EXPECT_EQ(ASTGetResult(&record, 1), 0);
    EXPECT_EQ(ASTGetSyl(0, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_NE(ASTInit("no-such-file.res"), 0);
    EXPECT_NE(ASTInit(nullptr), 0);
    EXPECT_EQ(ASTDestroy(), 1);
}

TEST_F(SylRecogTest, InputTheRecordsCannotCarryIsRefused)
{
    ASSERT_EQ(ASTInit("SylRecog.res"), 0);
    EXPECT_GT(ASTGetNumTotalSyl(), 20);
    int16_t few[100] = {};
    EXPECT_EQ(ASTSylRecogSample(nullptr, 1600), kSylFailed);
    EXPECT_EQ(ASTSylRecogSample(few, -1), kSylFailed);
    EXPECT_EQ(ASTSylRecogSample(few, 0), kSylNoResult);
    EXPECT_EQ(ASTSylRecogSample(few, 100), kSylNoResult);
    // More frames than a uint16 frame number can name.
    std::vector<int16_t> tooLong(65536u * 160u);
    EXPECT_EQ(ASTSylRecogSample(tooLong.data(), static_cast<int>(tooLong.size())), kSylFailed);
    SylRecord record{};
    EXPECT_EQ(ASTGetResult(&record, 1), 0);
}

TEST_F(SylRecogTest, SynthesisedSentenceGivesTimedBopomofoAgreeingWithItsPhones)
{
    testsupport::TempDir dir;
    const auto speech = speechsample::synthesise(
        "The quick brown fox jumps over the lazy dog. She sells sea shells by the sea shore.", "slt",
        dir.path());
    ASSERT_FALSE(speech.samples.empty()) << "flite and sox are needed";
    ASSERT_EQ(ASTInit("SylRecog.res"), 0);
    ASTGetNumTotalSyl();
    const int n = ASTSylRecogSample(speech.samples.data(), static_cast<int>(speech.samples.size()));
    ASSERT_GT(n, 20);
    std::vector<SylRecord> records(static_cast<size_t>(n));
    ASSERT_EQ(ASTGetResult(records.data(), n), 1);

    const int frames = static_cast<int>(speech.samples.size() / 160);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_LE(records[i].startFrame, records[i].endFrame);
        EXPECT_LT(records[i].endFrame, frames);
        if (i > 0) {
            EXPECT_GT(records[i].startFrame, records[i - 1].endFrame);
        }
        char text[kSylTextCapacity];
        ASSERT_EQ(ASTGetSyl(records[i].id, text), 1);
        ASSERT_EQ(std::strlen(text), 2u);
        EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xA3);
    }

    // Frame agreement of the letters with flite's own phones, through the same table.
    sylrecog::CRecogResources table;
    ASSERT_TRUE(table.load("SylRecog.res"));
    const auto recognised = textsByFrame(records, frames);
    int agree = 0, frame = 0;
    for (const auto& phone : speech.phones)
        for (; frame < std::min(phone.endFrame, frames); ++frame)
            agree += recognised[static_cast<size_t>(frame)] == table.textOfPhone(phone.phone);
    EXPECT_GT(agree * 100 / frames, 45) << agree << " of " << frames;
}

TEST_F(SylRecogTest, SilenceGivesNoSyllablesAndIdsFollowTheLastRecognition)
{
    ASSERT_EQ(ASTInit("SylRecog.res"), 0);
    std::vector<int16_t> silence(16000 * 2);
    const int n = ASTSylRecogSample(silence.data(), static_cast<int>(silence.size()));
    EXPECT_TRUE(n == kSylNoResult || n <= 2) << n;
    char text[kSylTextCapacity] = "x";
    EXPECT_EQ(ASTGetSyl(1000, text), 0);
    EXPECT_STREQ(text, "");
}

TEST_F(SylRecogTest, ShiftedTimesStayInsideTheBlockAndInOrder)
{
    testsupport::TempDir dir;
    const auto speech = speechsample::synthesise("Bob made a map.", "kal16", dir.path());
    ASSERT_FALSE(speech.samples.empty()) << "flite and sox are needed";
    // The speech ends at the block's very end, so the last phones are pushed against it.
    std::vector<int16_t> tail(speech.samples.begin(), speech.samples.end() - 3200);
    const int frames = static_cast<int>(tail.size() / 160);
    for (int shift : {0, 10}) {
        const auto res = dir / "shifted.res";
        testsupport::writeTextFile(res, testsupport::readTextFile("SylRecog.res") + "\nshift " +
                                            std::to_string(shift) + "\n");
        ASSERT_EQ(ASTInit(res.c_str()), 0) << shift;
        ASTGetNumTotalSyl();
        const int n = ASTSylRecogSample(tail.data(), static_cast<int>(tail.size()));
        ASSERT_GT(n, 3) << shift;
        std::vector<SylRecord> records(static_cast<size_t>(n));
        ASSERT_EQ(ASTGetResult(records.data(), n), 1);
        EXPECT_GE(records[0].startFrame, shift);
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_LE(records[i].startFrame, records[i].endFrame) << shift << " " << i;
            EXPECT_LT(records[i].endFrame, frames) << shift << " " << i;
            if (i > 0) {
                EXPECT_GT(records[i].startFrame, records[i - 1].endFrame) << shift << " " << i;
            }
        }
        ASTDestroy();
    }
}

TEST_F(SylRecogTest, PhonesAfterAPauseKeepTheirTime)
{
    testsupport::TempDir dir;
    const auto speech = speechsample::synthesise("She sells sea shells.", "slt", dir.path());
    ASSERT_FALSE(speech.samples.empty()) << "flite and sox are needed";
    std::vector<int16_t> voice = speech.samples;
    voice.resize(voice.size() + 16000 * 3); // three seconds of digital silence
    voice.insert(voice.end(), speech.samples.begin(), speech.samples.end());
    ASSERT_EQ(ASTInit("SylRecog.res"), 0);
    ASTGetNumTotalSyl();
    const int n = ASTSylRecogSample(voice.data(), static_cast<int>(voice.size()));
    ASSERT_GT(n, 6);
    std::vector<SylRecord> records(static_cast<size_t>(n));
    ASSERT_EQ(ASTGetResult(records.data(), n), 1);
    const int pauseStart = static_cast<int>(speech.samples.size() / 160);
    const int pauseEnd = pauseStart + 300;
    int inPause = 0, after = 0;
    for (const auto& record : records) {
        inPause += record.startFrame > pauseStart + 20 && record.startFrame < pauseEnd - 20;
        after += record.startFrame >= pauseEnd;
    }
    EXPECT_EQ(inPause, 0);
    EXPECT_GE(after * 3, n); // the second sentence is heard where it is
}
