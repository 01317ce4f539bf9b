#include "engine/Formats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

namespace riaa {

ConversionError::ConversionError(std::string_view text)
    : EngineError("'" + std::string(text) + "' is not a valid floating point value") {}

DivisionByZeroError::DivisionByZeroError() : EngineError("Floating point division by zero") {}

OverflowError::OverflowError() : EngineError("Floating point overflow") {}

namespace {

constexpr int kSignificantDigits = 18;
// The digits of the largest double with its sign and a point: the most a fixed text has before its decimals.
constexpr int kLongestWholeDigits = 311;

// The magnitude scaled by 10^decimals and rounded half away from zero, as a string of digits
// (at least decimals + 1 of them, leading zeros kept).
std::string ScaledDigits(double magnitude, int decimals) {
    // Scientific notation with 17 decimals: exactly 18 significant digits, correctly rounded.
    std::array<char, 40> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::scientific, kSignificantDigits - 1);
    std::string digits;
    digits.reserve(kSignificantDigits);
    const char* p = buffer.data();
    for (; p != written.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), written.ptr, exponent);

    // Digits kept in front of the scaled number's decimal point.
    const int kept = exponent + 1 + decimals;
    std::string scaled;
    if (kept <= 0) {
        scaled = (kept == 0 && digits[0] >= '5') ? "1" : "0";
    } else if (kept >= kSignificantDigits) {
        scaled = digits + std::string(static_cast<std::size_t>(kept - kSignificantDigits), '0');
    } else {
        scaled = digits.substr(0, static_cast<std::size_t>(kept));
        if (digits[static_cast<std::size_t>(kept)] >= '5') {
            int i = kept - 1;
            while (i >= 0 && scaled[static_cast<std::size_t>(i)] == '9') {
                scaled[static_cast<std::size_t>(i)] = '0';
                --i;
            }
            if (i < 0) {
                scaled.insert(scaled.begin(), '1');
            } else {
                ++scaled[static_cast<std::size_t>(i)];
            }
        }
    }
    if (scaled.size() < static_cast<std::size_t>(decimals) + 1) {
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
    }
    return scaled;
}

std::string GroupThousands(const std::string& integerDigits, const std::string& separator) {
    std::string grouped;
    const std::size_t count = integerDigits.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) grouped += separator;
        grouped.push_back(integerDigits[i]);
    }
    return grouped;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string RenderNumber(double value, Pattern pattern, const NumberLocale& locale) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

    const std::size_t maxDecimals = static_cast<std::size_t>(pattern.maxDecimals);
    const std::string scaled = ScaledDigits(std::fabs(value), pattern.maxDecimals);
    std::string integerDigits = scaled.substr(0, scaled.size() - maxDecimals);
    std::string decimals = scaled.substr(scaled.size() - maxDecimals);

    const bool roundsToZero = scaled.find_first_not_of('0') == std::string::npos;

    while (decimals.size() > static_cast<std::size_t>(pattern.minDecimals) && decimals.back() == '0') {
        decimals.pop_back();
    }
    const std::size_t firstNonZero = integerDigits.find_first_not_of('0');
    integerDigits = firstNonZero == std::string::npos ? std::string() : integerDigits.substr(firstNonZero);
    if (integerDigits.empty() && pattern.forceIntegerDigit) integerDigits = "0";
    if (pattern.groupThousands) integerDigits = GroupThousands(integerDigits, locale.thousandsSeparator);

    std::string text;
    if (std::signbit(value) && !roundsToZero) text = "-";
    text += integerDigits;
    if (!decimals.empty()) text += locale.decimalSeparator + decimals;
    return text;
}

