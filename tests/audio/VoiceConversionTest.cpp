// Voice conversion: the mixing and resampling arithmetic sample for sample, whole-file conversions,
// cancels and failures that leave no file, and the command line.
#include "TestSupport.h"
#include "audio/VoiceConversion.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempDir;

// The samples of a converted file, which must be in the working format.
std::vector<std::int16_t> readVoice(const std::filesystem::path& path)
{
    CWavReader reader;
    EXPECT_EQ(reader.open(path), kWavOk);
    EXPECT_TRUE(isVoiceFormat(reader.format()));
    return readDataSamples(path);
}

TEST(VoiceMixing, FramesBecomeSixteenBitMono)
{
    struct Case {
        unsigned channels, bits;
        std::vector<std::uint8_t> frame;
        std::int16_t expected;
    };
    const Case cases[] = {
        {2, 8, {255, 255}, 32512},
        {2, 8, {0, 0}, -32768},
        {2, 8, {128, 128}, 0},
        {2, 8, {0, 1}, -32640}, // ((1 - 256) x 256) / 2 rounds toward zero
        {1, 8, {0}, -32768},
        {1, 8, {255}, 32512},
        {2, 16, {0xFF, 0xFF, 0x00, 0x00}, 0}, // (-1 + 0) / 2 rounds toward zero
        {2, 16, {0x00, 0x80, 0x00, 0x80}, -32768},
        {2, 16, {0xFF, 0x7F, 0xFF, 0x7F}, 32767},
        {1, 16, {0x34, 0x12}, 0x1234},
        {2, 32, {0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00, 0xFF, 0x7F}, -32768}, // right channel ignored
        {1, 32, {0x00, 0x00, 0xFF, 0x7F}, 32767},
        {1, 32, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << "ch " << c.bits << "bit");
        const WavFormat format{kWavFormatPcm,
                               std::uint16_t(c.channels),
                               16000,
                               0,
                               std::uint16_t(c.channels * c.bits / 8),
                               std::uint16_t(c.bits),
                               {}};
        std::vector<std::int16_t> out;
        ASSERT_TRUE(appendMono16(c.frame.data(), 1, format, out));
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], c.expected);
    }
    std::vector<std::int16_t> out;
    const WavFormat twentyFour{kWavFormatPcm, 1, 16000, 48000, 3, 24, {}};
    const std::uint8_t frame[3] = {};
    EXPECT_FALSE(appendMono16(frame, 1, twentyFour, out));
}

TEST(VoiceResampling, UpsamplingInterpolatesInIntegerSteps)
{
    const std::vector<std::int16_t> in = {0, 100, -101, 7, 7, 32767, -32768};
    std::vector<std::int16_t> out;
    resampleBlock(in, resampleRatio(8000), out);
    ASSERT_EQ(out.size(), 2 * in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        EXPECT_EQ(out[2 * k], in[k]) << k;
        if (k + 1 < in.size()) {
            EXPECT_EQ(out[2 * k + 1], in[k] + (in[k + 1] - in[k]) / 2) << k;
        }
    }
    EXPECT_EQ(out.back(), in.back()); // past the last source position: held
}

TEST(VoiceResampling, OneMinuteAt44kGivesExactCount)
{
    const std::vector<std::int16_t> in(2646000, 5);
    std::vector<std::int16_t> out;
    resampleBlock(in, resampleRatio(44100), out);
    EXPECT_EQ(out.size(), 960000u);
}

