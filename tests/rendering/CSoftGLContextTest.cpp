#include "rendering/CSoftGLContext.h"
#include "rendering/SoftGLFactory.h"
#include "SoftGLTestScenes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace softgltest;

namespace {

struct ErrorCase {
    const char* name;
    std::function<void(CSoftGLContext&)> call;
    int expected;
};

TEST(SoftGLContext, RefusesBadArgumentsWithTheirErrorCodes)
{
    static const uint32_t texels[4] = {};
    const ErrorCase cases[] = {
        {"shade model 2", [](CSoftGLContext& gl) { gl.shadeModel(2); }, kSglInvalidEnum},
        {"enable unknown", [](CSoftGLContext& gl) { gl.enable(7); }, kSglInvalidEnum},
        {"viewport x", [](CSoftGLContext& gl) { gl.viewport(1, 0, 10, 10); }, kSglInvalidValue},
        {"viewport negative", [](CSoftGLContext& gl) { gl.viewport(0, 0, -1, 10); }, kSglInvalidValue},
        {"query",
         [](CSoftGLContext& gl) {
             int v[4];
             gl.getIntegerv(5, v);
         },
         kSglInvalidEnum},
        {"light",
         [](CSoftGLContext& gl) {
             float v[4] = {};
             gl.lightfv(17, kSglAmbient, v);
         },
         kSglInvalidEnum},
        {"bind target", [](CSoftGLContext& gl) { gl.bindTexture(20, 1); }, kSglInvalidEnum},
        {"bind name 64", [](CSoftGLContext& gl) { gl.bindTexture(kSglTexture2D, 64); }, kSglInvalidValue},
        {"image 3 wide",
         [](CSoftGLContext& gl) {
             gl.bindTexture(kSglTexture2D, 1);
             gl.texImage2D(kSglTexture2D, 0, kSglInternalFormat, 3, 1, 0, kSglPixelFormatBgra,
                           kSglUnsignedByte, texels);
         },
         kSglInvalidValue},
        {"image 2048 high",
         [](CSoftGLContext& gl) {
             gl.bindTexture(kSglTexture2D, 1);
             gl.texImage2D(kSglTexture2D, 0, kSglInternalFormat, 1, 2048, 0, kSglPixelFormatBgra,
                           kSglUnsignedByte, texels);
         },
         kSglInvalidValue},
        {"image format",
         [](CSoftGLContext& gl) {
             gl.bindTexture(kSglTexture2D, 1);
             gl.texImage2D(kSglTexture2D, 0, kSglInternalFormat, 2, 2, 0, 99, kSglUnsignedByte, texels);
         },
         kSglInvalidEnum},
        {"front face", [](CSoftGLContext& gl) { gl.frontFace(28); }, kSglInvalidEnum},
        {"matrix mode", [](CSoftGLContext& gl) { gl.matrixMode(27); }, kSglInvalidEnum},
        {"begin lines", [](CSoftGLContext& gl) { gl.begin(27); }, kSglInvalidEnum},
        {"vertex outside",
         [](CSoftGLContext& gl) {
             const double p[3] = {};
             gl.vertex3dv(p);
         },
         kSglInvalidOperation},
        {"end outside", [](CSoftGLContext& gl) { gl.end(); }, kSglInvalidOperation},
        {"enable inside",
         [](CSoftGLContext& gl) {
             gl.begin(kSglTriangles);
             gl.enable(kSglBlend);
         },
         kSglInvalidOperation},
        {"clear inside",
         [](CSoftGLContext& gl) {
             gl.begin(kSglTriangles);
             gl.clear(kSglColorBufferBit);
         },
         kSglInvalidOperation},
        {"finish inside",
         [](CSoftGLContext& gl) {
             gl.begin(kSglTriangles);
             gl.finish();
         },
         kSglInvalidOperation},
        {"read wrong size",
         [](CSoftGLContext& gl) {
             std::vector<uint32_t> d(100);
             gl.readPixels(0, 0, 10, 10, kSglPixelFormatBgra, kSglUnsignedByte, d.data());
         },
         kSglInvalidValue},
        {"too many names",
         [](CSoftGLContext& gl) {
             unsigned n[64];
             gl.genTextures(64, n);
         },
         kSglInvalidValue},
        {"degenerate ortho",
         [](CSoftGLContext& gl) {
             gl.matrixMode(kSglProjection);
             gl.ortho(1, 1, 0, 1, 1, 2);
         },
         kSglInvalidValue},
        {"accepted",
         [](CSoftGLContext& gl) {
             gl.shadeModel(2);
             gl.shadeModel(kSglSmooth);
         },
         kSglNoError},
    };
    for (int type = 0; type < 3; ++type) {
        for (const ErrorCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " type " + std::to_string(type));
            auto gl = createSoftGLContext(type);
            EXPECT_EQ(gl->getError(), kSglNoError);
            c.call(*gl);
            EXPECT_EQ(gl->getError(), c.expected);
        }
    }
}