std::string FormatResistance(double x, const NumberLocale& locale) {
    using namespace patterns;
    if (x >= 1'000'000) return RenderNumber(x / 1'000'000, UpToTwo, locale) + " M";
    if (x >= 100'000) return RenderNumber(x / 1000, UpToOne, locale) + " k";
    if (x >= 10'000) return RenderNumber(x / 1000, UpToTwo, locale) + " k";
    if (x == 1000) return RenderNumber(x / 1000, Whole, locale) + " k";
    if (x >= 999) return RenderNumber(x, Whole, locale);
    if (x >= 100) return RenderNumber(x, UpToOne, locale);
    if (x >= 10) return RenderNumber(x, UpToTwo, locale);
    return RenderNumber(x, UpToTwoWithZero, locale);
}

std::string FormatCapacitance(double x, const NumberLocale& locale) {
    using namespace patterns;
    const double magnitude = std::fabs(x);
    if (magnitude >= 1000) return RenderNumber(x / 1000, UpToTwo, locale) + " k\u00B5F";
    if (magnitude >= 100) return RenderNumber(x, Whole, locale) + " \u00B5F";
    if (magnitude >= 10) return RenderNumber(x, UpToOne, locale) + " \u00B5F";
    if (magnitude >= 1) return RenderNumber(x, UpToTwo, locale) + " \u00B5F";
    if (magnitude == 0) return RenderNumber(x, WholeOrZero, locale) + " \u00B5F";
    if (magnitude >= 0.1) return RenderNumber(x, UpToThree, locale) + " \u00B5F";
    if (magnitude >= 0.01) return RenderNumber(x, UpToFour, locale) + " \u00B5F";
    if (magnitude >= 0.001) return RenderNumber(x * 1000, UpToThree, locale) + " nF";
    return RenderNumber(x * 1'000'000, UpToThree, locale) + " pF";
}

std::string FormatPartValue(ElementKind element, double value, const NumberLocale& locale) {
    return IsCapacitor(element) ? FormatCapacitance(value, locale) : FormatResistance(value, locale);
}

std::string FormatPartValueWithUnit(ElementKind element, double value, const NumberLocale& locale) {
    const std::string text = FormatPartValue(element, value, locale);
    if (IsCapacitor(element)) return text;
    // "47 k" takes the unit straight after its prefix, "470" after a blank.
    const bool prefix = !text.empty() && std::isalpha(static_cast<unsigned char>(text.back()));
    return text + (prefix ? "" : " ") + std::string(kOhmSign);
}

std::string FormatDecibels(double x, const NumberLocale& locale) {
    using namespace patterns;
    const double magnitude = std::fabs(x);
    if (magnitude >= 1000) return RenderNumber(x, GroupedWhole, locale) + " dB";
    if (magnitude >= 10) return RenderNumber(x, ExactlyOne, locale) + " dB";
    if (magnitude >= 1) return RenderNumber(x, ExactlyTwo, locale) + " dB";
    return RenderNumber(x, UpToTwoWithZero, locale) + " dB";
}

std::string WithPlusSign(double value, std::string rendered) {
    const bool showsZero = rendered.find_first_of("123456789") == std::string::npos;
    if (value > 0 && !showsZero) rendered.insert(0, "+");
    return rendered;
}

std::string FormatErrorDecibels(double x, const NumberLocale& locale) {
    if (std::fabs(x) >= 1) return FormatDecibels(x, locale);
    return RenderNumber(x, patterns::UpToFourWithZero, locale) + " dB";
}

std::string FormatSignedErrorDecibels(double x, const NumberLocale& locale) {
    return WithPlusSign(x, FormatErrorDecibels(x, locale));
}

std::string FixedDecibels(double x, int decimals) {
    // to_chars with a precision rounds as printf does, and never reads the C library's locale.
    std::string text(static_cast<std::size_t>(kLongestWholeDigits + std::max(decimals, 0)), '\0');
    const auto written = std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, decimals);
    text.resize(static_cast<std::size_t>(written.ptr - text.data()));
    return text + " dB";
}

std::string FixedSignedDecibels(double x, int decimals) {
    // Rounded first, so that an error too small to show reads as a zero without a minus.
    double scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const double rounded = std::round(x * scale) / scale;
    const std::string text = FixedDecibels(rounded == 0 ? 0.0 : rounded, decimals);
    return std::signbit(rounded) && rounded != 0 ? text : "+" + text;
}

std::string ShortestExactText(double value) {
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), written.ptr);
}

std::string ShortestExactFixedText(double value) {
    // Room for every double: the smallest ones need some 330 digits after the point.
    std::array<char, kLongestWholeDigits + 340> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed);
    return std::string(buffer.data(), written.ptr);
}

namespace {

const NumberLocale kPoint{};

std::string CapacitorLimits() {
    return RenderNumber(kSmallestCapacitorUf * 1e6, patterns::Whole, kPoint) + " pF and " +
           RenderNumber(kLargestCapacitorUf, patterns::GroupedWhole, kPoint) + " \u00B5F";
}

std::string LargestResistor() {
    return RenderNumber(kLargestResistorOhms / 1e12, patterns::UpToTwo, kPoint) + " T\u03A9";
}

void CheckLimits(bool capacitor, double value, std::string_view name, ZeroOhms zero) {
    if (capacitor) {
        if (value >= kSmallestCapacitorUf && value <= kLargestCapacitorUf) return;
        throw EngineError(std::string(name) + " must lie between " + CapacitorLimits());
    }
    if (zero == ZeroOhms::Refused && value <= 0) throw EngineError(std::string(name) + " must be greater than zero");
    if (value >= 0 && value <= kLargestResistorOhms) return;
    throw EngineError(std::string(name) + " must lie between 0 \u03A9 and " + LargestResistor());
}

// "%.4g" as printf writes it in the C locale, whatever locale the C library was given.
std::string FourDigits(double value) {
    std::array<char, 32> buffer{};
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 4);
    return std::string(buffer.data(), written.ptr);
}

}  // namespace

