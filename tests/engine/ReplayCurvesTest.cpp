#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/Formats.h"
#include "engine/ReplayCurves.h"

using namespace riaa;

namespace {

// The textbook magnitude against 1 kHz, in dB; without a shelf the bass rises as 1/(ωTz).
double TextbookDb(double shelf, double turnover, double treble, double hz) {
    const auto magnitude = [&](double f) {
        const double w = 2 * std::numbers::pi * f * 1e-6;
        const double bass = shelf != 0 ? std::hypot(1.0, w * shelf) : w * turnover;
        return std::hypot(1.0, w * turnover) / (bass * std::hypot(1.0, w * treble));
    };
    return 20 * std::log10(magnitude(hz) / magnitude(1000));
}

TEST(Curves, EveryRowHasItsTimeConstants) {
    struct Row {
        const char* name;
        double shelf, turnover, treble;
    };
    const Row rows[] = {{"RIAA", 3180, 318, 75},         {"NAB 1949", 3180, 318, 100},  {"Columbia LP", 1590, 318, 100},
                        {"London LP", 1590, 318, 50},    {"TELDEC", 3180, 318, 50},     {"AES 1951", 0, 398, 63.7},
                        {"RCA Old Orthophonic", 0, 318, 75}, {"RCA 45", 0, 200, 75},   {"NAB 1942", 0, 318, 100},
                        {"Columbia 78", 0, 530, 100},    {"Decca 78", 0, 531, 25},      {"CCIR 78", 0, 450, 50},
                        {"IEC N78", 3180, 450, 50},      {"European 78", 0, 636, 0},    {"Blumlein 300 Hz", 0, 531, 0}};
    ASSERT_EQ(ReplayCurves().size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(CurveRow(CurveChoice{i}).name, r.name);
        for (const double hz : {50.0, 10000.0}) {
            EXPECT_NEAR(CurveLevelDb(CurveChoice{i}, hz), TextbookDb(r.shelf, r.turnover, r.treble, hz), 1e-9)
                << r.name << " at " << hz << " Hz";
        }
    }
    // Without a shelf the bass is read at 20 Hz.
    EXPECT_NEAR(20 * std::log10(CurveLowToMidRatio(CurveChoice{5})), TextbookDb(0, 398, 63.7, 20), 1e-9);
}

TEST(Curves, RiaaMatchesThePublishedTable) {
    const double published[][2] = {{20, 19.274}, {50, 16.946}, {10000, -13.734}, {20000, -19.620}};
    for (const auto& [hz, db] : published) EXPECT_NEAR(CurveLevelDb(CurveChoice{}, hz), db, 0.001) << hz;
    EXPECT_NEAR(CurveLowToMidRatio(CurveChoice{}), 9.898, 0.001);
}

TEST(Curves, OptionsAddTheirOwnFactor) {
    // 7950 µs is −3.011 dB at 20 Hz and still −0.0017 dB at 1 kHz; 3.18 µs is +0.0017 dB at 1 kHz.
    struct Case {
        std::size_t curve;
        bool iec, zero;
        double hz, extraDb;
    };
    for (const Case& c : {Case{0, true, false, 20, -3.013}, Case{0, true, false, 50, -0.644},
                          Case{0, false, true, 10000, 0.168}, Case{0, false, true, 20000, 0.642},
                          Case{0, true, true, 20, -3.015}, Case{5, true, false, 20, -3.013}}) {
        const double extra = CurveLevelDb({c.curve, c.iec, c.zero}, c.hz) - CurveLevelDb({c.curve}, c.hz);
        EXPECT_NEAR(extra, c.extraDb, 0.001) << c.curve << " at " << c.hz << " Hz";
    }
    EXPECT_NEAR(20 * std::log10(CurveLowToMidRatio({0, true, false})), 16.261, 0.001);
    // The high-pass cancels the rise of a curve without a shelf: finite at 0 Hz, infinite without it.
    EXPECT_NEAR(CurveLevelDb({5, true, false}, 0), CurveLevelDb({5, true, false}, 0.01), 1e-5);
    EXPECT_EQ(CurveLevelDb({5}, 0), INFINITY);
}

TEST(Curves, FoundByAnyOfTheirNames) {
    const std::pair<const char*, int> names[] = {
        {"  riaa\r\n", 0}, {"rca new orthophonic", 0}, {"IEC-98", 0}, {"nab_1949", 1}, {"NARTB", 1},
        {"columbia-lp", 2}, {"Decca LP", 3}, {"FFRR_78", 10}, {"bs 1928", 12}, {"blumlein-300-hz", 14},
        {"", -1}, {" -_ ", -1}, {"NAB", -1}, {"RIAA 2", -1}, {"78", -1}};
    for (const auto& [text, row] : names) {
        const auto found = FindCurve(text);
        EXPECT_EQ(found ? static_cast<int>(*found) : -1, row) << '"' << text << '"';
    }
    try {
        CurveRow(CurveChoice{15});
        ADD_FAILURE();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "There is no replay curve number 15; the curves are 0 to 14");
    }
}

}  // namespace
