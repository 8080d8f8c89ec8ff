// The generic head and the female default face's head (the same mesh with her hair) as the programs load
// them: complete rigging, a face that moves without folding over, lips that part and close, landmarks
// where the default face photographs expect them, and committed files that the generator still reproduces.
#include "face/CHeadModel.h"
#include "face/FapDefinitions.h"
#include "face/FapTables.h"
#include "face/HeadFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::filesystem::path headPath(const std::string& name)
{
    return std::filesystem::path(CM_CONTENT_DIR) / "Models" / name;
}

std::unique_ptr<CHeadModel> loadHead(const std::string& name)
{
    std::unique_ptr<CHeadModel> model = readTextHeadFile(headPath(name));
    if (model)
        model->saveToSet(1);
    return model;
}

Vec3f pointOf(const CHeadModel& model, int group, int k)
{
    Vec3f p;
    model.getVertex(model.getFeaturePoint(group, k), p);
    return p;
}

Vec3f normalOf(const CHeadModel& model, int face)
{
    Vec3f n;
    model.getCornerNormal(face, 0, n);
    return n;
}

// The built-in rows the mixer plays at full intensity; visemes are stored at half strength.
struct NamedRow {
    std::string name;
    FapRow values;
};

std::vector<NamedRow> builtInRows()
{
    std::vector<NamedRow> rows;
    for (int row = 1; row < kExpressionRowCount; ++row)
        rows.push_back({"expression " + std::to_string(row), builtInExpressionRow(row)});
    for (int row = 1; row < kVisemeRowCount; ++row) {
        FapRow doubled = storedVisemeRow(row);
        for (int& value : doubled)
            value *= 2;
        rows.push_back({"viseme " + std::to_string(row), doubled});
    }
    rows.push_back({"blink", blinkRow()});
    return rows;
}

void applyRow(CHeadModel& model, const FapRow& row)
{
    for (int i = 0; i < kFapCount; ++i)
        model.setFapValue(i, row[static_cast<size_t>(i)]);
    model.deform(true);
}

std::set<int> lineVertices(const CHeadModel& model)
{
    std::set<int> vertices;
    model.visitEditingLines(
        [](void* context, int a, int b, int) {
            static_cast<std::set<int>*>(context)->insert({a, b});
            return 1;
        },
        &vertices);
    return vertices;
}

struct FeaturePoint {
    int group, point;
};

class HeadContentTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        model_ = loadHead(GetParam());
        ASSERT_NE(model_, nullptr) << "cannot read " << headPath(GetParam());
    }
    std::unique_ptr<CHeadModel> model_;
};

