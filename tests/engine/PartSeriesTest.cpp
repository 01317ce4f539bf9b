#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "engine/PartSeries.h"

using namespace riaa;

namespace {

bool Holds(const PartSeries& series, double value) {
    return std::any_of(series.values().begin(), series.values().end(),
                       [value](double v) { return std::fabs(v - value) <= 1e-9 * value; });
}

struct SeriesCase {
    SeriesKind kind;
    std::size_t perDecade;
    int first, last;
    std::vector<double> known;  // ohms
    SeriesKind coarser;         // every mantissa of it is one of this series too
};
class SeriesTable : public ::testing::TestWithParam<SeriesCase> {};
TEST_P(SeriesTable, FollowsIec60063) {
    const SeriesCase& c = GetParam();
    const auto mantissas = SeriesMantissas(c.kind);
    EXPECT_EQ(SeriesName(c.kind), "E" + std::to_string(c.perDecade));
    ASSERT_EQ(mantissas.size(), c.perDecade);
    EXPECT_EQ(mantissas.front(), c.first);
    EXPECT_EQ(mantissas.back(), c.last);
    for (int m : SeriesMantissas(c.coarser)) EXPECT_NE(std::find(mantissas.begin(), mantissas.end(), m), mantissas.end()) << m;
    // Seven decades from 1 Ω, 10 MΩ closing the range; no gap wider than a step and a half.
    const PartSeries series = MakePartSeries(c.kind, kResistorRange);
    const std::vector<double>& v = series.values();
    ASSERT_EQ(v.size(), 7 * c.perDecade + 1);
    EXPECT_EQ(v.front(), 1);
    EXPECT_EQ(v.back(), 10e6);
    for (std::size_t i = 1; i < v.size(); ++i) {
        EXPECT_GT(v[i], v[i - 1]) << i;
        EXPECT_LT(v[i] / v[i - 1], std::pow(10, 1.8 / static_cast<double>(c.perDecade))) << i;
    }
    for (double ohms : c.known) EXPECT_TRUE(Holds(series, ohms)) << ohms;
}
INSTANTIATE_TEST_SUITE_P(
    AllSeries, SeriesTable,
    ::testing::Values(SeriesCase{SeriesKind::E6, 6, 10, 68, {1.5, 4700, 680000}, SeriesKind::E6},
                      SeriesCase{SeriesKind::E12, 12, 10, 82, {8.2, 39000, 5.6e6}, SeriesKind::E6},
                      SeriesCase{SeriesKind::E24, 24, 10, 91, {3.3, 4.7, 9.1, 43, 5.1e6}, SeriesKind::E12},
                      SeriesCase{SeriesKind::E48, 48, 100, 953, {1.05, 3.01, 46400}, SeriesKind::E48},
                      SeriesCase{SeriesKind::E96, 96, 100, 976, {4.99, 1.02e6, 97.6}, SeriesKind::E48},
                      SeriesCase{SeriesKind::E192, 192, 100, 988, {9.2, 1.93, 2.46, 80.6}, SeriesKind::E96}));

TEST(SeriesTable, CapacitorsSpanOnePicofaradToTenMicrofarads) {
    const PartSeries e12 = MakePartSeries(SeriesKind::E12, kCapacitorRange);
    ASSERT_EQ(e12.values().size(), 7u * 12 + 1);
    EXPECT_EQ(e12.values().front(), 1e-6);
    EXPECT_EQ(e12.values().back(), 10);
    EXPECT_TRUE(Holds(e12, 0.0033) && Holds(e12, 0.00012) && Holds(e12, 0.47));
    // Our list's extra 245 and E24's 9.1 are no E192 or E96 values.
    EXPECT_FALSE(Holds(MakePartSeries(SeriesKind::E192, kResistorRange), 245));
    EXPECT_FALSE(Holds(MakePartSeries(SeriesKind::E96, kResistorRange), 9100));
}

struct RoundCase {
    SeriesKind kind;
    double x, expected;
};
class SeriesRounding : public ::testing::TestWithParam<RoundCase> {};
TEST_P(SeriesRounding, PicksTheNearestOnALogScale) {
    EXPECT_DOUBLE_EQ(MakePartSeries(GetParam().kind, kResistorRange).round(GetParam().x), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Values, SeriesRounding,
    ::testing::Values(
        // Between 3.3 and 4.7 the log midpoint is 3.938, not 4.0.
        RoundCase{SeriesKind::E6, 3.95, 4.7}, RoundCase{SeriesKind::E6, 3.92, 3.3},
        RoundCase{SeriesKind::E24, 310000, 300000}, RoundCase{SeriesKind::E24, 318000, 330000},
        RoundCase{SeriesKind::E96, 5000, 4990}, RoundCase{SeriesKind::E192, 4700, 4700},
        // Outside the range: its ends.
        RoundCase{SeriesKind::E24, 0.2, 1}, RoundCase{SeriesKind::E24, -5, 1}, RoundCase{SeriesKind::E24, 3e7, 10e6},
        RoundCase{SeriesKind::E96, std::numeric_limits<double>::infinity(), 10e6}));

TEST(SeriesRounding, TiesGoUp) {
    for (const auto& [kind, below, above] : {std::tuple{SeriesKind::E6, 3.3, 4.7}, std::tuple{SeriesKind::E12, 8200.0, 10000.0},
                                             std::tuple{SeriesKind::E96, 4990.0, 5110.0}}) {
        const PartSeries series = MakePartSeries(kind, kResistorRange);
        const double middle = std::sqrt(below * above);
        EXPECT_DOUBLE_EQ(series.round(middle), above) << below;
        EXPECT_DOUBLE_EQ(series.round(middle * (1 - 1e-9)), below) << below;
    }
    EXPECT_EQ(PartSeries("exact", {1, 4}).round(2), 4);
}

// Sorted, each value once, typed values included, rounded by the same log rule.
TEST(ListSeries, IsTheSortedListWithinItsRange) {
    ValueList list = MakeResistorList();
    InsertTypedValue(list, "12345", NumberLocale{});
    const PartSeries series = MakeListSeries(list, kResistorRange);
    EXPECT_EQ(series.name(), "List");
    ASSERT_EQ(series.values().size(), 986u);
    EXPECT_TRUE(std::is_sorted(series.values().begin(), series.values().end()));
    EXPECT_EQ(series.round(12340), 12345);
    EXPECT_EQ(series.round(3180000), 3300000);
    EXPECT_EQ(series.round(245.9), 246);  // beside the out-of-order pair
    EXPECT_EQ(MakeListSeries(list, PartRange{100, 1000}).values().size(), 193u);
}

}  // namespace
