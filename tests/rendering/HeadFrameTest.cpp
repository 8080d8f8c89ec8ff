// Frames of a real head as the player and the export draw them: mesh, photo overlay with its mask,
// background and head pose, against stored pictures and against what the photo mapping promises.
#include "face/CHeadModel.h"
#include "rendering/CSoftRenderer.h"
#include "face/HeadFiles.h"
#include "rendering/HeadViewSetup.h"
#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 256;

// Each photo texel names itself: red is its column, green its row.
std::vector<uint32_t> namingPhoto()
{
    std::vector<uint32_t> photo(kSide * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            photo[static_cast<size_t>(y * kSide + x)] =
                0xFF000040u | static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8;
    return photo;
}

// Coverage 0 over the face and a margin round it (photo columns 28-227, rows 30-239), half in a
// 12-texel band about that, full outside.
void applyMask(std::vector<uint32_t>& photo)
{
    auto outside = [](int x, int y, int margin) {
        return std::abs(x - 128) >= 100 + margin || y < 30 - margin || y >= 240 + margin;
    };
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            uint32_t alpha = !outside(x, y, 0) ? 0 : !outside(x, y, 12) ? 128 : 255;
            uint32_t& texel = photo[static_cast<size_t>(y * kSide + x)];
            texel = (texel & 0x00FFFFFFu) | alpha << 24;
        }
}