INSTANTIATE_TEST_SUITE_P(DefaultHeads, HeadContentTest, ::testing::Values("MaleHead.cmm", "FemaleHead.cmm"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

TEST_P(HeadContentTest, SizeAndTextureSlotsFitTheGenericHead)
{
    EXPECT_GE(model_->vertexCount(), 800);
    EXPECT_LE(model_->vertexCount(), 2500);
    std::set<int> slots;
    for (int f = 0; f < model_->faceCount(); ++f) {
        int slot = -1;
        model_->getTextureSlot(f, slot);
        slots.insert(slot);
    }
    // Face photo and both rows of teeth, whose gum also colours the inside of the mouth: a slot without a
    // picture would draw it black.
    EXPECT_EQ(slots, (std::set<int>{0, 1, 2}));
}

TEST_P(HeadContentTest, EveryFeaturePointTheTablesUseIsAssigned)
{
    // Beside the points the tables name: the pivot, the units' points, the jaw outline, the hairline and
    // all of each ear (top, back, lobe and where it meets the head).
    std::vector<FeaturePoint> needed = {{7, 1},  {9, 15}, {3, 5},  {3, 6},  {2, 10}, {2, 11}, {2, 12},
                                        {2, 13}, {2, 14}, {11, 1}, {11, 2}, {11, 3}, {11, 4}};
    for (int k = 1; k <= 10; ++k)
        needed.push_back({10, k});
    for (int fap = 0; fap < kFapEntryCount; ++fap) {
        FeaturePointId point{};
        for (int n = 0; fapPoint(fap, n, point); ++n)
            needed.push_back({point.group, point.point});
    }
    for (int region = 0; region < kRegionCount; ++region) {
        FeaturePointId point{};
        for (int n = 0; regionControlPoint(region, n, point); ++n)
            needed.push_back({point.group, point.point});
    }
    std::set<int> carriers;
    for (const FeaturePoint& p : needed) {
        int vertex = model_->getFeaturePoint(p.group, p.point);
        EXPECT_GE(vertex, 0) << "feature point " << p.group << "." << p.point;
        carriers.insert(vertex);
    }
    std::set<std::pair<int, int>> distinct;
    for (const FeaturePoint& p : needed)
        distinct.insert({p.group, p.point});
    EXPECT_EQ(carriers.size(), distinct.size()) << "two feature points share a vertex";
}

TEST_P(HeadContentTest, EarPointsSitOnTheEarsAndTheEarFapsMoveThem)
{
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side == 0 ? "left ear" : "right ear");
        float sign = side == 0 ? 1.0f : -1.0f;
        Vec3f top = pointOf(*model_, 10, 1 + side), back = pointOf(*model_, 10, 3 + side),
              lobe = pointOf(*model_, 10, 5 + side), lower = pointOf(*model_, 10, 7 + side),
              upper = pointOf(*model_, 10, 9 + side);
        // The ear stands free of the head above its upper and below its lower contact point.
        EXPECT_GT(top.y, upper.y);
        EXPECT_LT(lobe.y, lower.y);
        EXPECT_GT(back.y, lobe.y);
        EXPECT_LT(back.y, top.y);
        // The back of the ear stands out from the head further than where it meets it.
        EXPECT_GT(sign * back.x, sign * upper.x);
        EXPECT_GT(sign * back.x, sign * lower.x);
        EXPECT_LT(back.z, upper.z);
    }
    // FAP 65 raises the left ear, FAP 68 pulls the right ear outwards; neither touches the other ear.
    FapRow row{};
    row[64] = 200;
    row[67] = 200;
    Vec3f leftTop = pointOf(*model_, 10, 1), rightTop = pointOf(*model_, 10, 2),
          rightBack = pointOf(*model_, 10, 4);
    applyRow(*model_, row);
    EXPECT_GT(pointOf(*model_, 10, 1).y, leftTop.y);
    EXPECT_EQ(pointOf(*model_, 10, 2).y, rightTop.y);
    EXPECT_LT(pointOf(*model_, 10, 4).x, rightBack.x);
}

TEST_P(HeadContentTest, RegionsAndEyelidPairsAreFilled)
{
    // A region needs two vertices before the deformation moves any of them.
    for (int region = 0; region < kRegionCount; ++region)
        EXPECT_GE(model_->regionSize(region), 2) << "region " << region;
    for (int kind : {kEyelidLeft, kEyelidRight}) {
        std::vector<std::pair<int, int>> pairs;
        model_->visitEyelidPairs(
            kind,
            [](void* context, int key, int partner) {
                static_cast<std::vector<std::pair<int, int>>*>(context)->push_back({key, partner});
                return 1;
            },
            &pairs);
        EXPECT_GE(pairs.size(), 5u) << "eyelid table " << kind;
        for (const auto& [key, partner] : pairs) {
            Vec3f upper, lower;
            model_->getVertex(key, upper);
            model_->getVertex(partner, lower);
            EXPECT_GT(upper.y, lower.y) << "the key closes down onto its partner";
            EXPECT_NEAR(upper.x, lower.x, 0.3f) << "the partner lies below its key";
        }
    }
}

