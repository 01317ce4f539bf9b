// Parts timings: the best pair over E96 for one value, tolerance runs of 10,000 builds of a passive
// network and of an active stage, and the stage's rational function for 16 builds at once.
#include <benchmark/benchmark.h>

#include "engine/ActiveStage.h"
#include "engine/BestBuild.h"
#include "BenchStage.h"
#include "engine/PairSearch.h"
#include "engine/PartSeries.h"
#include "engine/RecordedTransfer.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"
#include "engine/TransferPolynomials.h"

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

// Circuit 4 at its start values, 10,000 builds at 200 frequencies on two threads: the run the
// Accuracy page starts on every change.
void BM_MonteCarlo(benchmark::State& bench) {
    riaa::NetworkState state;
    CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, {}, riaa::MakeResistorList(), riaa::NumberLocale{});
    const riaa::BuiltNetwork network = riaa::MakeBuiltNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, {});
    const riaa::ToleranceSettings settings;
    const std::atomic<bool> cancel{false};
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::RunTolerance(network, settings, cancel));
}
BENCHMARK(BM_MonteCarlo)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly();

// The non-inverting stage the active page starts with (form A, 35 dB, R0 1 kΩ, C0 100 µF, the
// correction pole, an op-amp of 100 dB and 10 MHz), built 10,000 times at 200 frequencies on two threads.
void BM_MonteCarloNonInverting(benchmark::State& bench) {
    const riaa::BuiltNetwork network = riaa::DesignActiveStage(BenchStageRequest());
    const riaa::ToleranceSettings settings;
    const std::atomic<bool> cancel{false};
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::RunTolerance(network, settings, cancel));
}
BENCHMARK(BM_MonteCarloNonInverting)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The same as the command line runs it: the percentiles only, on one thread (range(0) 1) or two.
void BM_MonteCarloNonInvertingPercentiles(benchmark::State& bench) {
    const riaa::BuiltNetwork network = riaa::DesignActiveStage(BenchStageRequest());
    riaa::ToleranceSettings settings;
    settings.band = false;
    settings.threads = static_cast<unsigned>(bench.range(0));
    const std::atomic<bool> cancel{false};
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::RunTolerance(network, settings, cancel));
}
BENCHMARK(BM_MonteCarloNonInvertingPercentiles)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The stage's rational function for Lanes::kCount builds whose every part differs: by the generic
// polynomial algebra (range(0) 0), or replayed from its recording (1), which the run makes once.
void BM_StageTransferOfLanes(benchmark::State& bench) {
    const riaa::BuiltNetwork network = riaa::DesignActiveStage(BenchStageRequest());
    const riaa::PartValues<double> designed = riaa::DesignedValues(network);
    riaa::PartValues<riaa::Lanes> lanes;
    for (std::size_t e = 0; e < designed.values.size(); ++e) {
        for (std::size_t i = 0; i < riaa::Lanes::kCount; ++i) lanes.values[e].v[i] = designed.values[e] * (1 + 0.001 * double(i));
    }
    const riaa::RecordedTransfer recorded(network, riaa::kAllElements);
    std::vector<riaa::Lanes> workspace;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(bench.range(0) == 0 ? riaa::TransferFunction(network, lanes)
                                                     : recorded.Evaluate(lanes, workspace));
    }
    bench.counters["steps"] = static_cast<double>(recorded.StepCount());
}
BENCHMARK(BM_StageTransferOfLanes)->Arg(0)->Arg(1);

// The best-build search over E12 capacitors from 1 nF to 100 nF with E24 or E96 resistors (range(1)),
// single parts or pairs (range(2)), on two threads: circuit 4 at its start values with Rs 1 kΩ and RL
// 1 MΩ (range(0) 0), or the benchmarks' stage, non-inverting, inverting or two-stage (1 to 3).
riaa::BuiltNetwork BestBuildDesign(std::int64_t which) {
    if (which == 0) {
        riaa::NetworkState state;
        const riaa::CalculationOptions options{true, true};
        CalculateNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options, riaa::MakeResistorList(),
                         riaa::NumberLocale{});
        return riaa::MakeBuiltNetwork(state, riaa::CircuitKind::CompleteRiaaVersion1, options);
    }
    const riaa::DesignKind kinds[] = {riaa::DesignKind::NonInverting, riaa::DesignKind::Inverting,
                                      riaa::DesignKind::TwoStage};
    return riaa::DesignActiveStage(BenchStageRequest(kinds[which - 1]));
}

void BM_BestBuild(benchmark::State& bench) {
    const riaa::BuiltNetwork network = BestBuildDesign(bench.range(0));
    riaa::BestBuildRequest request;
    request.capacitorRange = {1e-3, 0.1};
    request.resistorSeries = bench.range(1) == 24 ? riaa::SeriesKind::E24 : riaa::SeriesKind::E96;
    request.pairs = bench.range(2) != 0;
    const std::atomic<bool> cancel{false};
    double best = 0;
    for (auto _ : bench) {
        const auto builds = riaa::FindBestBuilds(network, request, cancel);
        best = builds && !builds->empty() ? builds->front().largestErrorDb : 0;
    }
    bench.counters["bestErrorDb"] = best;
}
BENCHMARK(BM_BestBuild)
    ->ArgsProduct({{0, 1, 2, 3}, {24, 96}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_BestBuild)->ArgsProduct({{0, 1, 2, 3}, {24, 96}, {1}})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
