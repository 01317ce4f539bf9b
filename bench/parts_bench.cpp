// Parts timings: the best pair over E96 for one value.
#include <benchmark/benchmark.h>

#include "PairSearch.h"
#include "PartSeries.h"

namespace {

// One search per iteration over every E96 resistor from 1 Ω to 10 MΩ, the target moving so that
// no two iterations ask the same question.
void BM_PairSearchE96(benchmark::State& bench) {
    const riaa::PartSeries e96 = riaa::MakePartSeries(riaa::SeriesKind::E96, riaa::kResistorRange);
    double target = 1234.5;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(riaa::FindBestPair(target, e96));
        target = target < 5e6 ? target * 1.37 : 1234.5;
    }
}
BENCHMARK(BM_PairSearchE96)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