TEST_P(HeadContentTest, EditingLinesCoverOutlineEyesBrowsNoseAndMouth)
{
    std::set<int> onLines = lineVertices(*model_);
    const FeaturePoint covered[] = {{2, 1},  {11, 1}, {3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 7}, {3, 8},
                                    {3, 11}, {3, 12}, {4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}, {4, 6},
                                    {9, 3},  {9, 15}, {9, 1}, {9, 2}, {8, 1}, {8, 2}, {8, 3}, {8, 4}};
    for (const FeaturePoint& p : covered)
        EXPECT_TRUE(onLines.count(model_->getFeaturePoint(p.group, p.point)))
            << "no editing line through " << p.group << "." << p.point;
    // The outline reaches both cheeks.
    float leftmost = 0.0f, rightmost = 0.0f;
    for (int v : onLines) {
        Vec3f p;
        model_->getVertex(v, p);
        leftmost = std::fmin(leftmost, p.x);
        rightmost = std::fmax(rightmost, p.x);
    }
    EXPECT_LT(leftmost, -5.0f);
    EXPECT_GT(rightmost, 5.0f);
}

TEST_P(HeadContentTest, FaceNormalsPointOutwards)
{
    Vec3f maximum, minimum, span;
    model_->extents(maximum, minimum, span);
    Vec3f centre{0.0f, 0.5f * (maximum.y + minimum.y), 0.5f * (maximum.z + minimum.z)};
    for (int f = 0; f < model_->faceCount(); ++f) {
        int slot = -1, a, b, c;
        model_->getTextureSlot(f, slot);
        if (slot != 0)
            continue;
        model_->getFace(f, a, b, c);
        Vec3f pa, pb, pc, n = normalOf(*model_, f);
        model_->getVertex(a, pa);
        model_->getVertex(b, pb);
        model_->getVertex(c, pc);
        float dx = (pa.x + pb.x + pc.x) / 3 - centre.x, dy = (pa.y + pb.y + pc.y) / 3 - centre.y,
              dz = (pa.z + pb.z + pc.z) / 3 - centre.z;
        EXPECT_GT(n.x * dx + n.y * dy + n.z * dz, 0.0f) << "face " << f << " faces inwards";
    }
}

TEST_P(HeadContentTest, NeighbouringTrianglesWindTheSameWay)
{
    // Two triangles of one surface that share an edge run along it in opposite directions; the same
    // direction twice means one of them faces the wrong way (or the edge joins three triangles).
    std::set<std::pair<int, int>> directedEdges;
    for (int f = 0; f < model_->faceCount(); ++f) {
        int corners[3];
        model_->getFace(f, corners[0], corners[1], corners[2]);
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(directedEdges.insert({corners[k], corners[(k + 1) % 3]}).second)
                << "edge " << corners[k] << "-" << corners[(k + 1) % 3] << " of face " << f;
    }
}

TEST_P(HeadContentTest, FaceSkinHasNoStarsOfThinTriangles)
{
    // Seen from the front, a skin triangle whose longest edge is many times its height shows as a spike
    // of flat shading. A few beside a lid corner or a lip's mid point pass unnoticed; more meeting in one
    // vertex, as a strip fanning out from one vertex to a far grid opening makes them, read as a star.
    Vec3f pupil = pointOf(*model_, 3, 5), chin = pointOf(*model_, 2, 1);
    std::map<int, int> thinAt;
    for (int f = 0; f < model_->faceCount(); ++f) {
        int slot = -1, corners[3];
        model_->getTextureSlot(f, slot);
        model_->getFace(f, corners[0], corners[1], corners[2]);
        Vec3f p[3];
        for (int k = 0; k < 3; ++k)
            model_->getVertex(corners[k], p[k]);
        const float middleY = (p[0].y + p[1].y + p[2].y) / 3, middleX = (p[0].x + p[1].x + p[2].x) / 3;
        // The front of the face between the chin and the brows, where the photo shows.
        if (slot != 0 || normalOf(*model_, f).z < 0.7f || middleY < chin.y || middleY > pupil.y + 2.0f ||
            std::fabs(middleX) > 4.0f)
            continue;
        float longest = 0.0f;
        const float twiceArea =
            std::fabs((p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y));
        for (int k = 0; k < 3; ++k)
            longest = std::fmax(longest, std::hypot(p[(k + 1) % 3].x - p[k].x, p[(k + 1) % 3].y - p[k].y));
        if (longest > 1.0f && twiceArea < longest * longest / 8.0f)
            for (int corner : corners)
                ++thinAt[corner];
    }
    for (const auto& [vertex, count] : thinAt) {
        Vec3f p;
        model_->getVertex(vertex, p);
        EXPECT_LE(count, 3) << count << " thin triangles meet in vertex " << vertex << " at (" << p.x << ", "
                            << p.y << ")";
    }
}

