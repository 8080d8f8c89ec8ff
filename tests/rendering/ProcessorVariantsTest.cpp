// The three processor variants must give the same pixels on the same scenes.
#include "images/PngFile.h"
#include "rendering/SoftGLFactory.h"
#include "TestSupport.h"
#include "SoftGLTestScenes.h"
#include "SML/smlxmatrix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace softgltest;

namespace {

struct SceneOptions {
    const char* name;
    bool perspective;
    int textureMode; // 0 replace, kSglAlphaTest, kSglBlend, -1 untextured
    bool depthTest;
    bool smooth;
};

std::vector<uint32_t> randomTexture(std::mt19937& random, int size)
{
    std::vector<uint32_t> texels(static_cast<size_t>(size) * size);
    for (uint32_t& texel : texels)
        texel = random();
    return texels;
}

std::vector<uint32_t> drawScene(int type, const SceneOptions& options)
{
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> coordinate(-30.0, 30.0), depth(-20.0, 20.0), unit(-0.5, 1.5);
    auto gl = createSoftGLContext(type);
    gl->viewport(0, 0, 97, 64);
    gl->matrixMode(kSglProjection);
    if (options.perspective)
        gl->frustum(-2, 2, -1.5, 1.5, 4, 500);
    else
        gl->ortho(-36, 36, -24, 24, 1, 500);
    gl->matrixMode(kSglModelview);
    gl->lookAt(10, 20, 80, 0, 0, 0, 0, 1, 0);
    gl->translated(1.5, -2, 3);
    gl->rotated(33, 0.3, 1, 0.2);
    gl->rotated(-12, 1, 0, 0);
    gl->clear(kSglColorBufferBit | kSglDepthBufferBit);
    gl->shadeModel(options.smooth ? kSglSmooth : kSglFlat);
    if (options.depthTest)
        gl->enable(kSglDepthTest);
    std::vector<uint32_t> textures[2] = {randomTexture(random, 32), randomTexture(random, 8)};
    unsigned names[2] = {makeTexture(*gl, textures[0], 32, 32), 0};
    names[1] = makeTexture(*gl, textures[1], 8, 8);
    if (options.textureMode >= 0)
        gl->enable(kSglTexture2D);
    if (options.textureMode > 0)
        gl->enable(options.textureMode);
    for (int batch = 0; batch < 3; ++batch) {
        gl->bindTexture(kSglTexture2D, names[batch % 2]);
        gl->begin(kSglTriangles);
        for (int i = 0; i < 150 * 3; ++i) {
            gl->color3ub(static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                         static_cast<uint8_t>(random()));
            gl->texCoord2d(unit(random), unit(random));
            const double position[3] = {coordinate(random), coordinate(random), depth(random)};
            gl->vertex3dv(position);
        }
        gl->end();
    }
    return pixels(*gl);
}

TEST(ProcessorVariants, DrawTheSamePixels)
{
    const SceneOptions scenes[] = {
        {"ortho replace depth", false, 0, true, false},
        {"perspective replace depth", true, 0, true, false},
        {"ortho alpha test", false, kSglAlphaTest, true, false},
        {"perspective blend", true, kSglBlend, true, false},
        {"ortho blend no depth", false, kSglBlend, false, false},
        {"perspective flat", true, -1, true, false},
        {"ortho smooth", false, -1, true, true},
    };
    for (const SceneOptions& scene : scenes) {
        SCOPED_TRACE(scene.name);
        std::vector<uint32_t> generic = drawScene(0, scene);
        EXPECT_GT(std::count_if(generic.begin(), generic.end(), [](uint32_t p) { return p != 0; }), 1000);
        for (int type : {1, 2}) {
            std::vector<uint32_t> variant = drawScene(type, scene);
            int differing = 0;
            for (size_t i = 0; i < generic.size(); ++i)
                differing += generic[i] != variant[i];
            EXPECT_EQ(differing, 0) << "type " << type;
        }
    }
}

// Stored pictures of three scenes guard against silent changes in set-up, clipping and spans. Set
// CM_UPDATE_GOLDEN=1 to rewrite them after an intended change. Texel choices at exact boundaries may
// move with the platform's sine and cosine, so a few pixels may differ.
TEST(GoldenImages, ScenesMatchTheStoredPictures)
{
    const SceneOptions scenes[] = {
        {"ortho-replace", false, 0, true, false},
        {"frustum-blend", true, kSglBlend, true, false},
        {"ortho-smooth", false, -1, true, true},
    };
    const bool update = std::getenv("CM_UPDATE_GOLDEN") != nullptr;
    for (const SceneOptions& scene : scenes) {
        SCOPED_TRACE(scene.name);
        std::vector<uint32_t> drawn = drawScene(0, scene);
        // Stored top row first; the context's buffer is bottom row first.
        std::vector<uint32_t> topDown(drawn.size());
        for (int y = 0; y < 64; ++y)
            std::copy_n(drawn.begin() + (63 - y) * 97, 97, topDown.begin() + y * 97);
        std::string path =
            (testsupport::dataDir() / "rendering" / (std::string(scene.name) + ".png")).string();
        if (update) {
            ASSERT_TRUE(writePngBgra(path, topDown.data(), 97, 64, false));
        }
        std::vector<uint32_t> stored;
        int width = 0, height = 0;
        ASSERT_TRUE(readPngBgra(path, stored, width, height));
        ASSERT_EQ(width, 97);
        ASSERT_EQ(height, 64);
        int differing = 0;
        for (size_t i = 0; i < stored.size(); ++i)
            differing += stored[i] != topDown[i];
        EXPECT_LE(differing, static_cast<int>(stored.size() / 200)) << "of " << stored.size();
    }
}

TEST(ProcessorVariants, MatrixPathsAreBitIdentical)
{
    std::mt19937 random(99);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    for (int round = 0; round < 200; ++round) {
        SmlMatrix a, b, portable, sse;
        for (int i = 0; i < 16; ++i) {
            a.m[i] = value(random);
            b.m[i] = value(random);
        }
        smlMultiply(kSmlPortable, a, b, portable);
        smlMultiply(kSmlSse, a, b, sse);
        ASSERT_EQ(std::memcmp(portable.m, sse.m, sizeof portable.m), 0);
        float points[3 * 5], outPortable[3 * 5], outSse[3 * 5];
        for (float& p : points)
            p = value(random);
        smlTransformPoints(kSmlPortable, a, points, outPortable, 5, 3);
        smlTransformPoints(kSmlSse, a, points, outSse, 5, 3);
        ASSERT_EQ(std::memcmp(outPortable, outSse, sizeof outSse), 0);
    }
}

TEST(SmlMatrix, RotationsAndLookAtPlacePointsWhereExpected)
{
    struct Case {
        const char* name;
        double degrees, ax, ay, az;
        float in[3], out[3];
    };
    const Case cases[] = {
        {"x axis", 90, 1, 0, 0, {0, 1, 0}, {0, 0, 1}},
        {"y axis", 90, 0, 1, 0, {0, 0, 1}, {1, 0, 0}},
        {"z axis", 90, 0, 0, 1, {1, 0, 0}, {0, 1, 0}},
        {"negative z axis", 90, 0, 0, -2, {1, 0, 0}, {0, -1, 0}},
        {"diagonal", 120, 1, 1, 1, {1, 0, 0}, {0, 1, 0}},
        {"zero axis", 45, 0, 0, 0, {1, 2, 3}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmlMatrix rotation;
        smlRotation(c.degrees, c.ax, c.ay, c.az, rotation);
        float out[3];
        smlTransformPoints(kSmlPortable, rotation, c.in, out, 1, 3);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(out[k], c.out[k], 1e-6);
    }
    const double eye[3] = {0, 20, 120}, centre[3] = {0, 20, 0}, up[3] = {0, 1, 0};
    SmlMatrix view, move, both;
    smlLookAt(eye, centre, up, view);
    smlTranslation(-eye[0], -eye[1], -eye[2], move);
    smlMultiply(kSmlPortable, view, move, both);
    const float target[3] = {3, 25, 0};
    float seen[3];
    smlTransformPoints(kSmlPortable, both, target, seen, 1, 3);
    EXPECT_NEAR(seen[0], 3, 1e-5);
    EXPECT_NEAR(seen[1], 5, 1e-5);
    EXPECT_NEAR(seen[2], -120, 1e-4);
}

} // namespace
