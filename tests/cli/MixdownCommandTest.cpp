// `chattermask-cli mixdown`: voice and clips converted first, mixed sample for sample as the preview
// mixes them, read back by sox; refused arguments and failed conversions leave nothing behind.
#include "audio/EventSequencer.h"
#include "TestSupport.h"
#include "audio/VoiceConversion.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using testsupport::TempDir;

std::string quoted(const std::filesystem::path& path)
{
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

class MixdownCommand : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::uint8_t> stereo(44100 * 4);
        for (std::size_t i = 0; i < stereo.size(); ++i)
            stereo[i] = std::uint8_t(i * 13 + i / 4);
        testsupport::writeBinaryFile(dir / "voice.wav", WavBytes::pcm(stereo, 44100, 2, 16));
        std::vector<std::int16_t> clip(2000);
        for (std::size_t i = 0; i < clip.size(); ++i)
            clip[i] = std::int16_t(i * 29 - 20000);
        testsupport::writeBinaryFile(dir / "a:clip.wav", WavBytes::pcm(WavBytes::samples16(clip), 8000));
        ASSERT_EQ(convertVoice(dir / "v16.wav", dir / "voice.wav"), kWavOk);
        ASSERT_EQ(convertVoice(dir / "c16.wav", dir / "a:clip.wav"), kWavOk);
        voice = readDataSamples(dir / "v16.wav");
        clip16 = readDataSamples(dir / "c16.wav");
        std::filesystem::remove(dir / "v16.wav");
        std::filesystem::remove(dir / "c16.wav");
    }

    testsupport::CommandResult mixdown(const std::string& arguments)
    {
        std::string line = std::string("TMPDIR=") + quoted(temporaries.path());
        line += ' ';
        line += quoted(testsupport::binDir() / "chattermask-cli");
        line += " mixdown ";
        line += arguments;
        return testsupport::runCommand(line);
    }

    TempDir dir, temporaries;
    std::vector<std::int16_t> voice, clip16;
};

TEST_F(MixdownCommand, MixesAsThePreviewDoes)
{
    ASSERT_EQ(voice.size(), 16000u);
    ASSERT_EQ(clip16.size(), 4000u);
    struct Case {
        const char* range;
        std::size_t first, samples;
    };
    const Case cases[] = {
        {"", 0, 16000}, {" --range 100:600", 1600, 8000}, {" --range 900:5000", 14400, 1600}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        const auto result = mixdown(quoted(dir / "voice.wav") + " " + quoted(dir / "out.wav") + " --clip " +
                                    quoted(dir / "a:clip.wav") + ":60:200:500" + c.range);
        ASSERT_EQ(result.status, 0) << result.err;
        const auto mixed = readDataSamples(dir / "out.wav");
        ASSERT_EQ(mixed.size(), c.samples);
        for (std::size_t i = 0; i < mixed.size(); ++i) {
            const std::size_t at = c.first + i;
            const bool clipSounds = at >= 3200 && at < 11200;
            const int expected =
                clipSounds ? (50 * voice[at] + 30 * clip16[(at - 3200) % 4000]) / 100 : 50 * voice[at] / 100;
            ASSERT_EQ(mixed[i], expected) << i;
        }
        const auto sox = testsupport::runCommand(std::string("sox --i ") + quoted(dir / "out.wav"));
        EXPECT_NE(sox.out.find("Channels       : 1"), std::string::npos) << sox.out << sox.err;
        EXPECT_NE(sox.out.find("Sample Rate    : 16000"), std::string::npos) << sox.out;
        EXPECT_NE(sox.out.find("= " + std::to_string(c.samples) + " samples"), std::string::npos) << sox.out;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporaries.path()), {}), 0);
}

TEST_F(MixdownCommand, RefusalsLeaveNothingBehind)
{
    testsupport::writeBinaryFile(dir / "out.wav", {'k', 'e', 'e', 'p'});
    testsupport::writeBinaryFile(dir / "bad.wav", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    const std::string voiceArg = quoted(dir / "voice.wav") + " " + quoted(dir / "out.wav");
    const std::string clip = quoted(dir / "a:clip.wav");
    struct Case {
        std::string arguments;
        const char* message;
    };
    const Case cases[] = {
        {voiceArg + " --clip 60:200", "expected PATH:VOLUME:START_MS:LENGTH_MS"},
        {voiceArg + " --clip " + clip + ":101:0:10", "VOLUME"},
        {voiceArg + " --clip " + clip + ":50:0:0", "LENGTH_MS must be above 0"},
        {voiceArg + " --clip " + clip + ":50:-1:10", "START_MS"},
        {voiceArg + " --range 600:100", "TO_MS must be after"},
        {voiceArg + " --range 1000:2000", "starts after the voice ends"},
        {voiceArg + " --range 100", "FROM_MS:TO_MS"},
        {voiceArg + " --clip " + quoted(dir / "bad.wav") + ":50:0:100", "0xE101"},
        {voiceArg + " --clip " + quoted(dir / "missing.wav") + ":50:0:100", "0xE100"},
        {quoted(dir / "bad.wav") + " " + quoted(dir / "out.wav"), "0xE101"},
        {voiceArg + " --fade 3", "--fade"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = mixdown(c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(testsupport::readBinaryFile(dir / "out.wav"),
                  std::vector<unsigned char>({'k', 'e', 'e', 'p'}));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temporaries.path()), {}), 0);
    }
}

} // namespace