TEST_P(HeadContentTest, NoTriangleFlipsUnderAnyBuiltInRow)
{
    std::vector<Vec3f> neutral;
    for (int f = 0; f < model_->faceCount(); ++f)
        neutral.push_back(normalOf(*model_, f));
    std::vector<NamedRow> rows = builtInRows();
    // Halfway rows stand for the blends the mixer passes through on the way to a full row.
    for (const NamedRow& full : builtInRows()) {
        NamedRow half{full.name + " at half intensity", full.values};
        for (int& value : half.values)
            value /= 2;
        rows.push_back(half);
    }
    // The head turns a play adds, each with every mouth shape: the pose must move no vertex of its own.
    const int turns[][3] = {{0, -17453, 0}, {0, -8727, 0}, {0, 8727, 0}, {0, 17453, 0}, {-13963, 0, 0},
                            {13963, 0, 0},  {0, 0, -8727}, {0, 0, 8727}};
    for (const auto& turn : turns)
        for (int viseme = 1; viseme < kVisemeRowCount; ++viseme) {
            NamedRow turned{"viseme " + std::to_string(viseme) + " turned", storedVisemeRow(viseme)};
            for (int& value : turned.values)
                value *= 2;
            for (int axis = 0; axis < 3; ++axis)
                turned.values[static_cast<size_t>(47 + axis)] = turn[axis];
            rows.push_back(turned);
        }
    for (const NamedRow& row : rows) {
        applyRow(*model_, row.values);
        std::ostringstream flipped;
        int count = 0;
        for (int f = 0; f < model_->faceCount(); ++f) {
            Vec3f before = neutral[static_cast<size_t>(f)], after = normalOf(*model_, f);
            float dot = before.x * after.x + before.y * after.y + before.z * after.z;
            if (!(dot > 0.0f) && count++ < 8) {
                int a, b, c;
                model_->getFace(f, a, b, c);
                Vec3f p;
                model_->getStoredVertex(1, a, p);
                flipped << ' ' << f << " at (" << p.x << ", " << p.y << ", " << p.z << ")";
            }
        }
        EXPECT_EQ(count, 0) << row.name << " flips " << count << " triangles, among them" << flipped.str();
    }
}

// Vertical gaps between the upper and lower inner lip at the middle and both mid points.
std::vector<float> innerLipGaps(const CHeadModel& model)
{
    const int pairs[][2] = {{2, 3}, {6, 8}, {7, 9}};
    std::vector<float> gaps;
    for (const auto& pair : pairs)
        gaps.push_back(pointOf(model, 2, pair[0]).y - pointOf(model, 2, pair[1]).y);
    return gaps;
}

// The mouth opening's rim: the loop of edges that only one triangle uses and that runs through the inner
// lip corner 2.4, in the order it runs.
std::vector<int> innerLipContour(const CHeadModel& model)
{
    std::set<std::pair<int, int>> edges;
    for (int f = 0; f < model.faceCount(); ++f) {
        int c[3];
        model.getFace(f, c[0], c[1], c[2]);
        for (int k = 0; k < 3; ++k)
            edges.insert({c[k], c[(k + 1) % 3]});
    }
    std::map<int, int> next;
    for (const auto& [a, b] : edges)
        if (!edges.count({b, a}))
            next[a] = b;
    std::vector<int> loop;
    const int start = model.getFeaturePoint(2, 4);
    for (int v = start; next.count(v) && loop.size() <= next.size();) {
        loop.push_back(v);
        v = next[v];
        if (v == start)
            return loop;
    }
    return {};
}

