// One run: the default project with its voice looped to ten minutes (or the minutes given), exported as
// an animation stream and played into MP4 by chattermask-player, against the export writing its own MP4
// of the same project at the same 15 frames per second; both draw every frame with the software renderer
// and encode H.264 and AAC. Prints processor time and the ratio; asserts nothing.
//
//   player_bench [MINUTES] [BIN_DIR]
#include "LongProject.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? std::atof(argv[1]) : 10.0;
    const std::filesystem::path bin = argc > 2 ? argv[2] : std::filesystem::current_path();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "player_bench";
    std::filesystem::create_directories(folder);
    LongProject project;
    if (!project.open(bin, minutes, folder)) {
        std::fprintf(stderr, "cannot open the default project under %s\n", bin.string().c_str());
        return 1;
    }
    const auto stream = folder / "long.cmf";
    ExportSummary streamSummary;
    if (runExport(project.exportParameters(stream, ExportKind::stream, bin, 3), &streamSummary) != kExportOk) {
        std::fprintf(stderr, "the animation stream export failed\n");
        return 1;
    }
    const double played = commandCpuSeconds((bin / "chattermask-player").string() + " " + stream.string() +
                                            " --to " + (folder / "played.mp4").string());

    ExportParameters mp4 = project.exportParameters(folder / "exported.mp4", ExportKind::mp4, bin, 3);
    mp4.framesPerSecond = 15;
    ExportSummary mp4Summary;
    const double start = processCpuSeconds();
    const bool exportedOk = runExport(mp4, &mp4Summary) == kExportOk;
    const double exported = processCpuSeconds() - start;
    if (played < 0 || !exportedOk) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("voice %.1f min\n", minutes);
    std::printf("chattermask-player --to OUT.mp4: %llu frames, %.1f s cpu\n",
                static_cast<unsigned long long>(streamSummary.frames), played);
    std::printf("export to MP4 at 15 fps:        %llu frames, %.1f s cpu\n",
                static_cast<unsigned long long>(mp4Summary.frames), exported);
    std::printf("player / export: %.2f (target at most 1.5)\n", played / exported);
    std::filesystem::remove_all(folder);
    return 0;
}
