#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/BestBuild.h"
#include "engine/Response.h"
#include "engine/TransferPolynomials.h"

using namespace riaa;

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const std::atomic<bool> kGoOn{false};

BuiltNetwork DrivenRiaa() {
    NetworkState state;
    const CalculationOptions options{true, true};
    CalculateNetwork(state, CircuitKind::CompleteRiaaVersion1, options, MakeResistorList(), NumberLocale{});
    return MakeBuiltNetwork(state, CircuitKind::CompleteRiaaVersion1, options);
}

const OpAmp kRealOpAmp{false, 100, 10e6};

struct ReducedSpace {
    const char* name;
    BuiltNetwork network;
    BestBuildRequest request;
};

// A few capacitors and about two decades of resistors, around each design's own values.
std::vector<ReducedSpace> ReducedSpaces() {
    const auto request = [](PartRange caps, PartRange resistors, std::optional<double> gain = {}) {
        return BestBuildRequest{.capacitorSeries = SeriesKind::E6, .resistorSeries = SeriesKind::E12,
                                .capacitorRange = caps, .resistorRange = resistors, .count = 5, .gain1kHzDb = gain};
    };
    const ActiveStageRequest plain{.gain1kHzDb = 20, .highFrequencyZero = HighFrequencyZero::None, .opAmp = kRealOpAmp};
    ActiveStageRequest inverting = plain;
    inverting.stage = DesignKind::Inverting;
    inverting.scale = 2200;
    ActiveStageRequest twoStage = plain;
    twoStage.stage = DesignKind::TwoStage;
    twoStage.r3 = 3300;
    ActiveStageRequest loaded = twoStage;
    loaded.rl = 10e3;
    // Cout after the low-pass, where R3 counts apart from its time constant in the bass; each load
    // such that Cout is among the capacitors.
    ActiveStageRequest coupled = twoStage;
    coupled.rl = 170e3;
    coupled.curve.iecAmendment = true;
    ActiveStageRequest coupledSingle = plain;
    coupledSingle.rl = 1.7e6;
    coupledSingle.curve.iecAmendment = true;
    // The cartridge's drive in every bound, and its resonance's peak among the bound's frequencies.
    BuiltNetwork sourced = DesignActiveStage(plain);
    sourced.source = Cartridge{};
    return {
        {"passive", DrivenRiaa(), request({2.2e-3, 22e-3}, {10e3, 1e6})},
        {"non-inverting behind a cartridge", sourced, request({3.3e-3, 4.7e-3}, {1e3, 100e3})},
        {"non-inverting", DesignActiveStage(plain), request({3.3e-3, 4.7e-3}, {1e3, 100e3})},
        {"non-inverting, gain off", DesignActiveStage(plain), request({3.3e-3, 4.7e-3}, {1e3, 100e3}, 20.4)},
        {"inverting", DesignActiveStage(inverting), request({3.3e-3, 4.7e-3}, {1e3, 100e3})},
        // R3 and C3 chosen as one, with and without a load that makes R3 count apart from R3·C3.
        {"two stages", DesignActiveStage(twoStage), request({0.033, 0.05}, {1e3, 10e3})},
        {"two stages into a load", DesignActiveStage(loaded), request({0.033, 0.05}, {1e3, 10e3})},
        {"two stages with the IEC coupling", DesignActiveStage(coupled), request({0.033, 0.05}, {1e3, 10e3})},
        {"non-inverting with the IEC coupling", DesignActiveStage(coupledSingle), request({3.3e-3, 4.7e-3}, {1e3, 4.7e3})},
    };
}

struct Scored {
    double gridLargest;
    BuiltNetwork network;
};

