#include "face/CHeadModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::array<int, 3>> linesOf(const CHeadModel& model)
{
    std::vector<std::array<int, 3>> lines;
    model.visitEditingLines(
        [](void* context, int a, int b, int number) {
            static_cast<std::vector<std::array<int, 3>>*>(context)->push_back({a, b, number});
            return 1;
        },
        &lines);
    return lines;
}

TEST(HeadModel, EmptyModelRefusesVertexWorkAndHasZeroExtents)
{
    for (int count : {0, -5}) {
        CHeadModel model(count, count);
        Vec3f p, max, min, span;
        EXPECT_EQ(model.vertexCount(), 0);
        EXPECT_EQ(model.setVertex(0, 1, 2, 3), 0);
        EXPECT_EQ(model.getVertex(0, p), 0);
        EXPECT_EQ(model.setFace(0, 0, 0, 0), 0);
        model.extents(max, min, span);
        EXPECT_EQ(max.x, 0.0f);
        EXPECT_EQ(min.y, 0.0f);
        EXPECT_EQ(span.z, 0.0f);
    }
}

TEST(HeadModel, PivotFollowsPoint71OrIsOrigin)
{
    CHeadModel model(3, 1);
    model.setVertex(2, 4, 5, 6);
    EXPECT_EQ(model.headPivot().x, 0.0f);
    ASSERT_EQ(model.setFeaturePoint(7, 1, 2), 1);
    EXPECT_EQ(model.headPivot().y, 5.0f);
}

TEST(HeadModel, FeaturePointFlagsFollowTheConstantTable)
{
    struct Case {
        int group, k, assignable, animated;
    };
    const Case cases[] = {{2, 1, 1, 1},  {2, 11, 1, 0}, {3, 6, 1, 1},  {3, 7, 1, 0},  {7, 1, 1, 1},
                          {9, 3, 1, 1},  {9, 8, 0, 0},  {9, 11, 0, 0}, {9, 12, 1, 0}, {10, 4, 1, 1},
                          {10, 6, 1, 0}, {10, 7, 1, 0}, {11, 5, 0, 0}, {11, 4, 1, 0}, {1, 1, 0, 0},
                          {2, 15, 0, 0}};
    CHeadModel model(5, 0);
    // Ear points are assignable, since the ear FAPs move 10.1 to 10.4; 9.8 to 9.11 and 11.5, 11.6 stay
    // out of reach.
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.group) + "." + std::to_string(c.k));
        EXPECT_EQ(CHeadModel::isAnimated(c.group, c.k), c.animated);
        EXPECT_EQ(model.setFeaturePoint(c.group, c.k, 1), c.assignable);
    }
    EXPECT_EQ(model.setFeaturePoint(2, 1, 5), 0); // vertex out of range
    EXPECT_EQ(CHeadModel::pointCount(0), 0);
    EXPECT_EQ(CHeadModel::pointCount(8), 15);
    EXPECT_EQ(CHeadModel::pointCount(11), -1);
    EXPECT_EQ(model.axisMask(2, 4), kDirLeft | kDirUp);
    EXPECT_EQ(model.axisMask(2, 1), kDirDown | kDirForward | kDirRight);
    EXPECT_EQ(model.axisMask(6, 3), kDirRoll);
}

TEST(HeadModel, RegionsRefuseAnimatedPointsAndKeepOrder)
{
    CHeadModel model(10, 0);
    model.setFeaturePoint(2, 1, 3);
    model.setFeaturePoint(2, 11, 4);
    EXPECT_EQ(model.regionEdit(3, 5, true), 0);
    EXPECT_EQ(model.regionEdit(4, 5, true), 1);
    EXPECT_EQ(model.regionEdit(6, 5, true), 1);
    EXPECT_EQ(model.regionEdit(4, 5, true), 1);
    EXPECT_EQ(model.regionSize(5), 2);
    EXPECT_EQ(model.regionEdit(7, 5, true), 1);
    EXPECT_EQ(model.regionEdit(6, 5, false), 1);
    EXPECT_EQ(model.regionEdit(6, 5, false), 1);
    EXPECT_EQ(model.regionVertex(5, 0), 4);
    EXPECT_EQ(model.regionVertex(5, 1), 7);
    EXPECT_EQ(model.regionEdit(1, 18, true), 0);
}

TEST(HeadModel, EyelidPairsReplaceRemoveAndFill)
{
    CHeadModel model(40, 0);
    EXPECT_EQ(model.setEyelidPair(5, 1, 2), 0);
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 1, 1), 0);
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 1, 2), 1);
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 1, 3), 1);
    for (int key = 2; key <= 16; ++key)
        EXPECT_EQ(model.setEyelidPair(kEyelidLeft, key + 10, 30), 1);
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 35, 30), 0); // seventeenth key
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 1, -1), 1);
    EXPECT_EQ(model.setEyelidPair(kEyelidLeft, 35, 30), 1); // the freed slot
    std::vector<std::pair<int, int>> seen;
    model.visitEyelidPairs(
        kEyelidLeft,
        [](void* context, int key, int partner) {
            static_cast<std::vector<std::pair<int, int>>*>(context)->emplace_back(key, partner);
            return 1;
        },
        &seen);
    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(seen[0], std::make_pair(35, 30));
}

