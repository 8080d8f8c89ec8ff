// The generator's geometry and writers, on small pictures made here.
#include "images/CJpegPicture.h"
#include "ExpressionText.h"
#include "FaceAlignment.h"
#include "RgbImage.h"
#include "StudioBackdrop.h"
#include "TeethPainter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

void expectNear(Point2 got, Point2 want, const char* what)
{
    EXPECT_NEAR(got.x, want.x, 1e-9) << what;
    EXPECT_NEAR(got.y, want.y, 1e-9) << what;
}

} // namespace

TEST(FaceAlignment, SimilarityCarriesBothPointsAndInvertsExactly)
{
    struct Case {
        const char* name;
        Point2 s1, s2;
        double scale, degrees;
    };
    const Case cases[] = {
        {"already in place", {111.16, 131.07}, {144.84, 131.07}, 1.0, 0.0},
        {"twice as large", {100, 100}, {167.36, 100}, 0.5, 0.0},
        {"tilted clockwise on screen", {204, 101}, {245.5, 103.5}, 33.68 / std::hypot(41.5, 2.5), -3.447},
        {"upside down", {300, 50}, {200, 50}, 0.3368, 180.0},
    };
    const FaceLandmarks& target = meshPhotoLandmarks();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Similarity m;
        ASSERT_TRUE(similarityFromPairs(c.s1, c.s2, target.rightEye, target.leftEye, m));
        expectNear(m.apply(c.s1), target.rightEye, "first point");
        expectNear(m.apply(c.s2), target.leftEye, "second point");
        EXPECT_NEAR(m.scale(), c.scale, 1e-6);
        EXPECT_NEAR(std::remainder(m.angleDegrees() - c.degrees, 360.0), 0.0, 1e-3);
        const Point2 probe{17.25, -3.5};
        expectNear(m.inverse().apply(m.apply(probe)), probe, "round trip");
    }
}

TEST(FaceAlignment, CoincidentPointsAreRefused)
{
    Similarity m;
    m.tx = 7;
    EXPECT_FALSE(similarityFromPairs({5, 5}, {5, 5}, {0, 0}, {1, 0}, m));
    EXPECT_FALSE(similarityFromPairs({0, 0}, {1, 0}, {3, 3}, {3, 3}, m));
    EXPECT_EQ(m.tx, 7); // untouched on refusal
}

TEST(FaceAlignment, WarpMovesAMarkedPixelWhereTheTransformSays)
{
    RgbImage source(64, 64);
    source.set(20, 30, 255, 255, 255);
    Similarity m;
    ASSERT_TRUE(similarityFromPairs({20, 30}, {40, 30}, {100, 60}, {140, 60}, m)); // doubles and shifts
    const RgbImage out = warpPicture(source, m, 256);
    EXPECT_GT(out.at(100, 60)[0], 200);
    EXPECT_LT(out.at(98, 60)[0], 80); // a doubled pixel spreads about one pixel, not more
    EXPECT_EQ(out.at(10, 10)[1], 0);
}

TEST(FaceAlignment, AreasPastTheSourceBorderAreSmoothNotStreaked)
{
    // Alternating columns along the top row would be dragged up as stripes by a plain edge clamp.
    RgbImage source(200, 40);
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 40; ++y)
            source.set(x, y, (x % 2) * 200.0, 0, 0);
    Similarity shiftDown;
    shiftDown.ty = 30; // the result's top 30 rows lie above the source
    const RgbImage out = warpPicture(source, shiftDown, 200);
    int low = 255, high = 0;
    for (int x = 80; x < 120; ++x) {
        low = std::min<int>(low, out.at(x, 2)[0]);
        high = std::max<int>(high, out.at(x, 2)[0]);
    }
    EXPECT_LT(high - low, 12);
    EXPECT_EQ(out.at(11, 35)[0], 200); // inside the source the pixels are copied as they are
}

