#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/ValueLists.h"

using namespace riaa;

namespace {
const NumberLocale kPoint{};
const NumberLocale kComma{",", "."};

TEST(ResistorList, HasTheStartEntries) {
    const ValueList list = MakeResistorList();
    ASSERT_EQ(list.size(), 985u);
    struct Entry {
        std::size_t position;
        const char* text;
    };
    for (const Entry& e : {Entry{0, "10"}, Entry{1, "10.1"}, Entry{8, "11"}, Entry{74, "24.6"}, Entry{75, "24.5"},
                           Entry{54, "19.1"}, Entry{55, "19.6"}, Entry{173, "79.6"}, Entry{174, "80.5"},
                           Entry{191, "98.8"}, Entry{192, "100"}, Entry{266, "246"}, Entry{267, "245"},
                           Entry{384, "1000"}, Entry{458, "2460"}, Entry{459, "2450"}, Entry{576, "10000"},
                           Entry{650, "24600"}, Entry{651, "24500"}, Entry{768, "100000"}, Entry{842, "246000"},
                           Entry{843, "245000"}, Entry{959, "988000"}, Entry{960, "1000000"}, Entry{961, "1100000"},
                           Entry{984, "10000000"}}) {
        EXPECT_EQ(list.text(e.position), e.text) << e.position;
    }
    // Apart from the one pair per decade, ascending.
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (i % 192 == 75 && i < 960) {
            EXPECT_LT(list.value(i), list.value(i - 1));
        } else {
            EXPECT_GT(list.value(i), list.value(i - 1)) << i;
        }
    }
}

TEST(CapacitorList, HasTheStartEntries) {
    const ValueList list = MakeCapacitorList();
    ASSERT_EQ(list.size(), 164u);
    EXPECT_EQ(list.text(0), "0.0001");
    EXPECT_EQ(list.text(28), "0.01");
    EXPECT_EQ(list.text(144), "9.9");
    EXPECT_EQ(list.text(145), "10");
    EXPECT_EQ(list.text(163), "100");
    for (std::size_t i = 1; i < list.size(); ++i) EXPECT_GT(list.value(i), list.value(i - 1)) << i;
}

