#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "engine/Network.h"
#include "engine/RiaaResponse.h"

using namespace riaa;

namespace {
const NumberLocale kPoint{};

struct Calculator {
    NetworkState state;
    ValueList resistors = MakeResistorList();
    CalculationResult run(CircuitKind circuit, CalculationOptions options = {}) {
        return CalculateNetwork(state, circuit, options, resistors, kPoint);
    }
};

struct CircuitCase {
    CircuitKind circuit;
    double c1;
    double c2;
    double r1;
    double r2;
};
class CircuitRules : public ::testing::TestWithParam<CircuitCase> {};
TEST_P(CircuitRules, DeriveTheElementsFromC1) {
    const CircuitCase& c = GetParam();
    Calculator calc;
    calc.state.CircuitC1[static_cast<std::size_t>(c.circuit)] = c.c1;
    for (int repeat = 0; repeat < 2; ++repeat) {
        const CalculationResult result = calc.run(c.circuit);
        EXPECT_DOUBLE_EQ(calc.state.C1, c.c1);
        EXPECT_NEAR(calc.state.C2, c.c2, 1e-7);
        EXPECT_NEAR(calc.state.R1, c.r1, 0.01);
        EXPECT_NEAR(calc.state.R2, c.r2, 0.01);
        EXPECT_FALSE(result.alert);
        EXPECT_EQ(result.texts[1].empty(), c.c2 == 0);
        EXPECT_EQ(result.texts[3].empty(), c.r2 == 0);
        EXPECT_TRUE(result.texts[4].empty());
        EXPECT_TRUE(result.texts[5].empty());
    }
}
INSTANTIATE_TEST_SUITE_P(
    SixCircuits, CircuitRules,
    ::testing::Values(CircuitCase{CircuitKind::LowPass50Hz, 0.01, 0, 318000, 0},
                      CircuitCase{CircuitKind::LowPass2122Hz, 0.01, 0, 7500, 0},
                      CircuitCase{CircuitKind::Shelving50To500Hz, 0.01, 0, 286200, 31800},
                      CircuitCase{CircuitKind::Shelving500To2122Hz, 0.01, 0, 9802.71, 31800},
                      CircuitCase{CircuitKind::CompleteRiaaVersion1, 0.1, 0.0342936, 21870, 3180},
                      CircuitCase{CircuitKind::CompleteRiaaVersion2, 0.1, 0.0342936, 29370, 2367.95}));

TEST(Calculation, StartUpTexts) {
    Calculator calc;
    const CalculationResult result = calc.run(CircuitKind::LowPass50Hz);
    EXPECT_EQ(result.texts[0], ".01 \u00B5F");
    EXPECT_EQ(result.texts[2], "318 k");
    for (int field : {1, 3, 4, 5}) EXPECT_EQ(result.texts[static_cast<std::size_t>(field)], "");
    EXPECT_EQ(result.warning, NetworkWarning::None);
}

struct CorrectionCase {
    bool includeRL;
    bool includeRs;
    double rl;
    double r1;
    NetworkWarning warning;
    CircuitKind circuit = CircuitKind::LowPass50Hz;
    double c1 = 0.01;
};
class Corrections : public ::testing::TestWithParam<CorrectionCase> {};
TEST_P(Corrections, CorrectOnlyR1) {
    const CorrectionCase& c = GetParam();
    Calculator calc;
    calc.state.RL = c.rl;
    calc.state.CircuitC1[static_cast<std::size_t>(c.circuit)] = c.c1;
    const CalculationResult result = calc.run(c.circuit, {c.includeRL, c.includeRs, false});
    EXPECT_NEAR(calc.state.R1, c.r1, 0.01);
    EXPECT_EQ(result.alert, c.r1 < 0);
    EXPECT_EQ(result.warning, c.warning);
    EXPECT_EQ(result.texts[4].empty(), !c.includeRL);
    EXPECT_EQ(result.texts[5], c.includeRs ? "1 k" : "");
    EXPECT_DOUBLE_EQ(calc.state.C1, c.c1);
}
INSTANTIATE_TEST_SUITE_P(
    RsAndRL, Corrections,
    ::testing::Values(CorrectionCase{false, false, 1e6, 318000, NetworkWarning::None},
                      CorrectionCase{false, true, 1e6, 317000, NetworkWarning::None},
                      CorrectionCase{true, false, 1e6, 466275.66, NetworkWarning::None},
                      CorrectionCase{true, true, 1e6, 465275.66, NetworkWarning::None},
                      CorrectionCase{true, false, 100000, -1, NetworkWarning::LoadTooLow},
                      CorrectionCase{true, false, 318000, -1, NetworkWarning::LoadTooLow},
                      CorrectionCase{true, true, 100000, -1, NetworkWarning::LoadAndSeries},
                      // Circuit 3's R1 is the shunt: Rs joins it before RL is taken off.
                      CorrectionCase{false, true, 1e6, 8802.71, NetworkWarning::None, CircuitKind::Shelving500To2122Hz},
                      CorrectionCase{true, false, 1e6, 9899.76, NetworkWarning::None, CircuitKind::Shelving500To2122Hz},
                      CorrectionCase{true, true, 1e6, 8880.89, NetworkWarning::None, CircuitKind::Shelving500To2122Hz},
                      CorrectionCase{true, true, 9000, 401568.75, NetworkWarning::None, CircuitKind::Shelving500To2122Hz},
                      CorrectionCase{true, true, 8802.71, -1, NetworkWarning::LoadAndSeries,
                                     CircuitKind::Shelving500To2122Hz},
                      CorrectionCase{true, true, 1e6, -1, NetworkWarning::LoadAndSeries,
                                     CircuitKind::Shelving500To2122Hz, 1.0},
                      // Every other circuit keeps subtracting Rs after the parallel correction.
                      CorrectionCase{true, true, 1e6, 6556.68, NetworkWarning::None, CircuitKind::LowPass2122Hz}));

TEST(Calculation, SeriesTooHighAndRounding) {
    Calculator calc;
    calc.state.Rs = 400000;
    CalculationResult result = calc.run(CircuitKind::LowPass50Hz, {false, true, false});
    EXPECT_EQ(result.warning, NetworkWarning::SeriesTooHigh);
    EXPECT_EQ(result.texts[2], "-82000");

    calc.state.RL = 100000;
    result = calc.run(CircuitKind::LowPass50Hz, {true, false, true});
    EXPECT_TRUE(result.alert);
    EXPECT_EQ(result.texts[2], "10");  // the rounded -1 is the list's first entry

    result = calc.run(CircuitKind::LowPass50Hz, {false, false, true});
    EXPECT_EQ(result.texts[2], "320 k");
    EXPECT_EQ(calc.state.R2, 0);

    // A negative C1 needs no option to be impossible.
    calc.state.CircuitC1[0] = -0.01;
    result = calc.run(CircuitKind::LowPass50Hz);
    EXPECT_TRUE(result.alert);
    EXPECT_EQ(result.warning, NetworkWarning::None);
}

struct EntryCase {
    CircuitKind circuit;
    ElementKind element;
    double typed;
    double storedC1;
};
class ElementEntry : public ::testing::TestWithParam<EntryCase> {};
TEST_P(ElementEntry, StoresTheC1ThatReproducesIt) {
    const EntryCase& c = GetParam();
    Calculator calc;
    ApplyElementValue(calc.state, c.circuit, c.element, c.typed);
    EXPECT_NEAR(calc.state.CircuitC1[static_cast<std::size_t>(c.circuit)], c.storedC1, c.storedC1 * 1e-6);
    calc.run(c.circuit);
    const double shown[] = {calc.state.C1, calc.state.C2, calc.state.R1, calc.state.R2};
    const bool exists = !(c.element == ElementKind::C2 && c.circuit <= CircuitKind::Shelving500To2122Hz) &&
                        !(c.element == ElementKind::R2 && c.circuit <= CircuitKind::LowPass2122Hz);
    if (exists) {
        EXPECT_NEAR(shown[static_cast<int>(c.element)], c.typed, c.typed * 1e-9);
    }
}
INSTANTIATE_TEST_SUITE_P(
    InverseRules, ElementEntry,
    ::testing::Values(EntryCase{CircuitKind::Shelving500To2122Hz, ElementKind::R1, 1000, 0.0980271},
                      EntryCase{CircuitKind::CompleteRiaaVersion1, ElementKind::C2, 0.05, 0.1458},
                      EntryCase{CircuitKind::LowPass50Hz, ElementKind::C2, 0.047, 0.047},
                      EntryCase{CircuitKind::LowPass50Hz, ElementKind::R2, 318000, 0.01},
                      EntryCase{CircuitKind::LowPass2122Hz, ElementKind::R1, 7500, 0.01},
                      EntryCase{CircuitKind::Shelving50To500Hz, ElementKind::R2, 12500, 0.02544},
                      EntryCase{CircuitKind::Shelving50To500Hz, ElementKind::R1, 286200, 0.01},
                      EntryCase{CircuitKind::Shelving500To2122Hz, ElementKind::R2, 31800, 0.01},
                      EntryCase{CircuitKind::CompleteRiaaVersion1, ElementKind::R1, 21870, 0.1},
                      EntryCase{CircuitKind::CompleteRiaaVersion1, ElementKind::R2, 3180, 0.1},
                      EntryCase{CircuitKind::CompleteRiaaVersion2, ElementKind::R1, 29370, 0.1},
                      EntryCase{CircuitKind::CompleteRiaaVersion2, ElementKind::R2, 2367.947, 0.1},
                      EntryCase{CircuitKind::CompleteRiaaVersion2, ElementKind::C1, 0.22, 0.22}));

TEST(ElementEntry, RLAndRsAreStoredAsTyped) {
    NetworkState state;
    ApplyElementValue(state, CircuitKind::Shelving50To500Hz, ElementKind::RL, 47000);
    ApplyElementValue(state, CircuitKind::Shelving50To500Hz, ElementKind::Rs, 0);
    EXPECT_EQ(state.RL, 47000);
    EXPECT_EQ(state.Rs, 0);
    EXPECT_EQ(state.CircuitC1[2], 0.01);
}

TEST(ElementEntry, RefusesValuesThatBreakTheCircuit) {
    struct Refusal {
        CircuitKind circuit;
        ElementKind element;
        double typed;
        const char* message;
    };
    for (const Refusal& r : {Refusal{CircuitKind::LowPass50Hz, ElementKind::C1, 0, "Floating point division by zero"},
                             Refusal{CircuitKind::CompleteRiaaVersion1, ElementKind::C2, 0, "Floating point division by zero"},
                             Refusal{CircuitKind::LowPass50Hz, ElementKind::R1, 0, "Floating point division by zero"},
                             Refusal{CircuitKind::Shelving50To500Hz, ElementKind::R2, -0.0, "Floating point division by zero"},
                             Refusal{CircuitKind::LowPass50Hz, ElementKind::R1, 1e-310, "Floating point overflow"},
                             Refusal{CircuitKind::LowPass50Hz, ElementKind::C1, 1e-310, "Floating point overflow"},
                             Refusal{CircuitKind::CompleteRiaaVersion2, ElementKind::C2, 1e308, "Floating point overflow"}}) {
        NetworkState state;
        try {
            ApplyElementValue(state, r.circuit, r.element, r.typed);
            ADD_FAILURE() << r.typed << " accepted";
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), r.message);
        }
        EXPECT_EQ(state.CircuitC1[static_cast<std::size_t>(r.circuit)], 0.01);
    }
}