// How far the contour bends inwards at its worst vertex: the distance of a vertex behind the line of
// its two neighbours, measured on the outside of a loop running counter-clockwise; 0 for a convex loop.
float deepestDent(const CHeadModel& model, const std::vector<int>& loop)
{
    const size_t n = loop.size();
    std::vector<Vec3f> p(n);
    double twiceArea = 0.0;
    for (size_t i = 0; i < n; ++i)
        model.getVertex(loop[i], p[i]);
    for (size_t i = 0; i < n; ++i)
        twiceArea += static_cast<double>(p[i].x) * p[(i + 1) % n].y - static_cast<double>(p[(i + 1) % n].x) * p[i].y;
    const float orientation = twiceArea > 0.0 ? 1.0f : -1.0f;
    float deepest = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const Vec3f& a = p[(i + n - 1) % n];
        const Vec3f& b = p[i];
        const Vec3f& c = p[(i + 1) % n];
        float ex = c.x - a.x, ey = c.y - a.y, length = std::hypot(ex, ey);
        if (length <= 0.0f)
            continue;
        // Positive when b lies on the inner side of the chord from a to c.
        float inside = orientation * (ex * (b.y - a.y) - ey * (b.x - a.x)) / length;
        deepest = std::fmax(deepest, inside);
    }
    return deepest;
}

TEST_P(HeadContentTest, InnerLipContourStaysRoundWhenOpen)
{
    const std::vector<int> loop = innerLipContour(*model_);
    ASSERT_GE(loop.size(), 16u) << "the inner lip contour has too few vertices to stay round";
    std::set<int> onLoop(loop.begin(), loop.end());
    for (int point : {2, 3, 4, 5, 6, 7, 8, 9})
        EXPECT_TRUE(onLoop.count(model_->getFeaturePoint(2, point))) << "2." << point << " is off the contour";
    std::vector<NamedRow> rows = builtInRows();
    // Every open mouth shape bulges outwards all round. The contour between the inner lip points follows
    // the outer lip, which opens a little less than the inner points, so it may bend in slightly; a
    // vertex left behind shows as a notch of half the opening.
    const float width = pointOf(*model_, 2, 4).x - pointOf(*model_, 2, 5).x;
    for (int viseme : {6, 10, 11, 13, 14}) {
        applyRow(*model_, rows[static_cast<size_t>(kExpressionRowCount - 2 + viseme)].values);
        EXPECT_LT(deepestDent(*model_, loop), 0.05f * width) << "viseme " << viseme << " notches the open mouth";
    }
}

// The contour from the corner 2.4 round to the corner 2.5, over the upper lip (through 2.2) or the lower.
std::vector<int> lipChain(const CHeadModel& model, const std::vector<int>& loop, bool upper)
{
    const auto otherCorner = std::find(loop.begin(), loop.end(), model.getFeaturePoint(2, 5));
    std::vector<int> chain(loop.begin(), otherCorner + 1);
    if (std::find(chain.begin(), chain.end(), model.getFeaturePoint(2, upper ? 2 : 3)) == chain.end()) {
        chain.assign(otherCorner, loop.end());
        chain.push_back(loop.front());
        std::reverse(chain.begin(), chain.end());
    }
    return chain;
}

// Height of a chain running across the mouth at x, between the two of its vertices that x lies between.
float chainHeightAt(const CHeadModel& model, const std::vector<int>& chain, float x)
{
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        Vec3f a, b;
        model.getVertex(chain[i], a);
        model.getVertex(chain[i + 1], b);
        if ((x - a.x) * (x - b.x) <= 0.0f && a.x != b.x)
            return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
    }
    return NAN;
}

