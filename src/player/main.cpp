// chattermask-player: plays the files the studio writes for its own player, in a window with the sound,
// or headless: every frame into pictures or a video; exit codes: 0 whole file, 1 nothing to play or
// nothing written, 2 wrong arguments, 3 the file is damaged and was played up to the damage.
#include "player/AnimationFile.h"
#include "player/AnimationOutput.h"
#include "player/ui/PlayerWindowMain.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int kExitWhole = 0, kExitFailed = 1, kExitUsage = 2, kExitDamaged = 3;

const char* const kHelp =
    "usage: chattermask-player [FILE]\n"
    "       chattermask-player FILE (--frames DIR | --to OUT.mp4) [--seed N]\n"
    "\n"
    "Opens either file the studio writes for its own player, whatever its name:\n"
    "  .cmf  an animation stream: the head, a face animation parameter record per frame and the sound\n"
    "  .cmt  a stream file: the head, the timed visemes, expressions and head turns, and the speech;\n"
    "        its frames are mixed from the items at 15 frames per second, with blinks added as a play\n"
    "        adds them\n"
    "\n"
    "Without --frames or --to the player's window plays FILE with its sound (an empty window without\n"
    "FILE): Space plays and pauses, Left and Right step, F or a double click goes full screen and Esc\n"
    "leaves it, Ctrl+O opens a file, and a file dropped on the window is opened. The window needs a\n"
    "display; without one the player says so and exits with 1.\n"
    "\n"
    "  --frames DIR   every frame as DIR/frame_00000.png, ..., with no window\n"
    "  --to OUT.mp4   the frames at their times with the sound, as H.264 and AAC, with no window\n"
    "  --seed N       where the blinks of a .cmt fall (0 to 4294967295; default 0, as the export draws\n"
    "                 them unless told otherwise)\n"
    "\n"
    "Exit codes of the headless modes: 0 the whole file was played, 1 nothing could be played or written,\n"
    "2 wrong arguments, 3 the file is damaged and was played up to the damage.\n";

struct Arguments {
    std::string input, frames, video;
    std::uint32_t seed = kDefaultBlinkSeed;
};

// A whole decimal number within 32 bits, nothing before or after it.
bool parseSeed(const std::string& text, std::uint32_t& seed)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull)
        return false;
    seed = std::uint32_t(value);
    return true;
}

bool wantsWindow(const Arguments& arguments)
{
    return arguments.frames.empty() && arguments.video.empty();
}

// The window takes an optional file; each headless mode needs its file and exactly one output.
bool parse(int argc, char** argv, Arguments& arguments)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if ((word == "--frames" || word == "--to") && i + 1 < argc)
            (word == "--frames" ? arguments.frames : arguments.video) = argv[++i];
        else if (word == "--seed" && i + 1 < argc && parseSeed(argv[i + 1], arguments.seed))
            ++i;
        else if (word.rfind("--", 0) == 0 || !arguments.input.empty())
            return false;
        else
            arguments.input = word;
    }
    return wantsWindow(arguments) ||
           (!arguments.input.empty() && arguments.frames.empty() != arguments.video.empty());
}

// The expression rows of the content beside the program, as the studio's own content root holds them.
std::filesystem::path expressionsFolder(const char* program)
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        self = std::filesystem::absolute(program, error);
    return self.parent_path() / "Expressions";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return kExitWhole;
    }
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fputs(kHelp, stderr);
        return kExitUsage;
    }
    if (wantsWindow(arguments)) {
        // The headless modes never reach the toolkit, so they run where there is no display at all.
        std::string missing;
        if (!windowSystemAvailable(missing)) {
            std::fprintf(stderr, "chattermask-player: %s; --frames DIR or --to OUT.mp4 play without one\n",
                         missing.c_str());
            return kExitFailed;
        }
        return runPlayerWindow(argc, argv, arguments.input, expressionsFolder(argv[0]));
    }
    AnimationFile file;
    std::string error;
    const AnimationOpen opened =
        openAnimationFile(arguments.input, expressionsFolder(argv[0]), file, error, arguments.seed);
    if (opened == AnimationOpen::failed) {
        std::fprintf(stderr, "chattermask-player: %s: %s\n", arguments.input.c_str(), error.c_str());
        return kExitFailed;
    }
    const bool written = arguments.frames.empty() ? writeAnimationVideo(file, arguments.video, error)
                                                  : writeAnimationFrames(file, arguments.frames, error);
    if (!written) {
        std::fprintf(stderr, "chattermask-player: %s\n", error.c_str());
        return kExitFailed;
    }
    if (opened == AnimationOpen::damaged) {
        std::fprintf(stderr, "chattermask-player: %s: %s; played %zu frames up to there\n",
                     arguments.input.c_str(), file.damage.c_str(), file.frames.size());
        return kExitDamaged;
    }
    return kExitWhole;
}
