// Time from the program's start to its main window shown with the first document, for the default
// project and for a project with a ten-minute voice, median of five fresh processes each, on the
// X server given by DISPLAY. The peer in the same run is the headless tool reading the same project
// (`chattermask-cli doc ls`), the floor of what reading the document costs.
#include "session/ProjectSession.h"
#include "shell/CChattermaskApp.h"
#include "shell/CChattermaskEditorMainFrame.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// One start-up in this process: prints the milliseconds from main to the window shown.
int runOnce(int argc, char** argv, Clock::time_point begin)
{
    QApplication app(argc, argv);
    CChattermaskApp studio(app);
    QStringList arguments = QApplication::arguments().mid(2);
    if (studio.start(arguments) != 0)
        return 1;
    while (!studio.frame()->isVisible())
        QApplication::processEvents();
    QApplication::processEvents();
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    std::printf("%.1f\n", ms);
    studio.frame()->session().setModified(false);
    return 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Runs `command` five times; each run prints its own milliseconds, or is timed from outside.
double medianOf(const std::string& command, bool selfTimed)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        auto begin = Clock::now();
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return -1;
        char line[64] = {};
        bool got = std::fgets(line, sizeof line, pipe) != nullptr;
        while (std::fgets(line + 32, 32, pipe)) {
        }
        int status = pclose(pipe);
        double outside = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        if (status != 0 || (selfTimed && !got))
            return -1;
        times.push_back(selfTimed ? std::atof(line) : outside);
    }
    return median(times);
}

// A mono 16-bit 16 kHz WAV of `seconds` of a gliding tone.
void writeVoice(const fs::path& path, int seconds)
{
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds) * 16000u, bytes = samples * 2;
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4), u32(36 + bytes), out.write("WAVEfmt ", 8), u32(16), u16(1), u16(1), u32(16000), u32(32000);
    u16(2), u16(16), out.write("data", 4), u32(bytes);
    std::vector<std::int16_t> block(16000);
    for (std::uint32_t s = 0; s < samples; s += 16000) {
        for (std::uint32_t i = 0; i < 16000; ++i)
            block[i] = static_cast<std::int16_t>(8000 * ((s + i) / 37 % 2 ? 1 : -1) * ((s / 16000) % 3 != 0));
        out.write(reinterpret_cast<const char*>(block.data()), 32000);
    }
}

} // namespace

int main(int argc, char** argv)
{
    auto begin = Clock::now();
    if (argc > 1 && std::string(argv[1]) == "--once")
        return runOnce(argc, argv, begin);
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "shell_startup_bench: needs an X server (run it through tests/shell/with-xvfb.sh)\n");
        return 2;
    }
    fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    fs::path work = fs::temp_directory_path() / "cm-startup-bench";
    fs::create_directories(work);
    setenv("XDG_CONFIG_HOME", work.c_str(), 1); // the runs keep their recent files to themselves
    writeVoice(work / "long.wav", 600);
    std::string cli = (bin / "chattermask-cli").string();
    std::string make = cli + " hap create " + (work / "long.hap").string() + " --voice " + (work / "long.wav").string() +
                       " >/dev/null && " + cli + " cmp create " + (work / "long.cmp").string() + " --hdp " +
                       (bin / "Default/Male.hdx").string() + " --hap " + (work / "long.hap").string() + " >/dev/null";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "shell_startup_bench: cannot make the ten-minute project\n");
        return 1;
    }
    std::string self = (bin / "shell_startup_bench").string() + " --once";
    struct Row {
        const char* name;
        std::string studio, peer;
    };
    const Row rows[] = {
        {"default project", self, cli + " doc ls " + (bin / "Default/Male.cmx").string() + " >/dev/null"},
        {"ten-minute voice", self + " " + (work / "long.cmp").string(), cli + " doc ls " + (work / "long.cmp").string() + " >/dev/null"},
    };
    std::printf("%-18s %14s %22s\n", "start-up to window", "studio (ms)", "cli doc ls (ms)");
    for (const Row& row : rows)
        std::printf("%-18s %14.1f %22.1f\n", row.name, medianOf(row.studio + " 2>/dev/null", true),
                    medianOf(row.peer, false));
    fs::remove_all(work);
    return 0;
}
