// JPEG decoding of a 256 x 256 face-sized picture: our loader from memory and from a file, beside the
// library's own command-line decoder on the same file in the same run.
#include "images/CJpegPicture.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A 256 x 256 4:2:0 picture made once per run with the library's encoder tool from a generated PPM.
const std::string& samplePath()
{
    static const std::string path = [] {
        std::string ppm = "/tmp/cm_bench_face.ppm", jpg = "/tmp/cm_bench_face.jpg";
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n256 256\n255\n";
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                unsigned char rgb[3] = {static_cast<unsigned char>(x), static_cast<unsigned char>(y),
                                        static_cast<unsigned char>((x * y) >> 8)};
                out.write(reinterpret_cast<const char*>(rgb), 3);
            }
        out.close();
        std::string command = "cjpeg -quality 90 -sample 2x2 " + ppm + " > " + jpg;
        if (std::system(command.c_str()) != 0)
            return std::string();
        return jpg;
    }();
    return path;
}

void jpegLoadFromMemory(benchmark::State& state)
{
    std::ifstream in(samplePath(), std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        state.SkipWithError("cjpeg not available");
        return;
    }
    for (auto _ : state) {
        CJpegPicture picture;
        benchmark::DoNotOptimize(picture.loadMemory(bytes.data(), bytes.size(), false));
    }
}
BENCHMARK(jpegLoadFromMemory)->Unit(benchmark::kMicrosecond);

void jpegLoadFromFile(benchmark::State& state)
{
    if (samplePath().empty()) {
        state.SkipWithError("cjpeg not available");
        return;
    }
    for (auto _ : state) {
        CJpegPicture picture;
        benchmark::DoNotOptimize(picture.loadFile(samplePath(), false));
    }
}
BENCHMARK(jpegLoadFromFile)->Unit(benchmark::kMicrosecond);

// The peer: one djpeg process per iteration decoding a file 50 times (-bmp to /dev/null), so the
// figure is per decode. Most of it is process start-up, so the same is timed on an 8 x 8 picture:
// the difference of the two is djpeg's own decoding of the face-sized picture.
const std::string& tinyPath()
{
    static const std::string path = [] {
        std::string ppm = "/tmp/cm_bench_tiny.ppm", jpg = "/tmp/cm_bench_tiny.jpg";
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n8 8\n255\n" << std::string(8 * 8 * 3, '\x40');
        out.close();
        std::string command = "cjpeg " + ppm + " > " + jpg;
        return std::system(command.c_str()) == 0 ? jpg : std::string();
    }();
    return path;
}

void runDjpeg(benchmark::State& state, const std::string& path)
{
    if (path.empty() || std::system("command -v djpeg > /dev/null") != 0) {
        state.SkipWithError("djpeg not available");
        return;
    }
    std::string command = "for i in $(seq 50); do djpeg -bmp " + path + " > /dev/null; done";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("djpeg failed");
    }
    state.SetItemsProcessed(state.iterations() * 50);
}

void djpegDecode(benchmark::State& state)
{
    runDjpeg(state, samplePath());
}
BENCHMARK(djpegDecode)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void djpegStartUp(benchmark::State& state)
{
    runDjpeg(state, tinyPath());
}
BENCHMARK(djpegStartUp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
