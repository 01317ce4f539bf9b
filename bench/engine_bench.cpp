// Engine timings: one full calculation with every correction on, one level of the RIAA model, the
// accuracy reports of a passive network and of an active stage, with and without a cartridge.
#include <benchmark/benchmark.h>

#include "engine/ActiveStage.h"
#include "BenchStage.h"
#include "engine/Network.h"
#include "engine/Noise.h"
#include "engine/PartSeries.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/RiaaResponse.h"

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

// What the active page runs after each edit: the stage designed, then its report at 500 points.
// The argument is the stage: 1 non-inverting, 2 inverting, 3 two stages.
void BM_DesignAndEvaluateActiveStage(benchmark::State& bench) {
    const riaa::ActiveStageRequest request = BenchStageRequest(static_cast<riaa::DesignKind>(bench.range(0)));
    for (auto _ : bench) {
        const riaa::BuiltNetwork network = riaa::DesignActiveStage(request);
        riaa::AccuracyReport report = riaa::EvaluateAccuracy(network, riaa::kErrorCurvePoints);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_DesignAndEvaluateActiveStage)
    ->Arg(static_cast<int>(riaa::DesignKind::NonInverting))
    ->Arg(static_cast<int>(riaa::DesignKind::Inverting))
    ->Arg(static_cast<int>(riaa::DesignKind::TwoStage))
    ->Unit(benchmark::kMicrosecond);

const riaa::Cartridge kCartridge{500, 1000, 47'000, 200};

std::size_t ColumbiaLp() { return riaa::FindCurve("Columbia LP").value(); }

// Circuit 4 as the shell example builds it (C1 10 nF, Rs 1 kΩ and RL 1 MΩ in circuit, R1 and R2 on
// E96), behind a cartridge and measured against Columbia LP.
void BM_EvaluateAccuracyWithCartridge(benchmark::State& bench) {
    riaa::NetworkState state;
    const riaa::CalculationOptions options{true, true, false};
    riaa::CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options, riaa::MakeResistorList(),
                           riaa::NumberLocale{});
    const riaa::PartSeries e96 = riaa::MakePartSeries(riaa::SeriesKind::E96, riaa::kResistorRange);
    state.R1 = e96.round(state.R1);
    state.R2 = e96.round(state.R2);
    riaa::BuiltNetwork network = riaa::MakeBuiltNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options);
    network.source = kCartridge;
    network.curve.curve = ColumbiaLp();
    for (auto _ : bench) {
        riaa::AccuracyReport report = riaa::EvaluateAccuracy(network, riaa::kErrorCurvePoints);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_EvaluateAccuracyWithCartridge)->Unit(benchmark::kMicrosecond);

// The non-inverting stage above, designed for Columbia LP, behind the same cartridge.
void BM_EvaluateActiveStageWithCartridge(benchmark::State& bench) {
    riaa::ActiveStageRequest request = BenchStageRequest(riaa::DesignKind::NonInverting);
    request.curve.curve = ColumbiaLp();
    riaa::BuiltNetwork network = riaa::DesignActiveStage(request);
    network.source = kCartridge;
    for (auto _ : bench) {
        riaa::AccuracyReport report = riaa::EvaluateAccuracy(network, riaa::kErrorCurvePoints);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_EvaluateActiveStageWithCartridge)->Unit(benchmark::kMicrosecond);

// The noise and headroom figures of each stage (1 non-inverting, 2 inverting, 3 two stages, 0 the
// passive network of BM_EvaluateAccuracyWithCartridge) behind the cartridge, a finite op-amp with both
// 1/f corners: the budget is 100 µs.
void BM_EvaluateNoiseWithCartridge(benchmark::State& bench) {
    const auto kind = static_cast<riaa::DesignKind>(bench.range(0));
    riaa::BuiltNetwork network;
    if (kind == riaa::DesignKind::Passive) {
        riaa::NetworkState state;
        const riaa::CalculationOptions options{true, true, false};
        riaa::CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options, riaa::MakeResistorList(),
                               riaa::NumberLocale{});
        network = riaa::MakeBuiltNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options);
    } else {
        riaa::ActiveStageRequest request = BenchStageRequest(kind);
        if (kind == riaa::DesignKind::TwoStage) request.rl = 47'000;
        network = riaa::DesignActiveStage(request);
    }
    network.source = kCartridge;
    riaa::NoiseSettings settings;
    settings.fceHz = 50;
    settings.fciHz = 300;
    for (auto _ : bench) {
        riaa::NoiseFigures figures = riaa::EvaluateNoise(network, settings);
        benchmark::DoNotOptimize(figures);
    }
}
BENCHMARK(BM_EvaluateNoiseWithCartridge)
    ->Arg(static_cast<int>(riaa::DesignKind::Passive))
    ->Arg(static_cast<int>(riaa::DesignKind::NonInverting))
    ->Arg(static_cast<int>(riaa::DesignKind::Inverting))
    ->Arg(static_cast<int>(riaa::DesignKind::TwoStage))
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
