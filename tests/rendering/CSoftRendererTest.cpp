#include "rendering/CSoftRenderer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SoftRenderer, ProjectionSettingsAreRefusedInsideAFrame)
{
    CSoftRenderer renderer;
    ASSERT_TRUE(renderer.create(nullptr, 0));
    EXPECT_TRUE(renderer.setPerspective(false));
    EXPECT_TRUE(renderer.setSquareViewport(true));
    EXPECT_FALSE(renderer.endFrame(true));
    EXPECT_FALSE(renderer.depthTest(true));
    ASSERT_TRUE(renderer.beginFrame());
    EXPECT_FALSE(renderer.beginFrame());
    EXPECT_FALSE(renderer.setPerspective(true));
    EXPECT_FALSE(renderer.setSquareViewport(false));
    EXPECT_TRUE(renderer.depthTest(false));
    EXPECT_TRUE(renderer.endFrame(true));
    EXPECT_TRUE(renderer.setPerspective(true));
}

TEST(SoftRenderer, CameraDefaultsAndLimits)
{
    CSoftRenderer renderer;
    ASSERT_TRUE(renderer.create(nullptr, 0));
    EXPECT_FALSE(renderer.resetCamera()); // perspective at creation
    renderer.setPerspective(false);
    ASSERT_TRUE(renderer.resetCamera());
    EXPECT_EQ(renderer.eye()[2], 120.0);
    EXPECT_EQ(renderer.target()[1], 20.0);
    EXPECT_EQ(renderer.viewSize(), 36.0);
    renderer.zoom(-1000); // no model: orthographic zoom does nothing
    EXPECT_EQ(renderer.viewSize(), 36.0);
    renderer.zoomToRectangle(0, 0, 0, 0);
    EXPECT_EQ(renderer.viewSize(), 36.0);
    ASSERT_TRUE(renderer.fitCameraToModel());
    EXPECT_EQ(renderer.eye()[2], 250.0);
    EXPECT_EQ(renderer.target()[0], 0.0);
    EXPECT_EQ(renderer.target()[1], 0.0);
}

// Without pictures every slot draws with the fallback texture, black and fully transparent: the
// background shows black and the blended overlay changes nothing.
TEST(SoftRenderer, SlotsWithoutPicturesDrawWithTheTransparentFallback)
{
    for (int type = 0; type < 3; ++type) {
        CSoftRenderer renderer;
        ASSERT_TRUE(renderer.create(nullptr, type));
        renderer.setPerspective(false);
        renderer.resetCamera();
        std::vector<uint32_t> buffer(32 * 16, 0xDEADBEEFu);
        ASSERT_TRUE(renderer.setViewport(32, 16, buffer.data()));
        ASSERT_TRUE(renderer.drawPlayerFrame());
        for (uint32_t pixel : buffer)
            ASSERT_EQ(pixel, 0u);
        std::vector<uint32_t> copy(32 * 16, 1);
        EXPECT_TRUE(renderer.readPixels(copy.data()));
        EXPECT_EQ(copy, buffer);
    }
}

TEST(SoftRenderer, DegenerateViewportsStillDraw)
{
    const int sizes[][2] = {{0, 0}, {64, 0}, {0, 64}, {1, 1}, {300, 7}};
    for (const auto& size : sizes) {
        CSoftRenderer renderer;
        ASSERT_TRUE(renderer.create(nullptr, 2));
        renderer.setPerspective(false);
        for (bool square : {false, true}) {
            renderer.setSquareViewport(square);
            EXPECT_TRUE(renderer.setViewport(size[0], size[1]));
            EXPECT_TRUE(renderer.drawPlayerFrame()) << size[0] << "x" << size[1];
        }
    }
}

TEST(SoftRenderer, TexturesMustHavePowerOfTwoSizes)
{
    CSoftRenderer renderer;
    ASSERT_TRUE(renderer.create(nullptr, 0));
    std::vector<uint32_t> pixels(64 * 16);
    EXPECT_NE(renderer.createTexture(64, 16, pixels.data()), 0u);
    EXPECT_EQ(renderer.createTexture(48, 16, pixels.data()), 0u);
    EXPECT_FALSE(renderer.readPixels(nullptr));
}

} // namespace