// Heights of the vertices strictly between two chain vertices, above (+) or below the line joining them.
std::vector<float> heightsOverChord(const CHeadModel& model, const std::vector<int>& chain, int from, int to)
{
    auto first = std::find(chain.begin(), chain.end(), from), last = std::find(chain.begin(), chain.end(), to);
    if (first > last)
        std::swap(first, last);
    std::vector<float> heights;
    Vec3f a, b, p;
    model.getVertex(*first, a);
    model.getVertex(*last, b);
    for (auto it = first + 1; it < last; ++it) {
        model.getVertex(*it, p);
        heights.push_back(p.y - (a.y + (b.y - a.y) * (p.x - a.x) / (b.x - a.x)));
    }
    return heights;
}

TEST_P(HeadContentTest, LowerLipRoundsTheOpeningBesideEachCorner)
{
    const std::vector<int> loop = innerLipContour(*model_);
    ASSERT_FALSE(loop.empty());
    const std::vector<int> lower = lipChain(*model_, loop, false);
    const float width = pointOf(*model_, 2, 4).x - pointOf(*model_, 2, 5).x;
    std::vector<NamedRow> rows = builtInRows();
    // The wide open shapes: between each corner and the lower mid point the lip sags below the straight
    // line, as an ellipse would; a vertex riding above it would pinch the opening's corner.
    for (int viseme : {10, 11, 13}) {
        applyRow(*model_, rows[static_cast<size_t>(kExpressionRowCount - 2 + viseme)].values);
        for (const auto& [corner, mid] : {std::pair{4, 8}, std::pair{5, 9}}) {
            std::vector<float> heights =
                heightsOverChord(*model_, lower, model_->getFeaturePoint(2, corner), model_->getFeaturePoint(2, mid));
            ASSERT_FALSE(heights.empty()) << "the lower lip runs straight from 2." << corner << " to 2." << mid;
            for (float height : heights)
                EXPECT_LE(height, 0.002f * width) << "viseme " << viseme << " pinches the corner at 2." << corner;
        }
    }
}

TEST_P(HeadContentTest, EveryLowerLipVertexMeetsTheUpperLipForPbm)
{
    const std::vector<int> loop = innerLipContour(*model_);
    ASSERT_FALSE(loop.empty());
    const std::vector<int> upper = lipChain(*model_, loop, true), lower = lipChain(*model_, loop, false);
    const float mouthWidth = std::fabs(pointOf(*model_, 8, 3).x - pointOf(*model_, 8, 4).x);
    std::vector<NamedRow> rows = builtInRows();
    // At rest and with the lips pressed together no part of the lower lip leaves a gap under the upper one,
    // not even where the upper contour has no vertex above it.
    for (const FapRow& row : {FapRow{}, rows[static_cast<size_t>(kExpressionRowCount - 2 + 1)].values}) {
        applyRow(*model_, row);
        for (size_t i = 1; i + 1 < lower.size(); ++i) {
            Vec3f p;
            model_->getVertex(lower[i], p);
            EXPECT_LE(chainHeightAt(*model_, upper, p.x) - p.y, 0.02f * mouthWidth) << "gap over vertex " << lower[i];
        }
    }
}

TEST_P(HeadContentTest, LipsPartForAaAndCloseForPbm)
{
    float mouthWidth = std::fabs(pointOf(*model_, 8, 3).x - pointOf(*model_, 8, 4).x);
    for (float gap : innerLipGaps(*model_))
        EXPECT_NEAR(gap, 0.0f, 1e-4f) << "the lips touch at rest";
    std::vector<NamedRow> rows = builtInRows();
    auto visemeRow = [&](int viseme) {
        return rows[static_cast<size_t>(kExpressionRowCount - 2 + viseme)].values;
    };
    applyRow(*model_, visemeRow(10));
    EXPECT_GE(innerLipGaps(*model_)[0], 0.1f * mouthWidth) << "A: opens the mouth";
    applyRow(*model_, visemeRow(1));
    for (float gap : innerLipGaps(*model_))
        EXPECT_LE(gap, 0.02f * mouthWidth) << "p, b, m keeps the lips together";
}

