// The timeline on a real voice file: reading, seeking and the silent tail; the preview mix of a
// selection or of the whole voice.
#include "../audio/WavBytes.h"
#include "TestSupport.h"
#include "timeline/TimelineMix.h"
#include "timeline/WavVoiceReader.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using testsupport::TempDir;

std::vector<std::int16_t> toSamples(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

std::vector<std::int16_t> countingVoice(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = std::int16_t(i % 20000);
    return samples;
}

TEST(WavVoice, ReadsSeeksAndEndsInSilence)
{
    TempDir dir;
    const auto voice = countingVoice(1000);
    testsupport::writeBinaryFile(dir / "v.wav", WavBytes::pcm(WavBytes::samples16(voice), 16000, 1, 16, 18));
    TimelineData timeline;
    ASSERT_TRUE(timeline.setVoice(dir / "v.wav", 0));
    CWavVoiceReader reader;
    ASSERT_TRUE(timeline.openVoice(reader));
    EXPECT_EQ(timeline.sampleCount(), 1000);
    struct Step {
        std::int64_t seekTo; // -1: read on
        std::size_t bytes;
        std::size_t firstSample; // of the voice at the buffer's start
    };
    const Step steps[] = {{-1, 8, 0}, {-1, 6, 4}, {1990, 20, 995}, {0, 4, 0}, {2000, 10, 1000}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.firstSample);
        if (step.seekTo >= 0) {
            ASSERT_TRUE(timeline.seekSamples(std::uint32_t(step.seekTo)));
        }
        const auto got = toSamples(timeline.readSamples(step.bytes));
        ASSERT_EQ(got.size(), step.bytes / 2);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], step.firstSample + i < voice.size() ? voice[step.firstSample + i] : 0) << i;
    }
    EXPECT_FALSE(timeline.seekSamples(2002));
    timeline.closeVoice();

    auto cut = WavBytes::pcm(WavBytes::samples16(voice));
    cut.resize(cut.size() - 100);
    testsupport::writeBinaryFile(dir / "cut.wav", cut);
    ASSERT_TRUE(timeline.setVoice(dir / "cut.wav", 0));
    ASSERT_TRUE(timeline.openVoice(reader));
    EXPECT_EQ(timeline.readSamples(1900).size(), 1900u);
    EXPECT_TRUE(timeline.readSamples(100).empty()); // the file ends inside its samples

    for (const unsigned rate : {8000u, 44100u}) {
        testsupport::writeBinaryFile(dir / "other.wav", WavBytes::pcm(WavBytes::samples16(voice), rate));
        ASSERT_TRUE(timeline.setVoice(dir / "other.wav", 0));
        EXPECT_FALSE(timeline.openVoice(reader)) << rate;
    }
}

TEST(TimelineMix, SelectionOrWholeVoiceMixedWithItsClips)
{
    TempDir dir;
    const auto voice = countingVoice(20000);
    const auto clip = countingVoice(700);
    testsupport::writeBinaryFile(dir / "v.wav", WavBytes::pcm(WavBytes::samples16(voice)));
    testsupport::writeBinaryFile(dir / "known.wav", WavBytes::pcm(WavBytes::samples16(clip)));
    struct Case {
        const char* name;
        std::int32_t selStart, selEnd;
        std::size_t first, samples;
        int code;
    };
    const Case cases[] = {
        {"no selection: whole voice", 0, 0, 0, 20000, kWavOk},
        {"one sample is no selection", 500, 501, 0, 20000, kWavOk},
        {"selection", 3200, 9600, 3200, 6400, kWavOk},
        {"selection past the voice end", 16000, 40000, 16000, 4000, kWavOk},
        {"selection after the voice", 30000, 40000, 0, 0, kWavTruncatedData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / "mix.wav");
        TimelineData timeline;
        ASSERT_TRUE(timeline.setVoice(dir / "v.wav", 0));
        timeline.setSelection(c.selStart, c.selEnd);
        CEventSequencer schedule;
        schedule.addSound(dir / "known.wav", 40, 300, 500);
        CWavVoiceReader reader;
        ASSERT_EQ(prepareTimelineMix(timeline, reader, schedule, dir / "mix.wav"), c.code);
        EXPECT_EQ(timeline.selectionStart(), c.selStart);
        if (c.code != kWavOk) {
            EXPECT_FALSE(std::filesystem::exists(dir / "mix.wav"));
            continue;
        }
        CWavVoiceReader check;
        VoiceFormat format;
        std::uint32_t bytes = 0;
        ASSERT_TRUE(check.open(dir / "mix.wav", format, bytes));
        ASSERT_EQ(bytes, c.samples * 2);
        std::vector<std::uint8_t> raw(bytes);
        ASSERT_TRUE(check.read(raw.data(), raw.size()));
        const auto mixed = toSamples(raw);
        for (std::size_t i = 0; i < mixed.size(); ++i) {
            const std::size_t at = c.first + i;
            const bool clipSounds = at >= 4800 && at < 12800;
            const int expected = clipSounds ? (50 * voice[at] + 20 * clip[(at - 4800) % clip.size()]) / 100
                                            : 50 * voice[at] / 100;
            ASSERT_EQ(mixed[i], expected) << i;
        }
    }
}

} // namespace
