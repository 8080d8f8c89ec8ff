// The two renderers through chattermask-cli: the OpenGL player frame in draw mode 2 shows the picture the
// software renderer shows, on the default head with every picture slot filled.
#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path content()
{
    return testsupport::dataDir() / ".." / ".." / "content";
}

std::string cli()
{
    return (testsupport::binDir() / "chattermask-cli").string();
}

std::string sceneOptions()
{
    const std::filesystem::path c = content();
    return " --face " + (c / "Faces" / "Male.jpg").string() + " --mask " +
           (c / "Faces" / "Male-mask.jpg").string() + " --background " +
           (c / "Backgrounds" / "Studio.jpg").string() + " --teeth-top " +
           (c / "Teeth" / "Natural.top").string() + " --teeth-bottom " +
           (c / "Teeth" / "Natural.btm").string();
}

struct Picture {
    int status = -1;
    std::string err;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

Picture run(const testsupport::TempDir& dir, const std::string& command, const std::string& options)
{
    std::string out = (dir / "out.png").string();
    std::filesystem::remove(out);
    std::string head = (content() / "Models" / "MaleHead.cmm").string();
    auto result = testsupport::runCommand(cli() + " " + command + " " + head + " " + out + " " + options);
    Picture picture;
    picture.status = result.status;
    picture.err = result.err;
    if (result.status == 0)
        readPngBgra(out, picture.pixels, picture.width, picture.height);
    return picture;
}

// Share of pixels whose three channels all lie within `levels` of each other.
double shareWithin(const Picture& a, const Picture& b, int levels)
{
    size_t close = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        bool near = true;
        for (int shift : {0, 8, 16}) {
            int d = static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                    static_cast<int>((b.pixels[i] >> shift) & 0xFF);
            near = near && std::abs(d) <= levels;
        }
        close += near ? 1 : 0;
    }
    return a.pixels.empty() ? 0.0 : static_cast<double>(close) / static_cast<double>(a.pixels.size());
}

// The frames of the player and the export are square. Where a picture is magnified by a ratio that puts
// pixel centres exactly on texel edges (a wide frame: 1.25 pixels per background texel), the two rasterisers
// break those ties differently, and whole columns take the neighbouring texel.
TEST(GlFrameCommand, OpenGlModeTwoShowsTheSoftwarePicture)
{
    testsupport::TempDir dir;
    const struct {
        const char* name;
        std::string options;
        double share;
    } cases[] = {
        {"neutral", sceneOptions(), 0.99},
        {"open mouth, turned head",
         sceneOptions() + " --viseme 10 --fap 48=-6000 --fap 49=20000 --fap 50=4000", 0.99},
        {"large", sceneOptions() + " --viseme 7 --size 512x512", 0.99},
        {"wide frame", sceneOptions() + " --viseme 3 --size 320x200", 0.95},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Picture soft = run(dir, "render", c.options);
        Picture gl = run(dir, "render", c.options + " --gl");
        if (gl.status != 0 && gl.err.find("no offscreen OpenGL") != std::string::npos)
            GTEST_SKIP() << gl.err;
        ASSERT_EQ(soft.status, 0) << soft.err;
        ASSERT_EQ(gl.status, 0) << gl.err;
        ASSERT_EQ(soft.pixels.size(), gl.pixels.size());
        double share = shareWithin(soft, gl, 2);
        EXPECT_GE(share, c.share);
        std::printf("%s: %.4f of the pixels within 2 levels\n", c.name, share);
    }
}

TEST(GlFrameCommand, DrawModesAndTheirRefusals)
{
    testsupport::TempDir dir;
    const struct {
        const char* command;
        std::string options;
        int status;
        const char* inError;
    } cases[] = {
        {"render", "--draw-mode 1", 2, "--gl"},
        {"render", "--gl --draw-mode 3", 2, "--draw-mode"},
        {"render", "--gl --draw-mode x", 2, "--draw-mode"},
        {"render", "--gl --draw-mode 0", 0, ""},
        {"render", "--gl --draw-mode 1", 0, ""},
        {"sheet", "--gl", 0, ""},
        {"sheet", "--gl --draw-mode 7", 2, "--draw-mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.options);
        Picture picture = run(dir, c.command, c.options);
        EXPECT_EQ(picture.status, c.status) << picture.err;
        EXPECT_NE(picture.err.find(c.inError), std::string::npos) << picture.err;
        if (c.status == 0) {
            EXPECT_GT(picture.width, 0);
        }
    }
    // Wireframe and lit modes are other pictures than the textured one.
    Picture textured = run(dir, "render", sceneOptions() + " --gl");
    for (const char* mode : {"0", "1"}) {
        Picture other = run(dir, "render", sceneOptions() + " --gl --draw-mode " + mode);
        ASSERT_EQ(other.status, 0) << other.err;
        EXPECT_LT(shareWithin(textured, other, 2), 0.9) << "mode " << mode;
    }
}

} // namespace