void CheckPartValue(ElementKind element, double value, ZeroOhms zero) {
    CheckLimits(IsCapacitor(element), value, ElementName(element), zero);
}

void CheckPartValue(bool capacitor, double value, std::string_view name) {
    CheckLimits(capacitor, value, name, ZeroOhms::Wire);
}

void CheckDesignedPartValue(ElementKind element, double value) {
    const std::string name(ElementName(element));
    if (!std::isfinite(value)) throw EngineError(name + " would not be a finite value");
    const bool capacitor = IsCapacitor(element);
    const std::string would = name + " would be " + FourDigits(value) + (capacitor ? " \u00B5F" : " \u03A9");
    if (value <= 0) throw EngineError(would + ": not above 0");
    if (capacitor && value < kSmallestCapacitorUf) {
        throw EngineError(would + ": below " + RenderNumber(kSmallestCapacitorUf * 1e6, patterns::Whole, kPoint) +
                          " pF");
    }
    if (capacitor && value > kLargestCapacitorUf) {
        throw EngineError(would + ": above " + RenderNumber(kLargestCapacitorUf, patterns::GroupedWhole, kPoint) +
                          " \u00B5F");
    }
    if (!capacitor && value > kLargestResistorOhms) throw EngineError(would + ": above " + LargestResistor());
}

double Power(double base, double exponent) { return std::exp(exponent * std::log(base)); }

bool IsZeroLikeText(std::string_view text) {
    static constexpr std::array<std::string_view, 20> kZeroLike = {
        " ",     ".",      "-",       "0",        "00",    "000",    ".0",
        "0.0",   ".00",    ".000",    ".0000",    ".00000", ".000000", "0.",
        "0.00",  "0.000",  "0.0000",  "0.00000",  "0.000000", " 0"};
    if (text.empty()) return true;
    for (std::string_view zeroLike : kZeroLike) {
        if (text == zeroLike) return true;
    }
    return false;
}

double ParseNumber(std::string_view text, const NumberLocale& locale) {
    const std::string_view separator = locale.decimalSeparator;
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;

    // Rebuild the number in the form std::from_chars reads, checking the grammar on the way.
    std::string plain;
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain.push_back('-');
        ++i;
    }
    bool sawDigit = false;
    bool sawSeparator = false;
    while (i < end) {
        if (IsDigit(text[i])) {
            plain.push_back(text[i]);
            sawDigit = true;
            ++i;
        } else if (!sawSeparator && !separator.empty() && text.substr(i, separator.size()) == separator) {
            plain.push_back('.');
            sawSeparator = true;
            i += separator.size();
        } else {
            break;
        }
    }
    if (!sawDigit) throw ConversionError(text);
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
        bool sawExponentDigit = false;
        while (i < end && IsDigit(text[i])) {
            plain.push_back(text[i++]);
            sawExponentDigit = true;
        }
        if (!sawExponentDigit) throw ConversionError(text);
    }
    if (i != end) throw ConversionError(text);

    // Values beyond the range of a double, too large or too small to be told from zero, are no
    // numbers of ours; from_chars reports both as out of range.
    double value = 0;
    const auto [last, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || last != plain.data() + plain.size() || !std::isfinite(value)) {
        throw ConversionError(text);
    }
    return value;
}

std::string ExpandMultiplierSuffix(std::string_view text, const NumberLocale& locale) {
    if (text.empty()) return std::string(text);
    std::string result(text);
    std::string_view w = text;
    const auto expand = [&](double factor) {
        const double product = ParseNumber(w, locale) * factor;
        if (!std::isfinite(product)) throw ConversionError(text);
        result = RenderNumber(product, patterns::Whole, locale);
    };
    if (w.back() == 'k' || w.back() == 'K') {
        w.remove_suffix(1);
        expand(1000);
    }
    if (!w.empty() && (w.back() == 'm' || w.back() == 'M')) {
        w.remove_suffix(1);
        expand(1'000'000);
    }
    return result;
}

}  // namespace riaa
