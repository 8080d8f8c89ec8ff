// Whole exports of the default project, read back by ffprobe and ffmpeg and by our own header reader:
// the streams, the frame times, the pictures against our renderer's, markers and script commands, and
// every refusal and cancel leaving nothing behind.
#include "export/AnimationStream.h"
#include "export/AsfHeader.h"
#include "export/AudioFormats.h"
#include "export/ExportPipeline.h"

#include "TestSupport.h"
#include "audio/WavFile.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "documents/StreamProjectInputs.h"
#include "documents/TimelineItemFiles.h"
#include "face/CHeadModel.h"
#include "rendering/CSoftRenderer.h"
#include "rendering/HeadViewSetup.h"
#include "session/PlaybackFill.h"
#include "timeline/TimelineData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <regex>

namespace {

using testsupport::runCommand;

// The default project opened as the studio opens it, with a fill of a fixed seed.
struct Project {
    ProjectStore store;
    TimelineData timeline;
    std::unique_ptr<CHeadModel> head;
    MediaFiles files;
    HeadPackFiles pictures; // every picture the project has, as the export command passes them

    explicit Project(const std::filesystem::path& path = testsupport::binDir() / "Default" / "Male.cmx")
    {
        DocumentStatus status;
        if (!loadProject(store, path, kLoadAll, status))
            return;
        loadTimelineFromStore(store, timeline);
        head = headModelOf(store);
        if (head) {
            CSoftRenderer view;
            view.create(head.get(), 0);
            headview::attachWithNormalise(view, *head);
        }
        files = mediaFilesOf(store);
        pictures.mask = store.assetPath(AssetKind::mask);
        pictures.photo = store.assetPath(AssetKind::faceTexture);
        pictures.teethTop = store.assetPath(AssetKind::teethTop);
        pictures.teethBottom = store.assetPath(AssetKind::teethBottom);
        if (store.backgrounds().count() > 0)
            pictures.background = store.backgrounds().path(0);
    }

    ExportParameters parameters(const std::filesystem::path& output, ExportKind kind)
    {
        ExportParameters p;
        p.output = output;
        p.kind = kind;
        p.head = head.get();
        p.timeline = &timeline;
        p.expressionsFolder = testsupport::binDir() / "Expressions";
        p.pictures = pictures;
        p.fill = [this](CFapMixer& mixer, CEventSequencer& schedule) {
            fillPlayback(timeline, files, mixer, schedule, wholeVoiceRange(timeline), seededBlinkRandom(3));
        };
        return p;
    }
};

std::string probe(const std::filesystem::path& file, const std::string& what)
{
    const auto result =
        runCommand("ffprobe -v error -f " + std::string(file.extension() == ".mp4" ? "mp4" : "asf") + " " +
                   what + " -of compact '" + file.string() + "'");
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

std::string field(const std::string& text, const std::string& line, const std::string& key)
{
    const std::regex pattern(line + "\\|(?:[^\\n]*\\|)?" + key + "=([^|\\n]*)");
    std::smatch match;
    return std::regex_search(text, match, pattern) ? match[1].str() : std::string("<none>");
}

// Pictures decoded by ffmpeg against the ones our renderer drew, as PSNR over all frames.
double psnr(const std::filesystem::path& file, const std::vector<std::vector<std::uint32_t>>& drawn, int size)
{
    testsupport::TempDir dir;
    const auto decoded = runCommand("ffmpeg -v error -i '" + file.string() +
                                    "' -an -f rawvideo -pix_fmt bgra '" + (dir / "raw").string() + "'");
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.err, "");
    const std::vector<unsigned char> raw = testsupport::readBinaryFile(dir / "raw");
    const std::size_t frameBytes = std::size_t(size) * size * 4;
    EXPECT_EQ(raw.size(), frameBytes * drawn.size());
    double squared = 0;
    std::size_t count = 0;
    for (std::size_t f = 0; f < drawn.size() && (f + 1) * frameBytes <= raw.size(); ++f)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::uint32_t ours = drawn[f][std::size_t(size - 1 - y) * size + x];
                const unsigned char* theirs = &raw[f * frameBytes + (std::size_t(y) * size + x) * 4];
                for (int c = 0; c < 3; ++c) {
                    const double d = double(int(ours >> (8 * c) & 0xFF) - int(theirs[c]));
                    squared += d * d;
                    ++count;
                }
            }
    return count == 0 ? 0 : 10 * std::log10(255.0 * 255.0 / std::max(squared / double(count), 1e-9));
}

