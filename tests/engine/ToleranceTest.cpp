#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/MersenneTwister.h"
#include "engine/PartSeries.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"
#include "engine/TransferPolynomials.h"

using namespace riaa;

// Stages are asked for by the fields that differ from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const std::atomic<bool> kGoOn{false};

// Circuit 4 at C1 = 10 nF with R1 and R2 rounded to E24, so the nominal build is a little off.
BuiltNetwork RoundedRiaa() {
    NetworkState state;
    CalculateNetwork(state, CircuitKind::CompleteRiaaVersion1, {}, MakeResistorList(), NumberLocale{});
    BuiltNetwork network = MakeBuiltNetwork(state, CircuitKind::CompleteRiaaVersion1, {});
    const PartSeries e24 = MakePartSeries(SeriesKind::E24, kResistorRange);
    network.set(ElementKind::R1, e24.round(network.value(ElementKind::R1)));
    network.set(ElementKind::R2, e24.round(network.value(ElementKind::R2)));
    return network;
}

ToleranceResult RunFinished(const BuiltNetwork& network, const ToleranceSettings& settings) {
    const auto result = RunTolerance(network, settings, kGoOn);
    if (!result) throw std::logic_error("cancelled without being asked");
    return *result;
}

std::vector<double> Figures(const ToleranceResult& r) {
    std::vector<double> all{r.p50Db, r.p95Db, r.p99Db};
    for (const ToleranceBandPoint& point : r.band) all.insert(all.end(), {point.lowerDb, point.upperDb});
    return all;
}

// The runs build the transfer functions of eight builds side by side: each lane must be exactly
// what its build alone gives, whatever the design's parts, drive and op-amp.
TEST(Tolerance, BuildsSideBySideAreEachBuildAlone) {
    using Stage = ActiveStageRequest;
    const OpAmp real{false, 100, 10e6};
    BuiltNetwork driven = RoundedRiaa();
    driven.set(ElementKind::Rs, 1000);
    driven.source = Cartridge{};
    std::vector<BuiltNetwork> designs{RoundedRiaa(), driven,
        DesignActiveStage({.c0 = 100, .opAmp = real}),
        DesignActiveStage({.form = NetworkForm::D, .highFrequencyZero = HighFrequencyZero::None, .rl = 10'000,
                           .curve = {.iecAmendment = true}}),
        DesignActiveStage({.stage = DesignKind::Inverting, .form = NetworkForm::C, .c0 = 47, .opAmp = real}),
        DesignActiveStage({.stage = DesignKind::TwoStage, .scale = 470, .rl = 4700})};
    for (const Stage& s : {Stage{.form = NetworkForm::B, .c0 = 100}, Stage{.stage = DesignKind::Inverting}}) {
        designs.push_back(DesignActiveStage(s));
        designs.back().source = Cartridge{};
    }
    for (std::size_t d = 0; d < designs.size(); ++d) {
        const BuiltNetwork& network = designs[d];
        const PartValues<double> designed = DesignedValues(network);
        PartValues<Lanes> lanes;
        std::array<PartValues<double>, Lanes::kCount> alone;
        for (std::size_t i = 0; i < Lanes::kCount; ++i) {
            alone[i] = designed;
            for (std::size_t e = 0; e < alone[i].values.size(); ++e) alone[i].values[e] *= 1 + 0.013 * double(i * e % 7) - 0.03;
            alone[i].loadCapacitancePf *= 1 + 0.1 * double(i);
            for (std::size_t e = 0; e < alone[i].values.size(); ++e) lanes.values[e].v[i] = alone[i].values[e];
            lanes.loadCapacitancePf.v[i] = alone[i].loadCapacitancePf;
        }
        const BasicRatio<Lanes> side = TransferFunction(network, lanes);
        for (std::size_t i = 0; i < Lanes::kCount; ++i) {
            const Ratio h = TransferFunction(network, alone[i]);
            ASSERT_GT(h.den.Degree(), 0) << d;
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                EXPECT_EQ(side.num.c[k].v[i], h.num.c[k]) << d << " lane " << i << " s^" << k;
                EXPECT_EQ(side.den.c[k].v[i], h.den.c[k]) << d << " lane " << i << " s^" << k;
            }
        }
    }
}

