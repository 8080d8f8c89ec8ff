#include "lipsync/BlockRecognition.h"
#include "FakeRecogniser.h"
#include "lipsync/PhonemeTables.h"
#include "lipsync/TrackSplicer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const std::string kBa = "\xA3\x74\xA3\xAB";              // ㄅㄚ
const std::string kShiTone = "\xA3\xA6\xA3\xB8\xA3\xBD"; // ㄕㄧˇ

std::vector<PhonemeEntry> recognise(FakeRecogniser& fake, bool* ok = nullptr)
{
    std::vector<PhonemeEntry> entries;
    int16_t samples[160] = {};
    const bool result = recogniseBlock(fake, "SylRecog.res", samples, 160, entries);
    if (ok)
        *ok = result;
    return entries;
}

} // namespace

TEST(PhonemeTables, SymbolsPhonemesAndVisemesFollowTheTables)
{
    const struct {
        uint16_t big5;
        int16_t phoneme;
        const char* label;
        uint16_t viseme;
        const char* shortName;
    } cases[] = {
        {0xA374, 14, "[b]", 1, "pbm"},   {0xA377, 20, "[f]", 2, "fv"},     {0xA37E, 32, "[hh]", 11, "e"},
        {0xA3A1, 37, "[jh]", 6, "tSdZS"}, {0xA3A7, 27, "[?]", 6, "tSdZS"}, {0xA3AA, 22, "[s]", 7, "sz"},
        {0xA3AB, 4, "[aa]", 10, "A:"},   {0xA3B5, 35, "[?]", 8, "nl"},     {0xA3B7, 29, "[r]", 9, "r"},
        {0xA3B8, 1, "[iy]", 12, "I"},    {0xA3BA, 13, "[uw]", 14, "U"},    {0xA3BD, 255, "[?]", 255, ""},
        {0xA373, 255, "[?]", 255, ""},   {0xA37F, 255, "[?]", 255, ""},    {0x0041, 255, "[?]", 255, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.big5);
        EXPECT_EQ(phonemeOfSymbol(c.big5), c.phoneme);
        EXPECT_EQ(phonemeLabel(c.phoneme), c.label);
        EXPECT_EQ(visemeOfPhoneme(c.phoneme), c.viseme);
        EXPECT_EQ(visemeShortName(c.viseme), c.shortName);
    }
    EXPECT_EQ(phonemeLabel(30), "[?]");
    EXPECT_EQ(visemeOfPhoneme(30), 12);
    EXPECT_EQ(visemeOfPhoneme(64), 255);
    EXPECT_EQ(phonemeLabel(66), "[oy]");
    EXPECT_EQ(visemeName(6), "tS, dZ, S");
    EXPECT_EQ(visemeName(15), "");
}

TEST(BlockRecognition, SyllableSpanIsSplitEvenlyAmongItsSymbols)
{
    FakeRecogniser fake;
    fake.script = [](const int16_t*, int) { return std::vector<FakeSyllable>{{100, 131, kShiTone}}; };
    const auto entries = recognise(fake);
    ASSERT_EQ(entries.size(), 3u);
    const uint32_t bounds[][2] = {{100, 110}, {110, 120}, {120, 131}};
    for (size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(entries[j].start, bounds[j][0]);
        EXPECT_EQ(entries[j].end, bounds[j][1]);
        EXPECT_EQ(entries[j].length, bounds[j][1] - bounds[j][0]);
        EXPECT_EQ(std::string(entries[j].syllable), j == 0 ? kShiTone : "");
        EXPECT_EQ(std::string(entries[j].symbol), kShiTone.substr(2 * j, 2));
    }
    EXPECT_EQ(entries[0].phoneme, 26);
    EXPECT_EQ(entries[2].phoneme, kUnknownPhoneme); // the tone mark
}

TEST(BlockRecognition, EndFrameMeetsANextSyllableThatStartsOneFrameLater)
{
    const struct {
        uint16_t nextStart;
        uint32_t firstEnd;
    } cases[] = {{21, 21}, {25, 20}, {20, 20}};
    for (const auto& c : cases) {
        FakeRecogniser fake;
        fake.script = [&](const int16_t*, int) {
            return std::vector<FakeSyllable>{{10, 20, "\xA3\x74"}, {c.nextStart, 30, "\xA3\xAB"}};
        };
        const auto entries = recognise(fake);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].end, c.firstEnd) << c.nextStart;
        EXPECT_EQ(entries[1].end, 30u); // the last syllable keeps its end
    }
}

TEST(BlockRecognition, ResultCodesDecideSuccessAndDestroyFollowsEveryStart)
{
    const struct {
        int initResult;
        bool forceCount;
        int count;
        bool ok;
        int destroys;
    } cases[] = {{0, true, 0, true, 1},      {0, true, -1008, true, 1}, {0, true, -1, false, 1},
                 {0, true, -1009, false, 1}, {5, false, 0, false, 0},   {0, false, 0, true, 1}};
    for (const auto& c : cases) {
        FakeRecogniser fake;
        fake.initResult = c.initResult;
        fake.useForcedCount = c.forceCount;
        fake.forcedCount = c.count;
        fake.script = [](const int16_t*, int) { return std::vector<FakeSyllable>{{1, 5, kBa}}; };
        bool ok = !c.ok;
        const auto entries = recognise(fake, &ok);
        EXPECT_EQ(ok, c.ok) << c.count;
        EXPECT_EQ(fake.destroys, c.destroys) << c.count;
        if (c.forceCount) {
            EXPECT_TRUE(entries.empty()) << c.count;
        }
    }
}

TEST(BlockRecognition, OddBytesAndMalformedRecordsGiveNoBrokenEntries)
{
    FakeRecogniser fake;
    fake.script = [](const int16_t*, int) {
        return std::vector<FakeSyllable>{{50, 40, kBa}, {60, 70, "\xA3"}, {80, 81, ""},
                                         {90, 99, "\xA3\x74\xA3\x75\xA3\x76\xA3\x77\xA3\x78\xA3\x79"}};
    };
    auto entries = recognise(fake);
    for (const auto& e : entries) {
        EXPECT_LE(e.start, e.end);
        EXPECT_EQ(e.syllable[9], '\0');
    }
    ASSERT_EQ(entries.size(), 2u + 6u); // the half-symbol and empty texts give nothing
    EXPECT_EQ(std::strlen(entries[2].syllable) % 2, 0u);
    convertEntries(entries);
    EXPECT_EQ(entries[0].start, 50u * 160);
    EXPECT_EQ(entries[0].viseme, 1);
}

TEST(BlockRecognition, UnknownSymbolBecomesAnItemWithoutPhonemeOrViseme)
{
    FakeRecogniser fake;
    fake.script = [](const int16_t*, int) { return std::vector<FakeSyllable>{{10, 30, "\xA3\xBD\xA1\x40"}}; };
    auto entries = recognise(fake);
    ASSERT_EQ(entries.size(), 2u); // a tone mark and a symbol outside the Bopomofo rows
    convertEntries(entries);
    for (const auto& entry : entries) {
        const TrackPhoneme item = trackPhonemeOf(entry, 880000);
        EXPECT_EQ(item.phoneme, kUnknownPhoneme);
        EXPECT_EQ(item.label, "[?]");
        EXPECT_EQ(item.viseme, kNoViseme);
        EXPECT_EQ(item.visemeName, "");
        EXPECT_EQ(item.start, 880000 + entry.start);
        EXPECT_EQ(item.symbol, std::string(entry.symbol));
    }
}
