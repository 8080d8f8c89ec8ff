// Formats, wave-format record, the stream layout a decoder derives, and the code tables.
#include "WMA/WmaFormat.h"
#include "WMA/WmaLayout.h"
#include "WMA/WmaTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(WmaFormat, BuildsTheProfileRowsWithExactByteRates)
{
    const struct {
        std::uint32_t rate;
        int channels;
        std::uint32_t bitRate;
        int blockAlign;
    } rows[] = {
        {8000, 1, 8000, 64},    // kind 1 and profile 1
        {11025, 1, 9992, 58},   // profiles 2 and 3
        {16000, 1, 16000, 64},  // profile 4
        {22050, 2, 32040, 186}, // profile 5
        {8000, 1, 24000, 192},  {16000, 1, 32000, 128},
    };
    for (const auto& r : rows) {
        WmaFormat f;
        ASSERT_TRUE(makeWmaFormat(r.rate, r.channels, r.bitRate, f)) << r.rate << " " << r.bitRate;
        EXPECT_EQ(f.blockAlign, r.blockAlign) << r.rate << " " << r.bitRate;
        EXPECT_EQ(f.avgBytesPerSec() * 8, r.bitRate);
    }
    for (const WmaFormat& f : wmaFormatList()) {
        WmaFormat again;
        ASSERT_TRUE(makeWmaFormat(f.sampleRate, f.channels, f.bitRate, again));
        EXPECT_EQ(again, f);
    }
}

TEST(WmaFormat, RefusesWhatItCannotWrite)
{
    const struct {
        std::uint32_t rate;
        int channels;
        std::uint32_t bitRate;
    } rows[] = {
        {44100, 2, 64080}, {12000, 1, 8000}, {8000, 3, 8000},  {8000, 0, 8000},
        {8000, 1, 8004},   {8000, 1, 3000},  {8000, 1, 40000}, {16000, 2, 8000},
    };
    for (const auto& r : rows) {
        WmaFormat f;
        std::string why;
        EXPECT_FALSE(makeWmaFormat(r.rate, r.channels, r.bitRate, f, &why)) << r.rate << " " << r.bitRate;
        EXPECT_FALSE(why.empty());
    }
}

TEST(WmaFormat, WaveFormatRecordCarriesTheEncoderFlags)
{
    WmaFormat f;
    ASSERT_TRUE(makeWmaFormat(11025, 1, 9992, f));
    const std::vector<std::uint8_t> w = wmaWaveFormat(f);
    ASSERT_EQ(w.size(), 18u + kWmaExtraBytes);
    auto u16 = [&](int at) { return unsigned(w[std::size_t(at)] | (w[std::size_t(at + 1)] << 8)); };
    auto u32 = [&](int at) { return u16(at) | (u16(at + 2) << 16); };
    EXPECT_EQ(u16(0), 0x0161u);
    EXPECT_EQ(u16(2), 1u);
    EXPECT_EQ(u32(4), 11025u);
    EXPECT_EQ(u32(8), 1249u);
    EXPECT_EQ(u16(12), 58u);
    EXPECT_EQ(u16(16), unsigned(kWmaExtraBytes));
    EXPECT_EQ(u16(18 + 4), unsigned(kWmaEncodeFlags));
    // A flags word of 0x000D makes FFmpeg switch the variable block length off.
    EXPECT_NE(kWmaEncodeFlags, 0x000D);
}

TEST(WmaLayout, DerivesTheDecodersParameters)
{
    const struct {
        std::uint32_t rate;
        int channels;
        std::uint32_t bitRate;
        int frameLen, blockSizes, byteOffsetBits;
        bool noise;
        int highBandStart; // of the full block
    } rows[] = {
        {8000, 1, 8000, 512, 3, 8, false, 512},  {11025, 1, 9992, 512, 3, 7, true, 358},
        {16000, 1, 16000, 512, 3, 8, true, 256}, {16000, 1, 32000, 512, 3, 9, true, 256},
        {8000, 1, 24000, 512, 3, 9, false, 512}, {22050, 2, 32040, 1024, 3, 8, false, 0},
    };
    for (const auto& r : rows) {
        WmaFormat f;
        ASSERT_TRUE(makeWmaFormat(r.rate, r.channels, r.bitRate, f));
        const WmaLayout l(f);
        SCOPED_TRACE(std::to_string(r.rate) + " " + std::to_string(r.bitRate));
        EXPECT_EQ(l.frameLen, r.frameLen);
        EXPECT_EQ(l.blockSizes, r.blockSizes);
        EXPECT_EQ(l.byteOffsetBits, r.byteOffsetBits);
        EXPECT_EQ(l.noiseCoding, r.noise);
        if (r.noise) {
            EXPECT_EQ(l.blocks[0].highBandStart, r.highBandStart);
        }
        // The bit offset field must reach across a whole superframe.
        EXPECT_GE((1 << (l.byteOffsetBits + 3)) - 1, f.blockAlign * 8 - l.headerBits());
        for (const WmaBlockLayout& b : l.blocks) {
            int sum = 0;
            for (int w : b.bandWidths)
                sum += w;
            EXPECT_EQ(sum, b.length);
            int high = 0;
            for (int w : b.highBandWidths)
                high += w;
            if (l.noiseCoding) {
                EXPECT_EQ(high, b.coefsEnd - b.highBandStart);
            }
        }
    }
}

// Every code table must be a complete prefix code, or a decoder would read other symbols than we wrote.
TEST(WmaTables, AreCompletePrefixCodes)
{
    struct Table {
        const char* name;
        int size;
        const std::uint32_t* codes32;
        const std::uint16_t* codes16;
        const std::uint8_t* bits;
    };
    const Table tables[] = {
        {"exponents", 121, wma::kScaleCodes, nullptr, wma::kScaleBits},
        {"high-band gains", 37, nullptr, wma::kHighGainCodes, wma::kHighGainBits},
        {"coefficients", wma::kCoefTables[0].symbols, wma::kCoefTables[0].codes, nullptr,
         wma::kCoefTables[0].bits},
        {"side coefficients", wma::kCoefTables[1].symbols, wma::kCoefTables[1].codes, nullptr,
         wma::kCoefTables[1].bits},
    };
    for (const Table& t : tables) {
        SCOPED_TRACE(t.name);
        double kraft = 0;
        for (int i = 0; i < t.size; ++i)
            kraft += std::ldexp(1.0, -t.bits[i]);
        EXPECT_NEAR(kraft, 1.0, 1e-12);
        for (int i = 0; i < t.size; ++i)
            for (int j = 0; j < t.size; ++j) {
                if (i == j || t.bits[i] > t.bits[j])
                    continue;
                const std::uint32_t a = t.codes32 ? t.codes32[i] : t.codes16[i];
                const std::uint32_t b = t.codes32 ? t.codes32[j] : t.codes16[j];
                ASSERT_NE(a, b >> (t.bits[j] - t.bits[i])) << i << " is a prefix of " << j;
            }
    }
    for (const wma::CoefTable& t : wma::kCoefTables) {
        int runs = 2;
        for (int l = 0; l < t.levels; ++l)
            runs += t.runsPerLevel[l];
        EXPECT_EQ(runs, t.symbols);
    }
}

} // namespace
