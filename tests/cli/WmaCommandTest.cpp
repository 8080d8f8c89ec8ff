// chattermask-cli wma encode: any WAV in, an audio-only ASF file out that ffprobe and ffmpeg read at
// the asked format; failures leave no output.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

using testsupport::TempDir;

std::vector<unsigned char> wavBytes(int frames, int rate, int channels, int bits)
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
    const std::uint32_t dataBytes = std::uint32_t(frames * channels * bits / 8);
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
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            const double v = 0.3 * std::sin(2 * std::acos(-1.0) * (300.0 + 200 * c) * i / rate) *
                             (0.6 + 0.4 * std::sin(2 * std::acos(-1.0) * 3.0 * i / rate));
            if (bits == 8)
                b.push_back(static_cast<unsigned char>(128 + int(v * 127)));
            else
                u16(std::uint16_t(std::int16_t(v * 32767)));
        }
    return b;
}

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string probe(const std::filesystem::path& file, const char* entries)
{
    auto r = testsupport::runCommand(std::string("ffprobe -v error -select_streams a:0 -show_entries ") +
                                     entries + " -of default=noprint_wrappers=1 " + file.string());
    return r.out;
}

TEST(WmaCli, WritesAsfThatFfmpegReadsAtTheProfileFormat)
{
    TempDir dir;
    const struct {
        const char* input;
        int inRate, inChannels, inBits;
        int rate, bitRate, channels;
    } rows[] = {
        {"44.1 kHz stereo", 44100, 2, 16, 8000, 8000, 1},
        {"22.05 kHz mono 8-bit", 22050, 1, 8, 11025, 9992, 1},
        {"16 kHz mono", 16000, 1, 16, 16000, 16000, 1},
        {"8 kHz mono", 8000, 1, 16, 8000, 24000, 1},
        {"48 kHz stereo", 48000, 2, 16, 22050, 32040, 2},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.input);
        testsupport::writeBinaryFile(dir / "in.wav",
                                     wavBytes(r.inRate * 3 / 2, r.inRate, r.inChannels, r.inBits));
        const std::filesystem::path out = dir / "out.wma";
        auto run =
            testsupport::runCommand(cli() + " wma encode " + (dir / "in.wav").string() + " " + out.string() +
                                    " --rate " + std::to_string(r.rate) + " --bitrate " +
                                    std::to_string(r.bitRate) + " --channels " + std::to_string(r.channels));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.wma.part"));
        const std::string expected =
            "codec_name=wmav2\ncodec_tag=0x0161\nsample_rate=" + std::to_string(r.rate) +
            "\nchannels=" + std::to_string(r.channels) + "\nbit_rate=" + std::to_string(r.bitRate) + "\n";
        EXPECT_EQ(probe(out, "stream=codec_name,codec_tag,sample_rate,channels,bit_rate"), expected);
        // Decoding through the ASF demuxer gives no complaint and about the input's length.
        auto decode = testsupport::runCommand("ffmpeg -nostdin -v warning -i " + out.string() +
                                              " -f s16le -ac 1 " + (dir / "dec.raw").string() + " -y");
        EXPECT_EQ(decode.status, 0);
        // The wave format has no channel mask, so ffmpeg guesses the layout (it does for its own
        // encoder's files too); any other line is a complaint about the stream.
        std::string complaints = decode.err;
        if (const auto at = complaints.find("Guessed Channel Layout"); at != std::string::npos)
            complaints.erase(at, complaints.find('\n', at) + 1 - at);
        EXPECT_EQ(complaints, "");
        const double seconds = double(std::filesystem::file_size(dir / "dec.raw")) / 2 / r.rate;
        EXPECT_NEAR(seconds, 1.5, double(r.rate <= 16000 ? 512 : 1024) / r.rate);
    }
}

TEST(WmaCli, FailuresLeaveNoOutput)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "good.wav", wavBytes(8000, 8000, 1, 16));
    std::vector<unsigned char> cut = wavBytes(8000, 8000, 1, 16);
    cut.resize(30);
    testsupport::writeBinaryFile(dir / "cut.wav", cut);
    testsupport::writeBinaryFile(dir / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    const struct {
        const char* name;
        std::string args;
    } cases[] = {
        {"unsupported rate", (dir / "good.wav").string() + " OUT --rate 12000 --bitrate 8000"},
        {"bit rate not whole bytes", (dir / "good.wav").string() + " OUT --rate 8000 --bitrate 8001"},
        {"three channels", (dir / "good.wav").string() + " OUT --channels 3"},
        {"bad number", (dir / "good.wav").string() + " OUT --bitrate fast"},
        {"missing input", (dir / "absent.wav").string() + " OUT"},
        {"not a wav", (dir / "text.wav").string() + " OUT"},
        {"header cut in the format chunk", (dir / "cut.wav").string() + " OUT"},
        {"no such folder", (dir / "good.wav").string() + " " + (dir / "none" / "x.wma").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string args = c.args;
        const std::string out = (dir / "out.wma").string();
        if (auto at = args.find("OUT"); at != std::string::npos)
            args.replace(at, 3, out);
        auto r = testsupport::runCommand(cli() + " wma encode " + args);
        EXPECT_EQ(r.status, 2);
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_FALSE(std::filesystem::exists(out + ".part"));
    }
}

TEST(WmaCli, TruncatedDataChunkCodesWhatIsThere)
{
    TempDir dir;
    std::vector<unsigned char> bytes = wavBytes(16000, 16000, 1, 16);
    bytes.resize(bytes.size() - 8000);
    testsupport::writeBinaryFile(dir / "cut.wav", bytes);
    auto r = testsupport::runCommand(cli() + " wma encode " + (dir / "cut.wav").string() + " " +
                                     (dir / "cut.wma").string() + " --rate 16000 --bitrate 16000");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("12000 samples"), std::string::npos) << r.out;
}

} // namespace