void addScript(TimelineData& timeline, std::int32_t samples, const char* type, const char* parameter)
{
    timeline.setSelection(samples, samples);
    EventItem* item = timeline.insertPointEvent(kScriptEvent);
    ASSERT_NE(item, nullptr);
    std::strncpy(item->script.type, type, sizeof item->script.type - 1);
    std::strncpy(item->script.parameter, parameter, sizeof item->script.parameter - 1);
}

TEST(ExportFile, VideoAndMp4ReadBackWithTheirStreamsPicturesAndMarkers)
{
    testsupport::TempDir dir;
    struct Case {
        ExportKind kind;
        int profile;
        const char* name;
        const char* videoCodec;
        const char* audioCodec;
        const char* sampleRate;
        double minimumPsnr;
    };
    const Case cases[] = {
        {ExportKind::video, 5, "p5.wmv", "msmpeg4v3", "wmav2", "22050", 0},
        {ExportKind::video, 8, "p8.wmv", "msmpeg4v3", "wmav2", "44100", 30},
        {ExportKind::mp4, 0, "out.mp4", "h264", "aac", "16000", 30},
    };
    for (const Case& c : cases) {
        Project project;
        ASSERT_TRUE(project.head);
        // Two commands share one frame: the second goes out with the next.
        addScript(project.timeline, 16000, "URL", "http://example.com/");
        addScript(project.timeline, 16010, "TEXT", "same frame");
        addScript(project.timeline, 80000, "EVENT", "later");
        ExportParameters p = project.parameters(dir / c.name, c.kind);
        p.profileIndex = c.profile;
        p.framesPerSecond = 30;
        std::vector<std::vector<std::uint32_t>> drawn;
        std::vector<std::int64_t> times;
        p.frameTap = [&](std::int64_t ms, const std::uint32_t* pixels, int width, int height) {
            drawn.emplace_back(pixels, pixels + std::size_t(width) * height);
            times.push_back(ms);
        };
        ExportSummary summary;
        ASSERT_EQ(runExport(p, &summary), kExportOk) << c.name;
        // The default voice: 179,451 samples, 11.2 s, in 33-ms steps.
        EXPECT_EQ(summary.frames, 340u) << c.name;
        EXPECT_EQ(times.back(), 339 * 33);
        EXPECT_EQ(project.head->busy(), 0);

        const std::string streams = probe(p.output, "-show_streams -count_frames");
        EXPECT_EQ(field(streams, "stream", "codec_name"), c.audioCodec) << streams;
        EXPECT_NE(streams.find("codec_name=" + std::string(c.videoCodec)), std::string::npos) << streams;
        EXPECT_NE(streams.find("width=256|height=256"), std::string::npos);
        EXPECT_NE(streams.find("sample_rate=" + std::string(c.sampleRate)), std::string::npos);
        EXPECT_NE(streams.find("nb_read_frames=340"), std::string::npos) << streams;
        const std::string packets = probe(p.output, "-select_streams v -show_entries packet=pts_time");
        EXPECT_EQ(packets.rfind("packet|pts_time=0.000000\npacket|pts_time=0.033000\n", 0), 0u)
            << packets.substr(0, 80);
        const std::string format = probe(p.output, "-show_format");
        EXPECT_NEAR(std::stod(field(format, "format", "duration")), 11.22, 0.15) << format;
        const auto decode = runCommand("ffmpeg -v error -i '" + p.output.string() + "' -f null -");
        EXPECT_EQ(decode.status, 0);
        EXPECT_EQ(decode.err, "") << c.name;
        if (c.minimumPsnr > 0) {
            EXPECT_GE(psnr(p.output, drawn, 256), c.minimumPsnr) << c.name;
        }

        // The default project's one marker, "Hello", at 8,000 samples.
        const std::string chapters = probe(p.output, "-show_chapters");
        EXPECT_NE(chapters.find("title=Hello"), std::string::npos) << chapters;
        if (c.kind == ExportKind::mp4)
            continue;
        EXPECT_NEAR(std::stod(field(chapters, "chapter", "start_time")), 0.5, 0.034) << chapters;
        AsfFileInfo info;
        std::string error;
        ASSERT_TRUE(readAsfInfo(p.output, info, error)) << error;
        EXPECT_EQ(info.declaredObjects, info.actualObjects);
        EXPECT_EQ(info.declaredFileSize, info.fileSize);
        EXPECT_GT(info.indexEntries, 0u);
        ASSERT_EQ(info.streams.size(), 2u);
        EXPECT_EQ(info.streams[0].codec, "353");
        EXPECT_EQ(info.streams[1].codec, "MP43");
        EXPECT_EQ(info.streams[1].typeSpecificSize, 11u + 40u);
        ASSERT_EQ(info.markers.size(), 1u);
        EXPECT_EQ(info.markers[0].time, 5000000u);
        EXPECT_EQ(info.markerOffsets[0] % info.packetSize, 0u);
        EXPECT_EQ(info.commandTypes,
                  (std::vector<std::string>{"URL", "FILENAME", "TEXT", "EVENT", "OPENEVENT"}));
        ASSERT_EQ(info.commands.size(), 3u);
        EXPECT_EQ(info.commands[0].timeMs, 990u);
        EXPECT_EQ(info.commands[0].type, "URL");
        EXPECT_EQ(info.commands[0].parameter, "http://example.com/");
        EXPECT_EQ(info.commands[1].timeMs, 1023u);
        EXPECT_EQ(info.commands[1].type, "TEXT");
        EXPECT_EQ(info.commands[2].timeMs, 4983u);
    }
}

