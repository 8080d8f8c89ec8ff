// The default project written as a .cmt stream file and played by chattermask-player, against the
// rendered export's own frames and the project's voice; the blink seed; the file kind told by content;
// and damaged files, which must play up to the damage or be refused, never crash.
#include "player/AnimationFile.h"

#include "PlayerTestSupport.h"
#include "TestSupport.h"
#include "images/CJpegPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using namespace playertest;
using testsupport::runCommand;

constexpr int kSquareVideoAt15 = 4;
constexpr int kPhotoSlot = 0, kTeethTopSlot = 1, kTeethBottomSlot = 2, kBackgroundSlot = 7;

std::filesystem::path expressions()
{
    return testsupport::binDir() / "Expressions";
}

// The stream file of the default project, as the command-line tool writes it.
std::filesystem::path writeDefaultStream(const testsupport::TempDir& dir)
{
    const auto path = dir / "male.cmt";
    const auto written =
        runCommand(cliProgram() + " cmt " + (testsupport::binDir() / "Default" / "Male.cmx").string() + " " +
                   path.string());
    EXPECT_EQ(written.status, 0) << written.err;
    return path;
}

bool sameSlot(const CHeadModel& a, const CHeadModel& b, int slot)
{
    int width = 0, height = 0;
    return a.slotSize(slot, width, height) &&
           std::memcmp(a.slotPixels(slot), b.slotPixels(slot), std::size_t(width * height) * 4) == 0;
}

TEST(ItemStreamRoundTrip, FramesAndSpeechMatchTheRenderedExport)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto stream = writeDefaultStream(dir);
    // The rendered kind at the player's size and rate ("100 Video": 256 x 256, 15 frames per second), its
    // blinks drawn as the player draws them when given no seed.
    ExportParameters video = project.parameters(dir / "a.wmv", ExportKind::video, kDefaultBlinkSeed);
    video.profileIndex = kSquareVideoAt15;
    RenderedFrames rendered;
    ASSERT_TRUE(exportRendered(video, rendered));

    const auto frames = dir / "frames";
    const auto played = runCommand(playerProgram() + " " + stream.string() + " --frames " + frames.string());
    ASSERT_EQ(played.status, 0) << played.err;

    AnimationFile file;
    std::string error;
    ASSERT_EQ(openAnimationFile(stream, expressions(), file, error), AnimationOpen::whole)
        << error << file.damage;
    EXPECT_EQ(file.kind, AnimationKind::itemStream);
    ASSERT_EQ(file.backgrounds.size(), std::size_t(project.store.backgrounds().count()));
    EXPECT_EQ(file.backgrounds[0], project.store.backgrounds().name(0));

    // The head as the export draws it: the same mesh and the same pictures in their slots.
    ASSERT_TRUE(file.head);
    EXPECT_EQ(file.head->vertexCount(), project.head->vertexCount());
    for (const int slot : {kPhotoSlot, kTeethTopSlot, kTeethBottomSlot})
        EXPECT_TRUE(sameSlot(*file.head, *project.head, slot)) << "slot " << slot;
    CJpegPicture background;
    ASSERT_TRUE(background.loadFile(project.store.backgrounds().path(0), false));
    EXPECT_EQ(std::memcmp(file.head->slotPixels(kBackgroundSlot), background.pixels(), 256 * 256 * 4), 0);

    // The speech's whole frames only: the last frame of the export may fall in the voice's last 30 ms.
    ASSERT_GE(file.frames.size() + 1, rendered.size());
    ASSERT_LE(file.frames.size(), rendered.size());
    EXPECT_EQ(framesWritten(frames), file.frames.size());
    expectFramesMatchRendered(file, frames, rendered);

    // The speech against the voice, both at the coder's 8 kHz; the shifts cover the codec's delay.
    const std::vector<std::int16_t> voice = wavSamples(project.timeline.voiceFile());
    ASSERT_FALSE(voice.empty());
    EXPECT_NEAR(double(file.voice.size()), double(voice.size()), 480.0);
    const double correlation = peakCrossCorrelation(halveRate(voice), halveRate(file.voice), 160);
    std::printf("speech against voice: normalised cross-correlation peak %.3f\n", correlation);
    EXPECT_GE(correlation, 0.8);
}

