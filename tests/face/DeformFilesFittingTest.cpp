#include "face/CHeadModel.h"
#include "face/HeadFiles.h"
#include "face/MeshFitting.h"
#include "face/SampleHead.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

std::unique_ptr<CHeadModel> gridHead()
{
    auto model = readTextHeadFile(testsupport::dataDir() / "face" / "grid-head.cmm");
    if (model)
        model->saveToSet(1);
    return model;
}

Vec3f at(const CHeadModel& model, int vertex)
{
    Vec3f p;
    model.getVertex(vertex, p);
    return p;
}

Vec3f neutral(const CHeadModel& model, int vertex)
{
    Vec3f p;
    model.getStoredVertex(1, vertex, p);
    return p;
}

TEST(Deform, AllZeroValuesGiveTheNeutralPose)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    model->translate(1, 1, 1);
    model->restoreFromSet(1);
    model->setVertex(0, 9, 9, 9);
    ASSERT_EQ(model->deform(true), 1);
    for (int i = 0; i < model->vertexCount(); ++i) {
        EXPECT_NEAR(at(*model, i).y, neutral(*model, i).y, 1e-5f) << i;
        EXPECT_EQ(at(*model, i).x, neutral(*model, i).x) << i;
    }
    float pitch, yaw, roll;
    model->getHeadPose(pitch, yaw, roll);
    EXPECT_EQ(pitch + yaw + roll, 0.0f);
}

TEST(Deform, JawCarriesRegionZeroAndChin)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    // 9.15 at y 2 and 2.2 at y -1: stretch y so they lie 10.24 apart.
    model->scale(1, 10.24f / 3.0f, 1);
    model->setFapValue(2, 100);
    model->setFapValue(17, 50);
    model->deform(false);
    int jaw = model->getFeaturePoint(2, 1), chin = model->getFeaturePoint(2, 10);
    EXPECT_NEAR(at(*model, jaw).y - neutral(*model, jaw).y, -1.0f, 1e-5f);
    for (int k = 0; k < model->regionSize(0); ++k) {
        int x = model->regionVertex(0, k);
        EXPECT_NEAR(at(*model, x).y - neutral(*model, x).y, -1.0f, 1e-5f);
    }
    EXPECT_NEAR(at(*model, chin).y - neutral(*model, chin).y, 0.5f - 1.0f, 1e-5f);
}

TEST(Deform, PointMovesCombineAcrossAxesAndLaterWinsOnOne)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    float mw = model->unitValue(kUnitMw), mns = model->unitValue(kUnitMns);
    struct Case {
        int fapA, valueA, fapB, valueB, group, k;
        float dx, dy;
    };
    const Case cases[] = {
        {6, 100, 12, 200, 2, 4, 100 * mw, 200 * mns},
        {53, 100, 59, 300, 8, 3, 100 * mw, 300 * mns},
        {3, 100, 3, 100, 2, 1, 0.0f, -100 * mns},
    };
    for (const Case& c : cases) {
        model->reset();
        model->setFapValue(c.fapA - 1, c.valueA);
        model->setFapValue(c.fapB - 1, c.valueB);
        model->deform(false);
        int v = model->getFeaturePoint(c.group, c.k);
        EXPECT_NEAR(at(*model, v).x - neutral(*model, v).x, c.dx, 1e-5f) << c.fapA;
        EXPECT_NEAR(at(*model, v).y - neutral(*model, v).y, c.dy, 1e-5f) << c.fapA;
    }
}

