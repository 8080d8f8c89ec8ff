// One run: the default project exported as an animation stream, played into MP4 by chattermask-player,
// against chattermask-cli exporting the same project as MP4 directly; both draw every frame with the
// software renderer and encode H.264 and AAC. Prints processor time per frame; asserts nothing.
//
//   player_bench [BIN_DIR]
#include "player/AnimationFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

double childCpuSeconds(const std::string& command)
{
    const std::string timed = "/usr/bin/time -f %U+%S -o /tmp/player_bench_time " + command + " > /dev/null";
    if (std::system(timed.c_str()) != 0)
        return -1;
    std::ifstream in("/tmp/player_bench_time");
    double user = 0, system = 0;
    char plus = 0;
    in >> user >> plus >> system;
    return user + system;
}

std::size_t framesOf(const std::filesystem::path& file, const std::filesystem::path& bin)
{
    AnimationFile animation;
    std::string error;
    return openAnimationFile(file, bin / "Expressions", animation, error) == AnimationOpen::whole
               ? animation.frames.size()
               : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path bin = argc > 1 ? argv[1] : std::filesystem::path(argv[0]).parent_path();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "player_bench";
    std::filesystem::create_directories(folder);
    const std::string cli =
        (bin / "chattermask-cli").string() + " export " + (bin / "Default" / "Male.cmx").string();
    const auto stream = folder / "a.cmf";
    if (std::system((cli + " " + stream.string() + " --kind stream --seed 3 > /dev/null").c_str()) != 0) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    const std::size_t streamFrames = framesOf(stream, bin);
    const double played = childCpuSeconds((bin / "chattermask-player").string() + " " + stream.string() +
                                          " --to " + (folder / "played.mp4").string());
    // The export's MP4 takes 25 or 30 frames per second; 30 gives exactly twice the stream's frames
    // over the same voice, give or take one.
    const double exported =
        childCpuSeconds(cli + " " + (folder / "exported.mp4").string() + " --kind mp4 --fps 30 --seed 3");
    const double exportedFrames = double(streamFrames) * 2;
    if (streamFrames == 0 || played < 0 || exported < 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("chattermask-player --to: %zu frames, %.3f s, %.2f ms per frame\n", streamFrames, played,
                1000 * played / double(streamFrames));
    std::printf("chattermask-cli export --kind mp4: ~%.0f frames, %.3f s, %.2f ms per frame\n",
                exportedFrames, exported, 1000 * exported / exportedFrames);
    std::filesystem::remove_all(folder);
    return 0;
}