TEST_P(HeadContentTest, BlinkClosesBothEyesInFrontOfTheEyeballs)
{
    struct Eye {
        int upper, lower, pupil;
    };
    const Eye eyes[] = {
        {model_->getFeaturePoint(3, 1), model_->getFeaturePoint(3, 3), model_->getFeaturePoint(3, 5)},
        {model_->getFeaturePoint(3, 2), model_->getFeaturePoint(3, 4), model_->getFeaturePoint(3, 6)}};
    applyRow(*model_, blinkRow());
    for (const Eye& eye : eyes) {
        Vec3f upper, lower, neutralUpper, neutralLower, pupil;
        model_->getVertex(eye.upper, upper);
        model_->getVertex(eye.lower, lower);
        model_->getStoredVertex(1, eye.upper, neutralUpper);
        model_->getStoredVertex(1, eye.lower, neutralLower);
        model_->getVertex(eye.pupil, pupil);
        float opening = neutralUpper.y - neutralLower.y;
        EXPECT_LT(upper.y - lower.y, 0.1f * opening) << "the lids meet";
        // The closed lid passes in front of the pupil, so no part of the eye shows through it.
        EXPECT_GT(upper.z, pupil.z);
    }
}

TEST_P(HeadContentTest, LowerTeethFollowTheJawAndUpperTeethStay)
{
    std::vector<NamedRow> rows = builtInRows();
    applyRow(*model_, rows[static_cast<size_t>(kExpressionRowCount - 2 + 10)].values);
    Vec3f chin = pointOf(*model_, 2, 1), neutralChin;
    model_->getStoredVertex(1, model_->getFeaturePoint(2, 1), neutralChin);
    float drop = chin.y - neutralChin.y;
    ASSERT_LT(drop, -0.5f);
    for (int f = 0; f < model_->faceCount(); ++f) {
        int slot = -1, a, b, c;
        model_->getTextureSlot(f, slot);
        if (slot != 1 && slot != 2)
            continue;
        model_->getFace(f, a, b, c);
        Vec3f now, before;
        model_->getVertex(a, now);
        model_->getStoredVertex(1, a, before);
        EXPECT_NEAR(now.y - before.y, slot == 2 ? drop : 0.0f, 1e-4f) << "teeth on slot " << slot;
    }
}

// Photo pixels of a head point once the head is attached as the editing view attaches it.
struct PhotoPixel {
    double column, row;
};