TEST(ExportFile, FramesStepInWholeMillisecondsAndAShortVoiceGivesOneFrame)
{
    testsupport::TempDir dir;
    struct Case {
        std::int32_t voiceSamples;
        int fps;
        std::uint64_t frames;
        std::int64_t step;
    };
    // 66 ms and 1,056 samples a frame at 15 frames per second; a voice under one frame still gives one.
    const Case cases[] = {
        {16000, 15, 16, 66}, {100, 15, 1, 66}, {1056, 15, 1, 66}, {1057, 15, 2, 66}, {16000, 25, 25, 40}};
    for (const Case& c : cases) {
        Project project;
        ASSERT_TRUE(project.head);
        const std::vector<std::int16_t> samples(std::size_t(c.voiceSamples), 1000);
        CWavWriter wav;
        ASSERT_EQ(wav.create(dir / "voice.wav", voiceFormat()), 0);
        ASSERT_EQ(wav.write(samples.data(), samples.size() * 2), 0);
        ASSERT_EQ(wav.finish(std::uint32_t(samples.size())), 0);
        ASSERT_TRUE(project.timeline.setVoice(dir / "voice.wav", c.voiceSamples));
        ExportParameters p = project.parameters(dir / "short.mp4", ExportKind::mp4);
        p.framesPerSecond = c.fps;
        std::vector<std::int64_t> times;
        p.frameTap = [&](std::int64_t ms, const std::uint32_t*, int, int) { times.push_back(ms); };
        ExportSummary summary;
        ASSERT_EQ(runExport(p, &summary), kExportOk) << c.voiceSamples;
        EXPECT_EQ(summary.frames, c.frames) << c.voiceSamples;
        ASSERT_EQ(times.size(), c.frames);
        for (std::size_t n = 0; n < times.size(); ++n)
            EXPECT_EQ(times[n], std::int64_t(n) * c.step);
        EXPECT_EQ(summary.audioSamples, c.frames * std::uint64_t(c.step) * 16u);
    }
}

