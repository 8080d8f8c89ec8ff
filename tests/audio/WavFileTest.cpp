// WAV reading and writing: result codes for damaged headers, reads at the end of the data, and files
// we write read back by ourselves and by sox.
#include "TestSupport.h"
#include "WavBytes.h"
#include "audio/WavFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using testsupport::TempDir;

void patch32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

std::vector<std::uint8_t> plainFile()
{
    return WavBytes::pcm(WavBytes::samples16({1, 2, 3, 4}));
}

struct HeaderCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    int openCode;
    int dataCode;
};

std::vector<HeaderCase> headerCases()
{
    auto notRiff = plainFile();
    std::memcpy(notRiff.data(), "RIFX", 4);
    auto notWave = plainFile();
    std::memcpy(notWave.data() + 8, "AVI ", 4);
    auto shortFmt = plainFile();
    patch32(shortFmt, 16, 14);
    auto notPcm = plainFile();
    notPcm[20] = 3;
    auto noFmt = plainFile();
    std::memcpy(noFmt.data() + 12, "junk", 4);
    auto noData = plainFile();
    std::memcpy(noData.data() + 36, "dat ", 4);
    auto zeroAlign = plainFile();
    zeroAlign[32] = 0;
    auto cutInFmt = plainFile();
    cutInFmt.resize(30);
    auto hugeRiff = plainFile();
    patch32(hugeRiff, 4, 0xFFFFFFFF);
    return {
        {"valid", plainFile(), kWavOk, kWavOk},
        {"fmt of 18 bytes", WavBytes::pcm({1, 0}, 16000, 1, 16, 18), kWavOk, kWavOk},
        {"first chunk not RIFF", notRiff, kWavNotRiffWave, kWavCannotOpen},
        {"form not WAVE", notWave, kWavNotRiffWave, kWavCannotOpen},
        {"fmt of 14 bytes", shortFmt, kWavNotRiffWave, kWavCannotOpen},
        {"not PCM", notPcm, kWavNotPcm, kWavCannotOpen},
        {"no fmt chunk", noFmt, kWavChunkNotFound, kWavCannotOpen},
        {"no data chunk", noData, kWavOk, kWavChunkNotFound},
        {"block align 0", zeroAlign, kWavBadFormat, kWavCannotOpen},
        {"file ends inside fmt", cutInFmt, kWavBadFormat, kWavCannotOpen},
        {"empty file", {}, kWavNotRiffWave, kWavCannotOpen},
        {"RIFF size past the end", hugeRiff, kWavOk, kWavOk},
    };
}

TEST(WavReader, ResultCodesOfPatchedHeaders)
{
    TempDir dir;
    for (const auto& c : headerCases()) {
        SCOPED_TRACE(c.name);
        testsupport::writeBinaryFile(dir / "t.wav", {c.bytes.begin(), c.bytes.end()});
        CWavReader reader;
        EXPECT_EQ(reader.open(dir / "t.wav"), c.openCode);
        EXPECT_EQ(reader.startData(), c.dataCode);
    }
    CWavReader reader;
    EXPECT_EQ(reader.open(dir / "missing.wav"), kWavCannotOpen);
}

TEST(WavReader, ReadsStopAtTheDataEnd)
{
    TempDir dir;
    testsupport::writeBinaryFile(dir / "t.wav", plainFile());
    CWavReader reader;
    ASSERT_EQ(reader.open(dir / "t.wav"), kWavOk);
    ASSERT_EQ(reader.startData(), kWavOk);
    std::uint8_t buffer[32];
    std::uint32_t got = 99;
    EXPECT_EQ(reader.read(buffer, 3, got), kWavOk);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(reader.read(buffer, 32, got), kWavOk);
    EXPECT_EQ(got, 5u);
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_EQ(reader.read(buffer, 32, got), kWavOk);
    EXPECT_EQ(got, 0u);
}

