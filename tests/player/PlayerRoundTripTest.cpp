// The default project exported as an animation stream and played back by chattermask-player, against the
// export's own rendering of the same frames; and files cut short, which must play up to the cut or be
// refused, never crash.
#include "player/AnimationFile.h"

#include "TestSupport.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/StreamProjectInputs.h"
#include "documents/TimelineItemFiles.h"
#include "export/ExportPipeline.h"
#include "face/CHeadModel.h"
#include "images/PngFile.h"
#include "session/DocumentHead.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

namespace {

using testsupport::runCommand;

struct Project {
    ProjectStore store;
    TimelineData timeline;
    std::unique_ptr<CHeadModel> head;
    MediaFiles files;

    Project()
    {
        DocumentStatus status;
        if (!loadProject(store, testsupport::binDir() / "Default" / "Male.cmx", kLoadAll, status))
            return;
        loadTimelineFromStore(store, timeline);
        // The head the session's export takes when no studio holds one: pictures in their slots.
        head = documentHead(store);
        files = mediaFilesOf(store);
    }

    ExportParameters parameters(const std::filesystem::path& output, ExportKind kind)
    {
        ExportParameters p;
        p.output = output;
        p.kind = kind;
        p.head = head.get();
        p.timeline = &timeline;
        p.expressionsFolder = testsupport::binDir() / "Expressions";
        p.pictures.mask = store.assetPath(AssetKind::mask);
        p.pictures.photo = store.assetPath(AssetKind::faceTexture);
        p.pictures.teethTop = store.assetPath(AssetKind::teethTop);
        p.pictures.teethBottom = store.assetPath(AssetKind::teethBottom);
        if (store.backgrounds().count() > 0)
            p.pictures.background = store.backgrounds().path(0);
        p.framesPerSecond = 15;
        p.fill = [this](CFapMixer& mixer, CEventSequencer& schedule) {
            fillPlayback(timeline, files, mixer, schedule, wholeVoiceRange(timeline), seededBlinkRandom(3));
        };
        return p;
    }
};

// Colour channels only: the fourth byte of a rendered frame is not part of the picture.
double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            const double d = double((a[i] >> shift) & 0xFF) - double((b[i] >> shift) & 0xFF);
            squares += d * d;
        }
    const double mse = squares / (3.0 * double(a.size()));
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<std::uint32_t> topDown(const std::uint32_t* bottomUp, int width, int height)
{
    std::vector<std::uint32_t> rows(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp + std::size_t(height - 1 - y) * std::size_t(width), width,
                    rows.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(width)));
    return rows;
}

std::string player()
{
    return (testsupport::binDir() / "chattermask-player").string();
}

std::filesystem::path framePath(const std::filesystem::path& folder, std::size_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05zu.png", i);
    return folder / name;
}

TEST(PlayerRoundTrip, PlayedFramesMatchTheExportsOwnRendering)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto stream = dir / "a.cmf";
    ASSERT_EQ(runExport(project.parameters(stream, ExportKind::stream)), kExportOk);

    // The rendered kind at the same rate: the frames the export draws for a video, taken as they go out.
    std::map<std::int64_t, std::vector<std::uint32_t>> rendered;
    ExportParameters video = project.parameters(dir / "a.mp4", ExportKind::mp4);
    video.frameTap = [&rendered](std::int64_t ms, const std::uint32_t* pixels, int width, int height) {
        rendered[ms] = topDown(pixels, width, height);
    };
    ASSERT_EQ(runExport(video), kExportOk);
    ASSERT_FALSE(rendered.empty());

    const auto frames = dir / "frames";
    const auto played = runCommand(player() + " " + stream.string() + " --frames " + frames.string());
    ASSERT_EQ(played.status, 0) << played.err;

    AnimationFile file;
    std::string error;
    ASSERT_EQ(openAnimationFile(stream, testsupport::binDir() / "Expressions", file, error),
              AnimationOpen::whole)
        << error << file.damage;
    ASSERT_EQ(file.frames.size(), rendered.size());
    // The decoded sound lasts as long as the voice, give or take the codec's blocks.
    EXPECT_NEAR(double(file.voice.size()), double(project.timeline.sampleCount()), 16000 * 0.3);

    double lowest = 99, sum = 0;
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        const auto expected = rendered.find(file.frames[i].ms);
        ASSERT_NE(expected, rendered.end()) << "no rendered frame at " << file.frames[i].ms << " ms";
        std::vector<std::uint32_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(readPngBgra(framePath(frames, i).string(), pixels, width, height)) << i;
        ASSERT_EQ(pixels.size(), expected->second.size());
        const double db = psnr(pixels, expected->second);
        EXPECT_GE(db, 30.0) << "frame " << i << " at " << file.frames[i].ms << " ms";
        lowest = std::min(lowest, db);
        sum += db;
    }
    std::printf("PSNR over %zu frames: min %.2f dB, mean %.2f dB\n", file.frames.size(), lowest,
                sum / double(file.frames.size()));
}

// Cut anywhere, a file is refused with a reason (exit 1: in the header) or played up to the cut with the
// reason (exit 3: in the packets, even between two of them); never a crash, never passed off as whole.
TEST(PlayerRoundTrip, FileCutShortPlaysUpToTheCutOrIsRefused)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto whole = dir / "whole.cmf";
    ASSERT_EQ(runExport(project.parameters(whole, ExportKind::stream)), kExportOk);
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
        const auto played = runCommand(player() + " " + part.string() + " --frames " + frames.string());
        EXPECT_TRUE(played.status == 1 || played.status == 3)
            << "cut at " << cut << ": " << played.status << " " << played.err;
        // Our own reason, not a sanitizer's report (which also ends with status 1).
        EXPECT_EQ(played.err.rfind("chattermask-player: ", 0), 0u) << "cut at " << cut << ": " << played.err;
        EXPECT_EQ(played.err.find("Sanitizer"), std::string::npos) << played.err;
        EXPECT_EQ(played.err.find("runtime error"), std::string::npos) << played.err;
        std::size_t written = 0;
        while (std::filesystem::exists(framePath(frames, written)))
            ++written;
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
    const auto played = runCommand(player() + " " + noIndex.string() + " --frames " + (dir / "all").string());
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(std::filesystem::exists(framePath(dir / "all", allFrames - 1)));
}

} // namespace