TEST(Deform, MissingUnitsSingleVertexRegionsPoseAndNoNeutral)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    model->setFeaturePoint(3, 6, -1);
    EXPECT_EQ(model->unitValue(kUnitEs), 0.0f);
    for (int fap = 37; fap <= 40; ++fap)
        model->setFapValue(fap - 1, 500);
    model->regionEdit(model->regionVertex(17, 1), 17, false);
    model->setFapValue(62, 400); // nose tip up; region 17 now holds one vertex
    model->setFapValue(47, 100000);
    model->deform(false);
    int brow = model->getFeaturePoint(4, 1), lone = model->regionVertex(17, 0);
    EXPECT_EQ(at(*model, brow).x, neutral(*model, brow).x);
    EXPECT_EQ(at(*model, lone).y, neutral(*model, lone).y);
    float pitch, yaw, roll;
    model->getHeadPose(pitch, yaw, roll);
    EXPECT_FLOAT_EQ(pitch, 100000 * 0.00001f);

    CHeadModel fresh(3, 0);
    fresh.setVertex(1, 5, 5, 5);
    fresh.setFapValue(47, 100000);
    EXPECT_EQ(fresh.deform(false), 1);
    fresh.getHeadPose(pitch, yaw, roll);
    EXPECT_EQ(pitch, 0.0f);
    EXPECT_EQ(at(fresh, 1).x, 5.0f);
}

TEST(Deform, BlinkClosesUpperLidOntoLowerAndRegionsFollow)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    model->setFapValue(18, 1024); // left upper lid down the whole eye opening
    model->setFapValue(40, 300);  // left cheek lift
    model->deform(false);
    int upper = model->getFeaturePoint(3, 1), lower = model->getFeaturePoint(3, 3);
    EXPECT_NEAR(at(*model, upper).y, neutral(*model, lower).y, 1e-4f);
    bool sawPair = false;
    model->visitEyelidPairs(
        kEyelidLeft,
        [](void* context, int key, int partner) {
            auto* m = static_cast<CHeadModel*>(context);
            EXPECT_NEAR(at(*m, key).y, neutral(*m, partner).y, 1e-4f);
            return 1;
        },
        model.get());
    sawPair = true;
    EXPECT_TRUE(sawPair);
    // The cheek region's own vertices sit on the growing anchor rectangle's edge and stay put.
    int cheek = model->regionVertex(9, 0);
    EXPECT_EQ(at(*model, cheek).y, neutral(*model, cheek).y);
}

TEST(HeadFiles, GridHeadReadsWithEverything)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    EXPECT_EQ(model->vertexCount(), 90);
    EXPECT_EQ(model->faceCount(), 144);
    EXPECT_EQ(model->getFeaturePoint(9, 15), 3 * 9 + 4);
    for (int r = 0; r < kRegionCount; ++r)
        EXPECT_GE(model->regionSize(r), 2) << r;
}

TEST(HeadFiles, TextEndingAfterFacesHasNoFeatureData)
{
    std::string text = "V 3 F 1 v 0 0 0 0 v 1 1 0 0 v 2 0 1 0 f 0 0 1 2 0 0 0 1 0 0 1 end\n";
    auto model = readTextHead({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    ASSERT_TRUE(model);
    EXPECT_EQ(model->getFeaturePoint(2, 1), -1);
    EXPECT_EQ(model->regionSize(0), 0);
    EXPECT_EQ(detectHeadForm({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}), HeadForm::Text);
}

TEST(HeadFiles, RecordRoundTripRestoresNeutralPoseAndKeepsRegions)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    auto record = meshRecordBytes(*model);
    EXPECT_EQ(detectHeadForm({record.data(), record.size()}), HeadForm::MeshRecord);
    model->setFapValue(2, 400);
    model->deform(true);
    model->regionEdit(0, 5, true);
    ASSERT_EQ(readMeshRecordInto(record.data(), 0, record.size(), *model), 1);
    EXPECT_EQ(model->regionVertex(5, model->regionSize(5) - 1), 0);
    EXPECT_EQ(meshRecordBytes(*model).size(), record.size() + 4); // one more region entry
    int jaw = model->getFeaturePoint(2, 1);
    EXPECT_EQ(at(*model, jaw).y, neutral(*model, jaw).y);
    auto again = readMeshRecord({record.data(), record.size()});
    ASSERT_TRUE(again);
    // Each read adds the stored lines newest first to the front, so one pass reverses their order and
    // a second restores it.
    EXPECT_EQ(meshRecordBytes(*again).size(), record.size());
    auto text = textHeadBytes(*again);
    auto fromText = readTextHead({text.data(), text.size()});
    ASSERT_TRUE(fromText);
    EXPECT_EQ(meshRecordBytes(*fromText), record);
}

TEST(HeadFiles, HostileInputFailsAndLeavesModelUnchanged)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    auto record = meshRecordBytes(*model);
    auto withInt = [&](size_t offset, std::int32_t value) {
        auto bytes = record;
        std::memcpy(bytes.data() + offset, &value, 4);
        return bytes;
    };
    size_t regionsStart = 8 + 90 * 12 + 144 * 40 + 84 * 4;
    const std::vector<std::vector<std::uint8_t>> cases = {
        {},
        std::vector<std::uint8_t>(record.begin(), record.begin() + 700),
        std::vector<std::uint8_t>(record.begin(), record.end() - 1),
        withInt(0, 0x7fffffff),
        withInt(0, -1),
        withInt(0, 91),
        withInt(regionsStart, 0x40000000),
        withInt(regionsStart, -3),
        withInt(8 + 90 * 12, 5000), // a face corner outside the mesh
    };
    auto before = meshRecordBytes(*model);
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(readMeshRecordInto({cases[i].data(), cases[i].size()}, *model), 0) << i;
        EXPECT_EQ(meshRecordBytes(*model), before) << i;
    }
    const std::string texts[] = {"", "V 0 F 1", "V 99999999 F 99999999 x", "V 2 F 1 v 0 1 2", "V -2 F 1"};
    for (const std::string& text : texts)
        EXPECT_FALSE(readTextHead({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()})) << text;
    CHeadModel other(3, 1);
    EXPECT_EQ(readMeshRecordInto({record.data(), record.size()}, other), 0);
}