std::vector<uint32_t> checkerBackground()
{
    std::vector<uint32_t> back(kSide * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            back[static_cast<size_t>(y * kSide + x)] = ((x / 32 + y / 32) % 2) ? 0xFF3060C0u : 0xFFE0D020u;
    return back;
}

struct HeadScene {
    const char* name;
    int width, height;
    bool photo, mask, background;
    int pitch, yaw, roll; // FAP units of 0.00001 rad
};

std::vector<uint32_t> drawHead(const HeadScene& scene, int processor)
{
    std::unique_ptr<CHeadModel> model = readHeadFile(testsupport::dataDir() / "face" / "grid-head.cmm");
    if (!model)
        return {};
    CSoftRenderer renderer;
    renderer.create(model.get(), processor);
    renderer.setPerspective(false);
    headview::attachWithNormalise(renderer, *model);
    renderer.resetCamera();
    model->saveToSet(1);
    model->setFapValue(47, scene.pitch);
    model->setFapValue(48, scene.yaw);
    model->setFapValue(49, scene.roll);
    model->deform(false);
    std::vector<uint32_t> photo = namingPhoto();
    if (scene.mask)
        applyMask(photo);
    if (scene.photo)
        model->writeSlotPixels(0, photo.data());
    if (scene.background)
        model->writeSlotPixels(7, checkerBackground().data());
    std::vector<uint32_t> frame(static_cast<size_t>(scene.width * scene.height));
    renderer.setViewport(scene.width, scene.height, frame.data());
    renderer.drawPlayerFrame();
    return frame;
}

const HeadScene kPhotoMask{"head-photo-mask", 256, 256, true, true, true, 0, 0, 0};
const HeadScene kPhotoOnly{"head-photo-only", 160, 120, true, false, false, 0, 0, 0};
const HeadScene kPosed{"head-posed", 200, 200, true, true, true, -8000, 30000, 5000};

// Stored top row first, as the PNG holds it; the frame is bottom row first.
std::vector<uint32_t> topDown(const std::vector<uint32_t>& frame, int width, int height)
{
    std::vector<uint32_t> out(frame.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(frame.begin() + (height - 1 - y) * width, width, out.begin() + y * width);
    return out;
}

// Pictures are stored opaque: a frame's fourth byte is the last texel's alpha, not coverage (the
// processor variants are compared on all four bytes). The unposed frames involve no trigonometry and must
// match exactly; the posed one turns the head with sine and cosine, whose last bit may move a texel choice on
// another platform.
TEST(HeadFrames, MatchTheStoredPicturesAndAgreeAcrossProcessorVariants)
{
    const struct {
        const HeadScene* scene;
        int allowedDifferences;
    } cases[] = {{&kPhotoMask, 0}, {&kPhotoOnly, 0}, {&kPosed, 40}};
    const bool update = std::getenv("CM_UPDATE_GOLDEN") != nullptr;
    for (const auto& c : cases) {
        const HeadScene& scene = *c.scene;
        SCOPED_TRACE(scene.name);
        std::vector<uint32_t> generic = drawHead(scene, 0);
        ASSERT_EQ(generic.size(), static_cast<size_t>(scene.width * scene.height));
        for (int type : {1, 2})
            EXPECT_TRUE(drawHead(scene, type) == generic) << "processor type " << type;
        std::vector<uint32_t> drawn = topDown(generic, scene.width, scene.height);
        std::string path =
            (testsupport::dataDir() / "rendering" / (std::string(scene.name) + ".png")).string();
        if (update) {
            ASSERT_TRUE(writePngOpaque(path, drawn.data(), scene.width, scene.height, false));
        }
        std::vector<uint32_t> stored;
        int width = 0, height = 0;
        ASSERT_TRUE(readPngBgra(path, stored, width, height));
        ASSERT_EQ(width, scene.width);
        ASSERT_EQ(height, scene.height);
        int differing = 0;
        for (size_t i = 0; i < stored.size(); ++i)
            differing += (stored[i] ^ drawn[i]) & 0x00FFFFFFu ? 1 : 0;
        EXPECT_LE(differing, c.allowedDifferences);
    }
}

int photoRowAt(uint32_t pixel)
{
    return static_cast<int>((pixel >> 8) & 0xFF);
}

// y = 40 of the photo square is the photo's top row, so the picture stands upright; the overlay
// shows the photo where the mask covers, the background where it does not, and a mix in between.
TEST(HeadFrames, PhotoStandsUprightAndTheMaskChoosesBetweenPhotoAndBackground)
{
    std::vector<uint32_t> frame = drawHead(kPhotoMask, 2);
    ASSERT_EQ(frame.size(), static_cast<size_t>(kSide * kSide));
    auto at = [&](int x, int rowFromTop) {
        return frame[static_cast<size_t>((kSide - 1 - rowFromTop) * kSide + x)];
    };
    // Corners lie outside the mask's disc: opaque photo. Screen row 0 is y = 37.93 -> photo row 13.
    EXPECT_EQ(photoRowAt(at(0, 0)), 13);
    EXPECT_EQ(photoRowAt(at(0, kSide - 1)), 242);
    EXPECT_LT(at(0, 0) >> 16 & 0xFF, 16u); // left edge of the screen shows the photo's left columns
    // Inside the uncovered part but beside the head (x = -13.7, y = 16.5): the background.
    const uint32_t background[2] = {0xFF3060C0u, 0xFFE0D020u};
    uint32_t besideHead = at(26, 152);
    EXPECT_TRUE(besideHead == background[0] || besideHead == background[1]) << std::hex << besideHead;
    // Above the head in the half-covered band (photo row 24): a mix of photo and background.
    uint32_t band = at(128, 12);
    EXPECT_NE(band, background[0]);
    EXPECT_NE(band, background[1]);
    EXPECT_NE(photoRowAt(band), 24);
    // The head's middle is mesh, textured through the same mapping: y = 17.5 is photo row 144.
    EXPECT_NEAR(photoRowAt(at(128, 145)), 144, 2);
}

// Without a mask the photo is opaque: it hides the background everywhere beside the head.
TEST(HeadFrames, PhotoWithoutMaskHidesTheBackground)
{
    HeadScene scene = kPhotoOnly;
    scene.background = true;
    std::vector<uint32_t> frame = drawHead(scene, 0);
    for (uint32_t pixel : frame) {
        ASSERT_EQ(pixel >> 24, 0xFFu);
        ASSERT_NE(pixel, 0xFF3060C0u);
        ASSERT_NE(pixel, 0xFFE0D020u);
    }
}

} // namespace
