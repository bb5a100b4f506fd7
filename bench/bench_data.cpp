#include "data/ContentLoader.h"

#include <benchmark/benchmark.h>

using namespace tessalyn;

// Loading and verifying the built-in content, as every start does.
static void BM_LoadBuiltInContent(benchmark::State& state) {
    for (auto _ : state) {
        RepertoryData data;
        ContentError error;
        const bool ok = loadBuiltInContent(data, error);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_LoadBuiltInContent)->Unit(benchmark::kMillisecond);

static void BM_RemedyListText(benchmark::State& state) {
    RepertoryData data;
    ContentError error;
    loadBuiltInContent(data, error);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(data.remedyListText(i));
        i = (i + 1) % kRubricCount;
    }
}
BENCHMARK(BM_RemedyListText);

BENCHMARK_MAIN();
