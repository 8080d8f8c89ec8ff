// Closing a smile's gap between the lips, on a painted mouth: the teeth go, the lips meet in a dark line
// where they should, and nothing outside the gap changes.
#include "FaceArguments.h"
#include "LipClosing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kSide = 40;
constexpr double kGapTop = 16, kGapBottom = 24;

// Skin, an upper lip above the gap, white teeth in it and a lower lip below it, between columns 8 and 32.
RgbImage paintedSmile()
{
    RgbImage picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            bool mouth = x >= 8 && x <= 32;
            if (mouth && y >= 12 && y < kGapTop)
                picture.set(x, y, 200, 110, 110);
            else if (mouth && y >= kGapTop && y <= kGapBottom)
                picture.set(x, y, 250, 248, 240);
            else if (mouth && y > kGapBottom && y <= 29)
                picture.set(x, y, 215, 130, 130);
            else
                picture.set(x, y, 230, 190, 165);
        }
    return picture;
}

LipGap straightGap()
{
    return {{{6, 20}, {10, kGapTop}, {30, kGapTop}, {34, 20}},
            {{6, 20}, {10, kGapBottom}, {30, kGapBottom}, {34, 20}}};
}

int brightness(const RgbImage& picture, int x, int y)
{
    const std::uint8_t* p = picture.at(x, y);
    return p[0] + p[1] + p[2];
}

} // namespace

TEST(LipClosing, GapTakesTheLipsColoursAndTheyMeetInADarkLine)
{
    RgbImage picture = paintedSmile();
    const RgbImage before = picture;
    closeLipGap(picture, straightGap());
    const int meetRow = static_cast<int>(kGapTop + kLipMeeting * (kGapBottom - kGapTop) + 0.5);
    for (int x = 12; x <= 28; ++x) {
        SCOPED_TRACE("column " + std::to_string(x));
        for (int y = static_cast<int>(kGapTop); y <= static_cast<int>(kGapBottom); ++y) {
            const std::uint8_t* p = picture.at(x, y);
            EXPECT_GT(p[0], 1.4 * p[1]) << "row " << y << " is not lip-coloured";
            // Each half takes the colour of the lip it belongs to (the lower lip is the lighter one here).
            if (y < meetRow - 1) {
                EXPECT_LE(p[0], 200) << "row " << y;
            } else if (y > meetRow + 1) {
                EXPECT_GT(p[0], 200) << "row " << y;
            }
        }
        int darkest = static_cast<int>(kGapTop);
        for (int y = darkest; y <= static_cast<int>(kGapBottom); ++y)
            if (brightness(picture, x, y) < brightness(picture, x, darkest))
                darkest = y;
        EXPECT_NEAR(darkest, meetRow, 1) << "the lips meet elsewhere";
        // The lips themselves and the skin beyond them are kept.
        for (int y : {12, 14, 26, 29, 35})
            EXPECT_EQ(brightness(picture, x, y), brightness(before, x, y)) << "row " << y;
    }
    for (int y = 0; y < kSide; ++y)
        EXPECT_EQ(brightness(picture, 2, y), brightness(before, 2, y)) << "beside the corner, row " << y;
}

TEST(LipClosing, GapsThatCannotBePaintedAreRefusedAndChangeNothing)
{
    struct Case {
        const char* name;
        LipGap gap;
        const char* mentions;
    };
    const Case cases[] = {
        {"one point on an edge", {{{6, 20}}, {{6, 20}, {34, 20}}}, "two points"},
        {"x falling", {{{6, 20}, {20, 16}, {10, 16}, {34, 20}}, {{6, 20}, {34, 20}}}, "left to right"},
        {"x repeated", {{{6, 20}, {6, 16}, {34, 20}}, {{6, 20}, {34, 20}}}, "left to right"},
        {"other corners", {{{6, 20}, {34, 20}}, {{8, 20}, {34, 20}}}, "same corners"},
        {"edges crossed", {{{6, 20}, {20, 24}, {34, 20}}, {{6, 20}, {20, 16}, {34, 20}}}, "above"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(lipGapProblem(c.gap).find(c.mentions), std::string::npos) << lipGapProblem(c.gap);
        RgbImage picture = paintedSmile();
        closeLipGap(picture, c.gap);
        EXPECT_EQ(picture.rgb, paintedSmile().rgb);
    }
    EXPECT_EQ(lipGapProblem(straightGap()), "");
    // A gap reaching past the picture's edges paints what lies inside and nothing else.
    RgbImage picture = paintedSmile();
    closeLipGap(picture, {{{-10, 30}, {50, 30}}, {{-10, 30}, {20, 45}, {50, 30}}});
    EXPECT_NE(picture.rgb, paintedSmile().rgb);
}

TEST(LipClosing, FaceArgumentsCollectBothEdgesInOrderAndRefuseABadGap)
{
    const std::vector<std::string> eyes = {"right-eye=1,1", "left-eye=9,1"};
    std::vector<std::string> args = eyes;
    args.insert(args.end(), {"lip-gap-top.a=0,5", "lip-gap-bottom.a=0,5", "lip-gap-top.b=4,4",
                             "lip-gap-bottom.b=4,7", "lip-gap-top.c=8,5", "lip-gap-bottom.c=8,5"});
    FaceArguments parsed;
    ASSERT_EQ(parseFaceArguments(args, parsed), "");
    ASSERT_EQ(parsed.lipGap.top.size(), 3u);
    EXPECT_EQ(parsed.lipGap.top[1].y, 4);
    EXPECT_EQ(parsed.lipGap.bottom[1].y, 7);

    args = eyes;
    args.insert(args.end(), {"lip-gap-top.a=0,5", "lip-gap-top.b=8,5", "lip-gap-bottom.a=0,5"});
    EXPECT_NE(parseFaceArguments(args, parsed).find("two points"), std::string::npos);
    args = eyes;
    args.push_back("lip-gap-top.a=0");
    EXPECT_NE(parseFaceArguments(args, parsed).find("X,Y"), std::string::npos);
    EXPECT_EQ(parsed.lipGap.top.size(), 3u) << "a refused parse keeps what was there";
}
