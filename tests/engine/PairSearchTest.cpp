#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "engine/PairSearch.h"
#include "engine/PartSums.h"
#include "engine/Response.h"

using namespace riaa;

namespace {

const NumberLocale kPoint{};
const NumberLocale kComma{",", "."};

struct PairCase {
    SeriesKind kind;
    bool capacitors;
    double target, first, second;
};
class BestPair : public ::testing::TestWithParam<PairCase> {};
TEST_P(BestPair, FindsTheClosestSum) {
    const PairCase& c = GetParam();
    const PartSeries series = MakePartSeries(c.kind, c.capacitors ? kCapacitorRange : kResistorRange);
    const auto pair = FindBestPair(c.target, series);
    ASSERT_TRUE(pair.has_value());
    EXPECT_NEAR(pair->first, c.first, 1e-12 * c.first);
    EXPECT_NEAR(pair->second, c.second, 1e-12 * c.first);
    EXPECT_NEAR(pair->errorPercent, (c.first + c.second - c.target) / c.target * 100, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(
    Hits, BestPair,
    ::testing::Values(
        // An exact single part needs no second one; exact pairs put the larger part first.
        PairCase{SeriesKind::E24, false, 4700, 4700, 0}, PairCase{SeriesKind::E24, false, 27820, 27000, 820},
        PairCase{SeriesKind::E6, false, 20000, 10000, 10000},
        // C2 = C1/2.916 at 10 nF: the best E12 part is 3.8 % off, this pair 0.27 %.
        PairCase{SeriesKind::E12, true, 0.01 / 2.916, 0.0033, 0.00012},
        // Outside the range: the two largest parts, or the smallest alone.
        PairCase{SeriesKind::E24, false, 1e9, 10e6, 10e6}, PairCase{SeriesKind::E24, false, 0.1, 1, 0},
        PairCase{SeriesKind::E12, true, 1e-9, 1e-6, 0}));

// The sweep must find what trying every pair finds.
TEST(BestPair, EqualsTheSearchOfEveryPair) {
    const PartSeries e96 = MakePartSeries(SeriesKind::E96, kResistorRange);
    const std::vector<double>& v = e96.values();
    std::mt19937_64 random(7);
    for (int trial = 0; trial < 200; ++trial) {
        const double target = std::pow(10.0, static_cast<double>(random() % 8000) / 1000.0);
        double best = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < v.size(); ++i) {
            best = std::min(best, std::fabs(v[i] - target));
            for (std::size_t j = i; j < v.size(); ++j) best = std::min(best, std::fabs(v[i] + v[j] - target));
        }
        const auto pair = FindBestPair(target, e96);
        ASSERT_TRUE(pair.has_value());
        EXPECT_EQ(std::fabs(pair->total - target), best) << target;
    }
    for (double target : {0.0, -100.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(FindBestPair(target, e96).has_value()) << target;
    }
}

struct TextCase {
    bool capacitors;
    double first, second;
    const char* point;
    const char* comma;
};
class PairText : public ::testing::TestWithParam<TextCase> {};
TEST_P(PairText, ReadsBackInTheAsBuiltFields) {
    const TextCase& c = GetParam();
    const PartPair pair{c.first, c.second, c.first + c.second, 0};
    for (const auto& [locale, expected] : {std::pair{kPoint, c.point}, std::pair{kComma, c.comma}}) {
        const std::string text = c.capacitors ? CapacitorPairText(pair, locale) : ResistorPairText(pair, locale);
        EXPECT_EQ(text, expected);
        const double read = c.capacitors ? ParseCapacitorSum(text, locale) : ParseResistorSum(text, locale);
        EXPECT_NEAR(read, pair.total, 1e-12 * pair.total) << text;
    }
}
INSTANTIATE_TEST_SUITE_P(
    Units, PairText,
    ::testing::Values(TextCase{false, 27000, 820, "27k+820", "27k+820"},
                      TextCase{false, 4990, 49.9, "4.99k+49.9", "4,99k+49,9"}, TextCase{false, 1e6, 0, "1M", "1M"},
                      TextCase{false, 1.5e6, 2.2, "1.5M+2.2", "1,5M+2,2"}, TextCase{false, 999, 1, "999+1", "999+1"},
                      TextCase{true, 0.0033, 0.00012, "3.3n+120p", "3,3n+120p"},
                      TextCase{true, 1.5, 0.47, "1.5+470n", "1,5+470n"}, TextCase{true, 0.001, 0.000999, "1n+999p", "1n+999p"},
                      TextCase{true, 10, 0.0000015, "10+1.5p", "10+1,5p"}));

}  // namespace