// The seed places the blinks and nothing else; the same seed gives the same frames.
TEST(ItemStreamRoundTrip, BlinkSeedMovesOnlyTheEyelids)
{
    testsupport::TempDir dir;
    const auto stream = writeDefaultStream(dir);
    AnimationFile first, again, other;
    std::string error;
    ASSERT_EQ(openAnimationFile(stream, expressions(), first, error, 5), AnimationOpen::whole) << error;
    ASSERT_EQ(openAnimationFile(stream, expressions(), again, error, 5), AnimationOpen::whole) << error;
    ASSERT_EQ(openAnimationFile(stream, expressions(), other, error, 6), AnimationOpen::whole) << error;
    ASSERT_EQ(first.frames.size(), other.frames.size());
    bool eyelidsDiffer = false;
    for (std::size_t i = 0; i < first.frames.size(); ++i) {
        EXPECT_EQ(first.frames[i].values, again.frames[i].values) << i;
        for (std::size_t p = 0; p < first.frames[i].values.size(); ++p) {
            const bool eyelid = p == 18 || p == 19; // the closures of the upper eyelids
            if (eyelid)
                eyelidsDiffer |= first.frames[i].values[p] != other.frames[i].values[p];
            else
                EXPECT_EQ(first.frames[i].values[p], other.frames[i].values[p])
                    << "frame " << i << " entry " << p;
        }
    }
    EXPECT_TRUE(eyelidsDiffer);
    EXPECT_EQ(first.voice, other.voice);
}

// Each file opens as what it holds, whatever its name says.
TEST(ItemStreamRoundTrip, KindIsToldByContentNotByName)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    const auto stream = writeDefaultStream(dir);
    const auto streamNamedCmf = dir / "stream.cmf";
    std::filesystem::copy_file(stream, streamNamedCmf);
    const auto parametersNamedCmt = dir / "parameters.cmt";
    ASSERT_EQ(runExport(project.parameters(parametersNamedCmt, ExportKind::stream, 0)), kExportOk);
    const struct {
        std::filesystem::path path;
        AnimationKind kind;
    } cases[] = {{streamNamedCmf, AnimationKind::itemStream},
                 {parametersNamedCmt, AnimationKind::parameterStream}};
    for (const auto& c : cases) {
        AnimationFile file;
        std::string error;
        EXPECT_EQ(openAnimationFile(c.path, expressions(), file, error), AnimationOpen::whole)
            << c.path << error;
        EXPECT_EQ(file.kind, c.kind) << c.path;
        EXPECT_FALSE(file.frames.empty()) << c.path;
    }
}