// The runs' generator makes the standard engine's numbers, across several refills of its state.
TEST(Tolerance, GeneratorIsTheStandardMersenneTwister) {
    for (const std::uint64_t seed : {std::uint64_t{0}, std::uint64_t{1}, ToleranceSettings{}.seed, ~std::uint64_t{0}}) {
        std::mt19937_64 standard(seed);
        MersenneTwister64 ours(seed);
        for (std::size_t i = 0; i < 3 * MersenneTwister64::kStateSize + 1; ++i) ASSERT_EQ(ours(), standard()) << seed << " " << i;
    }
}

TEST(Tolerance, SameSeedSameFiguresOnAnyNumberOfThreads) {
    for (ToleranceDistribution distribution : {ToleranceDistribution::Uniform, ToleranceDistribution::Normal}) {
        ToleranceSettings settings;
        settings.distribution = distribution;
        settings.builds = 3000;  // not a whole number of chunks
        settings.threads = 1;
        const std::vector<double> one = Figures(RunFinished(RoundedRiaa(), settings));
        for (unsigned threads : {2u, 5u}) {
            settings.threads = threads;
            EXPECT_EQ(Figures(RunFinished(RoundedRiaa(), settings)), one) << threads;
        }
        settings.seed += 1;
        EXPECT_NE(Figures(RunFinished(RoundedRiaa(), settings)), one);
    }
}

TEST(Tolerance, PercentilesAloneMatchTheFullRun) {
    ToleranceSettings settings;
    settings.builds = 3000;
    const ToleranceResult full = RunFinished(RoundedRiaa(), settings);
    settings.band = false;
    const ToleranceResult alone = RunFinished(RoundedRiaa(), settings);
    EXPECT_TRUE(alone.band.empty());
    EXPECT_EQ(std::vector<double>({alone.p50Db, alone.p95Db, alone.p99Db, alone.nominalLargestErrorDb}),
              std::vector<double>({full.p50Db, full.p95Db, full.p99Db, full.nominalLargestErrorDb}));
    // By nearest rank, of two builds the 50th percentile is the smaller error (the first build's
    // with this seed) and the 95th the larger; no mean between them.
    settings.builds = 1;
    const ToleranceResult first = RunFinished(RoundedRiaa(), settings);
    settings.builds = 2;
    const ToleranceResult two = RunFinished(RoundedRiaa(), settings);
    EXPECT_LT(two.p50Db, two.p95Db);
    EXPECT_EQ(two.p50Db, first.p50Db);
}

TEST(Tolerance, WithoutToleranceEveryBuildIsTheNominalOne) {
    ToleranceSettings settings;
    settings.resistorPercent = settings.capacitorPercent = 0;
    settings.builds = 500;
    const ToleranceResult result = RunFinished(RoundedRiaa(), settings);
    const double nominal = std::fabs(EvaluateAccuracy(RoundedRiaa()).largestErrorDb);
    ASSERT_GT(nominal, 0.05);
    // 200 frequencies here; the accuracy report samples 500 and finds the peak between them.
    EXPECT_NEAR(result.nominalLargestErrorDb, nominal, 0.002);
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
    ToleranceSettings settings;
    settings.builds = 2000;
    ToleranceResult previous;
    for (double percent : {0.5, 1.0, 2.0, 5.0, 10.0}) {
        settings.resistorPercent = settings.capacitorPercent = percent;
        const ToleranceResult result = RunFinished(RoundedRiaa(), settings);
        EXPECT_LE(result.p50Db, result.p95Db);
        EXPECT_LE(result.p95Db, result.p99Db);
        EXPECT_GT(result.p50Db, previous.p50Db) << percent;
        EXPECT_GT(result.p99Db, previous.p99Db) << percent;
        for (const ToleranceBandPoint& point : result.band) {
            EXPECT_LE(point.lowerDb, point.nominalDb + 1e-6) << point.hz;
            EXPECT_GE(point.upperDb, point.nominalDb - 1e-6) << point.hz;
        }
        // At 20 Hz, far from the 1 kHz the errors are taken from, the band widens most.
        const auto width = [](const ToleranceResult& r) { return r.band.empty() ? 0 : r.band[0].upperDb - r.band[0].lowerDb; };
        EXPECT_GT(width(result), width(previous)) << percent;
        previous = result;
    }
}