struct RoundCase {
    double ohms;
    double expected;
};
class ClosestResistor : public ::testing::TestWithParam<RoundCase> {};
TEST_P(ClosestResistor, PicksTheNeighbourTheScanMeets) {
    const ValueList list = MakeResistorList();
    EXPECT_EQ(ClosestStandardResistor(GetParam().ohms, list, kPoint), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(StartLists, ClosestResistor,
                         ::testing::Values(RoundCase{0, 0}, RoundCase{-1, 10}, RoundCase{5, 10}, RoundCase{318000, 320000},
                                           RoundCase{1005, 1010}, RoundCase{2440, 2430}, RoundCase{2455, 2450},
                                           RoundCase{2458, 2450}, RoundCase{999999, 1000000}, RoundCase{100, 100},
                                           RoundCase{100.4, 100}, RoundCase{99.5, 100}, RoundCase{10, 10},
                                           RoundCase{999.6, 1000}, RoundCase{990000, 988000},
                                           RoundCase{1000000, 1000000}, RoundCase{31800, 32000},
                                           RoundCase{9802.71, 9760}));
// Exactly between two neighbours the upper one wins, also beside the out-of-order pair; the pair's
// own entries round to themselves.
INSTANTIATE_TEST_SUITE_P(Ties, ClosestResistor,
                         ::testing::Values(RoundCase{244.5, 246}, RoundCase{2445, 2460}, RoundCase{24450, 24600},
                                           RoundCase{244500, 246000}, RoundCase{245, 245}, RoundCase{2450, 2450},
                                           RoundCase{24.5, 24.5}, RoundCase{245000, 245000}, RoundCase{247.5, 249},
                                           RoundCase{994000, 1000000}));
// From 1 MΩ up the E24 tail of the list is used, with the same tie rule; beyond it the last entry.
INSTANTIATE_TEST_SUITE_P(Megohms, ClosestResistor,
                         ::testing::Values(RoundCase{3180000, 3300000}, RoundCase{1150000, 1200000},
                                           RoundCase{20000000, 10000000}, RoundCase{1050000, 1100000},
                                           RoundCase{1049999, 1000000}, RoundCase{9550000, 10000000},
                                           RoundCase{9549999, 9100000}, RoundCase{10000000, 10000000},
                                           RoundCase{1e300, 10000000}, RoundCase{1000001, 1000000},
                                           RoundCase{4700000, 4700000}, RoundCase{8999999, 9100000}));

TEST(ClosestResistor, DecadesFollowTypedEntries) {
    ValueList list = MakeResistorList();
    InsertTypedValue(list, "10.0", kPoint);
    EXPECT_EQ(list.text(0), "10.0");
    EXPECT_EQ(list.text(192), "98.8");
    for (const char* typed : {"12.34", "33.33", "55.55", "77.77"}) InsertTypedValue(list, typed, kPoint);
    EXPECT_EQ(ClosestStandardResistor(999.6, list, kPoint), 1000);
    EXPECT_EQ(ClosestStandardResistor(990000, list, kPoint), 988000);
    EXPECT_EQ(ClosestStandardResistor(318000, list, kPoint), 320000);
    EXPECT_EQ(ClosestStandardResistor(2458, list, kPoint), 2450);
    EXPECT_EQ(ClosestStandardResistor(5e6, list, kPoint), 5100000);
    EXPECT_EQ(ClosestStandardResistor(-3, list, kPoint), 10);
}

// A typed value that takes a decade entry's place pushes the entry on; the rounding must still
// start from the entry, not from the place.
TEST(ClosestResistor, KeepsItsAnchorWhenATypedValueTakesTheDecadePlace) {
    struct Case {
        std::vector<const char*> typed;  // the last one ends up at the decade entry's start place
        std::size_t place;
        double ohms;
        double expected;
    };
    for (const Case& c : {Case{{"999999"}, 960, 1000000, 1000000}, Case{{"999999"}, 960, 999999.4, 999999},
                          Case{{"999999"}, 960, 3180000, 3300000}, Case{{"999999"}, 960, 1040000, 1000000},
                          Case{{"99999", "99990"}, 768, 99999.8, 100000},
                          Case{{"99999", "99990"}, 768, 99999.3, 99999},
                          Case{{"99999", "99990"}, 768, 100000, 100000},
                          Case{{"999", "998"}, 384, 999.6, 1000}, Case{{"999", "998"}, 384, 998.4, 998},
                          Case{{"99.9", "99.8"}, 192, 99.96, 100}, Case{{"999999", "995000"}, 960, 999999.8, 1000000},
                          Case{{"1e6"}, 960, 1040000, 1000000}, Case{{"1e6"}, 960, 3180000, 3300000}}) {
        ValueList list = MakeResistorList();
        for (const char* typed : c.typed) InsertTypedValue(list, typed, kPoint);
        ASSERT_EQ(list.text(c.place), c.typed.back());
        EXPECT_EQ(ClosestStandardResistor(c.ohms, list, kPoint), c.expected) << c.typed.back() << " " << c.ohms;
    }
    // Typed values above 1 MΩ join the tail and take part in its rounding.
    ValueList list = MakeResistorList();
    InsertTypedValue(list, "3180000", kPoint);
    EXPECT_EQ(ClosestStandardResistor(3170000, list, kPoint), 3180000);
    InsertTypedValue(list, "47000000", kPoint);
    EXPECT_EQ(ClosestStandardResistor(1e9, list, kPoint), 47000000);
    EXPECT_EQ(ClosestStandardResistor(28500000, list, kPoint), 47000000);
}

struct InsertCase {
    const char* typed;
    std::ptrdiff_t position;  // -1: nothing inserted
};
class CapacitorInsert : public ::testing::TestWithParam<InsertCase> {};
TEST_P(CapacitorInsert, KeepsTheListAscending) {
    ValueList list = MakeCapacitorList();
    InsertTypedValue(list, GetParam().typed, kPoint);
    if (GetParam().position < 0) {
        EXPECT_EQ(list.size(), 164u);
    } else {
        ASSERT_EQ(list.size(), 165u);
        EXPECT_EQ(list.text(static_cast<std::size_t>(GetParam().position)), GetParam().typed);
    }
}
INSTANTIATE_TEST_SUITE_P(Typed, CapacitorInsert,
                         ::testing::Values(InsertCase{"95", 163}, InsertCase{"150", 164}, InsertCase{"0.00005", 0},
                                           InsertCase{"0.047", -1}, InsertCase{"0", -1}, InsertCase{"0.0000000", -1},
                                           InsertCase{"-0", -1}, InsertCase{"0.010", 28}, InsertCase{"-5", 0}));

TEST(ResistorInsert, FindsItsPlace) {
    ValueList list = MakeResistorList();
    InsertTypedValue(list, "4711", kPoint);
    const auto& texts = list.texts();
    const auto at = std::find(texts.begin(), texts.end(), "4711") - texts.begin();
    EXPECT_EQ(list.text(static_cast<std::size_t>(at) + 1), "4750");
    InsertTypedValue(list, "4700", kPoint);
    EXPECT_EQ(list.size(), 986u);
    InsertTypedValue(list, "12500", kPoint);
    const auto at2 = std::find(texts.begin(), texts.end(), "12500") - texts.begin();
    EXPECT_EQ(list.text(static_cast<std::size_t>(at2) - 1), "12400");
    EXPECT_EQ(list.text(static_cast<std::size_t>(at2) + 1), "12600");
    InsertTypedValue(list, "20000000", kPoint);
    EXPECT_EQ(list.text(list.size() - 1), "20000000");
}

TEST(TypedInsert, IgnoresCaseAndRefusesNonNumbers) {
    ValueList list = MakeCapacitorList();
    list.append("1E2x", 100);
    InsertTypedValue(list, "1e2X", kPoint);
    EXPECT_EQ(list.size(), 165u);
    try {
        InsertTypedValue(list, "abc", kPoint);
        ADD_FAILURE();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(list.size(), 165u);
}

// Every locale without a point rewrites the same ranges, the multi-byte U+066B as well as the
// comma; each list keeps its own entries, and every entry reads back as its value.
TEST(Localize, RewritesInEveryLocaleWithoutAPoint) {
    EXPECT_EQ(LocalizeDecimalSeparator("0.00025"), "0,00025");
    EXPECT_EQ(LocalizeDecimalSeparator(""), "");
    EXPECT_EQ(LocalizeDecimalSeparator("1.2.3", "\u066B"), "1\u066B2\u066B3");

    ValueList resistors = MakeResistorList();
    ValueList capacitors = MakeCapacitorList();
    LocalizeValueLists(resistors, capacitors, kPoint);
    EXPECT_EQ(capacitors.text(2), "0.00025");

    for (const NumberLocale& locale : {kComma, NumberLocale{"\u066B", "\u066C"}}) {
        resistors = MakeResistorList();
        capacitors = MakeCapacitorList();
        LocalizeValueLists(resistors, capacitors, locale);
        const std::string& separator = locale.decimalSeparator;
        EXPECT_EQ(capacitors.text(2), "0" + separator + "00025");
        EXPECT_EQ(capacitors.text(144), "9" + separator + "9");
        EXPECT_EQ(resistors.text(1), "10" + separator + "1");
        EXPECT_EQ(resistors.text(191), "98" + separator + "8");
        EXPECT_EQ(resistors.text(192), "100");
        EXPECT_EQ(resistors.text(960), "1000000");
        ASSERT_EQ(resistors.size(), 985u);
        ASSERT_EQ(capacitors.size(), 164u);
        for (const ValueList* list : {&resistors, &capacitors}) {
            for (std::size_t i = 0; i < list->size(); ++i) {
                EXPECT_DOUBLE_EQ(ParseNumber(list->text(i), locale), list->value(i)) << list->text(i);
            }
        }
        EXPECT_EQ(ClosestStandardResistor(318000, resistors, locale), 320000);
    }
}

}  // namespace
