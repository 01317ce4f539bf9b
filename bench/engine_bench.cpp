// Engine timings: one full calculation with every correction on, and one level of the RIAA model.
#include <benchmark/benchmark.h>

#include "Network.h"
#include "RiaaResponse.h"

namespace {

void BM_CalculateNetworkWithEveryOption(benchmark::State& bench) {
    const riaa::NumberLocale locale;
    const riaa::ValueList resistors = riaa::MakeResistorList();
    riaa::NetworkState state;
    state.CircuitC1[4] = 0.1;
    const riaa::CalculationOptions options{true, true, true};
    for (auto _ : bench) {
        riaa::CalculationResult result =
            riaa::CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options, resistors, locale);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_CalculateNetworkWithEveryOption);

void BM_PlaybackLevel(benchmark::State& bench) {
    double hz = 10;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(riaa::PlaybackLevel(hz));
        hz = hz < 20000 ? hz * 1.01 : 10;
    }
}
BENCHMARK(BM_PlaybackLevel);

}  // namespace

BENCHMARK_MAIN();