TEST(JpegWriter, WritesWhatTheStudioLoadsAndNothingOnFailure)
{
    testsupport::TempDir dir;
    RgbImage grey(16, 8);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 8; ++y)
            grey.set(x, y, 200, 200, 200);
    for (bool fullChroma : {false, true}) {
        const auto path = (dir / (fullChroma ? "full.jpg" : "sub.jpg")).string();
        ASSERT_TRUE(writeJpegRgb(path, grey, 95, fullChroma));
        CJpegPicture picture;
        ASSERT_TRUE(picture.loadFile(path, true)) << CJpegPicture::errorText();
        EXPECT_EQ(picture.width(), 16);
        EXPECT_EQ(picture.height(), 8);
        EXPECT_NEAR(picture.pixels()[3], 200, 3); // mask mode reads the grey as alpha
        EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    }
    RgbImage broken(4, 4);
    broken.rgb.resize(5);
    EXPECT_FALSE(writeJpegRgb((dir / "broken.jpg").string(), broken, 90, false));
    EXPECT_FALSE(writeJpegRgb((dir / "empty.jpg").string(), RgbImage(), 90, false));
    EXPECT_FALSE(writeJpegRgb((dir / "missing" / "x.jpg").string(), grey, 90, false));
    EXPECT_FALSE(std::filesystem::exists(dir / "broken.jpg"));
}

TEST(ExpressionText, RoundTripsThroughTheStudioReaderWithNamedRecords)
{
    testsupport::TempDir dir;
    FapRow row{};
    for (int i = 0; i < kFapCount; ++i)
        row[static_cast<size_t>(i)] = (i % 2 ? -1 : 1) * i * 37;
    row[47] = -2147483647 - 1; // extreme values survive the text form
    row[48] = 2147483647;
    const auto path = dir / "Odd.ev";
    ASSERT_EQ(writeExpressionFile(path, row), 1);
    FapRow read{};
    ASSERT_EQ(readExpressionFile(path, read), 1);
    EXPECT_EQ(read, row);
    EXPECT_EQ(expressionText(row).substr(0, 14), "viseme none 0\n");

    struct Label {
        int index;
        const char* name;
        const char* unit;
    };
    for (const Label& l :
         {Label{2, "open_jaw", "MNS"}, Label{18, "close_t_l_eyelid", "IRISD"}, Label{47, "head_pitch", "AU"},
          Label{67, "pull_r_ear", "ENS"}, Label{68, "unused", "none"}, Label{-1, "unused", "none"}}) {
        EXPECT_STREQ(fapLabel(l.index), l.name) << l.index;
        EXPECT_STREQ(fapUnitLabel(l.index), l.unit) << l.index;
    }
    EXPECT_EQ(writeExpressionFile(dir / "no" / "such.ev", row), 0);
}

TEST(TeethPainter, VariantsAreRepeatableDistinctAndMirrored)
{
    const auto& styles = teethStyles();
    ASSERT_GE(styles.size(), 3u);
    for (size_t i = 0; i < styles.size(); ++i) {
        SCOPED_TRACE(styles[i].name);
        const RgbImage upper = paintTeeth(styles[i], TeethRow::Upper);
        const RgbImage lower = paintTeeth(styles[i], TeethRow::Lower);
        ASSERT_EQ(upper.width, kTeethWidth);
        ASSERT_EQ(upper.height, kTeethHeight);
        EXPECT_EQ(upper.rgb, paintTeeth(styles[i], TeethRow::Upper).rgb);
        // Gum (pink, red well above blue) along the outer edge of each row.
        EXPECT_GT(upper.at(32, 0)[0] - upper.at(32, 0)[2], 50);
        EXPECT_GT(lower.at(30, kTeethHeight - 1)[0] - lower.at(30, kTeethHeight - 1)[2], 50);
        for (size_t j = i + 1; j < styles.size(); ++j)
            EXPECT_NE(upper.rgb, paintTeeth(styles[j], TeethRow::Upper).rgb) << styles[j].name;
    }
}

TEST(StudioBackdrop, IsBrighterBehindTheHeadThanInTheCorners)
{
    const RgbImage backdrop = paintStudioBackdrop(kBackdropSize, kBackdropSize);
    ASSERT_EQ(backdrop.width, 256);
    const int centre = backdrop.at(128, 96)[2];
    EXPECT_GT(centre, backdrop.at(0, 255)[2] + 40);
    EXPECT_GT(centre, backdrop.at(255, 0)[2] + 20);
}