TEST(HeadModel, LineNumbersAreTheLargestVertexOfEachGroup)
{
    struct Case {
        std::vector<std::pair<int, int>> lines; // added in order
        std::vector<int> numbers;               // newest first
    };
    const Case cases[] = {
        {{{1, 5}, {5, 9}, {20, 21}}, {21, 9, 9}},
        {{{9, 5}, {1, 5}}, {9, 9}},
        {{{1, 2}, {3, 4}, {2, 3}, {10, 11}}, {11, 4, 4, 4}},
        {{{7, 8}, {2, 3}, {3, 7}}, {8, 8, 8}},
    };
    for (const Case& c : cases) {
        CHeadModel model(30, 0);
        for (auto [a, b] : c.lines)
            ASSERT_EQ(model.addEditingLine(a, b), 1);
        model.computeLineNumbers();
        auto lines = linesOf(model);
        ASSERT_EQ(lines.size(), c.numbers.size());
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i][2], c.numbers[i]) << "line " << i;
    }
}

TEST(HeadModel, EditingLinesAreOrderedAndUnique)
{
    CHeadModel model(10, 0);
    EXPECT_EQ(model.addEditingLine(3, 3), 0);
    EXPECT_EQ(model.addEditingLine(3, 10), 0);
    model.addEditingLine(5, 2);
    model.addEditingLine(1, 4);
    model.addEditingLine(2, 5);
    auto lines = linesOf(model);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::array<int, 3>{2, 5, -1}));
    EXPECT_EQ(model.removeEditingLine(4, 1), 1);
    EXPECT_EQ(model.removeEditingLine(4, 1), 0);
}

TEST(HeadModel, ScaleReachesOnlySavedSets)
{
    CHeadModel model(2, 0);
    model.setVertex(1, 1, 2, 3);
    Vec3f p;
    model.scale(2, 2, 2);
    EXPECT_EQ(model.getStoredVertex(1, 1, p), 0);
    model.saveToSet(1);
    EXPECT_EQ(model.isInSync(1), 1);
    model.scale(2, 1, 1);
    model.translate(1, 0, 0);
    EXPECT_EQ(model.isInSync(1), 0);
    ASSERT_EQ(model.getStoredVertex(1, 1, p), 1);
    EXPECT_EQ(p.x, 5.0f);
    EXPECT_EQ(model.isSetValid(0), 0);
    EXPECT_EQ(model.restoreFromSet(0), 0);
    EXPECT_EQ(model.restoreFromSet(1), 1);
    EXPECT_EQ(model.isInSync(1), 1);
    EXPECT_EQ(model.isSetValid(2), 0);
}

TEST(HeadModel, TextureSlotsAndCounters)
{
    CHeadModel model(1, 0);
    std::vector<std::uint32_t> pixels(256 * 256, 0x11223344u), alpha(256 * 256, 0xAABBCCDDu);
    EXPECT_EQ(model.writeSlotPixels(3, pixels.data()), 0);
    EXPECT_EQ(model.slotPixels(3), nullptr);
    EXPECT_EQ(model.writeSlotPixels(0, pixels.data()), 1);
    EXPECT_EQ(model.writeSlotAlpha(0, alpha.data()), 1);
    EXPECT_EQ(model.slotPixels(0)[5], 0xAA223344u);
    EXPECT_EQ(model.writeSlotColour(1, alpha.data()), 1);
    EXPECT_EQ(model.slotPixels(1)[0], 0x00BBCCDDu);
    EXPECT_EQ(model.slotCounter(0), 2);
    int w = 0, h = 0;
    EXPECT_EQ(model.slotSize(2, w, h), 1);
    EXPECT_EQ(w * 1000 + h, 64016);
    EXPECT_EQ(model.slotSize(10, w, h), 0);
    model.reset();
    EXPECT_EQ(model.slotCounter(0), 0);
}

TEST(HeadModel, FaceNormalAndRecursiveLock)
{
    CHeadModel model(3, 1);
    model.setVertex(1, 1, 0, 0);
    model.setVertex(2, 0, 1, 0);
    ASSERT_EQ(model.setFace(0, 0, 1, 2), 1);
    model.computeFaceNormal(0);
    Vec3f n;
    model.getCornerNormal(0, 2, n);
    EXPECT_FLOAT_EQ(n.z, 1.0f);
    model.lock();
    model.lock();
    EXPECT_EQ(model.lockDepth(), 2);
    model.unlock();
    model.unlock();
    EXPECT_EQ(model.lockDepth(), 0);
}

} // namespace
