// Engine timings: one full calculation with every correction on, one level of the RIAA model, one accuracy report.
#include <benchmark/benchmark.h>

#include "Network.h"
#include "Response.h"
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

// What the Accuracy page runs after each edit: rounded parts, Rs and RL in circuit, 500 curve points.
void BM_EvaluateAccuracy(benchmark::State& bench) {
    const riaa::NumberLocale locale;
    riaa::NetworkState state;
    state.CircuitC1[4] = 0.1;
    const riaa::CalculationOptions options{true, true, true};
    riaa::CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options, riaa::MakeResistorList(), locale);
    const riaa::BuiltNetwork network =
        riaa::MakeBuiltNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options);
    for (auto _ : bench) {
        riaa::AccuracyReport report = riaa::EvaluateAccuracy(network, riaa::kErrorCurvePoints);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_EvaluateAccuracy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
