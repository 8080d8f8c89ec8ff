#include "TestSupport.h"
#include "audio/WavFile.h"
#include "timeline/TimelineData.h"
#include "timeline/WaveformPeaks.h"
#include "timeline/WavVoiceReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(WaveformPeaks, BlockExtremesMatchTheSamplesAndAMissingVoiceGivesNone)
{
    testsupport::TempDir dir;
    std::vector<std::int16_t> samples(10000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t((int(i * 7919) % 20001) - 10000);
    samples[4097] = 32767;
    samples[6400] = -32768;
    {
        CWavWriter writer;
        ASSERT_EQ(writer.create(dir / "voice.wav", WavFormat()), 0);
        ASSERT_EQ(writer.write(samples.data(), samples.size() * 2), 0); // bytes
        ASSERT_EQ(writer.finish(std::uint32_t(samples.size())), 0);
    }
    TimelineData timeline;
    ASSERT_TRUE(timeline.setVoice(dir / "voice.wav", std::int32_t(samples.size())));
    WaveformPeaks peaks;
    CWavVoiceReader reader;
    ASSERT_TRUE(peaks.build(timeline, reader));
    EXPECT_TRUE(peaks.matches(timeline.voiceFile(), 10000));
    struct Range {
        std::int64_t from, to;
    } ranges[] = {{0, 64}, {4096, 4160}, {6400, 6464}, {0, 10000}, {9984, 10000}, {9990, 20000}, {50, 50}, {-100, 30}};
    for (const Range& r : ranges) {
        // Block-aligned expectations: every block the range touches counts whole.
        const std::int64_t from = std::max<std::int64_t>(r.from, 0) / 64 * 64;
        const std::int64_t to = std::min<std::int64_t>(r.to, 10000);
        int low = 0, high = 0;
        for (std::int64_t i = from; i < std::min<std::int64_t>((to + 63) / 64 * 64, 10000) && to > std::max<std::int64_t>(r.from, 0); ++i) {
            low = std::min<int>(low, samples[size_t(i)]);
            high = std::max<int>(high, samples[size_t(i)]);
        }
        int gotLow = 1, gotHigh = -1;
        peaks.extremes(r.from, r.to, gotLow, gotHigh);
        EXPECT_EQ(gotLow, low) << r.from << ".." << r.to;
        EXPECT_EQ(gotHigh, high) << r.from << ".." << r.to;
    }

    // The working copy gone: no peaks, and nothing left from before.
    std::filesystem::remove(timeline.voiceFile());
    EXPECT_FALSE(peaks.build(timeline, reader));
    EXPECT_FALSE(peaks.matches(timeline.voiceFile(), 10000));
    int low = 1, high = 1;
    peaks.extremes(0, 100, low, high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 0);
}
