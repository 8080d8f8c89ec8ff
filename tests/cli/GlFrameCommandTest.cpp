// The two renderers through chattermask-cli: the OpenGL player frame in draw mode 2 shows the picture the
// software renderer shows, on the default head with every picture slot filled.
#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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

bool pixelsNear(uint32_t a, uint32_t b, int levels)
{
    for (int shift : {0, 8, 16}) {
        int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(d) > levels)
            return false;
    }
    return true;
}

// Share of the pixels of `b` whose three channels lie within `levels` of the same pixel of `a`, or,
// with a reach, of one of a's pixels at most that far away along the row or the column.
double shareWithin(const Picture& a, const Picture& b, int levels, int reach = 0)
{
    size_t close = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint32_t pixel = b.pixels[size_t(y) * size_t(a.width) + size_t(x)];
            bool near = false;
            for (int d = -reach; d <= reach && !near; ++d) {
                const int across = std::clamp(x + d, 0, a.width - 1),
                          down = std::clamp(y + d, 0, a.height - 1);
                near = pixelsNear(a.pixels[size_t(y) * size_t(a.width) + size_t(across)], pixel, levels) ||
                       pixelsNear(a.pixels[size_t(down) * size_t(a.width) + size_t(x)], pixel, levels);
            }
            close += near ? 1 : 0;
        }
    return a.pixels.empty() ? 0.0 : static_cast<double>(close) / static_cast<double>(a.pixels.size());
}

// The frames of the player and the export are square. Where a picture is magnified by a ratio that puts
// pixel centres exactly on texel edges (a wide frame: 1.25 pixels per background texel), the two rasterisers
// break those ties differently, and whole columns take the neighbouring texel: there a pixel may match its
// neighbour instead.
TEST(GlFrameCommand, OpenGlModeTwoShowsTheSoftwarePicture)
{
    testsupport::TempDir dir;
    const struct {
        const char* name;
        std::string options;
        double share;
        int reach;
    } cases[] = {
        {"neutral", sceneOptions(), 0.99, 0},
        {"open mouth, turned head",
         sceneOptions() + " --viseme 10 --fap 48=-6000 --fap 49=20000 --fap 50=4000", 0.99, 0},
        {"large", sceneOptions() + " --viseme 7 --size 512x512", 0.99, 0},
        {"wide frame", sceneOptions() + " --viseme 3 --size 320x200", 0.99, 1},
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
        double share = shareWithin(soft, gl, 2, c.reach);
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
