// Number parsing and rendering, unit formatting and the checks applied to typed text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace riaa {

// The user's separators, read once by the window; UTF-8, so a separator may be several bytes.
struct NumberLocale {
    std::string decimalSeparator = ".";
    std::string thousandsSeparator = ",";
};

// Every failure the user must see; what() is the exact text shown.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConversionError : public EngineError {
public:
    explicit ConversionError(std::string_view text);
};

class DivisionByZeroError : public EngineError {
public:
    DivisionByZeroError();
};

class OverflowError : public EngineError {
public:
    OverflowError();
};

// A number pattern: how many decimals at most and at least, whether a lone "0" stands before the
// separator, and whether the integer digits are grouped in thousands.
struct Pattern {
    int maxDecimals;
    int minDecimals;
    bool forceIntegerDigit;
    bool groupThousands;
};

namespace patterns {
inline constexpr Pattern Whole{0, 0, false, false};              // "#"
inline constexpr Pattern WholeOrZero{0, 0, true, false};         // "0"
inline constexpr Pattern UpToOne{1, 0, false, false};            // "#.#"
inline constexpr Pattern ExactlyOne{1, 1, false, false};         // "#.0"
inline constexpr Pattern UpToTwo{2, 0, false, false};            // "#.##"
inline constexpr Pattern ExactlyTwo{2, 2, false, false};         // "#.#0"
inline constexpr Pattern UpToTwoWithZero{2, 0, true, false};     // "0.##"
inline constexpr Pattern UpToThree{3, 0, false, false};          // "#.###"
inline constexpr Pattern UpToFour{4, 0, false, false};           // "#.####"
inline constexpr Pattern GroupedWhole{0, 0, false, true};        // "###,"
inline constexpr Pattern UpToTen{10, 0, false, false};           // "#.##########"
}  // namespace patterns

// Renders a value: 18 significant digits, then rounded half away from zero to the pattern.
// Non-finite values come out as "INF", "-INF" or "NAN".
std::string RenderNumber(double value, Pattern pattern, const NumberLocale& locale);

std::string FormatResistance(double ohms, const NumberLocale& locale);
std::string FormatCapacitance(double microfarads, const NumberLocale& locale);
std::string FormatDecibels(double decibels, const NumberLocale& locale);

// base raised to exponent as e^(exponent * ln base); base must be positive.
double Power(double base, double exponent);

// True for the empty text and the texts that are zero or an unfinished number ("0.", ".0", "-", ...).
bool IsZeroLikeText(std::string_view text);

// "4.7k" -> "4700", "2.2M" -> "2200000"; other texts come back unchanged.
// Throws ConversionError when the text before the letter is no number or the product overflows.
std::string ExpandMultiplierSuffix(std::string_view text, const NumberLocale& locale);

// The one conversion of typed text to a number: optional blanks, sign, digits with at most one
// decimal separator of the locale, optional exponent. Anything else throws ConversionError.
double ParseNumber(std::string_view text, const NumberLocale& locale);

}  // namespace riaa
