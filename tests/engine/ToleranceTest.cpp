#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "PartSeries.h"
#include "Tolerance.h"

using namespace riaa;

namespace {

const std::atomic<bool> kGoOn{false};

// Circuit 4 at C1 = 10 nF with R1 and R2 rounded to E24, so the nominal build is a little off.
BuiltNetwork RoundedRiaa() {
    NetworkState state;
    state.CircuitC1[4] = 0.01;
    CalculateNetwork(state, CircuitKind::CompleteRiaaVersion1, {}, MakeResistorList(), NumberLocale{});
    BuiltNetwork network = MakeBuiltNetwork(state, CircuitKind::CompleteRiaaVersion1, {});
    const PartSeries e24 = MakePartSeries(SeriesKind::E24, kResistorRange);
    network.R1 = e24.round(network.R1);
    network.R2 = e24.round(network.R2);
    return network;
}

ToleranceResult RunFinished(const BuiltNetwork& network, const ToleranceSettings& settings) {
    const auto result = RunTolerance(network, settings, kGoOn);
    if (!result) throw std::logic_error("cancelled without being asked");
    return *result;
}

void ExpectSameFigures(const ToleranceResult& a, const ToleranceResult& b) {
    EXPECT_EQ(a.p50Db, b.p50Db);
    EXPECT_EQ(a.p95Db, b.p95Db);
    EXPECT_EQ(a.p99Db, b.p99Db);
    ASSERT_EQ(a.band.size(), b.band.size());
    for (std::size_t i = 0; i < a.band.size(); ++i) {
        EXPECT_EQ(a.band[i].lowerDb, b.band[i].lowerDb) << i;
        EXPECT_EQ(a.band[i].upperDb, b.band[i].upperDb) << i;
    }
}

TEST(Tolerance, SameSeedSameFiguresOnAnyNumberOfThreads) {
    const BuiltNetwork network = RoundedRiaa();
    for (ToleranceDistribution distribution : {ToleranceDistribution::Uniform, ToleranceDistribution::Normal}) {
        ToleranceSettings settings;
        settings.distribution = distribution;
        settings.builds = 3000;  // not a whole number of chunks
        settings.threads = 1;
        const ToleranceResult one = RunFinished(network, settings);
        settings.threads = 2;
        ExpectSameFigures(one, RunFinished(network, settings));
        settings.threads = 5;
        ExpectSameFigures(one, RunFinished(network, settings));
        settings.seed += 1;
        EXPECT_NE(RunFinished(network, settings).p95Db, one.p95Db);
    }
}

TEST(Tolerance, WithoutToleranceEveryBuildIsTheNominalOne) {
    const BuiltNetwork network = RoundedRiaa();
    ToleranceSettings settings;
    settings.resistorPercent = 0;
    settings.capacitorPercent = 0;
    settings.builds = 500;
    const ToleranceResult result = RunFinished(network, settings);
    const double nominal = std::fabs(EvaluateAccuracy(network).largestErrorDb);
    ASSERT_GT(nominal, 0.05);  // the E24 rounding is visible
    // The run samples 200 frequencies, the accuracy report 500 and the peak between them.
    EXPECT_NEAR(result.nominalLargestErrorDb, nominal, 0.002);
    EXPECT_LE(result.nominalLargestErrorDb, nominal + 1e-9);
    for (double p : {result.p50Db, result.p95Db, result.p99Db}) EXPECT_NEAR(p, result.nominalLargestErrorDb, 1e-9);
    ASSERT_EQ(result.band.size(), 200u);
    EXPECT_EQ(result.band.front().hz, 20);
    EXPECT_EQ(result.band.back().hz, 20000);
    for (const ToleranceBandPoint& point : result.band) {
        EXPECT_NEAR(point.lowerDb, point.nominalDb, 1e-6) << point.hz;
        EXPECT_NEAR(point.upperDb, point.nominalDb, 1e-6) << point.hz;
    }
}

TEST(Tolerance, FiguresGrowWithTheTolerance) {
    const BuiltNetwork network = RoundedRiaa();
    ToleranceSettings settings;
    settings.builds = 2000;
    double previous50 = 0, previous99 = 0, previousWidth = 0;
    for (double percent : {0.1, 0.5, 1.0, 2.0, 5.0, 10.0}) {
        settings.resistorPercent = percent;
        settings.capacitorPercent = percent;
        const ToleranceResult result = RunFinished(network, settings);
        EXPECT_LE(result.p50Db, result.p95Db);
        EXPECT_LE(result.p95Db, result.p99Db);
        EXPECT_GT(result.p50Db, previous50) << percent;
        EXPECT_GT(result.p99Db, previous99) << percent;
        // At 20 Hz, far from the 1 kHz the errors are taken from, the band is widest.
        const double width = result.band.front().upperDb - result.band.front().lowerDb;
        EXPECT_GT(width, previousWidth) << percent;
        for (const ToleranceBandPoint& point : result.band) {
            EXPECT_LE(point.lowerDb, point.nominalDb + 1e-6) << point.hz;
            EXPECT_GE(point.upperDb, point.nominalDb - 1e-6) << point.hz;
        }
        previous50 = result.p50Db;
        previous99 = result.p99Db;
        previousWidth = width;
    }
}

// One resistor of a low-pass makes the largest error a function g of its deviation alone, so the
// percentiles must be g at the quantiles of |deviation|: uniform on [0, t], or |normal| with σ = t/2.
TEST(Tolerance, DrawsFromTheChosenDistribution) {
    const BuiltNetwork lowPass{CircuitKind::LowPass50Hz, 0.01, 0, 318000, 0, {}, {}};
    ToleranceSettings nominal;
    nominal.resistorPercent = nominal.capacitorPercent = 0;
    nominal.builds = 1;
    const auto g = [&](double deviation) {
        BuiltNetwork up = lowPass, down = lowPass;
        up.R1 *= 1 + deviation;
        down.R1 *= 1 - deviation;
        return (RunFinished(up, nominal).nominalLargestErrorDb + RunFinished(down, nominal).nominalLargestErrorDb) / 2;
    };
    struct Case {
        ToleranceDistribution distribution;
        double q50, q95, q99;  // quantiles of |deviation| / t
    };
    for (const Case& c : {Case{ToleranceDistribution::Uniform, 0.5, 0.95, 0.99},
                          Case{ToleranceDistribution::Normal, 0.6745 / 2, 1.95996 / 2, 2.5758 / 2}}) {
        ToleranceSettings settings;
        settings.distribution = c.distribution;
        settings.resistorPercent = 5;
        settings.capacitorPercent = 0;
        const ToleranceResult result = RunFinished(lowPass, settings);
        EXPECT_NEAR(result.p50Db / g(0.05 * c.q50), 1, 0.03);
        EXPECT_NEAR(result.p95Db / g(0.05 * c.q95), 1, 0.03);
        EXPECT_NEAR(result.p99Db / g(0.05 * c.q99), 1, 0.03);
    }
}

TEST(Tolerance, CancellationStopsTheRun) {
    const BuiltNetwork network = RoundedRiaa();
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(RunTolerance(network, ToleranceSettings{}, cancelled).has_value());

    // The most builds a run takes, stopped from another thread shortly after it began.
    ToleranceSettings settings;
    settings.builds = 100'000;
    std::atomic<bool> cancel{false};
    std::thread stopper([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const auto result = RunTolerance(network, settings, cancel);
    const auto took = std::chrono::steady_clock::now() - start;
    stopper.join();
    EXPECT_FALSE(result.has_value());
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST(Tolerance, RefusesWhatCannotBeRun) {
    const BuiltNetwork network = RoundedRiaa();
    const auto refused = [&](const ToleranceSettings& settings, const BuiltNetwork& built) {
        try {
            RunTolerance(built, settings, kGoOn);
        } catch (const EngineError&) {
            return true;
        }
        return false;
    };
    for (double percent : {-0.1, 20.01, std::numeric_limits<double>::quiet_NaN(), 1e300}) {
        ToleranceSettings r;
        r.resistorPercent = percent;
        EXPECT_TRUE(refused(r, network)) << percent;
        ToleranceSettings c;
        c.capacitorPercent = percent;
        EXPECT_TRUE(refused(c, network)) << percent;
    }
    ToleranceSettings edge;
    edge.resistorPercent = edge.capacitorPercent = 20;
    edge.builds = 1;
    edge.frequencies = 2;
    EXPECT_FALSE(refused(edge, network));
    for (int builds : {0, -1, 100'001}) {
        ToleranceSettings s;
        s.builds = builds;
        EXPECT_TRUE(refused(s, network)) << builds;
    }
    for (int frequencies : {1, 501}) {
        ToleranceSettings s;
        s.frequencies = frequencies;
        EXPECT_TRUE(refused(s, network)) << frequencies;
    }
    BuiltNetwork broken = network;
    broken.C1 = 0;
    EXPECT_TRUE(refused(ToleranceSettings{}, broken));
}

}  // namespace
