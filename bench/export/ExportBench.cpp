// One run: the default project with its voice looped to ten minutes (or the minutes given), exported as
// video at profile 7 and as MP4, against real time and against ffmpeg encoding the same pictures and
// audio alone from a pipe, and as the animation stream (with its whole head pack and our own 8 kbit/s
// audio encoder) against real time. Prints the figures; asserts nothing.
//
//   export_bench [MINUTES] [BIN_DIR]
#include "LongProject.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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
        LongProject project;
        if (!project.open(bin, minutes, folder)) {
            std::fprintf(stderr, "cannot open the default project under %s\n", bin.string().c_str());
            return 1;
        }
        ExportParameters p = project.exportParameters(folder / run.file, run.kind, bin, 1);
        p.profileIndex = 7;
        p.framesPerSecond = run.kind == ExportKind::stream ? 15 : 30;
        // The first pass of pictures goes to a file for ffmpeg, which loops it to the same length.
        std::ofstream frames(folder / "frames.raw", std::ios::binary | std::ios::trunc);
        std::uint64_t kept = 0;
        p.frameTap = [&](std::int64_t, const std::uint32_t* pixels, int width, int height) {
            if (kept++ < 300)
                frames.write(reinterpret_cast<const char*>(pixels), std::streamsize(width) * height * 4);
        };
        const double start = processCpuSeconds();
        ExportSummary summary;
        const ExportCode code = runExport(p, &summary);
        const double spent = processCpuSeconds() - start;
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
            const double peer = commandCpuSeconds(command);
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
