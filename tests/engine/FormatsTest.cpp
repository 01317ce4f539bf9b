#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/Formats.h"

using namespace riaa;

namespace {
const NumberLocale kPoint{};
const NumberLocale kComma{",", "."};

struct FormatCase {
    double value;
    const char* expected;
};

class ResistanceFormat : public ::testing::TestWithParam<FormatCase> {};
TEST_P(ResistanceFormat, RendersEachRange) {
    EXPECT_EQ(FormatResistance(GetParam().value, kPoint), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Thresholds, ResistanceFormat,
                         ::testing::Values(FormatCase{999.4, "999"}, FormatCase{999.5, "1000"},
                                           FormatCase{998.99, "999"}, FormatCase{1000, "1 k"},
                                           FormatCase{1000.4, "1000"}, FormatCase{999.99, "1000"},
                                           FormatCase{2200, "2200"}, FormatCase{9999.6, "10000"},
                                           FormatCase{10000, "10 k"}, FormatCase{9999.99, "10000"},
                                           FormatCase{47500, "47.5 k"}, FormatCase{99999, "100 k"},
                                           FormatCase{100000, "100 k"}, FormatCase{150000, "150 k"},
                                           FormatCase{999999, "1000 k"}, FormatCase{1000000, "1 M"},
                                           FormatCase{2200000, "2.2 M"}, FormatCase{318000, "318 k"},
                                           FormatCase{466275.66, "466.3 k"}, FormatCase{9802.71, "9803"},
                                           FormatCase{100, "100"}, FormatCase{99.996, "100"},
                                           FormatCase{332.55, "332.6"}, FormatCase{10, "10"},
                                           FormatCase{9.999, "10"}, FormatCase{0, "0"}, FormatCase{0.5, "0.5"},
                                           FormatCase{-1, "-1"}, FormatCase{-2200, "-2200"},
                                           FormatCase{-0.001, "0"}));

class CapacitanceFormat : public ::testing::TestWithParam<FormatCase> {};
TEST_P(CapacitanceFormat, RendersEachRange) {
    EXPECT_EQ(FormatCapacitance(GetParam().value, kPoint), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Thresholds, CapacitanceFormat,
    ::testing::Values(FormatCase{0, "0 \u00B5F"}, FormatCase{0.00033, "330 pF"}, FormatCase{0.000999, "999 pF"},
                      FormatCase{0.001, "1 nF"}, FormatCase{0.0047, "4.7 nF"}, FormatCase{0.00999, "9.99 nF"},
                      FormatCase{0.01, ".01 \u00B5F"}, FormatCase{0.047, ".047 \u00B5F"},
                      FormatCase{0.0342936, ".0343 \u00B5F"}, FormatCase{0.0999, ".0999 \u00B5F"},
                      FormatCase{0.1, ".1 \u00B5F"}, FormatCase{0.47, ".47 \u00B5F"},
                      FormatCase{0.9999, "1 \u00B5F"}, FormatCase{1, "1 \u00B5F"}, FormatCase{2.2, "2.2 \u00B5F"},
                      FormatCase{9.999, "10 \u00B5F"}, FormatCase{10, "10 \u00B5F"}, FormatCase{33.3, "33.3 \u00B5F"},
                      FormatCase{100, "100 \u00B5F"}, FormatCase{470, "470 \u00B5F"},
                      FormatCase{999.9, "1000 \u00B5F"}, FormatCase{1000, "1 k\u00B5F"},
                      FormatCase{2200, "2.2 k\u00B5F"}, FormatCase{-0.0047, "-4.7 nF"},
                      FormatCase{-0.01, "-.01 \u00B5F"}, FormatCase{-1000, "-1 k\u00B5F"}));

class DecibelFormat : public ::testing::TestWithParam<FormatCase> {};
TEST_P(DecibelFormat, RendersEachRange) { EXPECT_EQ(FormatDecibels(GetParam().value, kPoint), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Thresholds, DecibelFormat,
                         ::testing::Values(FormatCase{0, "0 dB"}, FormatCase{-0.000019, "0 dB"},
                                           FormatCase{0.5, "0.5 dB"}, FormatCase{-0.5, "-0.5 dB"},
                                           FormatCase{0.996, "1 dB"}, FormatCase{1, "1.00 dB"},
                                           FormatCase{-2.5886, "-2.59 dB"}, FormatCase{9.996, "10.00 dB"},
                                           FormatCase{10, "10.0 dB"}, FormatCase{19.911, "19.9 dB"},
                                           FormatCase{-13.7344, "-13.7 dB"}, FormatCase{99.96, "100.0 dB"},
                                           FormatCase{100, "100.0 dB"}, FormatCase{999.96, "1000.0 dB"},
                                           FormatCase{1000, "1,000 dB"}, FormatCase{-12345.6, "-12,346 dB"},
                                           FormatCase{1234567, "1,234,567 dB"}));

struct PatternCase {
    double value;
    Pattern pattern;
    const char* expected;
};
class PatternRender : public ::testing::TestWithParam<PatternCase> {};
TEST_P(PatternRender, FollowsThePatternTable) {
    EXPECT_EQ(RenderNumber(GetParam().value, GetParam().pattern, kPoint), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternRender,
    ::testing::Values(PatternCase{4700, patterns::Whole, "4700"}, PatternCase{0, patterns::Whole, ""},
                      PatternCase{0.4, patterns::Whole, ""}, PatternCase{999.5, patterns::Whole, "1000"},
                      PatternCase{0, patterns::WholeOrZero, "0"}, PatternCase{332.5, patterns::UpToOne, "332.5"},
                      PatternCase{150, patterns::UpToOne, "150"}, PatternCase{19.911, patterns::ExactlyOne, "19.9"},
                      PatternCase{100, patterns::ExactlyOne, "100.0"}, PatternCase{2.2, patterns::UpToTwo, "2.2"},
                      PatternCase{47.5, patterns::UpToTwo, "47.5"}, PatternCase{0, patterns::UpToTwo, ""},
                      PatternCase{2.5886, patterns::ExactlyTwo, "2.59"}, PatternCase{1, patterns::ExactlyTwo, "1.00"},
                      PatternCase{0.5, patterns::UpToTwoWithZero, "0.5"}, PatternCase{0, patterns::UpToTwoWithZero, "0"},
                      PatternCase{3, patterns::UpToTwoWithZero, "3"}, PatternCase{0.47, patterns::UpToThree, ".47"},
                      PatternCase{330, patterns::UpToThree, "330"}, PatternCase{0.047, patterns::UpToFour, ".047"},
                      PatternCase{1234.5, patterns::GroupedWhole, "1,235"}, PatternCase{999, patterns::GroupedWhole, "999"},
                      PatternCase{0.01, patterns::UpToTen, ".01"}, PatternCase{0.0047, patterns::UpToTen, ".0047"},
                      PatternCase{1, patterns::UpToTen, "1"}, PatternCase{0.125, patterns::UpToTwo, ".13"},
                      PatternCase{2.675, patterns::UpToTwo, "2.67"}, PatternCase{-0.000019, patterns::UpToTwoWithZero, "0"},
                      PatternCase{9802.71, patterns::UpToOne, "9802.7"}, PatternCase{-1, patterns::UpToOne, "-1"},
                      PatternCase{0.0342936, patterns::UpToTen, ".0342936"},
                      PatternCase{1e20, patterns::Whole, "100000000000000000000"},
                      PatternCase{0.05, patterns::Whole, ""}, PatternCase{0.5, patterns::Whole, "1"},
                      PatternCase{std::numeric_limits<double>::infinity(), patterns::Whole, "INF"},
                      PatternCase{-std::numeric_limits<double>::infinity(), patterns::UpToTen, "-INF"},
                      PatternCase{std::numeric_limits<double>::quiet_NaN(), patterns::GroupedWhole, "NAN"},
                      PatternCase{std::numeric_limits<double>::denorm_min(), patterns::UpToTen, ""}));

TEST(CommaLocale, UsesTheLocaleSeparators) {
    EXPECT_EQ(FormatDecibels(0.5, kComma), "0,5 dB");
    EXPECT_EQ(FormatCapacitance(0.47, kComma), ",47 \u00B5F");
    EXPECT_EQ(FormatResistance(47500, kComma), "47,5 k");
    EXPECT_EQ(FormatDecibels(-12345.6, kComma), "-12.346 dB");
    const NumberLocale nbsp{",", "\u00A0"};
    EXPECT_EQ(RenderNumber(1234567, patterns::GroupedWhole, nbsp), "1\u00A0234\u00A0567");
}

// The error texts of the pages and of the command line's report.
TEST(ErrorDecibels, SignedWhereADigitShows) {
    EXPECT_EQ(FormatSignedErrorDecibels(0.0066, kPoint), "+0.0066 dB");
    EXPECT_EQ(FormatSignedErrorDecibels(0.00004, kPoint), "0 dB");
    EXPECT_EQ(FormatErrorDecibels(-12.34, kComma), "-12,3 dB");
    EXPECT_EQ(FixedSignedDecibels(-0.00004, 4), "+0.0000 dB");
    EXPECT_EQ(FixedSignedDecibels(-0.19516862, 4), "-0.1952 dB");
    EXPECT_EQ(FixedDecibels(19.9149, 2), "19.91 dB");
}

TEST(ShortestExactText, ReadsBackAsTheSameDouble) {
    EXPECT_EQ(ShortestExactText(1e-8), "1e-08");
    EXPECT_EQ(ShortestExactFixedText(1e-8), "0.00000001");
    const double c2 = 0.1 / 2.916;
    EXPECT_EQ(std::stod(ShortestExactText(c2)), c2);
    EXPECT_EQ(std::stod(ShortestExactFixedText(c2)), c2);
}

TEST(CheckPartValue, TakesWhatAPartCanBe) {
    for (double uf : {kSmallestCapacitorUf, kLargestCapacitorUf}) EXPECT_NO_THROW(CheckPartValue(true, uf, "C1")) << uf;
    for (double ohms : {0.0, kLargestResistorOhms}) EXPECT_NO_THROW(CheckPartValue(false, ohms, "R1")) << ohms;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double uf : {kSmallestCapacitorUf * 0.999, kLargestCapacitorUf * 1.001, nan}) {
        EXPECT_THROW(CheckPartValue(true, uf, "C1"), EngineError) << uf;
    }
    for (double ohms : {-1e-9, kLargestResistorOhms * 1.001, nan}) {
        EXPECT_THROW(CheckPartValue(false, ohms, "R1"), EngineError) << ohms;
    }
}

// Named by its element, 0 Ω is a part only where the caller says a wire may stand.
TEST(CheckPartValue, NamesTheElementAndTakesAWireOnlyWhereAllowed) {
    struct Row {
        ElementKind element;
        double value;
        ZeroOhms zero;
        std::string message;  // empty: taken
    };
    const std::string between = " must lie between 0 \u03A9 and 1 T\u03A9";
    const std::vector<Row> rows{
        {ElementKind::Rs, 0, ZeroOhms::Wire, ""},
        {ElementKind::R0, 0, ZeroOhms::Refused, "R0 must be greater than zero"},
        {ElementKind::Rin, -1, ZeroOhms::Refused, "Rin must be greater than zero"},
        {ElementKind::R2, -1, ZeroOhms::Wire, "R2" + between},
        {ElementKind::R3, kLargestResistorOhms, ZeroOhms::Refused, ""},
        {ElementKind::R3, kLargestResistorOhms * 1.001, ZeroOhms::Refused, "R3" + between},
        {ElementKind::C0, kSmallestCapacitorUf, ZeroOhms::Refused, ""},
        {ElementKind::Cout, kSmallestCapacitorUf * 0.999, ZeroOhms::Wire, "Cout must lie between 1 pF and 10,000 \u00B5F"},
    };
    for (const Row& row : rows) {
        try {
            CheckPartValue(row.element, row.value, row.zero);
            EXPECT_EQ(row.message, "") << row.value;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.what(), row.message) << row.value;
        }
    }
}

// The unit straight after a prefix letter, after a blank otherwise; a capacitance keeps its own.
TEST(FormatPartValueWithUnit, PlacesTheOhmSign) {
    EXPECT_EQ(FormatPartValueWithUnit(ElementKind::R1, 47'000, kPoint), "47 k\u03A9");
    EXPECT_EQ(FormatPartValueWithUnit(ElementKind::RL, 2.2e6, kComma), "2,2 M\u03A9");
    EXPECT_EQ(FormatPartValueWithUnit(ElementKind::R0, 470, kPoint), "470 \u03A9");
    EXPECT_EQ(FormatPartValueWithUnit(ElementKind::C3, 0.0033, kPoint), "3.3 nF");
    EXPECT_EQ(FormatPartValue(ElementKind::Cout, 10, kPoint), FormatCapacitance(10, kPoint));
}

TEST(Power, RaisesPositiveBases) {
    EXPECT_NEAR(Power(10, 2), 100, 1e-12);
    EXPECT_EQ(Power(10, 0), 1);
    EXPECT_NEAR(Power(10, 0.5), 3.16227766016838, 1e-12);
}

TEST(IsZeroLikeText, KnowsTheListAndNothingElse) {
    for (const char* text : {"", " ", "-", "0", "00", "000", ".", ".0", "0.0", ".00", ".000", ".0000", ".00000",
                             ".000000", "0.", "0.00", "0.000", "0.0000", "0.00000", "0.000000", " 0"}) {
        EXPECT_TRUE(IsZeroLikeText(text)) << '"' << text << '"';
    }
    for (const char* text : {"0.0000000", "0,0", "0.01", "-0", "0000", "  ", "0 ", "1"}) {
        EXPECT_FALSE(IsZeroLikeText(text)) << '"' << text << '"';
    }
}

struct ExpandCase {
    const char* typed;
    const char* expected;
};
class MultiplierSuffix : public ::testing::TestWithParam<ExpandCase> {};
TEST_P(MultiplierSuffix, Expands) { EXPECT_EQ(ExpandMultiplierSuffix(GetParam().typed, kPoint), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Suffixes, MultiplierSuffix,
                         ::testing::Values(ExpandCase{"", ""}, ExpandCase{"470", "470"}, ExpandCase{"4.7k", "4700"},
                                           ExpandCase{"4.7K", "4700"}, ExpandCase{"1m", "1000000"},
                                           ExpandCase{"2.2M", "2200000"}, ExpandCase{"0.5K", "500"},
                                           ExpandCase{"0k", ""}, ExpandCase{"12.5k", "12500"},
                                           ExpandCase{"abc", "abc"}, ExpandCase{"4.7", "4.7"},
                                           ExpandCase{"1.5k", "1500"}));

TEST(MultiplierSuffix, NamesTheTextThatIsNoNumber) {
    struct Case {
        const char* typed;
        const char* message;
    };
    for (const Case& c : {Case{"k", "'' is not a valid floating point value"},
                          Case{"4.7mk", "'4.7m' is not a valid floating point value"},
                          Case{"x5k", "'x5' is not a valid floating point value"},
                          Case{"1km", "'1k' is not a valid floating point value"},
                          Case{"1e306k", "'1e306k' is not a valid floating point value"}}) {
        try {
            ExpandMultiplierSuffix(c.typed, kPoint);
            ADD_FAILURE() << c.typed << " expanded";
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(ExpandMultiplierSuffix("4,7k", kComma), "4700");
}

struct ParseCase {
    const char* text;
    double value;
};
class ParseAccepts : public ::testing::TestWithParam<ParseCase> {};
TEST_P(ParseAccepts, ReadsTheNumber) { EXPECT_DOUBLE_EQ(ParseNumber(GetParam().text, kPoint), GetParam().value); }
INSTANTIATE_TEST_SUITE_P(Numbers, ParseAccepts,
                         ::testing::Values(ParseCase{"12500", 12500}, ParseCase{"0.047", 0.047}, ParseCase{".5", 0.5},
                                           ParseCase{"5.", 5}, ParseCase{" 42 ", 42}, ParseCase{"-1000", -1000},
                                           ParseCase{"+3", 3}, ParseCase{"1e3", 1000}, ParseCase{"2.5E-2", 0.025},
                                           ParseCase{"1e+2", 100}, ParseCase{"0.0000000", 0},
                                           ParseCase{"1e-310", 1e-310}, ParseCase{"\t7", 7}));

TEST(ParseNumber, RefusesWhatIsNoNumber) {
    for (const char* text : {"", " ", "-", "+", ".", "abc", "1,5", "0x10", "inf", "nan", "1e", "1e+", "1.2.3",
                             "1,000", "12k", "- 5", "1e400", "-1e400", "1e-400", "5 5", "\xC2\xB5"}) {
        try {
            ParseNumber(text, kPoint);
            ADD_FAILURE() << '"' << text << "\" parsed";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
}

TEST(ParseNumber, TakesOnlyTheLocaleSeparator) {
    EXPECT_DOUBLE_EQ(ParseNumber("0,047", kComma), 0.047);
    EXPECT_THROW(ParseNumber("0.047", kComma), ConversionError);
    const NumberLocale wide{"\u066B", ","};
    EXPECT_DOUBLE_EQ(ParseNumber("2\u066B5", wide), 2.5);
    // A list entry in each locale's own form reads back; the point form only where "." is the separator.
    for (const NumberLocale& locale : {kPoint, kComma, wide, NumberLocale{"\u2396", "\u00A0"}}) {
        EXPECT_DOUBLE_EQ(ParseNumber("0" + locale.decimalSeparator + "00025", locale), 0.00025);
        EXPECT_DOUBLE_EQ(ParseNumber("98" + locale.decimalSeparator + "8", locale), 98.8);
        EXPECT_DOUBLE_EQ(ParseNumber("1000000", locale), 1000000);
        if (locale.decimalSeparator != ".") {
            EXPECT_THROW(ParseNumber("0.01", locale), ConversionError);
        }
    }
    // Half a multi-byte separator is no separator.
    EXPECT_THROW(ParseNumber("2\xD9" "5", wide), ConversionError);
}

}  // namespace