TEST(ExportFile, CodecCodePatchAnnouncesTheStreamCodec)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    ExportParameters p = project.parameters(dir / "v.wmv", ExportKind::video);
    p.profileIndex = 5;
    ASSERT_EQ(runExport(p), kExportOk);
    AsfHeaderEdit edit;
    edit.announceQc10 = true;
    edit.commands = {{100, "FILENAME", "next.wmv"}};
    ASSERT_EQ(editAsfHeader(dir / "v.wmv", dir / "q.cmf", edit), kExportOk);
    AsfFileInfo info;
    std::string error;
    ASSERT_TRUE(readAsfInfo(dir / "q.cmf", info, error)) << error;
    EXPECT_EQ(info.streams[1].codec, "QC10");
    for (const auto& information : info.codecInformation)
        EXPECT_NE(std::string(information.begin(), information.end()), "MP43");
    // The markers of the file it came from are dropped with the muxer's marker object; the new header
    // still counts right.
    EXPECT_TRUE(info.markers.empty());
    EXPECT_EQ(info.declaredObjects, info.actualObjects);
    EXPECT_EQ(info.declaredFileSize, info.fileSize);
    EXPECT_NE(probe(dir / "q.cmf", "-show_streams").find("codec_tag_string=QC10"), std::string::npos);

    // A file with no "MP43" stream, or no such file at all, is refused.
    EXPECT_EQ(editAsfHeader(dir / "q.cmf", dir / "again.cmf", edit), kExportFailed);
    testsupport::writeTextFile(dir / "text.wmv", "not a media file at all, only some words in a row");
    EXPECT_EQ(editAsfHeader(dir / "text.wmv", dir / "x.cmf", edit), kExportFailed);
    EXPECT_FALSE(readAsfInfo(dir / "text.wmv", info, error));
    // Truncated headers are read as damaged, never past their end.
    const auto bytes = testsupport::readBinaryFile(dir / "v.wmv");
    for (std::size_t keep : {10ul, 30ul, 100ul, 400ul, 700ul}) {
        testsupport::writeBinaryFile(dir / "cut.wmv",
                                     std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(keep)));
        EXPECT_FALSE(readAsfInfo(dir / "cut.wmv", info, error)) << keep;
    }
}

TEST(ExportFile, RefusalsAndCancelLeaveNothingBehind)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    struct Case {
        const char* name;
        ExportKind kind;
        int profile;
        bool cancel;
        ExportCode code;
    };
    const Case cases[] = {
        {"speech codec profile", ExportKind::video, 0, false, kExportNoAudioFormat},
        {"no such profile", ExportKind::video, 9, false, kExportInvalidArgument},
        {"head pack past the format data's limit", ExportKind::stream, 0, false, kExportInvalidArgument},
        {"cancelled video", ExportKind::video, 5, true, kExportAborted},
        {"cancelled animation stream", ExportKind::stream, 0, true, kExportAborted},
        {"cancelled MP4", ExportKind::mp4, 0, true, kExportAborted},
    };
    // A background that barely compresses: the packed head no longer fits the stream's format data.
    std::vector<unsigned char> noise(70000);
    std::uint32_t state = 1;
    for (unsigned char& byte : noise)
        byte = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
    testsupport::TempDir pictures;
    testsupport::writeBinaryFile(pictures / "noise.jpg", noise);
    for (const Case& c : cases) {
        for (const bool existing : {false, true}) {
            const auto output = dir / (c.kind == ExportKind::mp4 ? "out.mp4" : "out.wmv");
            std::filesystem::remove(output);
            if (existing)
                testsupport::writeTextFile(output, "an older export");
            ExportParameters p = project.parameters(output, c.kind);
            p.profileIndex = c.profile;
            p.framesPerSecond = c.kind == ExportKind::stream ? 15 : 30;
            p.writePage = true;
            if (c.code == kExportInvalidArgument && c.kind == ExportKind::stream)
                p.pictures.background = pictures / "noise.jpg";
            int calls = 0;
            p.progress = [&](std::uint64_t, std::uint64_t) { return !c.cancel || ++calls < 3; };
            ExportSummary summary;
            EXPECT_EQ(runExport(p, &summary), c.code) << c.name;
            if (c.code == kExportInvalidArgument && c.kind == ExportKind::stream) {
                EXPECT_NE(summary.failure.find("65,535"), std::string::npos) << summary.failure;
            }
            if (existing)
                EXPECT_EQ(testsupport::readTextFile(output), "an older export") << c.name;
            else
                EXPECT_FALSE(std::filesystem::exists(output)) << c.name;
            EXPECT_FALSE(std::filesystem::exists(dir / "out.html")) << c.name;
            EXPECT_EQ(project.head->busy(), 0) << c.name;
        }
    }
    // Only the output remains: no draft or staging file beside it.
    std::filesystem::remove(dir / "out.wmv");
    std::filesystem::remove(dir / "out.mp4");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // A model already busy is left alone.
    project.head->setBusy(1);
    ExportParameters p = project.parameters(dir / "busy.wmv", ExportKind::video);
    p.profileIndex = 5;
    EXPECT_EQ(runExport(p), kExportFailed);
    EXPECT_EQ(project.head->busy(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "busy.wmv"));
}

