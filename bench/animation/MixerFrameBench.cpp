// Cost of one mixer frame during playback of a long, dense animation.
#include "animation/CFapMixer.h"

#include <benchmark/benchmark.h>

namespace {

constexpr uint32_t kAnimationMs = 10 * 60 * 1000;
constexpr uint32_t kFrameStepMs = 40;

// Ten minutes of speech: touching visemes of 80-160 ms, an expression every 4 s, a blink every 3 s
// and a head turn every 2.5 s.
void fillLongAnimation(CFapMixer& mixer)
{
    uint32_t ms = 0;
    for (int i = 0; ms < kAnimationMs; ++i) {
        uint32_t length = 80 + static_cast<uint32_t>(i * 37 % 81);
        mixer.addViseme(1 + i % 14, 63, ms, length);
        ms += length;
    }
    for (uint32_t t = 0; t < kAnimationMs; t += 4000)
        mixer.addExpression(1 + static_cast<int>(t / 4000 % 6), 50, t, 3000);
    for (uint32_t t = 1000; t < kAnimationMs; t += 3000)
        mixer.addBlink(1, 63, t, 200);
    for (uint32_t t = 0; t < kAnimationMs; t += 2500)
        mixer.addHeadTurn(static_cast<int>(t % 7) - 3, static_cast<int>(t % 11) - 5, 0, t, 1200);
}

void BM_MixerFrame(benchmark::State& state)
{
    CFapMixer mixer{ExpressionRows{}};
    fillLongAnimation(mixer);
    FapFrame frame{};
    for (auto _ : state) {
        if (mixer.clock() >= kAnimationMs) {
            state.PauseTiming();
            mixer.clear();
            fillLongAnimation(mixer);
            state.ResumeTiming();
        }
        mixer.computeFrame(frame);
        benchmark::DoNotOptimize(frame.data());
        mixer.advanceClock(kFrameStepMs);
    }
}
BENCHMARK(BM_MixerFrame);

} // namespace

BENCHMARK_MAIN();