TEST(SoftGLContext, TextureNamesAreTheLowestFreeOnesUpTo63)
{
    CSoftGLContext gl;
    unsigned names[3];
    gl.genTextures(3, names);
    EXPECT_EQ(names[0], 1u);
    EXPECT_EQ(names[2], 3u);
    gl.deleteTextures(1, &names[1]);
    unsigned again = 0;
    gl.genTextures(1, &again);
    EXPECT_EQ(again, 2u);
    unsigned rest[60];
    gl.genTextures(60, rest);
    EXPECT_EQ(gl.getError(), kSglNoError);
    EXPECT_EQ(rest[59], 63u);
    unsigned none = 0;
    gl.genTextures(1, &none);
    EXPECT_EQ(gl.getError(), kSglInvalidValue);
    EXPECT_EQ(none, 0u);
}

TEST(SoftGLContext, RefusedTextureImageKeepsTheBoundPicture)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    std::vector<uint32_t> red(4, 0xFFFF0000u), green(3, 0xFF00FF00u);
    makeTexture(gl, red, 2, 2);
    gl.texImage2D(kSglTexture2D, 0, kSglInternalFormat, 3, 1, 0, kSglPixelFormatBgra, kSglUnsignedByte,
                  green.data());
    EXPECT_EQ(gl.getError(), kSglInvalidValue);
    gl.enable(kSglTexture2D);
    quad(gl, 0, 0, 4, 4, -10);
    for (uint32_t pixel : pixels(gl))
        EXPECT_EQ(pixel, 0xFFFF0000u);
}

TEST(SoftGLContext, ClearGivesBlackWhateverTheClearColour)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    gl.color3ub(10, 20, 30);
    quad(gl, 0, 0, 4, 4, -10);
    gl.clearColor(1, 1, 1, 1);
    gl.clear(kSglColorBufferBit);
    for (uint32_t pixel : pixels(gl))
        EXPECT_EQ(pixel, 0u);
}

TEST(SoftGLContext, ReadPixelsOfAnotherSizeCopiesNothing)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    std::vector<uint32_t> target(25, 0x12345678u);
    gl.readPixels(0, 0, 5, 5, kSglPixelFormatBgra, kSglUnsignedByte, target.data());
    EXPECT_EQ(gl.getError(), kSglInvalidValue);
    EXPECT_EQ(std::count(target.begin(), target.end(), 0x12345678u), 25);
}

TEST(SoftGLContext, UntexturedPixelsCarryAZeroFourthByte)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    gl.color4ub(10, 20, 30, 200);
    quad(gl, 0, 0, 4, 4, -10);
    for (uint32_t pixel : pixels(gl))
        EXPECT_EQ(pixel, 0x000A141Eu);
}

TEST(SoftGLContext, BeginWithAnotherPrimitiveIgnoresTheVertices)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    gl.color3ub(255, 255, 255);
    gl.begin(27);
    const double a[3] = {0, 0, -10}, b[3] = {4, 0, -10}, c[3] = {4, 4, -10};
    gl.vertex3dv(a);
    gl.vertex3dv(b);
    gl.vertex3dv(c);
    EXPECT_EQ(gl.getError(), kSglInvalidOperation);
    gl.end();
    for (uint32_t pixel : pixels(gl))
        EXPECT_EQ(pixel, 0u);
}

// Adjacent triangles share their edge without gaps or double coverage: blending a half-transparent
// texel twice would show.
TEST(SoftGLContext, SharedEdgesAreCoveredExactlyOnce)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 16, 16);
    std::vector<uint32_t> half(1, 0x80FFFFFFu);
    makeTexture(gl, half, 1, 1);
    gl.enable(kSglTexture2D);
    gl.enable(kSglBlend);
    triangle(gl, {0, 0, -5, 0, 0}, {16, 3, -5, 0, 0}, {5, 16, -5, 0, 0});
    triangle(gl, {16, 3, -5, 0, 0}, {16, 16, -5, 0, 0}, {5, 16, -5, 0, 0});
    triangle(gl, {0, 0, -5, 0, 0}, {5, 16, -5, 0, 0}, {0, 16, -5, 0, 0});
    triangle(gl, {0, 0, -5, 0, 0}, {16, 0, -5, 0, 0}, {16, 3, -5, 0, 0});
    for (uint32_t pixel : pixels(gl))
        ASSERT_EQ(pixel, 0x40808080u);
}

