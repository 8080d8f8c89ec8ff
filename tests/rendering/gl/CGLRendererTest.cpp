// The OpenGL renderer on an offscreen llvmpipe context: projection, fallback texture, change counters,
// refusals inside a frame, camera floors and picking on a scene whose layout is known.
#include "face/CHeadModel.h"
#include "rendering/gl/CGLRenderer.h"
#include "rendering/gl/EglOffscreenContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 64;

// Two triangles side by side in the z = 0 plane, seen from the default camera (view 36 x 36 around
// (0, 20)): triangle 0 covers x -16..-2, triangle 1 x 2..16, both y 6..34; slot 0 on both.
std::unique_ptr<CHeadModel> twoTriangles()
{
    auto model = std::make_unique<CHeadModel>(6, 2);
    const float vertices[6][3] = {{-16, 6, 0}, {-2, 6, 0}, {-9, 34, 0}, {2, 6, 0}, {16, 6, 0}, {9, 34, 0}};
    for (int i = 0; i < 6; ++i)
        model->setVertex(i, vertices[i][0], vertices[i][1], vertices[i][2]);
    model->setFace(0, 0, 1, 2);
    model->setFace(1, 3, 4, 5);
    for (int f = 0; f < 2; ++f) {
        model->setTextureSlot(f, 0);
        model->computeFaceNormal(f);
    }
    return model;
}

class GLRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!context_.open(kSide, kSide))
            GTEST_SKIP() << context_.error();
        model_ = twoTriangles();
        ASSERT_TRUE(renderer_.create(model_.get()));
        renderer_.setPerspective(false);
        renderer_.setViewport(kSide, kSide);
        renderer_.resetCamera();
    }

    // Window pixel (x, y from the bottom) of a model point under the renderer's camera.
    void windowOf(float x, float y, int& wx, int& wy)
    {
        const float p[3] = {x, y, 0};
        double px = 0, py = 0, depth = 0;
        ASSERT_TRUE(renderer_.projectPoint(p, px, py, depth));
        wx = static_cast<int>(px), wy = static_cast<int>(py);
    }

    uint32_t pixel(int x, int y) { return context_.readPixels()[static_cast<size_t>(y * kSide + x)]; }

    EglOffscreenContext context_;
    std::unique_ptr<CHeadModel> model_;
    CGLRenderer renderer_;
};

// The aspect is m[5] / m[0] of the projection, whatever the projection kind; a side of 0 counts as 1.
TEST_F(GLRendererTest, ZeroSizedViewportSidesCountAsOneForTheAspect)
{
    const struct {
        int width, height;
        bool perspective;
        double aspect;
    } cases[] = {{0, 0, false, 1.0}, {0, 0, true, 1.0}, {0, 4, false, 0.25},
                 {8, 0, false, 8.0}, {8, 0, true, 8.0}, {32, 16, false, 2.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " perspective " << c.perspective);
        ASSERT_TRUE(renderer_.setPerspective(c.perspective));
        ASSERT_TRUE(renderer_.setViewport(c.width, c.height));
        ASSERT_TRUE(renderer_.beginFrame());
        double m[16];
        glGetDoublev(GL_PROJECTION_MATRIX, m);
        ASSERT_TRUE(renderer_.endFrame(false));
        ASSERT_TRUE(std::isfinite(m[0]) && std::isfinite(m[5]));
        EXPECT_NEAR(m[5] / m[0], c.aspect, 1e-9);
    }
}

// Projection settings are fixed for the length of a frame.
TEST_F(GLRendererTest, PerspectiveAndSquareViewportAreRefusedInsideAFrame)
{
    ASSERT_TRUE(renderer_.beginFrame());
    EXPECT_FALSE(renderer_.setPerspective(true));
    EXPECT_FALSE(renderer_.setSquareViewport(true));
    EXPECT_FALSE(renderer_.beginFrame()) << "frames do not nest";
    EXPECT_TRUE(renderer_.endFrame(false));
    EXPECT_FALSE(renderer_.endFrame(false));
    EXPECT_TRUE(renderer_.setSquareViewport(true));
    EXPECT_TRUE(renderer_.setPerspective(true));
    EXPECT_FALSE(renderer_.depthTest(true)) << "only in frame";
}

