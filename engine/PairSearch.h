// The best pair of parts from a series for one value: resistors in series, capacitors in parallel.
#pragma once

#include <optional>
#include <string>

#include "engine/Formats.h"
#include "engine/PartSeries.h"

namespace riaa {

// Both ways of combining two parts add their values, so one search serves both.
struct PartPair {
    double first = 0;   // the larger part
    double second = 0;  // the smaller part; 0 when one part alone is best
    double total = 0;
    double errorPercent = 0;  // (total - target) / target × 100
};

// The part or pair of parts (the same value twice allowed) whose sum is closest to target, over
// every value of the series; nothing for a target that is not a positive finite number. Among equally
// close sums one part beats two, and a larger first part beats a smaller one.
std::optional<PartPair> FindBestPair(double target, const PartSeries& series);

// The pair as an as-built field reads it: "27k+820", "1M", "4.99k+49.9" (ohms).
std::string ResistorPairText(const PartPair& pair, const NumberLocale& locale);
// "3.3n+120p", "1.5+470n" (µF, n and p for nano and pico, a bare number in µF).
std::string CapacitorPairText(const PartPair& pair, const NumberLocale& locale);
// The one of the two that the element's field takes.
std::string PartPairText(ElementKind element, const PartPair& pair, const NumberLocale& locale);

}  // namespace riaa