TEST(SoftGLContext, OrthographicTexturesMapTexelsToPixelsExactly)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 8, 8);
    std::vector<uint32_t> texels(16);
    for (int i = 0; i < 16; ++i)
        texels[static_cast<size_t>(i)] = 0xFF000000u | static_cast<uint32_t>(i);
    makeTexture(gl, texels, 4, 4);
    gl.enable(kSglTexture2D);
    quad(gl, 0, 0, 8, 8, -10);
    std::vector<uint32_t> out = pixels(gl);
    for (int row = 0; row < 8; ++row) {
        for (int x = 0; x < 8; ++x) {
            int texelRow = (7 - row) / 2; // texture row 0 is at the top, the buffer's first row at the bottom
            EXPECT_EQ(out[static_cast<size_t>(row * 8 + x)] & 0xFF,
                      static_cast<uint32_t>(texelRow * 4 + x / 2));
        }
    }
}

struct ModeCase {
    const char* name;
    int capability;
    uint32_t texel;
    uint32_t expected;
    bool depthWritten;
};

// Draws the texel as a near quad over a grey far quad, then a middle-depth red quad: whether the
// red shows tells whether the near quad wrote its depth.
TEST(SoftGLContext, TextureModesReplaceAlphaTestAndBlend)
{
    const ModeCase cases[] = {
        {"replace", 0, 0x20112233u, 0x20112233u, true},
        {"alpha test passes", kSglAlphaTest, 0x80112233u, 0x80112233u, true},
        {"alpha test fails keeps depth", kSglAlphaTest, 0x7F112233u, 0x00404040u, true},
        {"blend opaque", kSglBlend, 0xFF112233u, 0xFF112233u, true},
        {"blend transparent", kSglBlend, 0x00112233u, 0x00404040u, true},
        {"blend half", kSglBlend, 0x80FF0000u, 0x40A02020u, true},
    };
    for (int type = 0; type < 3; ++type) {
        for (const ModeCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " type " + std::to_string(type));
            auto gl = createSoftGLContext(type);
            pixelOrtho(*gl, 4, 4);
            gl->enable(kSglDepthTest);
            gl->color3ub(0x40, 0x40, 0x40);
            quad(*gl, 0, 0, 4, 4, -100);
            std::vector<uint32_t> texel(1, c.texel);
            makeTexture(*gl, texel, 1, 1);
            gl->enable(kSglTexture2D);
            if (c.capability)
                gl->enable(c.capability);
            quad(*gl, 0, 0, 4, 4, -10);
            EXPECT_EQ(pixels(*gl)[5], c.expected);
            gl->disable(kSglTexture2D);
            gl->color3ub(255, 0, 0);
            quad(*gl, 0, 0, 4, 4, -50);
            EXPECT_EQ(pixels(*gl)[5] == 0x00FF0000u, !c.depthWritten);
        }
    }
}

TEST(SoftGLContext, NearerSurfacesWinWhateverTheOrder)
{
    for (bool nearFirst : {true, false}) {
        CSoftGLContext gl;
        pixelOrtho(gl, 4, 4);
        gl.enable(kSglDepthTest);
        for (int pass = 0; pass < 2; ++pass) {
            bool drawNear = (pass == 0) == nearFirst;
            gl.color3ub(drawNear ? 255 : 0, 0, drawNear ? 0 : 255);
            quad(gl, 0, 0, 4, 4, drawNear ? -10 : -20);
        }
        EXPECT_EQ(pixels(gl)[0], 0x00FF0000u) << nearFirst;
    }
}

