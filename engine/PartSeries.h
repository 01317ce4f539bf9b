// The IEC 60063 preferred-number series (E6 to E192) and our own resistor list as buyable parts, and rounding to them.
#pragma once

#include <string>
#include <vector>

#include "engine/PreferredNumbers.h"
#include "engine/ValueLists.h"

namespace riaa {

// The span of values a series is stocked in. A series repeats over every decade, so it needs
// ends; values outside them round to the nearest end.
struct PartRange {
    double lowest;
    double highest;
};
// 1 Ω to 10 MΩ.
inline constexpr PartRange kResistorRange{1, 10e6};
// 1 pF to 10 µF, in µF like every capacitance of ours.
inline constexpr PartRange kCapacitorRange{1e-6, 10};

// The parts of one series within a range: strictly ascending, all positive.
class PartSeries {
public:
    PartSeries(std::string name, std::vector<double> values);

    const std::string& name() const { return name_; }
    const std::vector<double>& values() const { return values_; }

    // The value nearest to x on a log scale; exactly between two neighbours the upper one. Below
    // the first value the first, above the last the last; x that is not above 0 gives the first.
    double round(double x) const;

private:
    std::string name_;
    std::vector<double> values_;
};

// Every value mantissa × 10^k of the series that lies within the range (ends included).
PartSeries MakePartSeries(SeriesKind kind, const PartRange& range);

// The resistor list as it stands (typed values included), sorted, each value once, within the
// range; rounding to it follows the same log-scale rule as the IEC series, not the list's own
// decade scan, so that every row of a parts table means the same thing.
PartSeries MakeListSeries(const ValueList& list, const PartRange& range, std::string name = "List");

}  // namespace riaa
