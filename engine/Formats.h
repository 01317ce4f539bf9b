// Number parsing and rendering, unit formatting and the checks applied to typed text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/Kinds.h"

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
inline constexpr Pattern UpToFourWithZero{4, 0, true, false};    // "0.####"
inline constexpr Pattern GroupedWhole{0, 0, false, true};        // "###,"
inline constexpr Pattern UpToTen{10, 0, false, false};           // "#.##########"
}  // namespace patterns

// Renders a value: 18 significant digits, then rounded half away from zero to the pattern.
// Non-finite values come out as "INF", "-INF" or "NAN".
std::string RenderNumber(double value, Pattern pattern, const NumberLocale& locale);

std::string FormatResistance(double ohms, const NumberLocale& locale);
std::string FormatCapacitance(double microfarads, const NumberLocale& locale);
std::string FormatDecibels(double decibels, const NumberLocale& locale);
// The ohm sign, UTF-8: the unit every resistance is read in.
inline constexpr std::string_view kOhmSign = "\u03A9";
// A part's value as its field shows it: FormatCapacitance for a capacitor, else FormatResistance.
std::string FormatPartValue(ElementKind element, double value, const NumberLocale& locale);
// The same with the resistor's unit: "47 k\u03A9" straight after a prefix letter, "470 \u03A9" after a
// blank; a capacitance carries its own ("10 nF").
std::string FormatPartValueWithUnit(ElementKind element, double value, const NumberLocale& locale);

// A plus sign before the text of a value above zero, unless the text shows no digit but zeros.
std::string WithPlusSign(double value, std::string rendered);
// An error as the pages show it: FormatDecibels from 1 dB up, below it up to four decimals with a
// leading zero ("0.0066 dB"), since these networks' errors are often that small.
std::string FormatErrorDecibels(double decibels, const NumberLocale& locale);
// The same signed: "+0.0066 dB", "-1.38 dB", "0 dB".
std::string FormatSignedErrorDecibels(double decibels, const NumberLocale& locale);
// For output that scripts read: printf's "%.*f dB" (decimals from 0 on) with a point, whatever the locale.
std::string FixedDecibels(double decibels, int decimals);
// The same with its sign always, "+0.1952 dB"; an error that rounds to nothing reads "+0.0000 dB",
// never "-0.0000 dB".
std::string FixedSignedDecibels(double decibels, int decimals);

// The shortest text that reads back as exactly this double ("1e-08", not "1.0000000000000001e-08"),
// with a point whatever the C library's locale, which a Qt program sets from the user's.
std::string ShortestExactText(double value);
// The same without an exponent ("0.00000001"), for a field the user edits.
std::string ShortestExactFixedText(double value);

// What a part can be. Beyond this a value is a slip of the exponent, and the values derived from it
// would be printed with hundreds of digits. Capacitances in µF, like every capacitance of ours.
inline constexpr double kSmallestCapacitorUf = 1e-6;  // 1 pF
inline constexpr double kLargestCapacitorUf = 1e4;    // 10,000 µF
inline constexpr double kLargestResistorOhms = 1e12;  // 1 TΩ

// Whether a resistor of 0 Ω is a part: a wire where the network lets one stand (a passive network's
// Rs, or an R1 that is not its whole shunt), no part around an op-amp, where each sets a gain.
enum class ZeroOhms { Refused, Wire };

// A value typed for an element: throws EngineError naming it ("C1 must lie between 1 pF and
// 10,000 µF", "Rs must lie between 0 Ω and 1 TΩ", "R0 must be greater than zero") for a value
// outside these limits or not finite.
void CheckPartValue(ElementKind element, double value, ZeroOhms zero);
// The same for a part the caller names, 0 Ω a wire: for callers that do not name the element yet.
void CheckPartValue(bool capacitor, double value, std::string_view name);
// A value a design worked out, against the same limits: throws EngineError saying what the element
// would be and why no part can be it ("R3 would be 2e+12 Ω: above 1 TΩ"); 0 is never a designed part.
void CheckDesignedPartValue(ElementKind element, double value);

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
