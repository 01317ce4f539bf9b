#include "engine/PartSums.h"

#include <cmath>

namespace riaa {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Adds up the parts between the "+" signs; a "+" right after an exponent's "e" belongs to it.
template <typename PartValue>
double ParseSum(std::string_view text, PartValue partValue) {
    double total = 0;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool exponentSign = i > 0 && i < text.size() && (text[i - 1] == 'e' || text[i - 1] == 'E');
        if (i < text.size() && (text[i] != '+' || exponentSign)) continue;
        const std::string_view part = TrimBlanks(text.substr(begin, i - begin));
        // An empty part ("27k+", "+5", "1++2") has no text of its own to quote.
        if (part.empty()) throw ConversionError(text);
        const double value = partValue(part);
        if (!(value > 0)) throw EngineError("The value must be greater than zero");
        total += value;
        begin = i + 1;
    }
    if (!std::isfinite(total)) throw EngineError("The value is too large");
    return total;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::vector<std::string_view> SplitPartSum(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool exponentSign = i > 0 && i < text.size() && (text[i - 1] == 'e' || text[i - 1] == 'E');
        if (i < text.size() && (text[i] != '+' || exponentSign)) continue;
        parts.push_back(TrimBlanks(text.substr(begin, i - begin)));
        begin = i + 1;
    }
    return parts;
}

double ParseResistorSum(std::string_view text, const NumberLocale& locale) {
    return ParseSum(text, [&](std::string_view part) {
        try {
            return ParseNumber(ExpandMultiplierSuffix(part, locale), locale);
        } catch (const ConversionError&) {
            throw ConversionError(part);
        }
    });
}

double ParseCapacitorSum(std::string_view text, const NumberLocale& locale) {
    return ParseSum(text, [&](std::string_view part) {
        std::string_view number = part;
        // An "F" is welcome after a prefix ("3.3nF") but not alone, where it would read as farads.
        if (EndsWith(number, "F") || EndsWith(number, "f")) {
            const std::string_view before = number.substr(0, number.size() - 1);
            if (EndsWith(before, "n") || EndsWith(before, "p") || EndsWith(before, "u") ||
                EndsWith(before, "\u00B5") || EndsWith(before, "\u03BC")) {
                number = before;
            }
        }
        double factor = 1;
        if (EndsWith(number, "n")) {
            factor = 1e-3;
            number.remove_suffix(1);
        } else if (EndsWith(number, "p")) {
            factor = 1e-6;
            number.remove_suffix(1);
        } else if (EndsWith(number, "u")) {
            number.remove_suffix(1);
        } else if (EndsWith(number, "\u00B5") || EndsWith(number, "\u03BC")) {
            number.remove_suffix(2);
        }
        // A blank between the number and its suffix ("3.3 n") is fine, but a lone suffix is no number.
        if (TrimBlanks(number).empty()) throw ConversionError(part);
        try {
            return ParseNumber(number, locale) * factor;
        } catch (const ConversionError&) {
            throw ConversionError(part);
        }
    });
}

}  // namespace riaa
