// The silhouette mask and the face command's arguments, on outlines and pictures made here.
#include "FaceArguments.h"
#include "SilhouetteMask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::vector<OutlinePoint> named(std::initializer_list<Point2> corners)
{
    std::vector<OutlinePoint> outline;
    for (Point2 p : corners)
        outline.push_back({std::string(1, 'p').append(std::to_string(outline.size())), p});
    return outline;
}

std::vector<Point2> corners(const std::vector<OutlinePoint>& outline)
{
    return transformOutline(outline, Similarity{});
}

} // namespace

TEST(SilhouetteOutline, RefusesOutlinesThatCannotBeFilled)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        std::vector<OutlinePoint> outline;
        const char* problemMentions; // nullptr: the outline is fine
    };
    std::vector<OutlinePoint> twiceNamed = named({{0, 0}, {10, 0}, {10, 10}});
    twiceNamed[2].name = "p0";
    const Case cases[] = {
        {"triangle", named({{0, 0}, {10, 0}, {5, 8}}), nullptr},
        {"concave, with a corner beyond the picture", named({{0, 0}, {30, 0}, {30, 300}, {15, 5}, {0, 30}}),
         nullptr},
        {"two corners", named({{0, 0}, {10, 0}}), "at least 3"},
        {"name used twice", twiceNamed, "p0 is named twice"},
        {"repeated corner", named({{0, 0}, {10, 0}, {10, 0}, {0, 10}}), "p1 and p2 coincide"},
        {"last corner repeats the first", named({{0, 0}, {10, 0}, {0, 10}, {0, 0}}), "p3 and p0 coincide"},
        {"bow tie", named({{0, 0}, {10, 10}, {10, 0}, {0, 10}}), "edge p0-p1 meets edge p2-p3"},
        {"corner resting on another edge", named({{0, 0}, {10, 0}, {10, 10}, {5, 0}, {0, 10}}), "folds"},
        {"edge doubling back over another", named({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}, {0, -5}}),
         "folds"},
        {"all on one line", named({{0, 0}, {5, 0}, {10, 0}}), "no area"},
        {"not a number", named({{0, 0}, {nan, 0}, {0, 10}}), "p1 is not a finite"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string problem = outlineProblem(c.outline);
        if (!c.problemMentions)
            EXPECT_EQ(problem, "");
        else
            EXPECT_NE(problem.find(c.problemMentions), std::string::npos) << problem;
    }
}

