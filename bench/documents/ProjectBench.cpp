// Saving and loading a project against copying the same bytes with cp, in one run, and the peak
// memory of a save as the voice grows (it should not grow with it: files are copied in blocks).
#include "documents/HeadPacks.h"
#include "documents/ProjectFile.h"
#include "documents/ProjectStore.h"
#include "Common/TempFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path benchFolder()
{
    static fs::path folder = [] {
        fs::path made = tempFolder() / ("cmdocbench" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    return folder;
}

void writeRandomFile(const fs::path& path, size_t bytes)
{
    std::mt19937 random(static_cast<unsigned>(bytes));
    std::vector<char> block(65536);
    std::ofstream out(path, std::ios::binary);
    for (size_t done = 0; done < bytes; done += block.size()) {
        for (char& c : block)
            c = static_cast<char>(random());
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), bytes - done)));
    }
}

// A voice of `minutes` (16 kHz mono 16-bit: 1.92 MB a minute) and ten 200 KB background pictures.
void fillStore(ProjectStore& store, int minutes)
{
    fs::path folder = benchFolder();
    fs::path voice = folder / ("voice" + std::to_string(minutes) + ".wav");
    if (!fs::exists(voice))
        writeRandomFile(voice, static_cast<size_t>(minutes) * 60 * 32000 + 44);
    store.setAsset(voice.string(), AssetKind::speech, false);
    for (int i = 0; i < 10; ++i) {
        fs::path picture = folder / ("bg" + std::to_string(i) + ".jpg");
        if (!fs::exists(picture))
            writeRandomFile(picture, 200000);
        store.addBackground(picture.string(), "", false);
    }
    fs::path mesh = folder / "head.mesh";
    if (!fs::exists(mesh))
        writeRandomFile(mesh, 150000);
    store.setAsset(mesh.string(), AssetKind::headMesh, false);
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void saveProjectBench(benchmark::State& state)
{
    ProjectStore store;
    fillStore(store, static_cast<int>(state.range(0)));
    fs::path out = benchFolder() / "bench.cmp";
    for (auto _ : state) {
        DocumentStatus status;
        if (!saveProject(store, out, status))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(out)));
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes()) / 1024.0;
}

void loadProjectBench(benchmark::State& state)
{
    fs::path out = benchFolder() / "bench.cmp";
    {
        ProjectStore store;
        fillStore(store, static_cast<int>(state.range(0)));
        DocumentStatus status;
        saveProject(store, out, status);
    }
    for (auto _ : state) {
        ProjectStore store;
        DocumentStatus status;
        if (!loadProject(store, out, kLoadAll, status))
            state.SkipWithError("load failed");
        store.reset();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(out)));
    state.counters["peak_MB"] = static_cast<double>(peakKilobytes()) / 1024.0;
}

// The peer: cp of a file as large as the project, once per iteration.
void copyWithCpBench(benchmark::State& state)
{
    fs::path source = benchFolder() / "bench.cmp";
    {
        ProjectStore store;
        fillStore(store, static_cast<int>(state.range(0)));
        DocumentStatus status;
        saveProject(store, source, status);
    }
    fs::path target = benchFolder() / "copy.cmp";
    std::string command = "cp '" + source.string() + "' '" + target.string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(fs::file_size(source)));
}

} // namespace

BENCHMARK(copyWithCpBench)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(saveProjectBench)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadProjectBench)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
// Memory as the voice grows: peak_MB should stay flat from 10 to 60 minutes. The peak is the
// process's, so run each size on its own (--benchmark_filter='Memory/10/', then 'Memory/60/').
void saveProjectMemory(benchmark::State& state)
{
    saveProjectBench(state);
}
void loadProjectMemory(benchmark::State& state)
{
    loadProjectBench(state);
}
BENCHMARK(saveProjectMemory)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(loadProjectMemory)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(benchFolder(), error);
    return 0;
}