// Every build of the space, each evaluated on its own: the largest |error| on the accuracy grid is a
// floor of what EvaluateAccuracy reports, so the reports are needed only down to the count-th best.
std::vector<double> BruteForce(const BuiltNetwork& network, const BestBuildRequest& request) {
    const std::vector<ElementKind> elements = BestBuildElements(network);
    const std::vector<double> caps = MakePartSeries(request.capacitorSeries, request.capacitorRange).values();
    const std::vector<double> resistors = MakePartSeries(request.resistorSeries, request.resistorRange).values();
    const Ratio target = TargetFunction(network);
    std::vector<Frequency> grid;
    for (const double hz : ErrorBandFrequencies(kErrorCurvePoints)) grid.push_back(MakeFrequency(hz));
    const Frequency reference = MakeFrequency(1000);
    std::vector<Scored> all;
    std::vector<std::size_t> at(elements.size(), 0);
    for (;;) {
        BuiltNetwork build = network;
        for (std::size_t d = 0; d < elements.size(); ++d) {
            build.set(elements[d], (IsCapacitor(elements[d]) ? caps : resistors)[at[d]]);
        }
        // The search lists one of a build and its mirror image.
        if (!IsMirroredFormA(build)) {
            const Ratio h = TransferFunction(build);
            const double ref = PowerRatio(h, reference) / PowerRatio(target, reference);
            double largest = 0;
            for (const Frequency& f : grid) {
                largest = std::max(largest, std::fabs(10 * std::log10(PowerRatio(h, f) / PowerRatio(target, f) / ref)));
            }
            all.push_back({largest, build});
        }
        std::size_t d = 0;
        while (d < elements.size() && ++at[d] == (IsCapacitor(elements[d]) ? caps : resistors).size()) at[d++] = 0;
        if (d == elements.size()) break;
    }
    std::sort(all.begin(), all.end(), [](const Scored& a, const Scored& b) { return a.gridLargest < b.gridLargest; });
    const std::optional<double> gain = network.kind == DesignKind::Passive
                                           ? std::nullopt
                                           : std::optional(request.gain1kHzDb.value_or(EvaluateAccuracy(network).lossAt1kHzDb));
    std::vector<double> best;
    const auto count = static_cast<std::size_t>(request.count);
    for (const Scored& s : all) {
        // Past the count-th best no report can come back under (a margin for the two ways of rounding).
        if (best.size() == count && s.gridLargest > best.back() + 1e-9) break;
        const AccuracyReport report = EvaluateAccuracy(s.network);
        if (gain && std::fabs(report.lossAt1kHzDb - *gain) > kBestBuildGainWindowDb) continue;
        best.push_back(std::fabs(report.largestErrorDb));
        std::sort(best.begin(), best.end());
        if (best.size() > count) best.pop_back();
    }
    return best;
}

std::vector<BestBuild> Found(const BuiltNetwork& network, const BestBuildRequest& request) {
    const auto builds = FindBestBuilds(network, request, kGoOn);
    if (!builds) throw std::logic_error("cancelled without being asked");
    return *builds;
}

std::vector<double> Errors(const std::vector<BestBuild>& builds) {
    std::vector<double> errors;
    for (const BestBuild& b : builds) errors.push_back(std::fabs(b.largestErrorDb));
    return errors;
}

TEST(BestBuild, FindsWhatBruteForceFinds) {
    for (const ReducedSpace& space : ReducedSpaces()) {
        SCOPED_TRACE(space.name);
        EXPECT_EQ(Errors(Found(space.network, space.request)), BruteForce(space.network, space.request));
    }
}

// Each build's figures are those of its parts evaluated apart, its gain within the rule, its parts
// from the series and within the range, and it improves on rounding each element alone.
TEST(BestBuild, ReportsWhatItsPartsGive) {
    for (const ReducedSpace& space : ReducedSpaces()) {
        SCOPED_TRACE(space.name);
        const std::vector<BestBuild> builds = Found(space.network, space.request);
        ASSERT_FALSE(builds.empty());
        const AccuracyReport designed = EvaluateAccuracy(space.network);
        for (const BestBuild& build : builds) {
            const AccuracyReport report = EvaluateAccuracy(WithBuild(space.network, build));
            EXPECT_EQ(build.largestErrorDb, report.largestErrorDb);
            EXPECT_EQ(build.gain1kHzDb, report.lossAt1kHzDb);
            if (space.network.kind != DesignKind::Passive) {
                EXPECT_LE(std::fabs(build.gain1kHzDb - space.request.gain1kHzDb.value_or(designed.lossAt1kHzDb)),
                          kBestBuildGainWindowDb);
            }
            ASSERT_EQ(build.parts.size(), BestBuildElements(space.network).size());
            for (const BestBuildPart& part : build.parts) {
                ASSERT_EQ(part.parts.size(), 1u);
                const bool cap = IsCapacitor(part.element);
                const PartSeries series = MakePartSeries(cap ? space.request.capacitorSeries : space.request.resistorSeries,
                                                         cap ? space.request.capacitorRange : space.request.resistorRange);
                EXPECT_EQ(series.round(part.value), part.value) << ElementName(part.element);
            }
        }
    }
}

