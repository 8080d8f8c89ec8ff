// Coding speed as a multiple of real time on one core: ours (5.3 kbit/s with and without VAD) and
// FFmpeg's 6.3 kbit/s encoder, on the same synthesised sentence.
#include "G723/CG723Encoder.h"
#include "FfmpegG723.h"

#include <benchmark/benchmark.h>

namespace {

const std::vector<std::int16_t>& speech()
{
    static const std::vector<std::int16_t> pcm = [] {
        auto s = g723ref::synthesizeSpeech(
            "Speech coding turns a voice into a few thousand bits each second, frame after frame.", "en",
            160);
        s.resize(s.size() / 240 * 240);
        return s;
    }();
    return pcm;
}

void reportRealTime(benchmark::State& state, std::size_t samples)
{
    const double seconds = double(samples) / 8000.0;
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void ours(benchmark::State& state, bool vad)
{
    const auto& pcm = speech();
    std::uint8_t frame[CG723Encoder::kMaxFrameBytes];
    CG723Encoder encoder(vad);
    for (auto _ : state) {
        encoder.reset();
        std::size_t bytes = 0;
        for (std::size_t s = 0; s + 240 <= pcm.size(); s += 240)
            bytes += std::size_t(encoder.encodeFrame(pcm.data() + s, frame));
        benchmark::DoNotOptimize(bytes);
    }
    reportRealTime(state, pcm.size());
}

void BM_Ours53(benchmark::State& state)
{
    ours(state, false);
}
void BM_Ours53Vad(benchmark::State& state)
{
    ours(state, true);
}

void BM_Ffmpeg63(benchmark::State& state)
{
    const auto& pcm = speech();
    for (auto _ : state)
        benchmark::DoNotOptimize(g723ref::encodeAnchor(pcm));
    reportRealTime(state, pcm.size());
}

BENCHMARK(BM_Ours53)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours53Vad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ffmpeg63)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
