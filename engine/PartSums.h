// Sums of parts as typed into an as-built field: "27k+820" in series, "3.3n+120p" in parallel.
#pragma once

#include <string_view>
#include <vector>

#include "engine/Formats.h"

namespace riaa {

// A sum of parts: "27k+820" is two resistors in series (ohms, k and M suffixes), "3.3n+120p" two
// capacitors in parallel (µF, n, p and u or µ suffixes; a bare number is µF). Throws ConversionError
// for text that is no sum of numbers, quoting the part that is no number ("'4x7' is not a valid
// floating point value" for "27k+4x7"); EngineError "The value must be greater than zero" for a
// part that is zero or negative, and "The value is too large" for a total beyond a double.
double ParseResistorSum(std::string_view text, const NumberLocale& locale);
double ParseCapacitorSum(std::string_view text, const NumberLocale& locale);

// The parts of a sum as typed, blanks trimmed ("27k + 820" gives "27k" and "820"); a "+" of an
// exponent stays in its part. Reads nothing: the two above say whether the parts are numbers.
std::vector<std::string_view> SplitPartSum(std::string_view text);

}  // namespace riaa