// The square viewport is the largest centred square; it still shows the whole view size.
TEST_F(GLRendererTest, SquareViewportIsTheLargestCentredSquare)
{
    renderer_.setSquareViewport(true);
    const struct {
        int width, height, x, y, side;
    } cases[] = {{60, 40, 10, 0, 40}, {40, 64, 0, 12, 40}, {30, 30, 0, 0, 30}};
    for (const auto& c : cases) {
        renderer_.setViewport(c.width, c.height);
        EXPECT_EQ(renderer_.viewportX(), c.x);
        EXPECT_EQ(renderer_.viewportY(), c.y);
        EXPECT_EQ(renderer_.viewportWidth(), c.side);
        EXPECT_EQ(renderer_.viewportHeight(), c.side);
    }
}

// A slot without pictures draws the 2 x 2 fallback: black, and invisible when blended.
TEST_F(GLRendererTest, SlotWithoutTextureDrawsTheTransparentBlackFallback)
{
    std::vector<uint32_t> white(256 * 256, 0xFFFFFFFFu);
    model_->writeSlotPixels(0, white.data());
    renderer_.setDrawMode(2);
    const struct {
        int slot;
        bool blend;
        uint32_t expected; // BGRA as read back, alpha ignored
    } cases[] = {{3, false, 0x000000u}, {3, true, 0x333333u}, {9, false, 0x000000u}, {0, false, 0xFFFFFFu}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << c.slot << " blend " << c.blend);
        ASSERT_TRUE(renderer_.beginFrame());
        renderer_.blending(c.blend);
        float a[3] = {-18, 2, 0}, b[3] = {18, 2, 0}, t[3] = {0, 38, 0};
        RenderTriangle triangle{{a, b, t}, {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}}, {{0, 0}, {1, 0}, {0.5f, 1}}, 0};
        renderer_.drawTexturedTriangle(triangle, 255, 255, 255, c.slot);
        renderer_.blending(false);
        renderer_.endFrame(false);
        EXPECT_EQ(pixel(kSide / 2, kSide / 4) & 0xFFFFFFu, c.expected);
    }
}

// Only a moved counter sends a slot again, however far it moved; equal counters never do.
TEST_F(GLRendererTest, ChangedCountersReuploadAndEqualOnesNever)
{
    std::vector<uint32_t> picture(256 * 256, 0xFF808080u);
    auto frame = [&] {
        renderer_.beginFrame();
        renderer_.endFrame(false);
    };
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 0) << "counter 0 was never written";
    model_->writeSlotPixels(0, picture.data());
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 1);
    frame();
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 1);
    for (int i = 0; i < 5; ++i)
        model_->writeSlotColour(0, picture.data());
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 2) << "five writes, one upload";
    EXPECT_EQ(renderer_.uploadCount(7), 0);
    model_->reset(); // counters back to 0: a change as well
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 3);
    renderer_.setModel(model_.get()); // stamps cleared: counter 0 matches again
    frame();
    EXPECT_EQ(renderer_.uploadCount(0), 3);
}