// Camera at the origin looking down -z, near plane at distance 5.
TEST(SoftGLContext, NearPlaneDropsOrClipsTriangles)
{
    struct Case {
        const char* name;
        double z0, z1, z2;
        int minCovered, maxCovered;
    };
    const Case cases[] = {
        {"all before near", -1, -2, -4.9, 0, 0}, {"farthest on near", -5, -3, -1, 0, 0},
        {"crossing", -1, -30, -30, 1, 63},       {"behind the eye", 3, -30, -30, 1, 63},
        {"all beyond", -9, -9, -9, 64, 64},
    };
    for (bool perspective : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (perspective ? " perspective" : " ortho"));
            CSoftGLContext gl;
            gl.viewport(0, 0, 8, 8);
            gl.matrixMode(kSglProjection);
            if (perspective)
                gl.frustum(-5, 5, -5, 5, 5, 100);
            else
                gl.ortho(-5, 5, -5, 5, 5, 100);
            gl.matrixMode(kSglModelview);
            gl.clear(kSglColorBufferBit);
            gl.color3ub(255, 255, 255);
            double scale = perspective ? 2.0 : 1.0;
            triangle(gl, {-9 * scale, -9 * scale, c.z0, 0, 0}, {60, -9 * scale, c.z1, 0, 0},
                     {-9 * scale, 60, c.z2, 0, 0});
            std::vector<uint32_t> out = pixels(gl);
            int covered = static_cast<int>(std::count(out.begin(), out.end(), 0x00FFFFFFu));
            EXPECT_GE(covered, c.minCovered);
            EXPECT_LE(covered, c.maxCovered);
        }
    }
}

TEST(SoftGLContext, CullingDropsFacesThatTurnAway)
{
    for (int front : {kSglFrontCounterClockwise, kSglFrontClockwise}) {
        CSoftGLContext gl;
        pixelOrtho(gl, 4, 4);
        gl.enable(kSglCullFace);
        gl.frontFace(front);
        gl.color3ub(255, 255, 255);
        triangle(gl, {0, 0, -10, 0, 0}, {8, 0, -10, 0, 0}, {0, 8, -10, 0, 0}); // counter-clockwise
        EXPECT_EQ(pixels(gl)[0] != 0, front == kSglFrontCounterClockwise);
    }
}

TEST(SoftGLContext, CallersBufferIsUsedUntilTheNextViewport)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    std::vector<uint32_t> mine(16, 0);
    gl.useColorBuffer(mine.data());
    gl.color3ub(1, 2, 3);
    quad(gl, 0, 0, 4, 4, -10);
    EXPECT_EQ(std::count(mine.begin(), mine.end(), 0x00010203u), 16);
    gl.viewport(0, 0, 4, 4);
    gl.color3ub(9, 9, 9);
    quad(gl, 0, 0, 4, 4, -10);
    EXPECT_EQ(std::count(mine.begin(), mine.end(), 0x00010203u), 16);
    EXPECT_EQ(pixels(gl)[0], 0x00090909u);
}

TEST(SoftGLContext, LongBatchesDrawLikeShortOnes)
{
    CSoftGLContext oneBatch, manyBatches;
    for (CSoftGLContext* gl : {&oneBatch, &manyBatches}) {
        pixelOrtho(*gl, 64, 64);
        gl->enable(kSglDepthTest);
    }
    oneBatch.begin(kSglTriangles);
    for (int i = 0; i < 700; ++i) {
        double x = i % 30 * 2.0, y = i / 30 * 2.7, z = -10.0 - i % 7;
        for (CSoftGLContext* gl : {&oneBatch, &manyBatches}) {
            gl->color3ub(static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), 50);
            if (gl == &manyBatches)
                gl->begin(kSglTriangles);
            const double a[3] = {x, y, z}, b[3] = {x + 5, y + 1, z}, c[3] = {x + 1, y + 6, z};
            gl->vertex3dv(a);
            gl->vertex3dv(b);
            gl->vertex3dv(c);
            if (gl == &manyBatches)
                gl->end();
        }
    }
    oneBatch.end();
    EXPECT_EQ(pixels(oneBatch), pixels(manyBatches));
}

TEST(SoftGLContext, FlatLightingBrightensFacesTowardTheLight)
{
    CSoftGLContext gl;
    pixelOrtho(gl, 4, 4);
    gl.enable(kSglLighting);
    gl.enable(kSglLight0);
    const float towardViewer[4] = {0, 0, 1, 0};
    gl.lightfv(kSglLight0, kSglPosition, towardViewer);
    gl.color3ub(200, 100, 50);
    const double facing[3] = {0, 0, 1}, sideways[3] = {1, 0, 0};
    gl.normal3dv(facing);
    quad(gl, 0, 0, 2, 4, -10);
    gl.normal3dv(sideways);
    quad(gl, 2, 0, 4, 4, -10);
    std::vector<uint32_t> out = pixels(gl);
    EXPECT_EQ(out[0], 0x00FFFFFFu) << std::hex << out[0]; // diffuse plus a full highlight saturate
    EXPECT_EQ(out[3], 0u) << std::hex << out[3];
}

} // namespace