TEST(WavReader, DataRunningPastTheFileEndIsTruncated)
{
    TempDir dir;
    auto bytes = plainFile();
    patch32(bytes, 40, 1000);
    testsupport::writeBinaryFile(dir / "t.wav", bytes);
    CWavReader reader;
    ASSERT_EQ(reader.open(dir / "t.wav"), kWavOk);
    ASSERT_EQ(reader.startData(), kWavOk);
    std::uint8_t buffer[1000];
    std::uint32_t got = 99;
    EXPECT_EQ(reader.read(buffer, 4, got), kWavOk);
    EXPECT_EQ(reader.read(buffer, 1000, got), kWavTruncatedData);
    EXPECT_EQ(got, 0u);
}

std::uint32_t le32At(const std::vector<unsigned char>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

TEST(WavWriter, RoundTripFixesSizesAndFact)
{
    TempDir dir;
    struct Case {
        std::size_t bytes;
        std::uint32_t samples;
    };
    for (const Case c : {Case{0, 0}, Case{10, 5}, Case{7, 7}, Case{200000, 100000}}) {
        SCOPED_TRACE(c.bytes);
        std::vector<std::uint8_t> data(c.bytes);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = std::uint8_t(i * 7);
        CWavWriter writer;
        ASSERT_EQ(writer.create(dir / "w.wav", voiceFormat()), kWavOk);
        ASSERT_EQ(writer.write(data.data(), data.size() / 2), kWavOk);
        ASSERT_EQ(writer.write(data.data() + data.size() / 2, data.size() - data.size() / 2), kWavOk);
        ASSERT_EQ(writer.finish(c.samples), kWavOk);

        const auto file = testsupport::readBinaryFile(dir / "w.wav");
        ASSERT_EQ(file.size(), 56 + c.bytes + (c.bytes & 1));
        EXPECT_EQ(le32At(file, 4), file.size() - 8);
        EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "fact");
        EXPECT_EQ(le32At(file, 44), c.samples);
        EXPECT_EQ(le32At(file, 52), c.bytes);

        CWavReader reader;
        ASSERT_EQ(reader.open(dir / "w.wav"), kWavOk);
        ASSERT_EQ(reader.startData(), kWavOk);
        EXPECT_TRUE(isVoiceFormat(reader.format()));
        std::vector<std::uint8_t> back(c.bytes + 1);
        std::uint32_t got = 0;
        ASSERT_EQ(reader.read(back.data(), std::uint32_t(back.size()), got), kWavOk);
        back.resize(got);
        EXPECT_EQ(back, data);
    }
}

TEST(WavWriter, NonPcmFormatCarriesItsExtraBytes)
{
    TempDir dir;
    WavFormat format = voiceFormat();
    format.formatTag = 0x11;
    format.extra = {0xAB, 0xCD};
    CWavWriter writer;
    ASSERT_EQ(writer.create(dir / "x.wav", format), kWavOk);
    ASSERT_EQ(writer.finish(0), kWavOk);
    const auto file = testsupport::readBinaryFile(dir / "x.wav");
    EXPECT_EQ(le32At(file, 16), 20u);
    EXPECT_EQ(file[36], 2);
    EXPECT_EQ(file[38], 0xAB);
    CWavReader reader;
    EXPECT_EQ(reader.open(dir / "x.wav"), kWavNotPcm);
}

TEST(WavWriter, SoxReadsWhatWeWrite)
{
    TempDir dir;
    WavFormat stereo{kWavFormatPcm, 2, 22050, 88200, 4, 16, {}};
    CWavWriter writer;
    ASSERT_EQ(writer.create(dir / "s.wav", stereo), kWavOk);
    const std::vector<std::uint8_t> frames(4 * 2205, 0x10);
    ASSERT_EQ(writer.write(frames.data(), frames.size()), kWavOk);
    ASSERT_EQ(writer.finish(2205), kWavOk);
    const auto info = testsupport::runCommand("sox --i '" + (dir / "s.wav").string() + "'");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Channels       : 2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Sample Rate    : 22050"), std::string::npos);
    EXPECT_NE(info.out.find("= 2205 samples"), std::string::npos);
}

} // namespace
