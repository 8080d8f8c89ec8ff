// Voice import of the audio people have: files made here by sox and ffmpeg in every common format
// become the 16 kHz mono working copy of the right length; undecodable files fail and leave nothing; the
// low-pass filter in front of the decimation removes what would fold back and keeps the band.
#include "TestSupport.h"
#include "audio/VoiceConversion.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using testsupport::TempDir;

constexpr double kSeconds = 3.0;
// Codec priming and padding (AAC's 1024 samples are the largest here) and one block's rounding.
constexpr long kLengthTolerance = 480; // 30 ms of the working copy

void run(const std::string& command)
{
    const auto result = testsupport::runCommand(command + " 2>&1");
    ASSERT_EQ(result.status, 0) << command << "\n" << result.out;
}

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

std::vector<std::int16_t> convertedVoice(const std::filesystem::path& path)
{
    CWavReader reader;
    EXPECT_EQ(reader.open(path), kWavOk);
    EXPECT_TRUE(isVoiceFormat(reader.format()));
    return readDataSamples(path);
}

TEST(VoiceImport, EveryCommonFormatBecomesTheWorkingCopy)
{
    TempDir dir;
    const std::string sine = " synth 3 sine 440 vol 0.5";
    run("sox -n -r 44100 -c 2 -b 16 '" + (dir / "src.wav").string() + "'" + sine);
    const std::string ffmpeg = "ffmpeg -v error -y -i '" + (dir / "src.wav").string() + "' ";
    struct Case {
        const char* name;
        std::string make;
    };
    const Case cases[] = {
        {"ext24.wav", "sox -n -r 48000 -c 2 -b 24 -e signed '" + (dir / "ext24.wav").string() + "'" + sine},
        {"float.wav", "sox -n -r 44100 -c 1 -b 32 -e float '" + (dir / "float.wav").string() + "'" + sine},
        {"six.wav", "sox -n -r 22050 -c 6 -b 16 '" + (dir / "six.wav").string() + "'" + sine},
        {"voice.flac", "sox -n -r 96000 -c 2 -b 24 '" + (dir / "voice.flac").string() + "'" + sine},
        {"voice.mp3", ffmpeg + "-c:a libmp3lame -b:a 128k '" + (dir / "voice.mp3").string() + "'"},
        {"voice.ogg", ffmpeg + "-c:a libvorbis '" + (dir / "voice.ogg").string() + "'"},
        {"voice.opus", ffmpeg + "-c:a libopus '" + (dir / "voice.opus").string() + "'"},
        {"voice.m4a", ffmpeg + "-c:a aac '" + (dir / "voice.m4a").string() + "'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        run(c.make);
        std::uint64_t last = 0;
        std::uint64_t fileSize = std::filesystem::file_size(dir / c.name);
        const auto progress = [&](std::uint64_t position, std::uint64_t total) {
            EXPECT_GE(position, last);
            EXPECT_LE(position, total);
            EXPECT_EQ(total, fileSize);
            last = position;
            return true;
        };
        std::string reason;
        ASSERT_EQ(convertVoice(dir / "out.wav", dir / c.name, progress, reason), kWavOk) << reason;
        const auto out = convertedVoice(dir / "out.wav");
        EXPECT_NEAR(long(out.size()), long(kSeconds * 16000), kLengthTolerance);
        EXPECT_GT(last, 0u);
        // A sine of half full scale, whatever the codec did to it.
        ASSERT_GT(out.size(), 16000u);
        EXPECT_NEAR(20 * std::log10(rms(out, 8000, out.size() - 8000) / (0.5 * 32767 / std::sqrt(2.0))), 0.0,
                    0.5);
    }
}

TEST(VoiceImport, UndecodableFilesFailAndLeaveNothing)
{
    TempDir dir;
    run("sox -n -r 44100 -c 2 -b 16 '" + (dir / "src.wav").string() + "' synth 3 sine 440");
    run("ffmpeg -v error -y -i '" + (dir / "src.wav").string() + "' -c:a libmp3lame '" +
        (dir / "whole.mp3").string() + "'");
    run("sox '" + (dir / "src.wav").string() + "' '" + (dir / "whole.flac").string() + "'");
    auto mp3 = testsupport::readBinaryFile(dir / "whole.mp3");
    mp3.resize(mp3.size() / 2 + 101);
    testsupport::writeBinaryFile(dir / "truncated.mp3", mp3);
    testsupport::writeTextFile(dir / "notes.wav", "Remember to record the second take.\n");
    struct Case {
        const char* name;
        bool cancel;
        int code;
    };
    const Case cases[] = {
        {"truncated.mp3", false, kWavTruncatedData},
        {"notes.wav", false, kWavNotRiffWave},
        {"whole.flac", true, kWavCannotOpen},
        {"missing.ogg", false, kWavCannotOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string reason;
        const auto progress = [&](std::uint64_t, std::uint64_t) { return !c.cancel; };
        EXPECT_EQ(convertVoice(dir / "out.wav", dir / c.name, progress, reason), c.code);
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    }
}

std::vector<std::uint8_t> toneFile(unsigned rate, unsigned channels, double frequency, double seconds)
{
    std::vector<std::int16_t> samples(std::size_t(rate * seconds) * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i / channels) / rate;
        samples[i] = std::int16_t(std::lround(16000.0 * std::sin(2.0 * std::numbers::pi * frequency * t)));
    }
    return WavBytes::pcm(WavBytes::samples16(samples), rate, channels);
}

TEST(AntiAliasFilter, RemovesWhatWouldFoldAndKeepsTheBand)
{
    TempDir dir;
    struct Case {
        unsigned rate;
        double frequency;
        double lowestDb, highestDb; // level of the output against the input
    };
    const Case cases[] = {
        {48000, 12000, -200, -50}, // would fold to 4 kHz
        {44100, 12000, -200, -50}, // to 4 kHz, with positions between source samples
        {32000, 9000, -200, -50},  // to 7 kHz
        {48000, 1000, -0.5, 0.5},  // the band passes
        {44100, 1000, -0.5, 0.5},  // at 44.1 kHz
        {22050, 6500, -0.5, 0.5},  // near the pass edge
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.frequency << " Hz at " << c.rate);
        testsupport::writeBinaryFile(dir / "in.wav", toneFile(c.rate, 1, c.frequency, 2.0));
        ASSERT_EQ(convertVoice(dir / "out.wav", dir / "in.wav"), kWavOk);
        const auto out = convertedVoice(dir / "out.wav");
        ASSERT_EQ(out.size(), std::size_t(2 * c.rate / resampleRatio(c.rate)));
        const double level = 20 * std::log10(rms(out, 1600, out.size() - 1600) / (16000 / std::sqrt(2.0)));
        EXPECT_GE(level, c.lowestDb);
        EXPECT_LE(level, c.highestDb);
    }
}

