// Per-frame deformation of the sample head with a busy FAP set, and one mesh fitting pass.
#include "face/CHeadModel.h"
#include "face/MeshFitting.h"
#include "face/SampleHead.h"

#include <benchmark/benchmark.h>

static void deformSampleHead(benchmark::State& state)
{
    auto model = buildSampleHead();
    for (int i = 2; i < kFapEntryCount; ++i)
        model->setFapValue(i, (i * 37) % 400 - 200);
    for (auto _ : state)
        benchmark::DoNotOptimize(model->deform(false));
}
BENCHMARK(deformSampleHead)->Unit(benchmark::kMicrosecond);

static void fitSampleHead(benchmark::State& state)
{
    auto model = buildSampleHead();
    model->translate(0.5f, 0.2f, 0.0f);
    for (auto _ : state)
        benchmark::DoNotOptimize(fitToLines(*model));
}
BENCHMARK(fitSampleHead)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