TEST(Calculation, OverflowLeavesTheStateAsItWas) {
    Calculator calc;
    calc.run(CircuitKind::LowPass50Hz);
    // An R1 near 1e300 with RL one step above it: the parallel correction overflows.
    calc.state.CircuitC1[0] = 3180 / 1e300;
    calc.state.RL = std::nextafter(3180 / calc.state.CircuitC1[0], HUGE_VAL);
    EXPECT_THROW(calc.run(CircuitKind::LowPass50Hz, {true, false, false}), OverflowError);
    EXPECT_DOUBLE_EQ(calc.state.R1, 318000);
    EXPECT_DOUBLE_EQ(calc.state.C1, 0.01);
}

TEST(Calculation, EachCircuitRemembersItsC1) {
    Calculator calc;
    ApplyElementValue(calc.state, CircuitKind::Shelving50To500Hz, ElementKind::C1, 0.047);
    calc.run(CircuitKind::Shelving50To500Hz);
    EXPECT_EQ(calc.state.C1, 0.047);
    calc.run(CircuitKind::LowPass50Hz);
    EXPECT_EQ(calc.state.C1, 0.01);
    EXPECT_EQ(calc.state.C2, 0);
    EXPECT_EQ(calc.state.R2, 0);
}

// The response of each complete network, from its element values, against the RIAA model.
double NetworkLevel(CircuitKind circuit, const NetworkState& s, double hz) {
    const std::complex<double> jw(0, 2 * M_PI * hz * 1e-6);  // µF·Ω = µs
    std::complex<double> shunt;
    if (circuit == CircuitKind::CompleteRiaaVersion1) {
        const auto branch = s.R2 + 1.0 / (jw * s.C1);
        const auto c2 = 1.0 / (jw * s.C2);
        shunt = branch * c2 / (branch + c2);
    } else {
        const auto parallel = s.R2 / (1.0 + jw * s.R2 * s.C2);
        shunt = parallel + 1.0 / (jw * s.C1);
    }
    return 20 * std::log10(std::abs(shunt / (s.R1 + shunt)));
}