TEST(MeshFitting, LinesAtRestIdentityTranslationAndEndWeighting)
{
    auto model = gridHead();
    ASSERT_TRUE(model);
    model->saveToSet(0);
    ASSERT_EQ(fitToLines(*model), 1);
    for (int i = 0; i < model->vertexCount(); ++i) {
        Vec3f r;
        model->getStoredVertex(0, i, r);
        EXPECT_NEAR(at(*model, i).x, r.x, 1e-5f);
        EXPECT_NEAR(at(*model, i).z, r.z, 1e-5f);
    }
    std::vector<int> ends;
    model->visitEditingLines(
        [](void* c, int a, int b, int) {
            static_cast<std::vector<int>*>(c)->insert(static_cast<std::vector<int>*>(c)->end(), {a, b});
            return 1;
        },
        &ends);
    for (int v : ends) {
        Vec3f p;
        model->getStoredVertex(0, v, p);
        p.x += 1;
        p.y += 2;
        model->setVertex(v, p);
    }
    fitToLines(*model);
    for (int i : {10, 40, 60}) {
        Vec3f r;
        model->getStoredVertex(0, i, r);
        EXPECT_NEAR(at(*model, i).x - r.x, 1.0f, 1e-3f) << i;
        EXPECT_NEAR(at(*model, i).y - r.y, 2.0f, 1e-3f) << i;
    }
}

TEST(MeshFitting, DegenerateLinesTakeNoPart)
{
    CHeadModel model(4, 0);
    model.setVertex(0, 0, 0, 0);
    model.setVertex(1, 0, 0, 1); // same x and y as vertex 0
    model.setVertex(2, 3, 3, 0);
    model.saveToSet(0);
    model.addEditingLine(0, 1);
    model.setVertex(1, 5, 5, 1);
    ASSERT_EQ(fitToLines(model), 1);
    EXPECT_EQ(at(model, 2).x, 3.0f); // W = 0 leaves it where it is
}

TEST(SampleHead, FillsEveryRegionAndDeforms)
{
    auto model = buildSampleHead();
    ASSERT_TRUE(model);
    EXPECT_GE(model->vertexCount(), 1000);
    for (int r = 0; r < kRegionCount; ++r)
        EXPECT_GE(model->regionSize(r), 2) << r;
    model->setFapValue(2, 300);
    EXPECT_EQ(model->deform(true), 1);
}

} // namespace
