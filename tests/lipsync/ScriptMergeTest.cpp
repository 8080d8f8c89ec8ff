#include "lipsync/PauseTrimmer.h"
#include "lipsync/ScriptAligner.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

PhonemeEntry entry(uint32_t start, uint32_t end, int16_t phoneme, const char* syllable = "")
{
    PhonemeEntry e;
    e.start = start;
    e.end = end;
    e.length = end - start;
    e.phoneme = phoneme;
    std::strncpy(e.syllable, syllable, sizeof e.syllable - 1);
    return e;
}

std::vector<std::array<uint32_t, 3>> spans(const std::vector<PhonemeEntry>& entries)
{
    std::vector<std::array<uint32_t, 3>> out;
    for (const auto& e : entries) {
        EXPECT_EQ(e.length, e.end - e.start);
        out.push_back({e.start, e.end, static_cast<uint32_t>(e.phoneme)});
    }
    return out;
}

} // namespace

// Unmatched stretches take the phonetic entries that fall in them, cut at their edges; the rest of the
// phonetic result is dropped, and the whole comes out in time order.
TEST(ScriptMerge, PhoneticEntriesFillOnlyTheUnmatchedStretches)
{
    BlockAlignment alignment;
    alignment.entries = {entry(10, 20, 1, "a"), entry(40, 50, 2, "b")};
    alignment.unmatched = {{20, 35}, {60, 70}};
    const std::vector<PhonemeEntry> phonetic{entry(0, 15, 7), entry(15, 25, 8), entry(25, 45, 9),
                                             entry(65, 90, 10)};
    const std::vector<std::array<uint32_t, 3>> expected{
        {10, 20, 1}, {20, 25, 8}, {25, 35, 9}, {40, 50, 2}, {65, 70, 10}};
    EXPECT_EQ(spans(mergeWithPhonetic(alignment, phonetic)), expected);

    BlockAlignment nothingFound;
    nothingFound.unmatched = {{0, 100}};
    EXPECT_EQ(spans(mergeWithPhonetic(nothingFound, phonetic)), spans(phonetic));
    EXPECT_TRUE(mergeWithPhonetic(BlockAlignment(), phonetic).empty());
}

// Long pauses leave the decoder's input; times come back in frames of the block, and a phone that the
// decoder let run across a cut stops where the speech before the cut stops.
TEST(PauseTrimmer, LongPausesAreCutAndTimesComeBack)
{
    // 0.3 s of tone, 1 s of silence, 0.2 s of tone, 0.3 s of silence: frames 0-29, 30-129, 130-149, 150-179.
    std::vector<int16_t> block(180 * 160, 0);
    for (size_t i = 0; i < block.size(); ++i)
        if (i < 30 * 160 || (i >= 130 * 160 && i < 150 * 160))
            block[i] = static_cast<int16_t>(i % 40 < 20 ? 8000 : -8000);
    CPauseTrimmer trimmer(50, 15, 45.0);
    const auto& speech = trimmer.trim(block.data(), static_cast<int>(block.size()) + 0);
    EXPECT_EQ(trimmer.removedFrames(), 70u); // frames 45-114; the last pause is too short
    EXPECT_EQ(speech.size(), (180u - 70u) * 160u);

    std::vector<PhonemeEntry> entries{entry(2, 30, 1), entry(40, 50, 2), entry(60, 70, 3), entry(75, 80, 4)};
    trimmer.restoreTimes(entries);
    // Trimmed frames 0-44 are block frames 0-44, 45 on are block frames 115 on.
    const std::vector<std::array<uint32_t, 3>> expected{
        {2, 30, 1}, {40, 45, 2}, {130, 140, 3}, {145, 150, 4}};
    EXPECT_EQ(spans(entries), expected);

    std::vector<int16_t> silence(100 * 160, 0);
    CPauseTrimmer all(50, 15, 45.0);
    EXPECT_EQ(all.trim(silence.data(), static_cast<int>(silence.size())).size(), 30u * 160u);
    std::vector<int16_t> odd(50 * 160 + 7, 0);
    EXPECT_EQ(all.trim(odd.data(), static_cast<int>(odd.size())).size(),
              30u * 160u + 7u); // the partial frame stays
    EXPECT_TRUE(all.trim(nullptr, 0).empty());
}