// R3 and C3 of one time constant (10 Ω with 10 nF, 100 Ω with 1 nF) are one candidate of the
// search, whose time constants differ in the last bit: a search over a decade of capacitors ends,
// and lists what each pair gives.
TEST(BestBuild, SearchesPairsOfOneTimeConstant) {
    const BuiltNetwork stage = DesignActiveStage({.c0 = 100, .opAmp = kRealOpAmp});
    const BestBuildRequest request{.capacitorSeries = SeriesKind::E6, .resistorSeries = SeriesKind::E12,
                                   .capacitorRange = {1e-3, 10e-3}};
    const std::vector<BestBuild> builds = Found(stage, request);
    ASSERT_EQ(builds.size(), 10u);
    for (const BestBuild& build : builds) {
        EXPECT_EQ(build.largestErrorDb, EvaluateAccuracy(WithBuild(stage, build)).largestErrorDb);
    }
}

TEST(BestBuild, PairsAreNeverWorseThanSingleParts) {
    for (const ReducedSpace& space : ReducedSpaces()) {
        SCOPED_TRACE(space.name);
        BestBuildRequest request = space.request;
        const std::vector<BestBuild> single = Found(space.network, request);
        request.pairs = true;
        const std::vector<BestBuild> paired = Found(space.network, request);
        ASSERT_FALSE(paired.empty());
        EXPECT_LE(std::fabs(paired.front().largestErrorDb), std::fabs(single.front().largestErrorDb));
        for (const BestBuild& build : paired) {
            EXPECT_EQ(build.largestErrorDb, EvaluateAccuracy(WithBuild(space.network, build)).largestErrorDb);
            for (const BestBuildPart& part : build.parts) {
                double sum = 0;
                for (const double p : part.parts) sum += p;
                EXPECT_EQ(sum, part.value);
                EXPECT_LE(part.parts.size(), 2u);
            }
        }
    }
}

TEST(BestBuild, CancelledGivesNothing) {
    const BuiltNetwork stage = DesignActiveStage({.c0 = 100, .opAmp = kRealOpAmp});
    const BestBuildRequest whole{.resistorSeries = SeriesKind::E96};
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(FindBestBuilds(stage, whole, cancelled).has_value());

    std::atomic<bool> cancel{false};
    BestBuildProgress progress;
    std::thread watcher([&] {
        while (progress.total.load() == 0) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        cancel = true;
    });
    const auto builds = FindBestBuilds(stage, whole, cancel, &progress);
    watcher.join();
    EXPECT_FALSE(builds.has_value());
    EXPECT_LT(progress.done.load(), progress.total.load());
}

TEST(BestBuild, RefusesRequestsOutOfRange) {
    struct Case {
        BestBuildRequest request;
        const char* message;
    };
    const std::vector<Case> cases{
        {{.capacitorSeries = SeriesKind::E48}, "The capacitors' series must be E6, E12 or E24"},
        {{.resistorSeries = SeriesKind::E6}, "The resistors' series must be one of E12 to E192"},
        {{.capacitorRange = {0.1, 0.1}}, "The capacitor range's low end must be above zero and below its high end"},
        {{.resistorRange = {0, 100}}, "The resistor range's low end must be above zero and below its high end"},
        {{.count = 0}, "The number of builds must be between 1 and 1000"},
        {{.count = 1001}, "The number of builds must be between 1 and 1000"},
        {{.capacitorRange = {2e-3, 2.1e-3}}, "No capacitor of the series lies within the range"},
    };
    for (const Case& c : cases) {
        try {
            FindBestBuilds(DrivenRiaa(), c.request, kGoOn);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

}  // namespace