TEST(SilhouetteOutline, AlphaIsHalfOnTheOutlineAndFullWithinHalfAFeather)
{
    // A square with a notch cut into its top edge down to y = 20: the notch is outside.
    const std::vector<Point2> notched =
        corners(named({{10, 10}, {25, 10}, {30, 20}, {35, 10}, {50, 10}, {50, 50}, {10, 50}}));
    struct Case {
        const char* name;
        Point2 at;
        double alpha;
    };
    const Case cases[] = {
        {"centre", {30, 35}, 1.0},
        {"on the left edge", {10, 30}, 0.5},
        {"on a corner", {50, 50}, 0.5},
        {"half a feather inside", {13, 30}, 1.0},
        {"half a feather outside", {7, 30}, 0.0},
        {"inside the notch", {30, 11}, 0.0},
        {"level with a corner, outside", {0, 10}, 0.0}, // the crossing ray runs through two corners
        {"level with a corner, inside", {20, 20}, 1.0}, // ... and here through the notch's tip
        {"far away", {-1000, 1000}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(silhouetteAlpha(notched, 6.0, c.at), c.alpha, 1e-9);
    }
    // The fade is monotonic and symmetric about the outline.
    double previous = 1.0;
    for (double x = 14; x >= 6; x -= 0.25) {
        const double alpha = silhouetteAlpha(notched, 6.0, {x, 30});
        EXPECT_LE(alpha, previous + 1e-12) << x;
        EXPECT_NEAR(alpha + silhouetteAlpha(notched, 6.0, {20 - x, 30}), 1.0, 1e-9) << x;
        previous = alpha;
    }
    EXPECT_EQ(silhouetteAlpha(notched, 0, {10.01, 30}), 1.0);
    EXPECT_EQ(silhouetteAlpha(notched, 0, {9.99, 30}), 0.0);
    EXPECT_EQ(silhouetteAlpha({}, 6.0, {0, 0}), 0.0);
}

TEST(SilhouetteOutline, OutlineBeyondThePictureKeepsItsEdgesOpaque)
{
    // The shoulders run off the bottom of the photo: its last row must not fade.
    const std::vector<Point2> shoulders = corners(named({{8, 4}, {24, 4}, {40, 60}, {-10, 60}}));
    const RgbImage mask = paintSilhouetteMask(shoulders, 6.0, 32);
    ASSERT_EQ(mask.width, 32);
    for (int x = 6; x < 26; ++x)
        EXPECT_EQ(mask.at(x, 31)[0], 255) << x;
    EXPECT_EQ(mask.at(0, 0)[0], 0);
    EXPECT_EQ(mask.at(16, 4)[1], 128); // the top edge runs through these pixel centres
}

TEST(SilhouetteOutline, MaskFollowsThePhotoThroughTheAlignment)
{
    // A bright square in the source, outlined in source pixels; after a turn, scale and shift the mask
    // must still cover exactly the square in the warped photo.
    RgbImage source(200, 200);
    for (int y = 60; y <= 120; ++y)
        for (int x = 70; x <= 150; ++x)
            source.set(x, y, 255, 255, 255);
    Similarity toPhoto;
    ASSERT_TRUE(similarityFromPairs({70, 60}, {150, 60}, {40, 20}, {100, 60}, toPhoto));
    const auto outline = named({{70, 60}, {150, 60}, {150, 120}, {70, 120}});
    const RgbImage photo = warpPicture(source, toPhoto, 128);
    const RgbImage mask = paintSilhouetteMask(transformOutline(outline, toPhoto), 2.0, 128);
    int covered = 0;
    for (int i = 0; i < 128 * 128; ++i) {
        const int alpha = mask.rgb[static_cast<size_t>(i) * 3];
        const int bright = photo.rgb[static_cast<size_t>(i) * 3];
        if (alpha > 250) {
            EXPECT_GT(bright, 200) << "mask shows background at pixel " << i;
        }
        if (alpha < 5) {
            EXPECT_LT(bright, 55) << "mask hides the square at pixel " << i;
        }
        covered += alpha > 250;
    }
    EXPECT_GT(covered, 3400); // 80 x 60 at a scale of 0.9 is about 3900 pixels, less the soft edge
}

TEST(FaceArguments, ParsesLandmarksAndKeepsTheOutlineInOrder)
{
    FaceArguments parsed;
    ASSERT_EQ(parseFaceArguments(
                  {"left-eye=3,4", "outline.b=1,2", "right-eye=1.5,-2", "outline.a=5,6e1", "outline.c=0,0"},
                  parsed),
              "");
    EXPECT_EQ(parsed.landmarks.size(), 2u);
    EXPECT_EQ(parsed.landmarks["right-eye"].y, -2);
    ASSERT_EQ(parsed.outline.size(), 3u);
    EXPECT_EQ(parsed.outline[0].name, "b");
    EXPECT_EQ(parsed.outline[1].name, "a");
    EXPECT_EQ(parsed.outline[1].at.y, 60);

    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* problemMentions;
    };
    const std::string eyes[] = {"right-eye=1,1", "left-eye=2,1"};
    const Case cases[] = {
        {"no left eye", {"right-eye=1,1"}, "required"},
        {"no equals sign", {eyes[0], eyes[1], "outline.a"}, "is not name=X,Y"},
        {"one number", {eyes[0], eyes[1], "outline.a=1"}, "X,Y"},
        {"trailing text", {eyes[0], eyes[1], "nose=1,2px"}, "X,Y"},
        {"empty y", {eyes[0], eyes[1], "nose=1,"}, "X,Y"},
        {"not a number", {eyes[0], eyes[1], "chin=nan,3"}, "X,Y"},
        {"infinite", {eyes[0], eyes[1], "chin=3,inf"}, "X,Y"},
        {"unnamed outline point", {eyes[0], eyes[1], "outline.=1,2"}, "'outline.'"},
        {"unknown landmark", {eyes[0], eyes[1], "ear=1,2"}, "'ear'"},
        {"landmark given twice", {eyes[0], eyes[1], "left-eye=5,5"}, "twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaceArguments out;
        out.outline.push_back({"kept", {7, 7}});
        const std::string problem = parseFaceArguments(c.args, out);
        EXPECT_NE(problem.find(c.problemMentions), std::string::npos) << problem;
        EXPECT_EQ(out.outline.size(), 1u); // untouched on refusal
    }
}
