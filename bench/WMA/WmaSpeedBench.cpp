// Coding speed on one core, run by hand:
//   build/release/bin/wma_speed_bench
// Ten seconds of synthesised speech at 8 kHz through our encoder at 8000 bit/s and through FFmpeg's
// wmav2 encoder at 24000 bit/s in the same run; the "x_realtime" counter is audio seconds coded per
// second of CPU.
#include "FfmpegWma.h"

#include <benchmark/benchmark.h>

namespace {

const std::vector<std::int16_t>& speech()
{
    static const std::vector<std::int16_t> pcm = [] {
        std::vector<std::int16_t> out;
        const char* text = "Please call Stella. Ask her to bring these things with her from the store.";
        while (out.size() < 80000) {
            std::vector<std::int16_t> s = wmaref::synthesize(text, "en", 8000);
            if (s.empty())
                s.assign(80000, 0);
            out.insert(out.end(), s.begin(), s.end());
        }
        out.resize(80000);
        return out;
    }();
    return pcm;
}

void BM_Ours8000(benchmark::State& state)
{
    WmaFormat format;
    makeWmaFormat(8000, 1, 8000, format);
    const std::vector<std::int16_t>& pcm = speech();
    for (auto _ : state)
        benchmark::DoNotOptimize(wmaref::encode(format, pcm));
    state.counters["x_realtime"] = benchmark::Counter(
        double(pcm.size()) / 8000.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Ffmpeg24000(benchmark::State& state)
{
    const std::vector<std::int16_t>& pcm = speech();
    for (auto _ : state)
        benchmark::DoNotOptimize(wmaref::encodePeer(8000, 24000, pcm));
    state.counters["x_realtime"] = benchmark::Counter(
        double(pcm.size()) / 8000.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_Ours8000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_Ffmpeg24000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_MAIN();