TEST(ItemStreamPlayer, HelpNamesBothKindsAndTheSeedIsChecked)
{
    const auto help = runCommand(playerProgram() + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(".cmf"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find(".cmt"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--seed"), std::string::npos) << help.out;
    for (const char* seed : {"x", "-1", "4294967296", "12abc", ""}) {
        const auto refused = runCommand(playerProgram() + " any.cmt --frames out --seed '" + seed + "'");
        EXPECT_EQ(refused.status, 2) << "seed '" << seed << "'";
    }
}

struct ChunkAt {
    std::string tag;
    std::size_t offset = 0;
    std::size_t length = 0;
};

// The chunks of a stream file; the length of an item chunk leaves out its count and version.
std::vector<ChunkAt> chunksOf(const std::vector<unsigned char>& bytes)
{
    std::vector<ChunkAt> chunks;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        ChunkAt chunk{std::string(bytes.begin() + long(at), bytes.begin() + long(at) + 4), at,
                      std::size_t(bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16) |
                          std::size_t(bytes[at + 7]) << 24};
        chunks.push_back(chunk);
        const bool items = chunk.tag == "VISM" || chunk.tag == "EXPR" || chunk.tag == "MOTN";
        at += 8 + chunk.length + (items ? 8 : 0);
    }
    return chunks;
}

std::size_t offsetOf(const std::vector<ChunkAt>& chunks, const std::string& tag, int nth = 0)
{
    for (const ChunkAt& chunk : chunks)
        if (chunk.tag == tag && nth-- == 0)
            return chunk.offset;
    ADD_FAILURE() << "no " << tag;
    return 0;
}

void putU32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = static_cast<unsigned char>(value >> (8 * i));
}

// Cut or patched anywhere, a file is refused with a reason (exit 1: before its head is whole) or played
// up to the damage with the reason (exit 3); never a crash, never passed off as whole.
TEST(ItemStreamDamage, DamagedFilesPlayUpToTheDamageOrAreRefused)
{
    testsupport::TempDir dir;
    const auto whole = writeDefaultStream(dir);
    const std::vector<unsigned char> bytes = testsupport::readBinaryFile(whole);
    const std::vector<ChunkAt> chunks = chunksOf(bytes);
    ASSERT_EQ(chunks.back().tag, "SEND");
    AnimationFile file;
    std::string error;
    ASSERT_EQ(openAnimationFile(whole, expressions(), file, error), AnimationOpen::whole);
    const std::size_t allFrames = file.frames.size();
    const std::size_t mesh = offsetOf(chunks, "MESH"), firstBlock = offsetOf(chunks, "VISM");
    const std::size_t thirdSpeech = offsetOf(chunks, "SPCG", 2);

    struct Case {
        std::string what;
        std::function<void(std::vector<unsigned char>&)> damage;
        int status;
        bool someFrames; // frames before the damage are played
    };
    const auto cutAt = [](std::size_t at) { return [at](std::vector<unsigned char>& b) { b.resize(at); }; };
    const Case cases[] = {
        {"empty", cutAt(0), 1, false},
        {"cut in the header", cutAt(6), 1, false},
        {"cut in the head", cutAt(mesh + 5000), 1, false},
        {"cut in the pictures", cutAt(firstBlock - 100), 3, true},
        {"cut in the third block", cutAt(thirdSpeech + 40), 3, true},
        {"cut in the middle of the blocks", cutAt(firstBlock + (bytes.size() - firstBlock) / 2), 3, true},
        {"end chunk missing", cutAt(bytes.size() - 8), 3, true},
        {"unknown version", [](auto& b) { b[8] = 2; }, 1, false},
        {"mesh longer than the file", [mesh](auto& b) { putU32(b, mesh + 4, 0xFFFFFFF0u); }, 1, false},
        {"mesh not a mesh", [mesh](auto& b) { std::fill_n(b.begin() + long(mesh) + 8, 64, 0xFF); }, 1, false},
        {"item count beyond its chunk", [firstBlock](auto& b) { putU32(b, firstBlock + 8, 1000000); }, 3,
         true},
        {"speech frames beyond their chunk",
         [thirdSpeech](auto& b) { putU32(b, thirdSpeech + 8, 0xFFFFFFFFu); }, 3, true},
        // The decoder would skip a frame whose own rate bits disagree with its size, and the speech slip.
        {"speech frame of another kind than announced",
         [thirdSpeech](auto& b) {
             b[thirdSpeech + 12] = static_cast<unsigned char>(b[thirdSpeech + 12] & ~3u);
         },
         3, true},
        {"chunk tag garbled in a block", [thirdSpeech](auto& b) { b[thirdSpeech] = 'X'; }, 3, true},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> damaged = bytes;
        c.damage(damaged);
        const auto part = dir / ("damaged" + std::to_string(index) + ".cmt");
        const auto frames = dir / ("frames" + std::to_string(index++));
        testsupport::writeBinaryFile(part, damaged);
        const auto played =
            runCommand(playerProgram() + " " + part.string() + " --frames " + frames.string());
        EXPECT_EQ(played.status, c.status) << played.err;
        // Our own reason, not a sanitizer's report (which also ends with status 1).
        EXPECT_EQ(played.err.rfind("chattermask-player: ", 0), 0u) << played.err;
        EXPECT_EQ(played.err.find("Sanitizer"), std::string::npos) << played.err;
        EXPECT_EQ(played.err.find("runtime error"), std::string::npos) << played.err;
        const std::size_t written = framesWritten(frames);
        EXPECT_LE(written, allFrames);
        if (c.status == 1) {
            EXPECT_EQ(written, 0u);
        }
        if (c.someFrames) {
            EXPECT_GT(written, 0u);
        }
    }
}

} // namespace
