#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <optional>

#include "engine/Circuits.h"
#include "engine/Netlist.h"
#include "engine/PartSums.h"
#include "engine/PartSeries.h"
#include "engine/Response.h"
#include "tests/engine/DirectTransfer.h"

using namespace riaa;

namespace {
const NumberLocale kPoint{};
const NumberLocale kComma{",", "."};
using Complex = std::complex<double>;
using E = ElementKind;

// A passive network from its parts; an element the circuit lacks is left out whatever its value.
BuiltNetwork Net(CircuitKind circuit, double c1, double c2, double r1, double r2, std::optional<double> rs,
                 std::optional<double> rl) {
    BuiltNetwork n;
    n.circuit = circuit;
    n.set(E::C1, c1);
    n.set(E::R1, r1);
    if (HasElement(Row(circuit), E::C2)) n.set(E::C2, c2);
    if (HasElement(Row(circuit), E::R2)) n.set(E::R2, r2);
    if (rs) n.set(E::Rs, *rs);
    if (rl) n.set(E::RL, *rl);
    return n;
}

// The network that a calculation at this C1 and these options leaves in the state, with R1 and R2
// rounded to a series if one is given.
BuiltNetwork Designed(CircuitKind circuit, double c1, CalculationOptions calculated = {},
                      CalculationOptions inCircuit = {}, std::optional<SeriesKind> rounded = {}) {
    NetworkState state;
    state.CircuitC1[static_cast<std::size_t>(circuit)] = c1;
    CalculateNetwork(state, circuit, calculated, MakeResistorList(), kPoint);
    if (rounded) {
        const PartSeries series = MakePartSeries(*rounded, kResistorRange);
        state.R1 = series.round(state.R1);
        state.R2 = series.round(state.R2);
    }
    return MakeBuiltNetwork(state, circuit, inCircuit);
}

// Each topology against its transfer function worked out by hand, at parts off the design relations.
struct ClosedFormCase {
    const char* name;
    BuiltNetwork network;
    std::function<Complex(const BuiltNetwork&, Complex)> h;
};
TEST(NetworkTransfer, MatchesTheHandDerivedFormOfEachTopology) {
    const double c1 = 0.047, c2 = 0.015, r1 = 47000, r2 = 5600, rs = 2200, rl = 100000;
    const ClosedFormCase cases[] = {
        {"low-pass with Rs and RL", Net(CircuitKind::LowPass50Hz, c1, 0, r1, 0, rs, rl),
         [](const BuiltNetwork& n, Complex s) {
             return n.value(E::RL) / ((n.value(E::R1) + n.value(E::Rs)) * (1.0 + s * n.value(E::RL) * n.value(E::C1)) + n.value(E::RL));
         }},
        {"low-pass", Net(CircuitKind::LowPass2122Hz, c1, 0, r1, 0, {}, {}),
         [](const BuiltNetwork& n, Complex s) { return 1.0 / (1.0 + s * n.value(E::R1) * n.value(E::C1)); }},
        {"shelf, R2 and C1 to ground", Net(CircuitKind::Shelving50To500Hz, c1, 0, r1, r2, {}, {}),
         [](const BuiltNetwork& n, Complex s) {
             return (1.0 + s * n.value(E::R2) * n.value(E::C1)) / (1.0 + s * (n.value(E::R1) + n.value(E::R2)) * n.value(E::C1));
         }},
        {"shelf, R2 beside C1 in series, with Rs", Net(CircuitKind::Shelving500To2122Hz, c1, 0, r1, r2, rs, {}),
         [](const BuiltNetwork& n, Complex s) {
             return n.value(E::R1) * (1.0 + s * n.value(E::R2) * n.value(E::C1)) / ((n.value(E::R1) + n.value(E::Rs)) * (1.0 + s * n.value(E::R2) * n.value(E::C1)) + n.value(E::R2));
         }},
        {"version 1", Net(CircuitKind::CompleteRiaaVersion1, c1, c2, r1, r2, {}, {}),
         [](const BuiltNetwork& n, Complex s) {
             return (1.0 + s * n.value(E::R2) * n.value(E::C1)) /
                    (1.0 + s * (n.value(E::R1) * n.value(E::C1) + n.value(E::R1) * n.value(E::C2) + n.value(E::R2) * n.value(E::C1)) + s * s * n.value(E::R1) * n.value(E::R2) * n.value(E::C1) * n.value(E::C2));
         }},
        {"version 2", Net(CircuitKind::CompleteRiaaVersion2, c1, c2, r1, r2, {}, {}),
         [](const BuiltNetwork& n, Complex s) {
             return (1.0 + s * n.value(E::R2) * (n.value(E::C1) + n.value(E::C2))) /
                    (1.0 + s * (n.value(E::R2) * n.value(E::C1) + n.value(E::R2) * n.value(E::C2) + n.value(E::R1) * n.value(E::C1)) + s * s * n.value(E::R1) * n.value(E::R2) * n.value(E::C1) * n.value(E::C2));
         }},
    };
    for (const ClosedFormCase& c : cases) {
        for (const double hz : {20.0, 1000.0, 20000.0}) {
            const Complex s(0, 2 * std::numbers::pi * hz * 1e-6);
            const Complex expected = c.h(c.network, s);
            EXPECT_LT(std::abs(NetworkTransfer(c.network, hz) / expected - 1.0), 1e-12) << c.name << " at " << hz;
        }
    }
}

TEST(NetworkTransfer, TargetsHaveTheRiaaTimeConstants) {
    const Complex s(0, 2 * std::numbers::pi * 1000 * 1e-6);
    const Complex riaa = (1.0 + s * 318.0) / ((1.0 + s * 3180.0) * (1.0 + s * 75.0));
    EXPECT_LT(std::abs(TargetTransfer(CircuitKind::CompleteRiaaVersion2, 1000) / riaa - 1.0), 1e-14);
    EXPECT_LT(std::abs(TargetTransfer(CircuitKind::Shelving500To2122Hz, 1000) / ((1.0 + s * 318.0) / (1.0 + s * 75.0)) -
                       1.0),
              1e-14);
    EXPECT_EQ(TargetTransfer(CircuitKind::LowPass50Hz, 0), Complex(1));
}

// The largest error of networks from the calculation, with Rs and RL in circuit or not.
struct AccuracyCase {
    const char* name;
    CircuitKind circuit;
    double c1;
    CalculationOptions calculated;
    CalculationOptions inCircuit;
    double largestErrorDb;
    double tolerance;
    std::optional<SeriesKind> rounded = {};
};
class Accuracy : public ::testing::TestWithParam<AccuracyCase> {};
TEST_P(Accuracy, LargestError) {
    const AccuracyCase& c = GetParam();
    const BuiltNetwork network = Designed(c.circuit, c.c1, c.calculated, c.inCircuit, c.rounded);
    const AccuracyReport report = EvaluateAccuracy(network);
    EXPECT_NEAR(report.largestErrorDb, c.largestErrorDb, c.tolerance);
    ASSERT_EQ(report.errorCurve.size(), static_cast<std::size_t>(kErrorCurvePoints));
    for (const ErrorPoint& p : report.errorCurve) EXPECT_LE(std::fabs(p.errorDb), std::fabs(report.largestErrorDb));
    // The peak between the samples, as a scan 200 times denser finds it, and where it lies.
    const auto errorDb = [&](double hz) {
        return 20 * std::log10(std::abs(NetworkTransfer(network, hz) / TargetTransfer(c.circuit, hz) /
                                        (NetworkTransfer(network, 1000) / TargetTransfer(c.circuit, 1000))));
    };
    double peak = 0;
    for (int i = 0; i <= 100'000; ++i) {
        const double error = errorDb(kErrorBandLowHz * std::pow(kErrorBandHighHz / kErrorBandLowHz, i / 100'000.0));
        if (std::fabs(error) > std::fabs(peak)) peak = error;
    }
    EXPECT_NEAR(report.largestErrorDb, peak, 1e-8);
    EXPECT_NEAR(errorDb(report.largestErrorHz), peak, 1e-8);
}
constexpr CalculationOptions kBoth{true, true, false};
INSTANTIATE_TEST_SUITE_P(
    Circuits, Accuracy,
    ::testing::Values(AccuracyCase{"c0", CircuitKind::LowPass50Hz, 0.01, {}, {}, 0, 1e-6},
                      AccuracyCase{"c1", CircuitKind::LowPass2122Hz, 0.01, {}, {}, 0, 1e-6},
                      AccuracyCase{"c2", CircuitKind::Shelving50To500Hz, 0.01, {}, {}, 0, 1e-6},
                      AccuracyCase{"c4", CircuitKind::CompleteRiaaVersion1, 0.1, {}, {}, 0, 1e-6},
                      AccuracyCase{"c5", CircuitKind::CompleteRiaaVersion2, 0.1, {}, {}, 0, 1e-6},
                      AccuracyCase{"c5 corrected", CircuitKind::CompleteRiaaVersion2, 0.01, kBoth, kBoth, 0, 1e-6},
                      // R2/R1 = 3.244 puts the pole at 74.93 µs, so the top of the band rises a little.
                      AccuracyCase{"c3", CircuitKind::Shelving500To2122Hz, 0.01, {}, {}, 0.0066, 0.0001},
                      AccuracyCase{"c3 corrected", CircuitKind::Shelving500To2122Hz, 0.01, kBoth, kBoth, 0.0066, 0.0001},
                      AccuracyCase{"c4 uncorrected", CircuitKind::CompleteRiaaVersion1, 0.01, {}, kBoth, -1.38, 0.005},
                      AccuracyCase{"c0 uncorrected RL", CircuitKind::LowPass50Hz, 0.01, {}, {true, false, false},
                                   -2.13, 0.002},
                      // 300k and 33k peak at 165.72 Hz, 1e-6 dB beyond the nearest sample.
                      AccuracyCase{"c2 on E24", CircuitKind::Shelving50To500Hz, 0.01, {}, {}, -0.1951686, 1e-7,
                                   SeriesKind::E24}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(Accuracy, PolesAndZerosFromTheRationalFunction) {
    // Designed values land on the targets.
    for (const CircuitKind circuit : {CircuitKind::LowPass50Hz, CircuitKind::Shelving50To500Hz,
                                      CircuitKind::CompleteRiaaVersion1, CircuitKind::CompleteRiaaVersion2}) {
        const AccuracyReport r = EvaluateAccuracy(Designed(circuit, 0.022, kBoth, kBoth));
        ASSERT_EQ(r.realisedPolesUs.size(), r.targetPolesUs.size());
        ASSERT_EQ(r.realisedZerosUs.size(), r.targetZerosUs.size());
        for (std::size_t i = 0; i < r.targetPolesUs.size(); ++i) {
            EXPECT_NEAR(r.realisedPolesUs[i], r.targetPolesUs[i], r.targetPolesUs[i] * 1e-9);
        }
        for (std::size_t i = 0; i < r.targetZerosUs.size(); ++i) {
            EXPECT_NEAR(r.realisedZerosUs[i], r.targetZerosUs[i], r.targetZerosUs[i] * 1e-9);
        }
    }
    // Off the relations, the two poles of version 1 are the roots of 1 + s(R1C1 + R1C2 + R2C1) + s²R1R2C1C2.
    const BuiltNetwork n = Net(CircuitKind::CompleteRiaaVersion1, 0.047, 0.015, 47000, 5600, {}, {});
    const AccuracyReport r = EvaluateAccuracy(n);
    ASSERT_EQ(r.realisedPolesUs.size(), 2u);
    EXPECT_LT(r.realisedPolesUs[0], r.realisedPolesUs[1]);
    EXPECT_NEAR(r.realisedPolesUs[0] + r.realisedPolesUs[1], n.value(E::R1) * n.value(E::C1) + n.value(E::R1) * n.value(E::C2) + n.value(E::R2) * n.value(E::C1), 1e-8);
    EXPECT_NEAR(r.realisedPolesUs[0] * r.realisedPolesUs[1], n.value(E::R1) * n.value(E::R2) * n.value(E::C1) * n.value(E::C2), 1e-6);
    ASSERT_EQ(r.realisedZerosUs.size(), 1u);
    EXPECT_DOUBLE_EQ(r.realisedZerosUs[0], n.value(E::R2) * n.value(E::C1));
    EXPECT_EQ(r.targetPolesUs, (std::vector<double>{75, 3180}));
    // Circuit 3 with Rs and RL corrected keeps the pole that it has with neither.
    EXPECT_NEAR(EvaluateAccuracy(Designed(CircuitKind::Shelving500To2122Hz, 0.01, kBoth, kBoth)).realisedPolesUs.at(0),
                74.9293, 1e-4);
}

TEST(Accuracy, CurveAndLossFollowTheTransferFunction) {
    // Rounded parts with an uncorrected source: an error that changes sign inside the band.
    BuiltNetwork n = Designed(CircuitKind::CompleteRiaaVersion2, 0.047, {false, false, true}, kBoth);
    const AccuracyReport r = EvaluateAccuracy(n);
    const auto levelDb = [&](double hz) {
        return 20 * std::log10(std::abs(NetworkTransfer(n, hz) / TargetTransfer(n.circuit, hz)));
    };
    EXPECT_DOUBLE_EQ(r.errorCurve.front().hz, 20);
    EXPECT_DOUBLE_EQ(r.errorCurve.back().hz, 20000);
    const double ratio = r.errorCurve[1].hz / r.errorCurve[0].hz;
    EXPECT_NEAR(ratio, std::pow(1000.0, 1.0 / (kErrorCurvePoints - 1)), 1e-12);
    for (std::size_t i = 0; i < r.errorCurve.size(); i += 37) {
        EXPECT_NEAR(r.errorCurve[i].errorDb, levelDb(r.errorCurve[i].hz) - levelDb(1000), 1e-9) << i;
    }
    EXPECT_NEAR(r.largestErrorDb, levelDb(r.largestErrorHz) - levelDb(1000), 1e-9);
    EXPECT_NEAR(r.lossAt1kHzDb, 20 * std::log10(std::abs(NetworkTransfer(n, 1000))), 1e-9);
    EXPECT_LT(r.lossAt1kHzDb, -19);
    EXPECT_EQ(EvaluateAccuracy(n, 3).errorCurve.size(), 3u);
    EXPECT_EQ(EvaluateAccuracy(n, 0).errorCurve.size(), 2u);
}

TEST(Accuracy, RefusesNetworksThatCannotBeBuilt) {
    struct Refusal {
        BuiltNetwork network;
        const char* message;
    };
    const double inf = HUGE_VAL;
    const Refusal refusals[] = {
        {Net(CircuitKind::LowPass50Hz, 0.01, 0, -1, 0, {}, {}), "This network cannot be built: R1 is negative"},
        {Net(CircuitKind::Shelving50To500Hz, 0.01, 0, 1000, -5, {}, {}), "This network cannot be built: R2 is negative"},
        {Net(CircuitKind::LowPass50Hz, 0.01, 0, 1000, 0, -1.0, {}), "This network cannot be built: Rs is negative"},
        {Net(CircuitKind::LowPass50Hz, 0, 0, 1000, 0, {}, {}), "C1 must be greater than zero"},
        {Net(CircuitKind::CompleteRiaaVersion1, 0.1, 0, 1000, 100, {}, {}), "C2 must be greater than zero"},
        {Net(CircuitKind::Shelving500To2122Hz, 0.01, 0, 0, 1000, {}, {}), "R1 must be greater than zero"},
        {Net(CircuitKind::LowPass50Hz, 0.01, 0, 1000, 0, {}, 0.0), "RL must be greater than zero"},
        {Net(CircuitKind::LowPass50Hz, 0.01, 0, inf, 0, {}, {}), "R1 must be a finite value"},
        {Net(CircuitKind::CompleteRiaaVersion2, std::nan(""), 0.1, 1000, 100, {}, {}), "C1 must be a finite value"},
        {Net(CircuitKind::CompleteRiaaVersion1, 1e300, 1e300, 1e300, 1e300, {}, {}), "Floating point overflow"},
    };
    for (const Refusal& r : refusals) {
        try {
            EvaluateAccuracy(r.network);
            ADD_FAILURE() << r.message << ": accepted";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), r.message);
        }
    }
    // A wire is a part too: with R1 = Rs corrected away, Rs·C1 makes the pole.
    const AccuracyReport wire = EvaluateAccuracy(Net(CircuitKind::LowPass50Hz, 0.01, 0, 0, 0, 318000.0, {}));
    EXPECT_EQ(wire.realisedPolesUs, std::vector<double>{3180});
    // Parts the circuit lacks are not looked at.
    EXPECT_NO_THROW(EvaluateAccuracy(Net(CircuitKind::LowPass50Hz, 0.01, -1, 318000, -1, {}, {})));
}

TEST(BuiltNetwork, TakesRsAndRLAsTheOptionsInclude) {
    NetworkState state{0.1, 0.03, {}, 21870, 3180, 47000, 600};
    const BuiltNetwork both = MakeBuiltNetwork(state, CircuitKind::CompleteRiaaVersion1, kBoth);
    EXPECT_EQ(both.value(E::Rs), 600);
    EXPECT_EQ(both.value(E::RL), 47000);
    EXPECT_EQ(both.value(E::C2), 0.03);
    const BuiltNetwork none = MakeBuiltNetwork(state, CircuitKind::LowPass50Hz, {});
    EXPECT_FALSE(none.value(E::Rs) || none.value(E::RL));
    EXPECT_EQ(none.value(E::C2), 0);
    EXPECT_EQ(none.value(E::R2), 0);
    EXPECT_EQ(MakeBuiltNetwork(state, CircuitKind::Shelving50To500Hz, {false, true, false}).value(E::Rs), 600);
}

struct SumCase {
    const char* text;
    const NumberLocale* locale;
    double value;
};
TEST(PartSums, ResistorsInSeriesAdd) {
    for (const SumCase& c : {SumCase{"27k+820", &kPoint, 27820}, SumCase{" 4.7k ", &kPoint, 4700},
                             SumCase{"4,7k + 2,2M", &kComma, 2204700}, SumCase{"1e+3+1E3", &kPoint, 2000},
                             SumCase{"1E+3", &kPoint, 1000},
                             SumCase{"100+0.5", &kPoint, 100.5}, SumCase{"1,5", &kComma, 1.5}}) {
        EXPECT_DOUBLE_EQ(ParseResistorSum(c.text, *c.locale), c.value) << c.text;
    }
}

TEST(PartSums, CapacitorsInParallelAdd) {
    for (const SumCase& c : {SumCase{"3.3n+120p", &kPoint, 0.00342}, SumCase{"0.01", &kPoint, 0.01},
                             SumCase{"0,047u", &kComma, 0.047}, SumCase{"47n + 2,2nF", &kComma, 0.0492},
                             SumCase{"1\u00B5+1\u03BCF", &kPoint, 2}, SumCase{"3.3 n", &kPoint, 0.0033},
                             SumCase{"100pF+1e-3", &kPoint, 0.0011}}) {
        EXPECT_NEAR(ParseCapacitorSum(c.text, *c.locale), c.value, c.value * 1e-12) << c.text;
    }
}

TEST(PartSums, BadTextNamesThePart) {
    struct Bad {
        bool capacitor;
        const char* text;
        const NumberLocale* locale;
        const char* message;
    };
    for (const Bad& b : {Bad{false, "4x7", &kPoint, "'4x7' is not a valid floating point value"},
                         Bad{false, "27k+4x7k", &kPoint, "'4x7k' is not a valid floating point value"},
                         Bad{false, "27k+", &kPoint, "'27k+' is not a valid floating point value"},
                         Bad{false, "+5", &kPoint, "'+5' is not a valid floating point value"},
                         Bad{false, "", &kPoint, "'' is not a valid floating point value"},
                         Bad{false, "4.7k", &kComma, "'4.7k' is not a valid floating point value"},
                         Bad{true, "3,3n", &kPoint, "'3,3n' is not a valid floating point value"},
                         Bad{true, "n", &kPoint, "'n' is not a valid floating point value"},
                         Bad{true, "1F", &kPoint, "'1F' is not a valid floating point value"},
                         Bad{true, "1n+p", &kPoint, "'p' is not a valid floating point value"},
                         Bad{false, "0", &kPoint, "The value must be greater than zero"},
                         Bad{false, "27k+-820", &kPoint, "The value must be greater than zero"},
                         Bad{true, "0p", &kPoint, "The value must be greater than zero"},
                         Bad{false, "1e308+1e308", &kPoint, "The value is too large"}}) {
        try {
            b.capacitor ? ParseCapacitorSum(b.text, *b.locale) : ParseResistorSum(b.text, *b.locale);
            ADD_FAILURE() << b.text << " accepted";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), b.message) << b.text;
        }
    }
    EXPECT_THROW(ParseResistorSum("x", kPoint), ConversionError);
}

TEST(Netlist, ElementsBetweenInAndOut) {
    const BuiltNetwork plain = Net(CircuitKind::Shelving50To500Hz, 0.01, 0, 286200, 31800, {}, {});
    EXPECT_EQ(SpiceNetlist(plain),
              "* Mirelund: Shelving 50Hz to 500Hz\n"
              "* C1 = 0.01 uF, R1 = 286200 ohm, R2 = 31800 ohm\n"
              "V1 in 0 AC 1\n"
              "R1 in out 286200\n"
              "R2 out n1 31800\n"
              "C1 n1 0 1e-08\n"
              ".ac dec 100 10 100k\n"
              ".print ac vdb(out)\n"
              ".end\n");
    const BuiltNetwork full = Net(CircuitKind::CompleteRiaaVersion2, 0.1, 0.1 / 2.916, 29370, 2367.947, 1000.0, 47000.0);
    const std::string text = SpiceNetlist(full);
    for (const char* line : {"V1 src 0 AC 1\n", "Rs src in 1000\n", "R1 in out 29370\n", "R2 out n1 2367.947\n",
                             "C2 out n1 3.429355281207133e-08\n", "RL out 0 47000\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    // Farads, to the last bit that the conversion from microfarads leaves.
    const std::size_t c1 = text.find("C1 n1 0 ");
    ASSERT_NE(c1, std::string::npos);
    EXPECT_NEAR(std::stod(text.substr(c1 + 8)), 1e-7, 1e-22);
}

}  // namespace
