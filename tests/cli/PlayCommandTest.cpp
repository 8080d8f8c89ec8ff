// `chattermask-cli play` on the default project: a real-time play with no window that writes every
// frame it drew, sums up its timing as JSON, and stops early on Ctrl+C.
#include "images/PngFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string playCommand(const std::string& arguments)
{
    return (testsupport::binDir() / "chattermask-cli").string() + " play " +
           (testsupport::binDir() / "Default" / "Male.cmx").string() + " " + arguments;
}

// The figures line, field by field; nothing when the line has another shape.
struct Figures {
    int frames = -1;
    int durationMs = -1;
    double intervalMean = -1;
    std::string audio;
};

Figures parseFigures(const std::string& json)
{
    static const std::regex shape("\\{\"frames\":(\\d+),\"duration_ms\":(\\d+),\"interval_ms\":\\{\"mean\":"
                                  "([0-9.]+),\"p99\":[0-9.]+\\},\"lateness_ms_p99\":[0-9.]+,"
                                  "\"clock_offset_ms_max\":[0-9.]+,\"audio\":\"(device|silent)\"\\}\n");
    std::smatch match;
    Figures figures;
    if (!std::regex_match(json, match, shape))
        return figures;
    figures.frames = std::stoi(match[1]);
    figures.durationMs = std::stoi(match[2]);
    figures.intervalMean = std::stod(match[3]);
    figures.audio = match[4];
    return figures;
}

bool sameMouth(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int side)
{
    // The mouth lies in the lower middle of the picture; rows are stored bottom first.
    for (int y = side / 6; y < side / 2; ++y)
        for (int x = side / 3; x < side * 2 / 3; ++x)
            if (a[static_cast<size_t>(y * side + x)] != b[static_cast<size_t>(y * side + x)])
                return false;
    return true;
}

TEST(PlayCommand, PlaysTheRangeInRealTimeAndWritesEveryFrame)
{
    testsupport::TempDir dir;
    const auto result = testsupport::runCommand(
        playCommand("--range 16000:40000 --seed 3 --json --frames " + (dir / "frames").string()));
    ASSERT_EQ(result.status, 0) << result.err;
    const Figures figures = parseFigures(result.out);
    ASSERT_GT(figures.frames, 0) << result.out;
    // 1.5 s of voice: played at the clock's pace, not as fast as it can draw.
    EXPECT_GE(figures.durationMs, 1400);
    EXPECT_GE(figures.intervalMean, 39.0);
    // On the test sound server the play is heard; elsewhere it may run silently.
    if (std::getenv("CM_PULSE_TEST")) {
        EXPECT_EQ(figures.audio, "device");
    }

    std::vector<std::vector<uint32_t>> frames;
    for (int i = 0;; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", i);
        std::vector<uint32_t> pixels;
        int width = 0, height = 0;
        if (!readPngBgra((dir / "frames" / name).string(), pixels, width, height))
            break;
        ASSERT_EQ(width, 256);
        ASSERT_EQ(height, 256);
        frames.push_back(std::move(pixels));
    }
    EXPECT_EQ(static_cast<int>(frames.size()), figures.frames);
    int mouthChanges = 0;
    for (size_t i = 1; i < frames.size(); ++i)
        mouthChanges += sameMouth(frames[i - 1], frames[i], 256) ? 0 : 1;
    EXPECT_GT(mouthChanges, 10);
}

TEST(PlayCommand, RefusesRangesOutsideTheVoice)
{
    for (const char* range : {"5:5", "0:9999999", "x:10"}) {
        const auto result = testsupport::runCommand(playCommand(std::string("--range ") + range + " --json"));
        EXPECT_EQ(result.status, 2) << range;
        EXPECT_EQ(result.out, "") << range;
        EXPECT_NE(result.err.find("--range"), std::string::npos) << result.err;
    }
}

TEST(PlayCommand, CtrlCStopsThePlayAndStillReportsIt)
{
    testsupport::TempDir dir;
    // A background command of a shell without job control starts with Ctrl+C ignored; the tool's own
    // handler takes it all the same.
    const std::string script = playCommand("--json --seed 1") + " >" + (dir / "out").string() +
                               " & pid=$!; " + "sleep 1.5; kill -INT $pid; wait $pid; echo $? >" +
                               (dir / "status").string();
    ASSERT_EQ(std::system(("sh -c '" + script + "'").c_str()), 0);
    EXPECT_EQ(testsupport::readTextFile(dir / "status"), "130\n");
    const Figures figures = parseFigures(testsupport::readTextFile(dir / "out"));
    ASSERT_GT(figures.frames, 0);
    // The whole voice lasts about 11 s.
    EXPECT_LT(figures.durationMs, 8000);
}

} // namespace

TEST(PlayCommand, WithoutAnOpenGlContextPlaysInSoftwareAndSaysSo)
{
    testsupport::TempDir dir;
    // With no EGL driver to be found there is no OpenGL context to be had.
    const auto result = testsupport::runCommand(
        "__EGL_VENDOR_LIBRARY_FILENAMES=" + (dir / "none.json").string() + " " +
        playCommand("--range 0:8000 --gl --json --frames " + (dir / "frames").string()));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("OpenGL drawing is not available"), std::string::npos) << result.err;
    EXPECT_GT(parseFigures(result.out).frames, 0) << result.out;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(readPngBgra((dir / "frames" / "frame_00005.png").string(), pixels, width, height));
    // The software renderer drew the head: the picture is not one flat colour.
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels[0]), static_cast<long>(pixels.size()));
}