TEST(ExportCommand, WritesTheFileAndPageOrSaysWhyNot)
{
    testsupport::TempDir dir;
    const std::string cli = (testsupport::binDir() / "chattermask-cli").string();
    const std::string project = (testsupport::binDir() / "Default" / "Male.cmx").string();
    const auto done = runCommand(cli + " export " + project + " '" + (dir / "my talk.mp4").string() +
                                 "' --kind mp4 --size 256 --fps 25 --seed 2 --html --json");
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_NE(done.out.find("\"frames\":281,\"duration\":11240,\"bytes\":"), std::string::npos) << done.out;
    EXPECT_NE(testsupport::readTextFile(dir / "my talk.html").find("src=\"my talk.mp4\""), std::string::npos);

    const auto wmv =
        runCommand(cli + " export " + project + " " + (dir / "a.wmv").string() + " --profile 6 --html");
    ASSERT_EQ(wmv.status, 0) << wmv.err;
    EXPECT_EQ(testsupport::readTextFile(dir / "a.html").substr(0, 8), "<HTML>\r\n");
    const auto stream = runCommand(cli + " export " + project + " " + (dir / "a.cmf").string() + " --json");
    ASSERT_EQ(stream.status, 0) << stream.err;
    EXPECT_NE(stream.out.find("[\"video QC10 256x256 15 fps\",\"audio wma 8000 Hz 1 ch 8000 bit/s\"]"),
              std::string::npos)
        << stream.out;
    const auto info = runCommand(cli + " asf info " + (dir / "a.wmv").string() + " --json");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("\"markers\":[{\"name\":\"Hello\",\"time\":5000000,"), std::string::npos)
        << info.out;

    // A damaged project, a profile without its audio encoder and a non-media file say what went wrong.
    auto bytes = testsupport::readBinaryFile(project);
    bytes.resize(bytes.size() / 3);
    testsupport::writeBinaryFile(dir / "cut.cmx", bytes);
    struct Case {
        std::string arguments;
        const char* says;
    };
    const Case cases[] = {
        {"export " + (dir / "cut.cmx").string() + " " + (dir / "b.wmv").string(), ""},
        {"export " + project + " " + (dir / "b.wmv").string() + " --profile 0", "0xC00D0BC2"},
        {"export " + project + " " + (dir / "b.wmv").string() + " --profile 12", "--profile"},
        {"export " + project + " " + (dir / "b.mp4").string() + " --fps 24", "--fps"},
        {"asf info '" + (dir / "my talk.html").string() + "'", "header object is missing"},
    };
    for (const Case& c : cases) {
        const auto result = runCommand(cli + " " + c.arguments);
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_FALSE(result.err.empty()) << c.arguments;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "b.wmv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.mp4"));
}

} // namespace

