#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string head()
{
    return (testsupport::dataDir() / "face" / "grid-head.cmm").string();
}

std::string picture(const char* name)
{
    return (testsupport::dataDir() / "images" / name).string();
}

struct Frame {
    int status = -1;
    std::string err;
    std::vector<uint32_t> pixels; // top row first
    int width = 0, height = 0;
};

Frame render(const testsupport::TempDir& dir, const std::string& options)
{
    std::string out = (dir / "frame.png").string();
    std::filesystem::remove(out);
    auto result = testsupport::runCommand(cli() + " render " + head() + " " + out + " " + options);
    Frame frame;
    frame.status = result.status;
    frame.err = result.err;
    if (result.status == 0)
        readPngBgra(out, frame.pixels, frame.width, frame.height);
    return frame;
}

uint32_t at(const Frame& frame, int x, int y)
{
    return frame.pixels[static_cast<size_t>(y * frame.width + x)];
}

// Bad options and unusable inputs end the command with status 2 before anything is written.
TEST(RenderCommand, RefusesBadOptionsAndInputsWithoutWritingTheOutput)
{
    testsupport::TempDir dir;
    std::string images = (testsupport::dataDir() / "images").string();
    std::string out = (dir / "frame.png").string();
    struct Case {
        const char* name;
        std::string arguments;
        const char* expectInError;
    };
    const Case cases[] = {
        {"size without x", head() + " " + out + " --size 256", "--size"},
        {"size zero", head() + " " + out + " --size 0x10", "--size"},
        {"size too large", head() + " " + out + " --size 9000x10", "--size"},
        {"unknown processor", head() + " " + out + " --cpu p5", "--cpu"},
        {"missing face picture", head() + " " + out + " --face " + images + "/missing.jpg", "0xE81E"},
        {"face of another size", head() + " " + out + " --face " + images + "/photo444.jpg", "0xE81F"},
        {"progressive mask", head() + " " + out + " --mask " + images + "/progressive.jpg", "0xE81E"},
        {"background of another size", head() + " " + out + " --background " + images + "/small32.jpg",
         "0xE81F"},
        {"FAP number outside 1-68", head() + " " + out + " --fap 69=5", "FAP"},
        {"FAP without value", head() + " " + out + " --fap 3", "--fap"},
        {"viseme row outside the table", head() + " " + out + " --viseme 15", "--viseme"},
        {"expression row outside the table", head() + " " + out + " --expression 7", "--expression"},
        {"missing head", (dir / "nohead.cmm").string() + " " + out, "head"},
        {"head that is not a head", picture("face256.jpg") + " " + out, "head"},
        {"output missing", head(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = testsupport::runCommand(cli() + " render " + c.arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.expectInError), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The frame is a video frame: every pixel opaque, at the size asked for. A head drawn with the
// mask's zero coverage once came out see-through, so white in any viewer.
TEST(RenderCommand, WritesOpaqueFramesOfTheRequestedSize)
{
    testsupport::TempDir dir;
    const struct {
        const char* options;
        int width, height;
    } cases[] = {
        {"", 256, 256},
        {"--size 64x48", 64, 48},
        {"--size 1x1", 1, 1},
        {"--size 300X20 --face " /* upper-case X */, 300, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        std::string options = c.options;
        if (options.find("--face") != std::string::npos)
            options += picture("face256.jpg") + " --mask " + picture("mask256.jpg");
        Frame frame = render(dir, options);
        ASSERT_EQ(frame.status, 0) << frame.err;
        EXPECT_EQ(frame.width, c.width);
        EXPECT_EQ(frame.height, c.height);
        for (uint32_t pixel : frame.pixels)
            ASSERT_EQ(pixel >> 24, 0xFFu);
    }
}

// The pictures land where the player shows them: the photo textures the head whether or not a mask
// is given; without a mask the photo hides the background beside the head, with one the background
// shows through where the mask is black.
TEST(RenderCommand, FaceMaskAndBackgroundShowWhereThePlayerShowsThem)
{
    testsupport::TempDir dir;
    Frame bare = render(dir, "");
    Frame face = render(dir, "--face " + picture("face256.jpg"));
    Frame masked = render(dir, "--face " + picture("face256.jpg") + " --mask " + picture("mask256.jpg"));
    Frame backed = render(dir, "--face " + picture("face256.jpg") + " --mask " + picture("mask256.jpg") +
                                   " --background " + picture("back256.jpg"));
    Frame hidden =
        render(dir, "--face " + picture("face256.jpg") + " --background " + picture("back256.jpg"));
    for (const Frame* frame : {&bare, &face, &masked, &backed, &hidden})
        ASSERT_EQ(frame->status, 0) << frame->err;
    const int centreX = 128, headMiddle = 145;             // y = 17.5, inside the head
    EXPECT_EQ(at(bare, centreX, headMiddle), 0xFF000000u); // no photo: black
    EXPECT_NE(at(face, centreX, headMiddle), 0xFF000000u);
    EXPECT_NE(at(face, centreX, headMiddle), 0xFFFFFFFFu);
    EXPECT_EQ(at(masked, centreX, headMiddle), at(face, centreX, headMiddle));
    EXPECT_EQ(hidden.pixels, face.pixels);   // an opaque photo leaves nothing of the background
    EXPECT_NE(backed.pixels, masked.pixels); // a mask lets it through
    EXPECT_NE(masked.pixels, face.pixels);
}

// FAP values from every option deform the head; an intensity of 0 is neutral.
TEST(RenderCommand, FapExpressionAndVisemeOptionsChangeTheFrame)
{
    testsupport::TempDir dir;
    const std::string face = "--face " + picture("face256.jpg") + " ";
    Frame neutral = render(dir, face);
    ASSERT_EQ(neutral.status, 0) << neutral.err;
    const struct {
        const char* options;
        bool changes;
    } cases[] = {
        {"--fap 3=800", true},    {"--fap 48=30000", true}, {"--fap 3=0 --fap 48=0", false},
        {"--viseme 10", true},    {"--viseme 10:0", false}, {"--expression 0", false},
        {"--expression 1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        Frame frame = render(dir, face + c.options + " --expressions " + dir.path().string());
        ASSERT_EQ(frame.status, 0) << frame.err;
        EXPECT_EQ(frame.pixels != neutral.pixels, c.changes);
    }
}

TEST(RenderCommand, ProcessorVariantsWriteTheSameFile)
{
    testsupport::TempDir dir;
    const std::string options = "--size 200x150 --face " + picture("face256.jpg") + " --mask " +
                                picture("mask256.jpg") + " --background " + picture("back256.jpg") +
                                " --fap 3=500 --fap 48=20000 --fap 49=-8000";
    std::vector<unsigned char> files[3];
    const char* types[3] = {"gen", "p3", "p4"};
    for (int i = 0; i < 3; ++i) {
        std::string out = (dir / (std::string(types[i]) + ".png")).string();
        auto result = testsupport::runCommand(cli() + " render " + head() + " " + out + " " + options +
                                              " --cpu " + types[i]);
        ASSERT_EQ(result.status, 0) << result.err;
        files[i] = testsupport::readBinaryFile(out);
    }
    EXPECT_FALSE(files[0].empty());
    EXPECT_EQ(files[1], files[0]);
    EXPECT_EQ(files[2], files[0]);
}

} // namespace