TEST_P(HeadContentTest, LandmarksLieWhereTheFacePhotosPutThem)
{
    Vec3f maximum, minimum, span;
    model_->extents(maximum, minimum, span);
    double scale = 25.0 / span.y;
    auto pixel = [&](const Vec3f& p) {
        double x = p.x * scale, y = p.y * scale + 5.0 - minimum.y * scale;
        return PhotoPixel{(x + 20.0) * 6.4, (40.0 - y) * 6.4};
    };
    auto middle = [](const Vec3f& a, const Vec3f& b) {
        return Vec3f{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
    };
    struct Landmark {
        const char* name;
        Vec3f point;
        double column, row;
    };
    const Landmark landmarks[] = {
        // Where tools/contentgen aligns the default faces; the neck reaches down into the collar.
        {"right pupil 3.6", pointOf(*model_, 3, 6), 111.16, 131.07},
        {"left pupil 3.5", pointOf(*model_, 3, 5), 144.84, 131.07},
        {"nose tip 9.3", pointOf(*model_, 9, 3), 128, 151.27},
        {"mouth centre", middle(pointOf(*model_, 8, 3), pointOf(*model_, 8, 4)), 128, 169.79},
        {"right lip corner 8.4", pointOf(*model_, 8, 4), 112.85, 169.79},
        {"left lip corner 8.3", pointOf(*model_, 8, 3), 143.15, 169.79},
        {"chin 2.1", pointOf(*model_, 2, 1), 128, 195.04},
        {"top of the hair", {0.0f, maximum.y, 0.0f}, 128, 64},
        {"neck end in the collar", {0.0f, minimum.y, 0.0f}, 128, 224},
    };
    for (const Landmark& landmark : landmarks) {
        PhotoPixel at = pixel(landmark.point);
        EXPECT_NEAR(at.column, landmark.column, 2.0) << landmark.name;
        EXPECT_NEAR(at.row, landmark.row, 2.0) << landmark.name;
    }
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path)
{
    std::vector<std::uint8_t> bytes;
    readFileBytes(path, bytes);
    return bytes;
}

TEST(HeadGeneratorTest, ReproducesTheCommittedHeadsByteForByte)
{
    // The generator is built beside the tests; CM_BIN names that folder when the runner passes it on.
    const char* bin = std::getenv("CM_BIN");
    std::filesystem::path folder =
        bin ? std::filesystem::path(bin) : std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::filesystem::path tool = folder / "cm-headgen";
    ASSERT_TRUE(std::filesystem::exists(tool)) << tool << " is not built";
    for (const auto& [name, options] :
         {std::pair{"MaleHead.cmm", ""}, std::pair{"FemaleHead.cmm", "--bob "}}) {
        std::filesystem::path out = std::filesystem::temp_directory_path() / "cm_headgen";
        out += std::to_string(getpid()) + ".cmm";
        std::ostringstream command;
        command << tool << ' ' << options << out << " > /dev/null";
        ASSERT_EQ(std::system(command.str().c_str()), 0);
        std::vector<std::uint8_t> generated = fileBytes(out), committed = fileBytes(headPath(name));
        std::filesystem::remove(out);
        ASSERT_FALSE(committed.empty()) << name;
        EXPECT_TRUE(generated == committed)
            << "regenerate content/Models/" << name << " with scripts/make-head.sh";
    }
}

TEST(HeadGeneratorTest, FemaleHeadIsTheGenericMeshWithWiderHairOnly)
{
    // Loading her head definition refills the generic model in place: the triangles and the rigging must
    // be the generic head's, and only the hair may stand further out; her face stays where it was.
    std::unique_ptr<CHeadModel> generic = loadHead("MaleHead.cmm"), female = loadHead("FemaleHead.cmm");
    ASSERT_TRUE(generic && female);
    ASSERT_EQ(generic->vertexCount(), female->vertexCount());
    ASSERT_EQ(generic->faceCount(), female->faceCount());
    for (int f = 0; f < generic->faceCount(); ++f) {
        int a[3], b[3];
        generic->getFace(f, a[0], a[1], a[2]);
        female->getFace(f, b[0], b[1], b[2]);
        ASSERT_TRUE(a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) << "face " << f;
    }
    for (int group = 1; group <= 11; ++group)
        for (int point = 1; point <= 15; ++point)
            EXPECT_EQ(generic->getFeaturePoint(group, point), female->getFeaturePoint(group, point))
                << group << "." << point;
    for (int region = 0; region < kRegionCount; ++region)
        EXPECT_EQ(generic->regionSize(region), female->regionSize(region)) << "region " << region;
    Vec3f gMax, gMin, gSpan, fMax, fMin, fSpan;
    generic->extents(gMax, gMin, gSpan);
    female->extents(fMax, fMin, fSpan);
    EXPECT_FLOAT_EQ(fSpan.y, gSpan.y) << "attaching would scale her head differently";
    EXPECT_GT(fSpan.x, gSpan.x + 4.0f) << "no hair beyond the skull";
    Vec3f pupil = pointOf(*generic, 3, 5), chin = pointOf(*generic, 2, 1);
    int moved = 0;
    for (int v = 0; v < generic->vertexCount(); ++v) {
        Vec3f g, f;
        generic->getVertex(v, g);
        female->getVertex(v, f);
        EXPECT_EQ(g.z, f.z) << "vertex " << v;
        const bool face = std::fabs(g.x) < 4.0f && g.y > chin.y && g.y < pupil.y + 2.0f;
        if (face) {
            EXPECT_TRUE(g.x == f.x && g.y == f.y) << "vertex " << v << " of her face moved";
        }
        moved += g.x != f.x || g.y != f.y;
    }
    EXPECT_GT(moved, 100);
}

} // namespace
