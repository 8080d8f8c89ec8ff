// The mix the preview plays: voice and scheduled clips written sample for sample into a WAV that sox
// reads, nothing left behind by a failure or a cancel; clips prepared for the list and their duration
// text.
#include "audio/ScheduleMix.h"
#include "audio/SoundClip.h"
#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using testsupport::TempDir;

std::vector<std::int16_t> readSamples(const std::filesystem::path& path, std::uint32_t* fact = nullptr)
{
    const auto bytes = testsupport::readBinaryFile(path);
    std::vector<std::int16_t> samples;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::uint32_t size =
            bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | bytes[at + 7] << 24;
        if (!std::memcmp(&bytes[at], "fact", 4) && fact)
            std::memcpy(fact, &bytes[at + 8], 4);
        if (!std::memcmp(&bytes[at], "data", 4))
            for (std::size_t i = 0; i + 1 < size; i += 2)
                samples.push_back(std::int16_t(bytes[at + 8 + i] | bytes[at + 9 + i] << 8));
        at += 8 + size + (size & 1);
    }
    return samples;
}

VoiceChunkReader memoryVoice(const std::vector<std::int16_t>& voice, std::size_t& position)
{
    return [&voice, &position](std::uint8_t* buffer, std::size_t bytes) {
        for (std::size_t i = 0; i + 1 < bytes && position < voice.size(); i += 2, ++position) {
            buffer[i] = std::uint8_t(voice[position]);
            buffer[i + 1] = std::uint8_t(std::uint16_t(voice[position]) >> 8);
        }
        return true;
    };
}

TEST(ScheduleMixFile, VoiceAndClipsSampleForSample)
{
    TempDir dir;
    std::vector<std::int16_t> voice(16000), clip(1000);
    for (std::size_t i = 0; i < voice.size(); ++i)
        voice[i] = std::int16_t((i * 37) % 20000 - 10000);
    for (std::size_t i = 0; i < clip.size(); ++i)
        clip[i] = std::int16_t(12000 - std::int16_t(i * 11));
    testsupport::writeBinaryFile(dir / "clip.wav", WavBytes::pcm(WavBytes::samples16(clip)));
    struct Case {
        const char* name;
        std::int32_t fromMs;
        std::uint32_t samples;
    };
    // The clip sounds over [200, 500) ms at volume 70; the mix may start anywhere and end mid-step.
    const Case cases[] = {
        {"whole second", 0, 16000}, {"from 300 ms, cut mid-step", 300, 5000}, {"empty", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CEventSequencer schedule;
        schedule.addSound(dir / "clip.wav", 70, 200, 300);
        std::size_t position = std::size_t(c.fromMs) * 16;
        ASSERT_EQ(
            writeScheduleMix(memoryVoice(voice, position), schedule, c.fromMs, c.samples, dir / "mix.wav"),
            kWavOk);
        std::uint32_t fact = 0;
        const auto mixed = readSamples(dir / "mix.wav", &fact);
        ASSERT_EQ(mixed.size(), c.samples);
        EXPECT_EQ(fact, c.samples);
        for (std::size_t i = 0; i < mixed.size(); ++i) {
            const std::size_t at = std::size_t(c.fromMs) * 16 + i;
            const bool clipSounds = at >= 200 * 16 && at < 500 * 16;
            const int expected = clipSounds ? (50 * voice[at] + 35 * clip[(at - 3200) % clip.size()]) / 100
                                            : 50 * voice[at] / 100;
            ASSERT_EQ(mixed[i], expected) << i;
        }
        const auto sox = testsupport::runCommand("sox --i '" + (dir / "mix.wav").string() + "'");
        EXPECT_NE(sox.out.find("Sample Rate    : 16000"), std::string::npos) << sox.out << sox.err;
        if (c.samples > 0) { // sox names no duration for an empty file
            EXPECT_NE(sox.out.find("= " + std::to_string(c.samples) + " samples"), std::string::npos)
                << sox.out;
        }
    }
}

TEST(ScheduleMixFile, FailuresAndCancelLeaveNoFile)
{
    TempDir dir;
    const std::vector<std::int16_t> voice(8000, 100);
    struct Case {
        const char* name;
        const char* clip;
        bool voiceFails, cancel;
        int code;
    };
    const Case cases[] = {
        {"clip missing", "missing.wav", false, false, kWavCannotOpen},
        {"voice read fails", "", true, false, kWavTruncatedData},
        {"cancelled", "", false, true, kWavCannotOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CEventSequencer schedule;
        if (*c.clip)
            schedule.addSound(dir / c.clip, 100, 100, 100);
        std::size_t position = 0;
        const VoiceChunkReader good = memoryVoice(voice, position);
        const VoiceChunkReader reader = [&](std::uint8_t* buffer, std::size_t bytes) {
            return !(c.voiceFails && position >= 4000) && good(buffer, bytes);
        };
        const auto progress = [&](std::uint64_t written, std::uint64_t) {
            return !c.cancel || written < 4000;
        };
        EXPECT_EQ(writeScheduleMix(reader, schedule, 0, 8000, dir / "mix.wav", progress), c.code);
        EXPECT_FALSE(std::filesystem::exists(dir / "mix.wav"));
    }
}

TEST(SoundClips, ConvertedMeasuredAndNamed)
{
    TempDir dir;
    const std::string savedTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    const TempDir temporaries;
    setenv("TMPDIR", temporaries.path().c_str(), 1);
    testsupport::writeBinaryFile(
        dir / "Door Bell.v2.wav",
        WavBytes::pcm(WavBytes::samples16(std::vector<std::int16_t>(4000, 9)), 8000));
    SoundClipEntry entry;
    ASSERT_EQ(prepareSoundClip(dir / "Door Bell.v2.wav", entry), kWavOk);
    EXPECT_EQ(entry.name, "Door Bell.v2");
    EXPECT_EQ(entry.samples, 8000);
    EXPECT_EQ(entry.file.parent_path(), temporaries.path());
    EXPECT_EQ(entry.file.filename().string().substr(0, 3), "wav");
    EXPECT_EQ(readSamples(entry.file), std::vector<std::int16_t>(8000, 9));

    testsupport::writeBinaryFile(dir / "bad.wav",
                                 WavBytes::pcm(std::vector<std::uint8_t>(2, 1), 16000, 1, 24));
    SoundClipEntry untouched = entry;
    EXPECT_EQ(prepareSoundClip(dir / "bad.wav", untouched), kWavCannotOpen);
    EXPECT_EQ(untouched.file, entry.file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporaries.path()), {}), 1);
    if (savedTmp.empty())
        unsetenv("TMPDIR");
    else
        setenv("TMPDIR", savedTmp.c_str(), 1);
}

TEST(SoundClips, DurationText)
{
    const struct {
        std::int64_t samples;
        const char* text;
    } cases[] = {
        {0, "00 : 00"},
        {15999, "00 : 00"},
        {16000 * 59 + 15999, "00 : 59"},
        {16000 * 60, "01 : 00"},
        {16000LL * 3599, "59 : 59"},
        {16000LL * 3600, "01 : 00 : 00"},
        {16000LL * 3725, "01 : 02 : 05"},
        {-5, "00 : 00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(durationText(c.samples), c.text) << c.samples;
}

} // namespace
