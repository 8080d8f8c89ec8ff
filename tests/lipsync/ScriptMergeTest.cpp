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

// Unmatched spans are decoded with half a second of sound around them; near ones share a stretch, and a
// block that is mostly unmatched is decoded whole.
TEST(ScriptMerge, PhoneticStretchesCoverTheUnmatchedSpansWithContext)
{
    const auto pieces = [](const std::vector<FrameSpan>& spans, uint32_t frames) {
        std::vector<std::array<uint32_t, 2>> out;
        for (const auto& piece : phoneticPieces(spans, frames))
            out.push_back({piece.start, piece.end});
        return out;
    };
    using Pieces = std::vector<std::array<uint32_t, 2>>;
    EXPECT_EQ(pieces({{10, 20}, {900, 920}, {960, 990}, {5980, 6000}}, 6000),
              (Pieces{{0, 70}, {850, 1040}, {5930, 6000}}));
    EXPECT_EQ(pieces({{100, 3000}, {3100, 4000}}, 6000), (Pieces{{0, 6000}}));
    EXPECT_TRUE(pieces({}, 6000).empty());
    EXPECT_EQ(pieces({{0, 5}}, 5), (Pieces{{0, 5}}));
}
