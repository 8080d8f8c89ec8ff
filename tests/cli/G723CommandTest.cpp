// chattermask-cli g723 encode: input formats, the rate halving, and failures that leave no output.
#include "FfmpegG723.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using testsupport::TempDir;

std::vector<unsigned char> wavBytes(const std::vector<std::int16_t>& pcm, int rate, int channels = 1,
                                    int bits = 16)
{
    std::vector<unsigned char> b;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](unsigned v) {
        b.push_back(v & 0xFF);
        b.push_back((v >> 8) & 0xFF);
    };
    auto tag = [&](const char* t) {
        for (int i = 0; t[i]; ++i)
            b.push_back(static_cast<unsigned char>(t[i]));
    };
    const std::uint32_t dataBytes = std::uint32_t(pcm.size() * 2);
    tag("RIFF");
    u32(36 + dataBytes);
    tag("WAVEfmt ");
    u32(16);
    u16(1);
    u16(unsigned(channels));
    u32(std::uint32_t(rate));
    u32(std::uint32_t(rate * channels * bits / 8));
    u16(unsigned(channels * bits / 8));
    u16(unsigned(bits));
    tag("data");
    u32(dataBytes);
    for (std::int16_t s : pcm)
        u16(std::uint16_t(s));
    return b;
}

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::vector<std::int16_t> tone(int samples, int rate)
{
    std::vector<std::int16_t> pcm(std::size_t(samples), 0);
    for (int i = 0; i < samples; ++i)
        pcm[std::size_t(i)] = std::int16_t(8000 * std::sin(2 * M_PI * 220.0 * i / rate) *
                                           (0.6 + 0.4 * std::sin(2 * M_PI * 3.0 * i / rate)));
    return pcm;
}

TEST(G723Cli, EncodesEightKilohertzAndHalvesSixteen)
{
    TempDir dir;
    std::vector<std::int16_t> wide = tone(32000, 16000);
    std::vector<std::int16_t> narrow;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2)
        narrow.push_back(std::int16_t((wide[i] + wide[i + 1]) / 2));
    testsupport::writeBinaryFile(dir / "wide.wav", wavBytes(wide, 16000));
    testsupport::writeBinaryFile(dir / "narrow.wav", wavBytes(narrow, 8000));
    for (const char* name : {"wide", "narrow"}) {
        auto r =
            testsupport::runCommand(cli() + " g723 encode " + (dir / (std::string(name) + ".wav")).string() +
                                    " " + (dir / (std::string(name) + ".bit")).string());
        ASSERT_EQ(r.status, 0) << r.err;
    }
    auto wideBits = testsupport::readBinaryFile(dir / "wide.bit");
    EXPECT_EQ(wideBits, testsupport::readBinaryFile(dir / "narrow.bit"));
    g723ref::Decoded decoded = g723ref::decode(wideBits, true);
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_EQ(decoded.frames, 16000 / 240);
    EXPECT_FALSE(std::filesystem::exists(dir / "wide.bit.part"));
}

TEST(G723Cli, NoVadCodesEveryFrameActive)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "quiet.wav", wavBytes(std::vector<std::int16_t>(4800, 0), 8000));
    auto r = testsupport::runCommand(cli() + " g723 encode " + (dir / "quiet.wav").string() + " " +
                                     (dir / "quiet.bit").string() + " --no-vad");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testsupport::readBinaryFile(dir / "quiet.bit").size(), 20u * 20u);
}

TEST(G723Cli, BadInputFailsAndKeepsTheOldOutput)
{
    TempDir dir;
    std::vector<unsigned char> good = wavBytes(tone(2400, 8000), 8000);
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"not a wav", {'h', 'e', 'l', 'l', 'o'}},
        {"empty file", {}},
        {"44.1 kHz", wavBytes(tone(2400, 44100), 44100)},
        {"stereo", wavBytes(tone(2400, 8000), 8000, 2)},
        {"8-bit", wavBytes(tone(2400, 8000), 8000, 1, 8)},
        {"header cut in the format chunk", std::vector<unsigned char>(good.begin(), good.begin() + 30)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeBinaryFile(dir / "in.wav", c.bytes);
        testsupport::writeBinaryFile(dir / "out.bit", {'o', 'l', 'd'});
        auto r = testsupport::runCommand(cli() + " g723 encode " + (dir / "in.wav").string() + " " +
                                         (dir / "out.bit").string());
        EXPECT_EQ(r.status, 2);
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(testsupport::readBinaryFile(dir / "out.bit"), (std::vector<unsigned char>{'o', 'l', 'd'}));
    }
    auto missing = testsupport::runCommand(cli() + " g723 encode " + (dir / "absent.wav").string() + " " +
                                           (dir / "new.bit").string());
    EXPECT_EQ(missing.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "new.bit"));
}

TEST(G723Cli, TruncatedDataChunkCodesWhatIsThere)
{
    TempDir dir;
    std::vector<unsigned char> bytes = wavBytes(tone(4800, 8000), 8000);
    bytes.resize(bytes.size() - 1001);
    testsupport::writeBinaryFile(dir / "cut.wav", bytes);
    auto r = testsupport::runCommand(cli() + " g723 encode " + (dir / "cut.wav").string() + " " +
                                     (dir / "cut.bit").string() + " --no-vad");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testsupport::readBinaryFile(dir / "cut.bit").size(), 20u * ((4800 - 501) / 240));
}

} // namespace