TEST(CompleteNetworks, RealiseTheRiaaCurve) {
    for (CircuitKind circuit : {CircuitKind::CompleteRiaaVersion1, CircuitKind::CompleteRiaaVersion2}) {
        Calculator calc;
        calc.state.CircuitC1[static_cast<std::size_t>(circuit)] = 0.1;
        calc.run(circuit);
        double worst = 0;
        for (double hz = 10; hz <= 20000; hz *= 1.05) {
            // The model's factor 8.68589 is 20/ln 10 to six digits; compare with the exact one.
            const double riaa = PlaybackLevel(hz) * (20 / std::log(10.0)) / 8.68589;
            worst = std::max(worst, std::fabs(NetworkLevel(circuit, calc.state, hz) - riaa));
        }
        EXPECT_LT(worst, 0.001) << static_cast<int>(circuit);
    }
}

TEST(Warnings, TextsAsShown) {
    EXPECT_EQ(WarningText(NetworkWarning::None), "");
    EXPECT_EQ(WarningText(NetworkWarning::SeriesTooHigh),
              "The series resistance, Rs, is too high in value for\nthe rest of the  circuit to work. To include "
              "Rs's value,\ndecrease C1 or C2's value.");
    EXPECT_EQ(WarningText(NetworkWarning::LoadTooLow),
              "The load resistance, RL, is too low in value for\nthe rest of the  circuit to work. To include RL's "
              "value,\nincrease C1 or C2's value.");
    EXPECT_EQ(WarningText(NetworkWarning::LoadAndSeries),
              "The load resistance, RL, is too low in value or\nthe series resistance, Rs, is too high in value "
              "for\nthe rest of the  circuit to work. To include these resistances,\nincrease or decrease C1 or "
              "C2's value.");
}

}  // namespace
