// One run: the default project with its voice looped to ten minutes (or the minutes given), exported as
// video at profile 7 and as MP4, against real time and against ffmpeg encoding the same pictures and
// audio alone from a pipe, and as the animation stream (with its whole head pack and our own 8 kbit/s
// audio encoder) against real time. Prints the figures; asserts nothing.
//
//   export_bench [MINUTES] [BIN_DIR]
#include "export/ExportPipeline.h"

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
#include "timeline/WavVoiceReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

double childCpuSeconds(const std::string& command)
{
    const std::string timed = "/usr/bin/time -f %U+%S -o /tmp/export_bench_time " + command;
    if (std::system(timed.c_str()) != 0)
        return -1;
    std::ifstream in("/tmp/export_bench_time");
    double user = 0, system = 0;
    char plus = 0;
    in >> user >> plus >> system;
    return user + system;
}

struct Project {
    ProjectStore store;
    TimelineData timeline;
    std::unique_ptr<CHeadModel> head;
    MediaFiles files;
};

bool open(Project& project, const std::filesystem::path& bin, double minutes,
          const std::filesystem::path& folder)
{
    DocumentStatus status;
    if (!loadProject(project.store, bin / "Default" / "Male.cmx", kLoadAll, status))
        return false;
    loadTimelineFromStore(project.store, project.timeline);
    project.head = headModelOf(project.store);
    if (!project.head)
        return false;
    CSoftRenderer view;
    view.create(project.head.get(), 0);
    headview::attachWithNormalise(view, *project.head);
    project.files = mediaFilesOf(project.store);
    // The voice looped to the wanted length; the tracks keep their first pass.
    CWavVoiceReader reader;
    if (!project.timeline.openVoice(reader))
        return false;
    const std::vector<std::uint8_t> voice =
        project.timeline.readSamples(std::size_t(project.timeline.sampleCount()) * 2);
    project.timeline.closeVoice();
    const auto wanted = std::uint32_t(minutes * 60 * 16000);
    CWavWriter wav;
    if (voice.empty() || wav.create(folder / "long.wav", voiceFormat()) != 0)
        return false;
    for (std::uint32_t written = 0; written < wanted;) {
        const std::uint32_t step = std::min<std::uint32_t>(wanted - written, std::uint32_t(voice.size() / 2));
        wav.write(voice.data(), step * 2);
        written += step;
    }
    wav.finish(wanted);
    return project.timeline.setVoice(folder / "long.wav", std::int32_t(wanted));
}

} // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::filesystem::path bin = argc > 2 ? argv[2] : std::filesystem::current_path();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "export_bench";
    std::filesystem::create_directories(folder);
    std::printf("voice %.1f min, one thread per encoder\n", minutes);
    std::printf("%-22s %10s %12s %14s\n", "run", "cpu s", "x real time", "vs ffmpeg");
    struct Run {
        const char* name;
        ExportKind kind;
        const char* file;
        const char* ffmpegCodecs;
    };
    const Run runs[] = {
        {"video, profile 7", ExportKind::video, "bench.wmv",
         "-c:v msmpeg4 -tag:v MP43 -qmin 3 -b:v 976776 -g 60 -bf 0 -c:a wmav2 -ar 44100 -ac 2 -b:a 64083 -f "
         "asf"},
        {"mp4, 256 at 30", ExportKind::mp4, "bench.mp4",
         "-c:v libx264 -preset veryfast -crf 20 -bf 0 -g 60 -x264-params threads=1 -c:a aac -b:a 48000 -f "
         "mp4"},
        {"animation stream", ExportKind::stream, "bench.cmf", nullptr},
    };
    for (const Run& run : runs) {
        Project project;
        if (!open(project, bin, minutes, folder)) {
            std::fprintf(stderr, "cannot open the default project under %s\n", bin.string().c_str());
            return 1;
        }
        ExportParameters p;
        p.output = folder / run.file;
        p.kind = run.kind;
        p.profileIndex = 7;
        p.framesPerSecond = run.kind == ExportKind::stream ? 15 : 30;
        p.head = project.head.get();
        p.timeline = &project.timeline;
        p.expressionsFolder = bin / "Expressions";
        p.pictures.mask = project.store.assetPath(AssetKind::mask);
        p.pictures.photo = project.store.assetPath(AssetKind::faceTexture);
        p.pictures.teethTop = project.store.assetPath(AssetKind::teethTop);
        p.pictures.teethBottom = project.store.assetPath(AssetKind::teethBottom);
        if (project.store.backgrounds().count() > 0)
            p.pictures.background = project.store.backgrounds().path(0);
        p.fill = [&project](CFapMixer& mixer, CEventSequencer& schedule) {
            fillPlayback(project.timeline, project.files, mixer, schedule, wholeVoiceRange(project.timeline),
                         seededBlinkRandom(1));
        };
        // The first pass of pictures goes to a file for ffmpeg, which loops it to the same length.
        std::ofstream frames(folder / "frames.raw", std::ios::binary | std::ios::trunc);
        std::uint64_t kept = 0;
        p.frameTap = [&](std::int64_t, const std::uint32_t* pixels, int width, int height) {
            if (kept++ < 300)
                frames.write(reinterpret_cast<const char*>(pixels), std::streamsize(width) * height * 4);
        };
        const double start = cpuSeconds();
        ExportSummary summary;
        const ExportCode code = runExport(p, &summary);
        const double spent = cpuSeconds() - start;
        frames.close();
        if (code != kExportOk) {
            std::printf("%-22s failed with 0x%08X\n", run.name, unsigned(code));
            continue;
        }
        const double seconds = double(summary.durationMs) / 1000.0;
        std::string versus = "-";
        if (run.ffmpegCodecs) {
            const auto loops = std::to_string(summary.frames / 300 + 1);
            const std::string command = "ffmpeg -v error -y -stream_loop " + loops +
                                        " -f rawvideo -pix_fmt bgra -s 256x256 -r 30 -i " +
                                        (folder / "frames.raw").string() + " -f s16le -ar 16000 -ac 1 -i " +
                                        (folder / "long.wav").string() + " -frames:v " +
                                        std::to_string(summary.frames) + " -vf vflip -threads 1 " +
                                        run.ffmpegCodecs + " " + (folder / "peer.out").string();
            const double peer = childCpuSeconds(command);
            if (peer > 0) {
                char text[64];
                std::snprintf(text, sizeof text, "%.2f (ffmpeg %.1f s)", peer / spent, peer);
                versus = text;
            }
        }
        std::printf("%-22s %10.1f %12.1f %14s\n", run.name, spent, seconds / spent, versus.c_str());
    }
    std::filesystem::remove_all(folder);
    return 0;
}
