#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <string>

#include "engine/ActiveStage.h"
#include "engine/Formats.h"
#include "engine/Noise.h"
#include "engine/NoiseFields.h"
#include "engine/Response.h"
#include "engine/TransferPolynomials.h"
#include "tests/NoiseNetworks.h"

using namespace riaa;

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using C = std::complex<double>;
constexpr double kFourKT = 4 * 1.380649e-23 * 300.15;

C S(double hz) { return {0, 2 * std::numbers::pi * hz}; }  // rad/s: these tests work in SI units

// The stage of the worked example: R0 390 Ω + C0 100 µF, Zf = 200k ∥ 15n + 16k ∥ 4.7n, ideal op-amp.
BuiltNetwork WorkedStage() {
    BuiltNetwork net;
    net.kind = DesignKind::NonInverting;
    net.highFrequencyZero = HighFrequencyZero::None;
    net.set(ElementKind::R0, 390);
    net.set(ElementKind::C0, 100);
    net.set(ElementKind::R1, 200e3);
    net.set(ElementKind::C1, 0.015);
    net.set(ElementKind::R2, 16e3);
    net.set(ElementKind::C2, 0.0047);
    return net;
}

// Simpson's rule in f on a million-point linear grid: a rule of its own, not the engine's.
double Integrate(const std::function<double(double)>& density) {
    constexpr int n = 1'000'000;
    const double h = (20'000.0 - 20) / n;
    double sum = density(20) + density(20'000);
    for (int k = 1; k < n; ++k) sum += (k % 2 ? 4 : 2) * density(20 + k * h);
    return sum * h / 3;
}

// The worked example's output noise density², straight from the non-inverting rule.
double WorkedDensity(double hz, bool weighted) {
    const C s = S(hz);
    const C zf = 200e3 / (1.0 + s * 200e3 * 15e-9) + 16e3 / (1.0 + s * 16e3 * 4.7e-9);
    const C zg = 390.0 + 1.0 / (s * 100e-6);
    const C gain = 1.0 + zf / zg;
    const double v = (std::pow(3.5e-9, 2) + kFourKT * (zf * zg / (zf + zg)).real()) * std::norm(gain) +
                     std::pow(0.4e-12, 2) * std::norm(zf);
    return weighted ? v * AWeightingPower(hz) : v;
}

double Share(const NoiseFigures& f, const std::string& name) {
    for (const NoiseShare& s : f.shares) {
        if (s.name == name) return s.share;
    }
    return -1;
}

TEST(NoiseWorkedExample, MatchesTheFiguresDerivedByHand) {
    const NoiseFigures f = EvaluateNoise(WorkedStage(), NoiseSettings{});
    EXPECT_NEAR(f.outputUv, 22.9, 0.05);
    EXPECT_NEAR(f.outputAUv, 13.7, 0.05);
    // The engine's own grid against Simpson's on a far finer one: within 0.01 dB.
    EXPECT_NEAR(20 * std::log10(f.outputUv / (std::sqrt(Integrate([](double hz) { return WorkedDensity(hz, false); })) * 1e6)), 0, 0.01);
    EXPECT_NEAR(20 * std::log10(f.outputAUv / (std::sqrt(Integrate([](double hz) { return WorkedDensity(hz, true); })) * 1e6)), 0, 0.01);
    EXPECT_NEAR(Share(f, "en"), 2.0 / 3, 0.05);
    EXPECT_EQ(f.shares.front().name, "en");
}

TEST(NoiseWorkedExample, BehindTheCartridgeTheSourceLeadsAndTheMarginIsSmallestAt20Hz) {
    BuiltNetwork net = WorkedStage();
    net.source = kNoiseCartridge;
    const NoiseFigures f = EvaluateNoise(net, NoiseSettings{});
    EXPECT_EQ(f.shares.front().name, "source");
    EXPECT_GT(Share(f, "source"), 0.5);
    ASSERT_TRUE(f.headroom);
    EXPECT_NEAR(f.headroom->margin1kHzDb, 30, 1.5);
    EXPECT_EQ(f.headroom->minMarginHz, 20);
    EXPECT_NEAR(f.headroom->minMarginDb, f.headroom->margin20HzDb, 1e-12);
}

// The shares sum to 1, and EIN times the design's own gain at 1 kHz (from its transfer function,
// not the noise model) gives the output noise back: a wrong gain for EIN fails here.
struct DesignCase {
    const char* name;
    std::function<BuiltNetwork()> make;
};
class EveryDesign : public testing::TestWithParam<DesignCase> {};

TEST_P(EveryDesign, SharesSumToOneAndEinUsesTheGainFromTheEmf) {
    const BuiltNetwork net = GetParam().make();
    NoiseSettings s;
    s.fceHz = 50;
    s.fciHz = 300;
    const NoiseFigures f = EvaluateNoise(net, s);
    double sum = 0;
    for (const NoiseShare& share : f.shares) {
        EXPECT_GE(share.share, 0) << share.name;
        sum += share.share;
    }
    EXPECT_NEAR(sum, 1, 1e-12);
    for (std::size_t i = 1; i < f.shares.size(); ++i) EXPECT_GE(f.shares[i - 1].share, f.shares[i].share);
    const double gain = std::abs(Evaluate(TransferFunction(net), 1000));
    EXPECT_NEAR(f.einUv * gain / f.outputUv, 1, 1e-9);
    EXPECT_NEAR(f.snrDb, 20 * std::log10(5e-3 / (f.einUv * 1e-6)), 1e-9);
    EXPECT_NEAR(f.einDbu, 20 * std::log10(f.einUv * 1e-6 / 0.7746), 1e-9);
    EXPECT_EQ(f.headroom.has_value(), net.kind != DesignKind::Passive);
}

BuiltNetwork Stage(DesignKind kind, HighFrequencyZero zero, bool cartridge, bool finite) {
    return NoiseStage(NoiseStageRequest(kind, zero, finite), cartridge);
}

BuiltNetwork Passive(bool cartridge) { return NoisePassive(CircuitKind::CompleteRiaaVersion1, cartridge); }

INSTANTIATE_TEST_SUITE_P(
    Noise, EveryDesign,
    testing::Values(
        DesignCase{"NonInvertingPole", [] { return Stage(DesignKind::NonInverting, HighFrequencyZero::Pole, true, false); }},
        DesignCase{"NonInvertingNone", [] { return Stage(DesignKind::NonInverting, HighFrequencyZero::None, false, true); }},
        DesignCase{"NonInverting318", [] { return Stage(DesignKind::NonInverting, HighFrequencyZero::At3_18us, true, true); }},
        DesignCase{"Inverting", [] { return Stage(DesignKind::Inverting, HighFrequencyZero::Pole, true, true); }},
        DesignCase{"InvertingIdealSource", [] { return Stage(DesignKind::Inverting, HighFrequencyZero::Pole, false, false); }},
        DesignCase{"TwoStage", [] { return Stage(DesignKind::TwoStage, HighFrequencyZero::Pole, true, false); }},
        DesignCase{"Passive", [] { return Passive(false); }},
        DesignCase{"PassiveBehindCartridge", [] { return Passive(true); }}),
    [](const testing::TestParamInfo<DesignCase>& info) { return info.param.name; });

// A passive network's noise is 4kT·Re Zout by Nyquist, whatever its parts: each resistor's share
// worked out on its own must add up to exactly that, or one was counted twice or left out.
TEST(NoisePassive, TotalIsNyquistOfTheOutputImpedance) {
    const BuiltNetwork net = Passive(false);
    const NoiseFigures f = EvaluateNoise(net, NoiseSettings{});
    // With the source a short the output sees Rs + R1 ∥ the shunt branch ∥ RL.
    const double rs = net.value(ElementKind::Rs);
    const double rl = net.value(ElementKind::RL);
    const double r1 = net.value(ElementKind::R1);
    const double r2 = net.value(ElementKind::R2);
    const double c1 = net.value(ElementKind::C1) * 1e-6;
    const double c2 = net.value(ElementKind::C2) * 1e-6;
    // Complete RIAA, version 1: R1 in series, (R2 + C1) ∥ C2 to ground.
    const auto density = [&](double hz) {
        const C s = S(hz);
        const C up = rs + r1;
        const C down = 1.0 / (s * c2 + 1.0 / (r2 + 1.0 / (s * c1)) + 1.0 / rl);
        return kFourKT * (up * down / (up + down)).real();
    };
    EXPECT_NEAR(20 * std::log10(f.outputUv / (std::sqrt(Integrate(density)) * 1e6)), 0, 0.01);
}

// Each 1/f corner raises its own source's density by √(1 + fc/f), and no other.
struct CornerCase {
    double fce;
    double fci;
    double hz;
    const char* prefix;  // "in" is both inputs: one corner for both
    double factor;
};
class Corners : public testing::TestWithParam<CornerCase> {};

TEST_P(Corners, RaiseTheirOwnSourceByTheRoot) {
    const CornerCase& c = GetParam();
    BuiltNetwork net = Stage(DesignKind::NonInverting, HighFrequencyZero::Pole, true, false);
    NoiseSettings corner;
    corner.fceHz = c.fce;
    corner.fciHz = c.fci;
    const NoiseSpectrum white = EvaluateNoiseSpectrum(net, NoiseSettings{}, 301);
    const NoiseSpectrum pink = EvaluateNoiseSpectrum(net, corner, 301);
    std::size_t k = 0;
    while (k + 1 < white.hz.size() && white.hz[k] < c.hz * 0.999) ++k;
    for (std::size_t j = 0; j < white.names.size(); ++j) {
        const double expected = white.names[j].rfind(c.prefix, 0) == 0 ? c.factor : 1;
        EXPECT_NEAR(pink.inputDensity[j][k] / white.inputDensity[j][k], expected, 1e-9) << white.names[j];
    }
}

INSTANTIATE_TEST_SUITE_P(Noise, Corners,
                         testing::Values(CornerCase{100, 0, 20, "en", std::sqrt(6.0)},
                                         CornerCase{100, 0, 20'000, "en", std::sqrt(1.005)},
                                         CornerCase{0, 200, 20, "in", std::sqrt(11.0)}));

// IEC 61672-1's table of the A-weighting at its exact base-ten frequencies, to its 0.1 dB.
class AWeighting : public testing::TestWithParam<std::pair<double, double>> {};
TEST_P(AWeighting, FollowsTheStandardsTable) {
    EXPECT_NEAR(10 * std::log10(AWeightingPower(GetParam().first)), GetParam().second, 0.1);
}
INSTANTIATE_TEST_SUITE_P(Noise, AWeighting,
                         testing::Values(std::pair{19.9526, -50.5}, std::pair{100.0, -19.1}, std::pair{1000.0, 0.0},
                                         std::pair{10'000.0, -2.5}, std::pair{19'952.6, -9.3}));
TEST(AWeightingAt1kHz, IsExactlyOne) { EXPECT_EQ(AWeightingPower(1000), 1.0); }

// Each field refused with its own message; the edge values just inside are taken.
struct BadSetting {
    std::function<void(NoiseSettings&)> spoil;
    const char* message;
};
class BadSettings : public testing::TestWithParam<BadSetting> {};
TEST_P(BadSettings, AreRefusedNamingTheField) {
    NoiseSettings s;
    GetParam().spoil(s);
    try {
        CheckNoiseSettings(s);
        FAIL() << "accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()).rfind(GetParam().message, 0), 0u) << e.what();
    }
}
INSTANTIATE_TEST_SUITE_P(
    Noise, BadSettings,
    testing::Values(BadSetting{[](NoiseSettings& s) { s.enNvRtHz = -1e-9; }, "en,"},
                    BadSetting{[](NoiseSettings& s) { s.fceHz = NAN; }, "fce,"},
                    BadSetting{[](NoiseSettings& s) { s.inPaRtHz = INFINITY; }, "in,"},
                    BadSetting{[](NoiseSettings& s) { s.fciHz = -1; }, "fci,"},
                    BadSetting{[](NoiseSettings& s) { s.swingVrms = 0; }, "The swing"},
                    BadSetting{[](NoiseSettings& s) { s.referenceV = 0; }, "The reference"},
                    BadSetting{[](NoiseSettings& s) { s.temperatureC = -273.15; }, "The temperature"}));

TEST(NoiseSettingsEdges, ZeroNoiseAndJustAboveAbsoluteZeroAreTaken) {
    NoiseSettings s;
    s.enNvRtHz = 0;
    s.inPaRtHz = 0;
    s.temperatureC = -273.14;
    EXPECT_NO_THROW(CheckNoiseSettings(s));
}

}  // namespace

namespace {

// The page's texts: each bad field reported as itself, the reference read in mV, a suffix taken.
struct FieldCase {
    NoiseField field;
    const char* text;
};
class NoiseFieldTextsBad : public testing::TestWithParam<FieldCase> {};
TEST_P(NoiseFieldTextsBad, NameTheFieldAtFault) {
    NoiseFieldTexts texts = NoiseFieldTextsOf(NoiseSettings{}, NumberLocale{});
    texts[static_cast<std::size_t>(GetParam().field)] = GetParam().text;
    try {
        ParseNoiseFields(texts, NumberLocale{});
        FAIL() << "accepted";
    } catch (const NoiseSettingError& e) {
        EXPECT_EQ(e.field(), GetParam().field) << e.what();
    }
}
INSTANTIATE_TEST_SUITE_P(Noise, NoiseFieldTextsBad,
                         testing::Values(FieldCase{NoiseField::En, "3.5x"}, FieldCase{NoiseField::Fce, "-1"},
                                         FieldCase{NoiseField::In, ""}, FieldCase{NoiseField::Fci, "1e999"},
                                         FieldCase{NoiseField::Swing, "0"}, FieldCase{NoiseField::Temperature, "-300"},
                                         FieldCase{NoiseField::Reference, "0"}));

TEST(NoiseFieldTextsGood, ReadBackTheSettingsTheyWereMadeFrom) {
    NoiseSettings s;
    s.fceHz = 4700;
    s.referenceV = 3.5e-3;
    NoiseFieldTexts texts = NoiseFieldTextsOf(s, NumberLocale{",", "."});
    EXPECT_EQ(texts[static_cast<std::size_t>(NoiseField::Reference)], "3,5");
    EXPECT_EQ(ParseNoiseFields(texts, NumberLocale{",", "."}), s);
    texts[static_cast<std::size_t>(NoiseField::Fce)] = "4,7k";
    EXPECT_EQ(ParseNoiseFields(texts, NumberLocale{",", "."}).fceHz, 4700);
}

}  // namespace
