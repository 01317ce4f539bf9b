#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "PartSeries.h"
#include "ValueLists.h"

using namespace riaa;

namespace {

bool Holds(const PartSeries& series, double value) {
    return std::any_of(series.values().begin(), series.values().end(),
                       [value](double v) { return std::fabs(v - value) <= 1e-9 * value; });
}

struct SeriesCase {
    SeriesKind kind;
    const char* name;
    std::size_t perDecade;
    int first;
    int last;
    std::vector<double> known;  // in ohms, all within 1 Ω .. 10 MΩ
};
class SeriesTable : public ::testing::TestWithParam<SeriesCase> {};
TEST_P(SeriesTable, FollowsIec60063) {
    const SeriesCase& c = GetParam();
    const auto mantissas = SeriesMantissas(c.kind);
    EXPECT_EQ(SeriesName(c.kind), c.name);
    ASSERT_EQ(mantissas.size(), c.perDecade);
    EXPECT_EQ(mantissas.front(), c.first);
    EXPECT_EQ(mantissas.back(), c.last);
    EXPECT_TRUE(std::is_sorted(mantissas.begin(), mantissas.end()));
    EXPECT_EQ(std::adjacent_find(mantissas.begin(), mantissas.end()), mantissas.end());

    // Six whole decades from 1 Ω, and 10 MΩ closing the range.
    const PartSeries series = MakePartSeries(c.kind, kResistorRange);
    ASSERT_EQ(series.values().size(), 7 * c.perDecade + 1);
    EXPECT_EQ(series.values().front(), 1);
    EXPECT_EQ(series.values().back(), 10e6);
    for (std::size_t i = 1; i < series.values().size(); ++i) {
        EXPECT_GT(series.values()[i], series.values()[i - 1]) << i;
        // Neighbours of a series are never much more than one step of 10^(1/n) apart.
        EXPECT_LT(series.values()[i] / series.values()[i - 1], std::pow(10, 1.8 / c.perDecade)) << i;
    }
    for (double ohms : c.known) EXPECT_TRUE(Holds(series, ohms)) << c.name << " " << ohms;
}
INSTANTIATE_TEST_SUITE_P(
    AllSeries, SeriesTable,
    ::testing::Values(SeriesCase{SeriesKind::E6, "E6", 6, 10, 68, {1.5, 33, 4700, 680000}},
                      SeriesCase{SeriesKind::E12, "E12", 12, 10, 82, {1.2, 8.2, 39000, 5.6e6}},
                      SeriesCase{SeriesKind::E24, "E24", 24, 10, 91, {3.3, 4.7, 9.1, 27000, 820, 43, 5.1e6}},
                      SeriesCase{SeriesKind::E48, "E48", 48, 100, 953, {1.05, 3.01, 9530, 46400}},
                      SeriesCase{SeriesKind::E96, "E96", 96, 100, 976, {4.99, 49.9, 1.02e6, 7150, 97.6}},
                      SeriesCase{SeriesKind::E192, "E192", 192, 100, 988, {9.2, 1.93, 2.46, 80.6, 988000}}));

// Each finer series holds the coarser one of its family: E6 ⊂ E12 ⊂ E24, E48 ⊂ E96 ⊂ E192.
TEST(SeriesTable, FinerSeriesHoldTheCoarser) {
    const std::pair<SeriesKind, SeriesKind> pairs[] = {{SeriesKind::E6, SeriesKind::E12},
                                                       {SeriesKind::E12, SeriesKind::E24},
                                                       {SeriesKind::E48, SeriesKind::E96},
                                                       {SeriesKind::E96, SeriesKind::E192}};
    for (const auto& [coarse, fine] : pairs) {
        const auto finer = SeriesMantissas(fine);
        for (int m : SeriesMantissas(coarse)) {
            EXPECT_NE(std::find(finer.begin(), finer.end(), m), finer.end()) << SeriesName(fine) << " " << m;
        }
    }
    // E24 is no part of E96: 9.1 has no three-digit twin there.
    const PartSeries e96 = MakePartSeries(SeriesKind::E96, kResistorRange);
    EXPECT_FALSE(Holds(e96, 9100));
    // Our list's extra 245 is no IEC value.
    EXPECT_FALSE(Holds(MakePartSeries(SeriesKind::E192, kResistorRange), 245));
}

TEST(SeriesTable, CapacitorsSpanOnePicofaradToTenMicrofarads) {
    const PartSeries e12 = MakePartSeries(SeriesKind::E12, kCapacitorRange);
    ASSERT_EQ(e12.values().size(), 7u * 12 + 1);
    EXPECT_EQ(e12.values().front(), 1e-6);
    EXPECT_EQ(e12.values().back(), 10);
    EXPECT_TRUE(Holds(e12, 0.0033));   // 3.3 nF
    EXPECT_TRUE(Holds(e12, 0.00012));  // 120 pF
    EXPECT_TRUE(Holds(e12, 0.47));
}

struct RoundCase {
    SeriesKind kind;
    double x;
    double expected;
};
class SeriesRounding : public ::testing::TestWithParam<RoundCase> {};
TEST_P(SeriesRounding, PicksTheNearestOnALogScale) {
    const PartSeries series = MakePartSeries(GetParam().kind, kResistorRange);
    EXPECT_DOUBLE_EQ(series.round(GetParam().x), GetParam().expected) << GetParam().x;
}
INSTANTIATE_TEST_SUITE_P(
    Values, SeriesRounding,
    ::testing::Values(
        // Log scale, not linear: between 3.3 and 4.7 the midpoint is 3.938, not 4.0.
        RoundCase{SeriesKind::E6, 3.95, 4.7}, RoundCase{SeriesKind::E6, 3.92, 3.3},
        RoundCase{SeriesKind::E24, 3180, 3300}, RoundCase{SeriesKind::E24, 310000, 300000}, RoundCase{SeriesKind::E24, 318000, 330000},
        RoundCase{SeriesKind::E96, 5000, 4990}, RoundCase{SeriesKind::E96, 2122, 2100},
        RoundCase{SeriesKind::E192, 4700, 4700}, RoundCase{SeriesKind::E12, 1, 1},
        // Outside the range: clamped to its ends.
        RoundCase{SeriesKind::E24, 0.2, 1}, RoundCase{SeriesKind::E24, 0, 1}, RoundCase{SeriesKind::E24, -5, 1},
        RoundCase{SeriesKind::E24, 3e7, 10e6}, RoundCase{SeriesKind::E96, std::numeric_limits<double>::infinity(), 10e6},
        RoundCase{SeriesKind::E6, 9.5e6, 10e6}));

// Exactly between two neighbours on the log scale the upper one wins; a hair below, the lower one.
TEST(SeriesRounding, TiesGoUp) {
    struct Case {
        SeriesKind kind;
        double below;
        double above;
    };
    for (const Case& c : {Case{SeriesKind::E6, 3.3, 4.7}, Case{SeriesKind::E12, 8200, 10000},
                          Case{SeriesKind::E24, 9.1, 10}, Case{SeriesKind::E96, 4990, 5110},
                          Case{SeriesKind::E192, 1e6, 1.01e6}}) {
        const PartSeries series = MakePartSeries(c.kind, kResistorRange);
        const double middle = std::sqrt(c.below * c.above);
        EXPECT_DOUBLE_EQ(series.round(middle), c.above) << c.below;
        EXPECT_DOUBLE_EQ(series.round(middle * (1 - 1e-9)), c.below) << c.below;
    }
    // Where the geometric mean is a double: 1 and 4 around 2 in a series made for it.
    const PartSeries made("made", {1, 4});
    EXPECT_EQ(made.round(2), 4);
    EXPECT_EQ(made.round(1.999999), 1);
}

// The program's list as a series: sorted (its out-of-order pairs put right), each value once,
// typed values included, rounded by the same log rule.
TEST(ListSeries, IsTheSortedListWithinItsRange) {
    ValueList list = MakeResistorList();
    InsertTypedValue(list, "12345", NumberLocale{});
    const PartSeries series = MakeListSeries(list, kResistorRange);
    EXPECT_EQ(series.name(), "List");
    ASSERT_EQ(series.values().size(), 986u);
    EXPECT_TRUE(std::is_sorted(series.values().begin(), series.values().end()));
    EXPECT_EQ(series.values().front(), 10);
    EXPECT_EQ(series.values().back(), 10e6);
    EXPECT_TRUE(Holds(series, 12345));
    EXPECT_EQ(series.round(12340), 12345);
    EXPECT_EQ(series.round(3180000), 3300000);
    EXPECT_EQ(series.round(1), 10);
    // Beside the out-of-order pair: 245.9 is nearer 246 on any scale.
    EXPECT_EQ(series.round(245.9), 246);
    EXPECT_EQ(MakeListSeries(list, PartRange{100, 1000}).values().size(), 192u + 1);
}

}  // namespace