namespace {

std::uint32_t le32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

// The chunks of an inflated head pack as (tag, bytes).
std::vector<std::pair<std::string, std::vector<std::uint8_t>>>
packChunks(const std::vector<std::uint8_t>& pack)
{
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> chunks;
    for (std::size_t at = 0; at + 8 <= pack.size();) {
        const std::size_t length = le32At(pack, at + 4);
        if (length > pack.size() - at - 8)
            return {};
        chunks.emplace_back(
            std::string(pack.begin() + long(at), pack.begin() + long(at) + 4),
            std::vector<std::uint8_t>(pack.begin() + long(at) + 8, pack.begin() + long(at + 8 + length)));
        at += 8 + length;
    }
    return chunks;
}

// Every record's mask: viseme, expression and pose always; the eyelids exactly while they are closed at
// all; nothing else. Returns how many records held eyelid values.
int checkRecords(const std::vector<unsigned char>& records, std::size_t& count)
{
    int withEyelids = 0;
    count = 0;
    for (std::size_t at = 0; at + 17 <= records.size(); ++count) {
        EXPECT_EQ(std::memcmp(&records[at], "CFPS", 4), 0) << "record " << count;
        const std::vector<std::uint8_t> record(
            records.begin() + long(at), records.begin() + long(std::min(records.size(), at + 17 + 4 * 9)));
        std::size_t value = 17;
        bool eyelids = false;
        for (int i = 0; i < 72; ++i) {
            const bool set = records[at + 8 + std::size_t(i / 8)] & (1 << (i % 8));
            const bool always = i == 0 || i == 1 || (i >= 47 && i <= 49);
            const bool eyelid = i >= 18 && i <= 21;
            if (!eyelid) {
                EXPECT_EQ(set, always) << "record " << count << " bit " << i;
            }
            if (set && eyelid) {
                EXPECT_NE(le32At(record, value), 0u) << "record " << count << " sends a zero eyelid " << i;
                eyelids = true;
            }
            value += set ? 4 : 0;
        }
        const std::uint32_t length = le32At(record, 4);
        EXPECT_EQ(length, 9u + unsigned(value - 17));
        withEyelids += eyelids;
        at += 8 + length;
    }
    return withEyelids;
}

TEST(ExportFile, AnimationStreamCarriesTheHeadAndOneRecordPerFrame)
{
    testsupport::TempDir dir;
    Project project;
    ASSERT_TRUE(project.head);
    ExportParameters p = project.parameters(dir / "talk.cmf", ExportKind::stream);
    ExportSummary summary;
    ASSERT_EQ(runExport(p, &summary), kExportOk) << summary.failure;
    // 179,451 samples in 66-ms frames.
    EXPECT_EQ(summary.frames, 170u);

    AsfFileInfo info;
    std::string error;
    ASSERT_TRUE(readAsfInfo(p.output, info, error)) << error;
    ASSERT_EQ(info.streams.size(), 2u);
    EXPECT_EQ(info.streams[0].codec, "353");
    EXPECT_EQ(info.streams[1].codec, "QC10");
    EXPECT_EQ(info.declaredObjects, info.actualObjects);
    EXPECT_EQ(info.declaredFileSize, info.fileSize);
    for (const auto& information : info.codecInformation)
        EXPECT_EQ(std::search(information.begin(), information.end(), "MP43", "MP43" + 4), information.end());
    // After the stream's 11 bytes and the 40-byte bitmap header: the "MONO" chunk of the packed head,
    // every picture of the project in order, each the file as it is.
    const std::vector<std::uint8_t>& specific = info.streams[1].typeSpecific;
    ASSERT_GT(specific.size(), 59u);
    // The default head (with its neck, ears and mouth inside) leaves some 2 KB under the 65,535 bytes the
    // format data may take.
    EXPECT_LE(specific.size() - 11, 63500u);
    EXPECT_EQ(std::memcmp(&specific[51], "MONO", 4), 0);
    const std::vector<std::uint8_t> zip(specific.begin() + 59, specific.end());
    std::vector<std::uint8_t> pack;
    ASSERT_TRUE(unzipSingle(zip, pack));
    const auto chunks = packChunks(pack);
    const std::pair<const char*, std::filesystem::path> expected[] = {{"MESH", {}},
                                                                      {"MSKJ", project.pictures.mask},
                                                                      {"FTXJ", project.pictures.photo},
                                                                      {"TTTJ", project.pictures.teethTop},
                                                                      {"BTTJ", project.pictures.teethBottom},
                                                                      {"BGRJ", project.pictures.background}};
    ASSERT_EQ(chunks.size(), std::size(expected));
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_EQ(chunks[i].first, expected[i].first);
        if (!expected[i].second.empty()) {
            const auto file = testsupport::readBinaryFile(expected[i].second);
            EXPECT_EQ(chunks[i].second, std::vector<std::uint8_t>(file.begin(), file.end()))
                << chunks[i].first;
        }
    }

