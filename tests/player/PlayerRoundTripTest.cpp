// The default project exported as an animation stream and played back by chattermask-player, against the
// export's own rendering of the same frames; and files cut short, which must play up to the cut or be
// refused, never crash.
#include "player/AnimationFile.h"

#include "PlayerTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace playertest;
using testsupport::runCommand;

// The blinks of both kinds of export in these tests.
constexpr std::uint32_t kSeed = 3;

TEST(PlayerRoundTrip, PlayedFramesMatchTheExportsOwnRendering)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto stream = dir / "a.cmf";
    ASSERT_EQ(runExport(project.parameters(stream, ExportKind::stream, kSeed)), kExportOk);

    // The rendered kind at the same rate: the frames the export draws for a video, taken as they go out.
    RenderedFrames rendered;
    ASSERT_TRUE(exportRendered(project.parameters(dir / "a.mp4", ExportKind::mp4, kSeed), rendered));

    const auto frames = dir / "frames";
    const auto played = runCommand(playerProgram() + " " + stream.string() + " --frames " + frames.string());
    ASSERT_EQ(played.status, 0) << played.err;

    AnimationFile file;
    std::string error;
    ASSERT_EQ(openAnimationFile(stream, testsupport::binDir() / "Expressions", file, error),
              AnimationOpen::whole)
        << error << file.damage;
    ASSERT_EQ(file.frames.size(), rendered.size());
    // The decoded sound lasts as long as the voice, give or take the codec's blocks.
    EXPECT_NEAR(double(file.voice.size()), double(project.timeline.sampleCount()), 16000 * 0.3);

    expectFramesMatchRendered(file, frames, rendered);
}

// Cut anywhere, a file is refused with a reason (exit 1: in the header) or played up to the cut with the
// reason (exit 3: in the packets, even between two of them); never a crash, never passed off as whole.
TEST(PlayerRoundTrip, FileCutShortPlaysUpToTheCutOrIsRefused)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto whole = dir / "whole.cmf";
    ASSERT_EQ(runExport(project.parameters(whole, ExportKind::stream, kSeed)), kExportOk);
    const std::vector<unsigned char> bytes = testsupport::readBinaryFile(whole);
    AnimationFile file;
    std::string error;
    ASSERT_EQ(openAnimationFile(whole, testsupport::binDir() / "Expressions", file, error),
              AnimationOpen::whole);
    const std::size_t allFrames = file.frames.size();
    int partial = 0;

    for (const double share : {0.0, 0.0003, 0.01, 0.3, 0.7, 0.72, 0.75, 0.8, 0.9, 0.97}) {
        const std::size_t cut = std::size_t(double(bytes.size()) * share);
        const auto part = dir / ("cut" + std::to_string(cut) + ".cmf");
        testsupport::writeBinaryFile(part,
                                     std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(cut)));
        const auto frames = dir / ("frames" + std::to_string(cut));
        const auto played =
            runCommand(playerProgram() + " " + part.string() + " --frames " + frames.string());
        EXPECT_TRUE(played.status == 1 || played.status == 3)
            << "cut at " << cut << ": " << played.status << " " << played.err;
        // Our own reason, not a sanitizer's report (which also ends with status 1).
        EXPECT_EQ(played.err.rfind("chattermask-player: ", 0), 0u) << "cut at " << cut << ": " << played.err;
        EXPECT_EQ(played.err.find("Sanitizer"), std::string::npos) << played.err;
        EXPECT_EQ(played.err.find("runtime error"), std::string::npos) << played.err;
        const std::size_t written = framesWritten(frames);
        EXPECT_LE(written, allFrames) << "cut at " << cut;
        if (played.status == 1) {
            EXPECT_EQ(written, 0u) << "cut at " << cut;
        }
        partial += played.status == 3 && written > 0 && written < allFrames;
    }
    EXPECT_GE(partial, 3) << "the cuts within the packets keep the frames before them";

    // Without the index after the packets nothing is lost.
    const auto le64 = [&bytes](std::size_t at) {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i)
            value = value << 8 | bytes[at + std::size_t(i)];
        return value;
    };
    const std::size_t dataEnd = std::size_t(le64(16) + le64(std::size_t(le64(16)) + 16));
    ASSERT_LT(dataEnd, bytes.size());
    const auto noIndex = dir / "noindex.cmf";
    testsupport::writeBinaryFile(noIndex,
                                 std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(dataEnd)));
    const auto played =
        runCommand(playerProgram() + " " + noIndex.string() + " --frames " + (dir / "all").string());
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(std::filesystem::exists(framePath(dir / "all", allFrames - 1)));
}

} // namespace