TEST(VoiceConversion, FilesConvertSampleForSample)
{
    TempDir dir;
    const std::vector<std::int16_t> voice = {0, 1000, -1000, 32767, -32768, 12, 13, 14};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::vector<std::int16_t> expected;
    };
    const Case cases[] = {
        {"already voice format", WavBytes::pcm(WavBytes::samples16(voice)), voice},
        {"8 kHz doubles",
         WavBytes::pcm(WavBytes::samples16({0, 100, 200}), 8000),
         {0, 50, 100, 150, 200, 200}},
        {"32 kHz keeps every second's time (through the low-pass filter, which passes a constant)",
         WavBytes::pcm(WavBytes::samples16(std::vector<std::int16_t>(8, -1234)), 32000),
         {-1234, -1234, -1234, -1234}},
        {"8-bit stereo", WavBytes::pcm({255, 255, 0, 0, 128, 128}, 16000, 2, 8), {32512, -32768, 0}},
        {"empty data", WavBytes::pcm({}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeBinaryFile(dir / "in.wav", c.file);
        ASSERT_EQ(convertVoice(dir / "out.wav", dir / "in.wav"), kWavOk);
        EXPECT_EQ(readVoice(dir / "out.wav"), c.expected);
    }
}

TEST(VoiceConversion, BlocksOfOneMinuteAreResampledApart)
{
    TempDir dir;
    // 8 kHz: one minute is 480000 samples; each block's last output is the held last sample.
    std::vector<std::int16_t> in(480000 + 2);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = std::int16_t(i % 1000);
    testsupport::writeBinaryFile(dir / "in.wav", WavBytes::pcm(WavBytes::samples16(in), 8000));
    std::uint64_t lastPosition = 0;
    int calls = 0;
    const auto progress = [&](std::uint64_t position, std::uint64_t total) {
        EXPECT_EQ(total, in.size() * 2);
        EXPECT_GE(position, lastPosition);
        lastPosition = position;
        ++calls;
        return true;
    };
    ASSERT_EQ(convertVoice(dir / "out.wav", dir / "in.wav", progress), kWavOk);
    const auto out = readVoice(dir / "out.wav");
    ASSERT_EQ(out.size(), 2 * in.size());
    EXPECT_EQ(out[959998], in[479999]);
    EXPECT_EQ(out[959999], in[479999]);
    EXPECT_EQ(out[960000], in[480000]);
    EXPECT_EQ(out[960001], in[480000] + (in[480001] - in[480000]) / 2);
    EXPECT_GT(calls, 500);
}

TEST(VoiceConversion, FailuresLeaveNoFile)
{
    TempDir dir;
    // 24-bit samples go to the decoder, which finds not one whole sample here.
    auto twentyFour = WavBytes::pcm(std::vector<std::uint8_t>(2, 1), 16000, 1, 24);
    auto truncated = WavBytes::pcm(WavBytes::samples16(std::vector<std::int16_t>(100, 3)), 22050);
    truncated.resize(truncated.size() - 10);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        bool cancel;
        int code;
    };
    const Case cases[] = {
        {"cancelled", WavBytes::pcm(WavBytes::samples16(std::vector<std::int16_t>(5000, 1)), 44100), true,
         kWavCannotOpen},
        {"24-bit", twentyFour, false, kWavCannotOpen},
        {"truncated data", truncated, false, kWavTruncatedData},
        {"not a WAV", {'R', 'I', 'F', 'F'}, false, kWavNotRiffWave},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeBinaryFile(dir / "in.wav", c.file);
        const auto progress = [&](std::uint64_t, std::uint64_t) { return !c.cancel; };
        EXPECT_EQ(convertVoice(dir / "out.wav", dir / "in.wav", progress), c.code);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    }
    const auto voice = WavBytes::pcm(WavBytes::samples16({1, 2, 3}), 8000);
    testsupport::writeBinaryFile(dir / "in.wav", voice);
    EXPECT_EQ(convertVoice(dir / "in.wav", dir / "in.wav"), kWavCannotWrite);
    EXPECT_EQ(testsupport::readBinaryFile(dir / "in.wav"), voice);
}

TEST(VoiceConversion, ProgressBarScale)
{
    EXPECT_EQ(progressPerMille(1, 4), 250);
    EXPECT_EQ(progressPerMille(5000, 10000), 500);
    EXPECT_EQ(progressPerMille(10000, 10000), 1000);
    EXPECT_EQ(progressPerMille(0, 0), 1000);
}

std::string cli(const std::string& arguments)
{
    return (testsupport::binDir() / "chattermask-cli").string() + " " + arguments;
}

TEST(WavCommands, InfoConvertAndRefusal)
{
    TempDir dir;
    const auto in = dir / "in.wav";
    testsupport::writeBinaryFile(in, WavBytes::pcm(std::vector<std::uint8_t>(44100 * 4, 0), 44100, 2, 16));
    auto info = testsupport::runCommand(cli("wav info '" + in.string() + "' --json"));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.substr(0, info.out.find_last_not_of('\n') + 1),
              R"({"format_tag":1,"channels":2,"rate":44100,"avg_bytes_per_sec":176400,"block_align":4,)"
              R"("bits":16,"data_bytes":176400,"samples":44100})");

    const auto out = dir / "out.wav";
    const auto convert =
        testsupport::runCommand(cli("voice convert '" + in.string() + "' '" + out.string() + "'"));
    ASSERT_EQ(convert.status, 0) << convert.err;
    EXPECT_EQ(convert.err, ""); // no progress when standard error is not a terminal
    const auto sox = testsupport::runCommand("sox --i '" + out.string() + "'");
    EXPECT_NE(sox.out.find("= 16000 samples"), std::string::npos) << sox.out;

    testsupport::writeBinaryFile(in, {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    info = testsupport::runCommand(cli("wav info '" + in.string() + "'"));
    EXPECT_EQ(info.status, 2);
    EXPECT_NE(info.err.find("0xE101"), std::string::npos) << info.err;
    const auto before = testsupport::readBinaryFile(out);
    const auto refused =
        testsupport::runCommand(cli("voice convert '" + in.string() + "' '" + out.string() + "'"));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(testsupport::readBinaryFile(out), before); // an existing output survives a failure
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