// The filter runs across the one-minute blocks as one stream: the counts stay those of the plain
// resampler and the block edge leaves no click.
TEST(AntiAliasFilter, BlocksKeepTheirCountsAndJoinWithoutAClick)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "in.wav", toneFile(44100, 2, 1000.0, 61.0));
    ASSERT_EQ(convertVoice(dir / "out.wav", dir / "in.wav"), kWavOk);
    const auto out = convertedVoice(dir / "out.wav");
    ASSERT_EQ(out.size(), 960000u + 16000u);
    // The tone at 16 kHz, fitted to the first block's middle (the filter delays nothing).
    double worst = 0.0;
    double worstAtEdge = 0.0;
    for (std::size_t i = 1600; i + 1600 < out.size(); ++i) {
        const double ideal = 16000.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * double(i) / 16000.0);
        double& slot = i >= 959900 && i < 960100 ? worstAtEdge : worst;
        slot = std::max(slot, std::abs(out[i] - ideal));
    }
    EXPECT_LT(worst, 40.0);
    EXPECT_LT(worstAtEdge, 40.0);
}

TEST(WavCommands, VoiceConvertTakesAnyAudioAndSaysWhyNot)
{
    TempDir dir;
    const std::string cli = (testsupport::binDir() / "chattermask-cli").string() + " voice convert '";
    run("sox -n -r 48000 -c 2 '" + (dir / "voice.ogg").string() + "' synth 2 sine 300");
    const auto converted = testsupport::runCommand(cli + (dir / "voice.ogg").string() + "' '" +
                                                   (dir / "out.wav").string() + "'");
    ASSERT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(convertedVoice(dir / "out.wav").size(), 32000u);

    run("ffmpeg -v error -i '" + (dir / "voice.ogg").string() + "' '" + (dir / "voice.mp3").string() + "'");
    auto mp3 = testsupport::readBinaryFile(dir / "voice.mp3");
    mp3.resize(mp3.size() / 3);
    testsupport::writeBinaryFile(dir / "voice.mp3", mp3);
    const auto refused = testsupport::runCommand(cli + (dir / "voice.mp3").string() + "' '" +
                                                 (dir / "cut.wav").string() + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("0xE103"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("before the length it declares"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.wav"));
}

} // namespace
