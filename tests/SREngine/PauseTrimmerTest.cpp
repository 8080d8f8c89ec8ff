#include "SREngine/PauseTrimmer.h"

#include <gtest/gtest.h>

#include <array>

using sylrecog::CPauseTrimmer;
using sylrecog::PhoneSegment;

namespace {

std::vector<std::array<int, 2>> framesOf(const std::vector<PhoneSegment>& segments)
{
    std::vector<std::array<int, 2>> out;
    for (const auto& s : segments)
        out.push_back({s.startFrame, s.endFrame});
    return out;
}

} // namespace

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
    const auto& speech = trimmer.trim(block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(trimmer.removedFrames(), 70u); // frames 45-114; the last pause is too short
    EXPECT_EQ(speech.size(), (180u - 70u) * 160u);

    // Trimmed frames 0-44 are block frames 0-44, 45 on are block frames 115 on.
    std::vector<PhoneSegment> segments{{"AA", 2, 29}, {"SIL", 30, 49}, {"B", 60, 69}, {"M", 75, 79}};
    trimmer.restoreTimes(segments);
    const std::vector<std::array<int, 2>> expected{{2, 29}, {30, 44}, {130, 139}, {145, 149}};
    EXPECT_EQ(framesOf(segments), expected);

    std::vector<int16_t> silence(100 * 160, 0);
    CPauseTrimmer all(50, 15, 45.0);
    EXPECT_EQ(all.trim(silence.data(), static_cast<int>(silence.size())).size(), 30u * 160u);
    std::vector<int16_t> odd(50 * 160 + 7, 0);
    EXPECT_EQ(all.trim(odd.data(), static_cast<int>(odd.size())).size(),
              30u * 160u + 7u); // the partial frame stays
    EXPECT_TRUE(all.trim(nullptr, 0).empty());
    std::vector<PhoneSegment> untouched{{"AA", 3, 9}};
    CPauseTrimmer none(50, 15, 45.0);
    none.trim(block.data(), 40 * 160); // no pause of 50 frames in the first 40
    none.restoreTimes(untouched);
    EXPECT_EQ(framesOf(untouched), (std::vector<std::array<int, 2>>{{3, 9}}));
}