// With one toleranced resistor in a low-pass the largest error is a function g of its deviation,
// so the percentiles are g at the quantiles of |deviation|: uniform on [0, t], or |normal| at σ = t/2.
TEST(Tolerance, DrawsFromTheChosenDistribution) {
    BuiltNetwork lowPass;
    lowPass.set(ElementKind::C1, 0.01);
    lowPass.set(ElementKind::R1, 318000);
    ToleranceSettings exact;
    exact.resistorPercent = exact.capacitorPercent = 0;
    exact.builds = 1;
    const auto g = [&](double deviation) {
        BuiltNetwork up = lowPass, down = lowPass;
        up.set(ElementKind::R1, up.value(ElementKind::R1) * (1 + deviation));
        down.set(ElementKind::R1, down.value(ElementKind::R1) * (1 - deviation));
        return (RunFinished(up, exact).nominalLargestErrorDb + RunFinished(down, exact).nominalLargestErrorDb) / 2;
    };
    for (const auto& [distribution, q50, q95, q99] :
         {std::tuple{ToleranceDistribution::Uniform, 0.5, 0.95, 0.99},
          std::tuple{ToleranceDistribution::Normal, 0.6745 / 2, 1.95996 / 2, 2.5758 / 2}}) {
        ToleranceSettings settings;
        settings.distribution = distribution;
        settings.resistorPercent = 5;
        settings.capacitorPercent = 0;
        const ToleranceResult result = RunFinished(lowPass, settings);
        EXPECT_NEAR(result.p50Db / g(0.05 * q50), 1, 0.03);
        EXPECT_NEAR(result.p95Db / g(0.05 * q95), 1, 0.03);
        EXPECT_NEAR(result.p99Db / g(0.05 * q99), 1, 0.03);
    }
    // The error is monotonic in R1, so the band's edges, the 2.5th and 97.5th percentiles, are the
    // builds at R1 × (1 ∓ 0.95 × 5 %) when R1 is uniform.
    ToleranceSettings uniform;
    uniform.resistorPercent = 5;
    uniform.capacitorPercent = 0;
    const ToleranceResult result = RunFinished(lowPass, uniform);
    BuiltNetwork low = lowPass, high = lowPass;
    low.set(ElementKind::R1, lowPass.value(ElementKind::R1) * (1 - 0.95 * 0.05));
    high.set(ElementKind::R1, lowPass.value(ElementKind::R1) * (1 + 0.95 * 0.05));
    const ToleranceResult atLow = RunFinished(low, exact), atHigh = RunFinished(high, exact);
    for (std::size_t f : {std::size_t{0}, result.band.size() - 1}) {
        const double a = atLow.band[f].nominalDb, b = atHigh.band[f].nominalDb;
        EXPECT_NEAR(result.band[f].lowerDb / std::min(a, b), 1, 0.01) << result.band[f].hz;
        EXPECT_NEAR(result.band[f].upperDb / std::max(a, b), 1, 0.01) << result.band[f].hz;
    }
}

TEST(Tolerance, CancellationStopsTheRun) {
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(RunTolerance(RoundedRiaa(), ToleranceSettings{}, cancelled).has_value());
    ToleranceSettings percentilesOnly;
    percentilesOnly.band = false;
    EXPECT_FALSE(RunTolerance(RoundedRiaa(), percentilesOnly, cancelled).has_value());
    ToleranceSettings settings;
    settings.builds = 100'000;
    std::atomic<bool> cancel{false};
    std::thread stopper([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancel = true;
    });
    EXPECT_FALSE(RunTolerance(RoundedRiaa(), settings, cancel).has_value());
    stopper.join();
}