TEST_F(GLRendererTest, ZoomStopsAtFourAndAZeroRectangleCountsAsOnePixel)
{
    const struct {
        const char* name;
        double zoomBy;
        int rect[4]; // left, bottom, width, height; width < 0 means no rectangle zoom
        double expected;
    } cases[] = {
        {"zoom out", 10, {0, 0, -1, 0}, 38.0},
        {"zoom in far", -1000, {0, 0, -1, 0}, 4.0},
        {"half the viewport", 0, {16, 16, 32, 32}, 18.0},
        {"zero-sized", 0, {10, 10, 0, 0}, 4.0},
        {"zero width, full height", 0, {0, 0, 0, kSide}, 36.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        renderer_.resetCamera();
        renderer_.zoom(c.zoomBy);
        if (c.rect[2] >= 0)
            renderer_.zoomToRectangle(c.rect[0], c.rect[1], c.rect[2], c.rect[3]);
        EXPECT_DOUBLE_EQ(renderer_.camera().viewSize, c.expected);
        EXPECT_TRUE(std::isfinite(renderer_.camera().eye[0]) && std::isfinite(renderer_.camera().eye[1]));
    }
}

struct PickResult {
    int pickClass = -1, index = -1;
};

// Picking with a scene of the two triangles, one point at (0, 20) and one line along y = 36.
TEST_F(GLRendererTest, PickingReportsTheFirstHitWithTwoNames)
{
    auto pickAt = [&](float x, float y, int extraNames) {
        int wx = 0, wy = 0;
        windowOf(x, y, wx, wy);
        PickResult result;
        renderer_.beginFrame(true, wx, wy);
        for (int k = 0; k < extraNames; ++k)
            glPushName(99);
        renderer_.drawMesh();
        const float point[3] = {0, 20, 0}, from[3] = {-15, 36, 0}, to[3] = {15, 36, 0};
        renderer_.drawPoint(point, 255, 255, 0, 41);
        renderer_.drawLine(from, to, 0, 255, 0, 77);
        renderer_.endFrame(false, &result.pickClass, &result.index);
        return result;
    };
    const struct {
        const char* name;
        float x, y;
        int extraNames;
        int pickClass, index;
    } cases[] = {
        {"left triangle", -9, 15, 0, CGLRenderer::kPickTriangle, 0},
        {"right triangle", 9, 15, 0, CGLRenderer::kPickTriangle, 1},
        {"point", 0, 20, 0, CGLRenderer::kPickPoint, 41},
        {"line", 5, 36, 0, CGLRenderer::kPickLine, 77},
        {"nothing there", 0, 3, 0, CGLRenderer::kPickNone, -1},
        {"first record with three names", -9, 15, 1, CGLRenderer::kPickNone, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PickResult result = pickAt(c.x, c.y, c.extraNames);
        EXPECT_EQ(result.pickClass, c.pickClass);
        if (c.pickClass != CGLRenderer::kPickNone) {
            EXPECT_EQ(result.index, c.index);
        }
    }
    // A picking frame leaves the picture alone and the next frame draws normally.
    renderer_.beginFrame();
    renderer_.drawMesh();
    renderer_.endFrame(false);
    int wx = 0, wy = 0;
    windowOf(-9, 15, wx, wy);
    EXPECT_NE(pixel(wx, wy) & 0xFFFFFFu, 0x333333u);
}

// Draw mode 1 lights each slot's flat colour; mode 0 leaves the inside of a triangle empty.
TEST_F(GLRendererTest, DrawModesShowFlatColoursOrEdges)
{
    model_->setTextureSlot(1, 2);
    int left = 0, right = 0, wy = 0;
    windowOf(-9, 15, left, wy);
    windowOf(9, 15, right, wy);
    const struct {
        int mode;
        bool leftLit, rightReddish;
    } cases[] = {{0, false, false}, {1, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        renderer_.setDrawMode(c.mode);
        renderer_.beginFrame();
        renderer_.drawMesh();
        renderer_.endFrame(false);
        uint32_t l = pixel(left, wy), r = pixel(right, wy);
        EXPECT_EQ((l & 0xFFFFFFu) != 0x333333u, c.leftLit) << std::hex << l;
        bool reddish = ((r >> 16) & 0xFF) > (r & 0xFF) + 20;
        EXPECT_EQ(reddish, c.rightReddish) << std::hex << r;
    }
}

} // namespace

// Every context of the process shares one EGL display: closing one context must leave the others able
// to draw, as when a preview player and an export each hold one.
TEST(EglOffscreenContext, ClosingOneContextLeavesAnotherDrawing)
{
    EglOffscreenContext kept;
    if (!kept.open(8, 8))
        GTEST_SKIP() << kept.error();
    {
        EglOffscreenContext closed;
        ASSERT_TRUE(closed.open(4, 4));
    }
    ASSERT_TRUE(kept.makeCurrent());
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<uint32_t> pixels = kept.readPixels();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
}
