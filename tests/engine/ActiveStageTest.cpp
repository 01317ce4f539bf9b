#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "ActiveStage.h"
#include "Formats.h"

using namespace riaa;

namespace {

constexpr CurveTimeConstants kRiaa{3180, 318, 75};
constexpr CurveTimeConstants kNoTreble{3180, 318, 0};
constexpr CurveTimeConstants kNoShelf{15915, 250, 100};  // the realised shelf in place of none

std::complex<double> CurveAt(const CurveTimeConstants& tc, double hz) {
    const std::complex<double> s(0, 2 * std::numbers::pi * hz * 1e-6);
    return (1.0 + s * tc.zeroUs) / ((1.0 + s * tc.bassUs) * (1.0 + s * tc.trebleUs));
}

// From an ideal source: the cartridge's model is not part of these checks.
Ratio Transfer(const BuiltNetwork& net) { return ActiveStageTransfer(net, nullptr); }

double LevelDb(const Ratio& h, double hz) { return 10 * std::log10(PowerRatio(h, MakeFrequency(hz))); }

// The largest deviation from the curve (times an extra zero at extraZeroUs), both at 0 dB at 1 kHz, 20 Hz to 20 kHz.
struct Worst {
    double db = 0;
    double hz = 0;
};
Worst WorstError(const Ratio& h, const CurveTimeConstants& tc, double extraZeroUs = 0) {
    const auto target = [&](double hz) {
        const std::complex<double> s(0, 2 * std::numbers::pi * hz * 1e-6);
        return 20 * std::log10(std::abs(CurveAt(tc, hz) * (1.0 + s * extraZeroUs)));
    };
    Worst worst;
    for (int k = 0; k <= 300; ++k) {
        const double hz = 20 * std::pow(1000.0, k / 300.0);
        const double error = (LevelDb(h, hz) - LevelDb(h, 1000)) - (target(hz) - target(1000));
        if (std::fabs(error) > std::fabs(worst.db)) worst = {error, hz};
    }
    return worst;
}

std::string MessageOf(const ActiveStageRequest& r, const CurveTimeConstants& tc) {
    try {
        DesignActiveStage(r, tc);
    } catch (const EngineError& e) {
        return e.what();
    }
    return "";
}

TEST(FeedbackNetwork, FormAForOneHundredKilohms) {
    const FeedbackValues v = DesignFeedbackNetwork(NetworkForm::A, kRiaa, 100'000);
    EXPECT_NEAR(v.R1, 92'173.913, 1e-3);
    EXPECT_NEAR(v.C1, 0.0345, 1e-12);
    EXPECT_NEAR(v.R2, 7'826.087, 1e-3);
    EXPECT_NEAR(v.C2, 0.009583333, 1e-9);
    EXPECT_NEAR(v.C1 / v.C2, 3.6, 1e-12);
}

// The impedance as the elements compose it against Rdc·(1 + sTz)/((1 + sTa)(1 + sTb)), far outside the audio band too.
TEST(FeedbackNetwork, EveryFormIsTheCurveImpedance) {
    struct Row {
        NetworkForm form;
        CurveTimeConstants tc;
        bool byC1;
        double scale;
    };
    const std::vector<Row> rows{
        {NetworkForm::A, kRiaa, false, 100'000}, {NetworkForm::B, kRiaa, false, 47'000},
        {NetworkForm::C, kRiaa, false, 1e6},     {NetworkForm::D, kRiaa, false, 220},
        {NetworkForm::A, kNoShelf, true, 0.1},   {NetworkForm::B, kNoShelf, true, 0.022},
        {NetworkForm::C, kNoShelf, true, 1e-4},  {NetworkForm::D, kNoShelf, true, 4.7},
        {NetworkForm::A, kNoTreble, false, 1e5}, {NetworkForm::A, kNoTreble, true, 0.01},
    };
    for (const Row& row : rows) {
        const FeedbackValues v = row.byC1 ? DesignFeedbackNetworkForC1(row.form, row.tc, row.scale)
                                          : DesignFeedbackNetwork(row.form, row.tc, row.scale);
        BuiltNetwork net;
        net.set(ElementKind::R1, v.R1);
        net.set(ElementKind::C1, v.C1);
        net.set(ElementKind::R2, v.R2);
        if (row.tc.trebleUs > 0) net.set(ElementKind::C2, v.C2);
        for (double part : {v.R1, v.C1, v.R2}) EXPECT_GT(part, 0);
        EXPECT_DOUBLE_EQ(row.byC1 ? v.C1 : DcResistance(row.form, v), row.scale);
        const Ratio z = FeedbackImpedance(row.form, net);
        const double rdc = DcResistance(row.form, v);
        for (double hz : {0.01, 20.0, 1000.0, 20'000.0, 1e6}) {
            const std::complex<double> expected = rdc * CurveAt(row.tc, hz);
            EXPECT_LT(std::abs(Evaluate(z, hz) / expected - 1.0), 1e-12) << static_cast<int>(row.form) << " " << hz;
        }
    }
}

TEST(FeedbackNetwork, RefusesWhatItCannotRealise) {
    struct Row {
        NetworkForm form;
        CurveTimeConstants tc;
        double rdc;
        std::string message;
    };
    const std::string order = "The curve's time constants must fall in order: bass pole, zero, treble pole";
    const std::vector<Row> rows{
        {NetworkForm::C, kNoTreble, 1e5, "Form C cannot realise a curve without a treble pole; form A can, without C2"},
        {NetworkForm::A, {318, 3180, 75}, 1e5, order},
        {NetworkForm::B, {3180, 75, 318}, 1e5, order},
        {NetworkForm::D, {NAN, 318, 75}, 1e5, order},
        {NetworkForm::A, kRiaa, 0, "The network's DC resistance must be greater than zero"},
        {NetworkForm::A, kRiaa, INFINITY, "The network's DC resistance must be greater than zero"},
    };
    for (const Row& row : rows) {
        try {
            DesignFeedbackNetwork(row.form, row.tc, row.rdc);
            ADD_FAILURE() << row.message;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.what(), row.message);
        }
    }
}

TEST(ActiveStage, MeasuredNonInvertingStageWithoutCorrection) {
    BuiltNetwork net;
    net.kind = DesignKind::NonInverting;
    net.highFrequencyZero = HighFrequencyZero::None;
    net.set(ElementKind::R1, 200'000);
    net.set(ElementKind::C1, 0.015);
    net.set(ElementKind::R2, 16'000);
    net.set(ElementKind::C2, 0.0047);
    net.set(ElementKind::R0, 390);
    net.set(ElementKind::C0, 100);
    const Ratio h = Transfer(net);
    EXPECT_NEAR(LevelDb(h, 1000), 34.97, 0.005);
    const Worst worst = WorstError(h, kRiaa);
    EXPECT_NEAR(worst.db, 0.40, 0.01);
    EXPECT_GT(worst.hz, 150);
    EXPECT_LT(worst.hz, 250);
}

// Designs that are exact by construction: the curve to 1e-6 dB, and the typed gain at 1 kHz.
TEST(ActiveStage, CorrectedDesignsAreExact) {
    struct Row {
        DesignKind stage;
        NetworkForm form;
        CurveTimeConstants tc;
        double gainDb;
        bool byC1;
        double scale;
        std::optional<double> rl;
    };
    const auto N = DesignKind::NonInverting;
    const auto I = DesignKind::Inverting;
    const auto T = DesignKind::TwoStage;
    const std::vector<Row> rows{
        {N, NetworkForm::A, kRiaa, 35, false, 390, {}},     {N, NetworkForm::B, kRiaa, 40, true, 0.01, {}},
        {N, NetworkForm::C, kNoShelf, 30, false, 1000, {}}, {N, NetworkForm::D, kRiaa, 20, true, 0.1, {}},
        {N, NetworkForm::A, kNoTreble, 35, false, 500, {}}, {I, NetworkForm::A, kRiaa, 0, false, 47'000, {}},
        {I, NetworkForm::B, kRiaa, 30, true, 0.047, {}},    {I, NetworkForm::C, kNoShelf, -6, false, 10'000, {}},
        {I, NetworkForm::D, kRiaa, 40, false, 1000, {}},    {T, NetworkForm::A, kRiaa, 40, false, 1000, {}},
        {T, NetworkForm::A, kRiaa, 35, true, 0.047, 10'000}, {T, NetworkForm::A, kNoTreble, 30, false, 470, 4700},
    };
    for (const Row& row : rows) {
        ActiveStageRequest r;
        r.stage = row.stage;
        r.form = row.form;
        r.gain1kHzDb = row.gainDb;
        r.scaleByC1 = row.byC1;
        r.scale = row.scale;
        r.rl = row.rl;
        const Ratio h = Transfer(DesignActiveStage(r, row.tc));
        EXPECT_LT(std::fabs(WorstError(h, row.tc).db), 1e-6) << static_cast<int>(row.stage) << row.gainDb;
        EXPECT_NEAR(LevelDb(h, 1000), row.gainDb, 1e-9) << static_cast<int>(row.stage) << row.gainDb;
    }
}

TEST(ActiveStage, ZeroAt3_18UsFixesTheGainAndMeetsItsTarget) {
    ActiveStageRequest r;
    r.highFrequencyZero = HighFrequencyZero::At3_18us;
    for (NetworkForm form : {NetworkForm::A, NetworkForm::B, NetworkForm::C, NetworkForm::D}) {
        r.form = form;
        const BuiltNetwork net = DesignActiveStage(r, kRiaa);
        const Ratio h = Transfer(net);
        EXPECT_LT(std::fabs(WorstError(h, kRiaa, 3.18).db), 1e-6);
        // A = Ta·Tb/(Tz·3.18 µs) at DC, whatever gain was typed.
        EXPECT_NEAR(ActiveStageFigures(net).gainDcDb, 20 * std::log10(3180 * 75 / (318 * 3.18)), 1e-9);
        EXPECT_FALSE(net.has(ElementKind::R3));
    }
}

// Without the correction the extra zero T4 = Ta·Tb/(A·Tz) comes closer to the band as A falls.
TEST(ActiveStage, UncorrectedErrorGrowsAsTheGainFalls) {
    ActiveStageRequest r;
    r.highFrequencyZero = HighFrequencyZero::None;
    double previous = 0;
    for (double gainDb : {50.0, 40.0, 30.0, 20.0}) {
        r.gain1kHzDb = gainDb;
        const double worst = std::fabs(WorstError(Transfer(DesignActiveStage(r, kRiaa)), kRiaa).db);
        EXPECT_GT(worst, previous) << gainDb;
        previous = worst;
    }
    EXPECT_GT(previous, 2);  // 20 dB: T4 near 7.6 µs, nearly 3 dB at 20 kHz
}

// A single-pole op-amp at 40 dB: the loss at 20 kHz is |1 + j·G·f/GBW| with G the gain the loop must
// hold there (about 10.5 for the single stages, the flat 99 of the two-stage's first stage).
TEST(ActiveStage, GainBandwidthLowersTheTopOctave) {
    struct Row {
        DesignKind stage;
        double gbwHz;
        double lossAt20kHzDb;
    };
    const std::vector<Row> rows{
        {DesignKind::NonInverting, 1e6, 1.64},
        {DesignKind::NonInverting, 1e7, 0.18},
        {DesignKind::Inverting, 1e6, 1.66},
        {DesignKind::TwoStage, 1e6, 6.92},
    };
    for (const Row& row : rows) {
        ActiveStageRequest r;
        r.stage = row.stage;
        r.gain1kHzDb = 40;
        BuiltNetwork net = DesignActiveStage(r, kRiaa);
        const Ratio ideal = Transfer(net);
        net.opAmp = {false, 100, row.gbwHz};
        const Ratio real = Transfer(net);
        const auto loss = [&](double hz) { return LevelDb(ideal, hz) - LevelDb(real, hz); };
        EXPECT_NEAR(loss(20'000), row.lossAt20kHzDb, 0.05 * row.lossAt20kHzDb) << row.gbwHz;
        EXPECT_GT(loss(20'000), 2 * loss(1000));
    }
}

TEST(ActiveStage, Figures) {
    struct Row {
        DesignKind stage;
        HighFrequencyZero zero;
        std::optional<double> extraZeroHz;  // about 2.1 kHz times the linear gain at 1 kHz
    };
    const std::vector<Row> rows{
        {DesignKind::NonInverting, HighFrequencyZero::Pole, 2.1e5},
        {DesignKind::NonInverting, HighFrequencyZero::None, 2.1e5},
        {DesignKind::Inverting, HighFrequencyZero::Pole, {}},
        {DesignKind::TwoStage, HighFrequencyZero::Pole, {}},
    };
    for (const Row& row : rows) {
        ActiveStageRequest r;
        r.stage = row.stage;
        r.highFrequencyZero = row.zero;
        r.gain1kHzDb = 40;
        const StageFigures f = ActiveStageFigures(DesignActiveStage(r, kRiaa));
        // 9.898 from DC to 1 kHz: 19.91 dB.
        EXPECT_NEAR(f.gainDcDb, 59.91, 0.01);
        ASSERT_EQ(f.extraZeroHz.has_value(), row.extraZeroHz.has_value());
        if (row.extraZeroHz) {
            EXPECT_NEAR(*f.extraZeroHz, *row.extraZeroHz, 0.01 * *row.extraZeroHz);
        }
    }
    ActiveStageRequest blocked;
    blocked.c0 = 100;
    EXPECT_LT(ActiveStageFigures(DesignActiveStage(blocked, kRiaa)).gainDcDb, 54.91);  // 20 Hz, below 0 Hz
}

TEST(ActiveStage, RefusesWhatCannotBeBuilt) {
    struct Row {
        std::string name;
        ActiveStageRequest request;
        CurveTimeConstants tc;
        std::string message;
    };
    ActiveStageRequest low;
    low.gain1kHzDb = -30;
    low.highFrequencyZero = HighFrequencyZero::None;
    ActiveStageRequest uncorrectable;
    uncorrectable.gain1kHzDb = 0;
    ActiveStageRequest twoStage;
    twoStage.stage = DesignKind::TwoStage;
    twoStage.gain1kHzDb = 0;
    ActiveStageRequest huge;
    huge.scale = 1e9;
    ActiveStageRequest bigC0;
    bigC0.c0 = 2e4;
    ActiveStageRequest iec;
    iec.curve.iecAmendment = true;
    ActiveStageRequest at3;
    at3.highFrequencyZero = HighFrequencyZero::At3_18us;
    ActiveStageRequest formB;
    formB.form = NetworkForm::B;
    ActiveStageRequest nan;
    nan.gain1kHzDb = NAN;
    const std::vector<Row> rows{
        {"A <= 1", low, kRiaa,
         "The gain is too low for a non-inverting stage: its gain cannot fall below 1 (at least -19.91 dB at 1 kHz)"},
        {"T2' <= Tb", uncorrectable, kRiaa,
         "The gain is too low to cancel the stage's extra zero: at least 0.09 dB at 1 kHz, or leave the zero"},
        {"R2 < 0", twoStage, kRiaa, "The gain is too low for two stages: R2 would be below 0 (at least 0.09 dB at 1 kHz)"},
        {"C1 < 1 pF", huge, kRiaa, "C1 would be 6.201e-09 \u00B5F: below 1 pF"},
        {"C0 too large", bigC0, kRiaa, "C0 would be 2e+04 \u00B5F: above 10,000 \u00B5F"},
        {"IEC without RL", iec, kRiaa, "The IEC coupling capacitor needs the next stage's input resistance RL"},
        {"3.18 above Tb", at3, {3180, 318, 2}, "A zero at 3.18 \u00B5s needs a curve whose treble pole lies above 3.18 \u00B5s"},
        {"no treble", formB, kNoTreble, "Form B cannot realise a curve without a treble pole; form A can, without C2"},
        {"gain NaN", nan, kRiaa, "The gain at 1 kHz must be a finite value"},
    };
    for (const Row& row : rows) EXPECT_EQ(MessageOf(row.request, row.tc), row.message) << row.name;
}

}  // namespace