// A flag set and cleared again while a run gathers its band must not leave the band half made: each
// run gives nothing or exactly what an undisturbed run gives.
TEST(Tolerance, CancelledWhileGatheringGivesNothingOrTheWholeRun) {
    ToleranceSettings settings;
    settings.builds = 2000;
    settings.frequencies = kMaxToleranceFrequencies;
    const std::vector<double> whole = Figures(RunFinished(RoundedRiaa(), settings));
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::thread flicker([&] {
        while (!done) {
            cancel = true;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            cancel = false;
            std::this_thread::sleep_for(std::chrono::microseconds(150));
        }
    });
    for (int run = 0; run < 40; ++run) {
        const auto result = RunTolerance(RoundedRiaa(), settings, cancel);
        if (result) {
            EXPECT_EQ(Figures(*result), whole);
        }
    }
    done = true;
    flicker.join();
}

// The band's edges of a first-order low-pass whose R1 alone is drawn, uniformly within ±t: its error
// is monotonic in R1, so the edges are the errors of R1 × (1 ∓ 0.95 t), worked out here in closed form.
TEST(Tolerance, BandEdgesOfALowPassFollowTheClosedForm) {
    struct Case {
        CircuitKind circuit;
        double targetUs;
        double percent;
        std::size_t point;
    };
    for (const Case& c : {Case{CircuitKind::LowPass50Hz, 3180, 5, 0}, Case{CircuitKind::LowPass50Hz, 3180, 5, 199},
                          Case{CircuitKind::LowPass2122Hz, 75, 2, 0}, Case{CircuitKind::LowPass2122Hz, 75, 2, 199},
                          Case{CircuitKind::LowPass2122Hz, 75, 10, 150}}) {
        NetworkState state;
        CalculateNetwork(state, c.circuit, {}, MakeResistorList(), NumberLocale{});
        const BuiltNetwork network = MakeBuiltNetwork(state, c.circuit, {});
        ToleranceSettings settings;
        settings.resistorPercent = c.percent;
        settings.capacitorPercent = 0;
        const ToleranceResult result = RunFinished(network, settings);
        const ToleranceBandPoint& point = result.band[c.point];
        const double tau = network.value(ElementKind::R1) * network.value(ElementKind::C1);
        const auto errorDb = [&](double factor) {
            const auto level = [&](double hz) {
                const double w = 2 * std::numbers::pi * hz * 1e-6;
                return std::log10((1 + w * w * c.targetUs * c.targetUs) / (1 + w * w * factor * factor * tau * tau));
            };
            return 10 * (level(point.hz) - level(1000));
        };
        const double a = errorDb(1 - 0.95 * c.percent / 100);
        const double b = errorDb(1 + 0.95 * c.percent / 100);
        SCOPED_TRACE(point.hz);
        EXPECT_NEAR(point.lowerDb / std::min(a, b), 1, 0.01);
        EXPECT_NEAR(point.upperDb / std::max(a, b), 1, 0.01);
    }
}

TEST(Tolerance, RefusesWhatCannotBeRun) {
    const auto refused = [](double rPercent, double cPercent, int builds, int frequencies, double c1) {
        ToleranceSettings s;
        s.resistorPercent = rPercent;
        s.capacitorPercent = cPercent;
        s.builds = builds;
        s.frequencies = frequencies;
        BuiltNetwork network = RoundedRiaa();
        network.set(ElementKind::C1, c1);
        try {
            RunTolerance(network, s, kGoOn);
        } catch (const EngineError&) {
            return true;
        }
        return false;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(refused(20, 20, 1, 2, 0.01));
    for (double percent : {-0.1, 20.01, nan}) {
        EXPECT_TRUE(refused(percent, 1, 10, 200, 0.01)) << percent;
        EXPECT_TRUE(refused(1, percent, 10, 200, 0.01)) << percent;
    }
    EXPECT_TRUE(refused(1, 1, 0, 200, 0.01));
    EXPECT_TRUE(refused(1, 1, 100'001, 200, 0.01));
    EXPECT_TRUE(refused(1, 1, 10, 1, 0.01));
    EXPECT_TRUE(refused(1, 1, 10, 501, 0.01));
    EXPECT_TRUE(refused(1, 1, 10, 200, 0));
}

}  // namespace