    // Read back by ffprobe, by our own reader through the command line, and decoded by ffmpeg.
    const std::string streams = probe(p.output, "-show_streams");
    EXPECT_NE(streams.find("codec_tag_string=QC10"), std::string::npos) << streams;
    EXPECT_EQ(field(streams, "stream", "codec_name"), "wmav2") << streams;
    EXPECT_EQ(field(streams, "stream", "sample_rate"), "8000");
    EXPECT_EQ(field(streams, "stream", "channels"), "1");
    EXPECT_EQ(field(streams, "stream", "bit_rate"), "8000");
    const auto cli = runCommand((testsupport::binDir() / "chattermask-cli").string() + " asf info '" +
                                p.output.string() + "' --json");
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_NE(cli.out.find("{\"number\":1,\"type\":\"audio\",\"codec\":\"353\""), std::string::npos)
        << cli.out;
    EXPECT_NE(cli.out.find("{\"number\":2,\"type\":\"video\",\"codec\":\"QC10\""), std::string::npos)
        << cli.out;
    const auto decoded = runCommand("ffmpeg -v error -i '" + p.output.string() + "' -map 0:a -f null -");
    EXPECT_EQ(decoded.status, 0);
    EXPECT_EQ(decoded.err, "");
    const std::string audio = probe(p.output, "-select_streams a -show_entries packet=pts_time");
    EXPECT_EQ(audio.rfind("packet|pts_time=0.000000\n", 0), 0u) << audio.substr(0, 80);

    const auto copied = runCommand("ffmpeg -v error -i '" + p.output.string() +
                                   "' -map 0:v -c copy -f data '" + (dir / "records").string() + "'");
    ASSERT_EQ(copied.status, 0) << copied.err;
    std::size_t count = 0;
    const int withEyelids = checkRecords(testsupport::readBinaryFile(dir / "records"), count);
    EXPECT_EQ(count, summary.frames);
    // Blinks and the smiles' narrowed eyes close the lids for stretches; between them the lids stay out.
    EXPECT_GT(withEyelids, 0);
    EXPECT_LT(withEyelids, int(count));
}

TEST(ExportFile, LowRateProfilesCarryTheirAudioFormatExactly)
{
    testsupport::TempDir dir;
    struct Case {
        int profile;
        const char* file;
        const char* sampleRate;
        const char* bitRate;
        const char* size;
    };
    const Case cases[] = {
        {1, "p1.wmv", "8000", "8000", "width=128|height=128"},
        {2, "p2.wmv", "11025", "9992", "width=128|height=128"},
        {3, "p3.wmv", "11025", "9992", "width=128|height=128"},
        {4, "p4.wmv", "16000", "16000", "width=256|height=256"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        Project project;
        ASSERT_TRUE(project.head);
        ExportParameters p = project.parameters(dir / c.file, ExportKind::video);
        p.profileIndex = c.profile;
        ExportSummary summary;
        ASSERT_EQ(runExport(p, &summary), kExportOk) << summary.failure;
        EXPECT_EQ(summary.frames, 170u);
        const std::string streams = probe(p.output, "-show_streams -count_frames");
        EXPECT_EQ(field(streams, "stream", "codec_name"), "wmav2") << streams;
        EXPECT_EQ(field(streams, "stream", "sample_rate"), c.sampleRate);
        EXPECT_EQ(field(streams, "stream", "channels"), "1");
        EXPECT_EQ(field(streams, "stream", "bit_rate"), c.bitRate);
        EXPECT_NE(streams.find(c.size), std::string::npos) << streams;
        EXPECT_NE(streams.find("nb_read_frames=170"), std::string::npos) << streams;
        const auto decoded = runCommand("ffmpeg -v error -i '" + p.output.string() + "' -f null -");
        EXPECT_EQ(decoded.status, 0);
        EXPECT_EQ(decoded.err, "");
        // The audio runs as long as the voice (11.2 s) to within a block or two.
        const std::string audio =
            probe(p.output, "-select_streams a -show_entries packet=pts_time,duration_time");
        EXPECT_EQ(audio.rfind("packet|pts_time=0.000000", 0), 0u) << audio.substr(0, 80);
        const std::size_t last = audio.rfind("packet|");
        ASSERT_NE(last, std::string::npos);
        const double end = std::stod(field(audio.substr(last), "packet", "pts_time")) +
                           std::stod(field(audio.substr(last), "packet", "duration_time"));
        EXPECT_NEAR(end, 179451 / 16000.0, 0.15) << audio.substr(last);
    }
}

} // namespace
