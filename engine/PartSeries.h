// The IEC 60063 preferred-number series (E6 to E192) and our own resistor list as buyable parts, and rounding to them.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ValueLists.h"

namespace riaa {

enum class SeriesKind { E6, E12, E24, E48, E96, E192 };
// Coarsest first, as every choice of a series is offered.
inline constexpr std::array<SeriesKind, 6> kAllSeries{SeriesKind::E6,  SeriesKind::E12, SeriesKind::E24,
                                                      SeriesKind::E48, SeriesKind::E96, SeriesKind::E192};

// The series' mantissas for one decade, ascending: two significant digits (10 .. 82) for E6, E12
// and E24, three (100 .. 988) for E48, E96 and E192.
std::span<const int> SeriesMantissas(SeriesKind kind);
// "E6", "E12", ...
std::string SeriesName(SeriesKind kind);
// The series of that name in any letter case ("e96" too); nothing for a name that is none.
std::optional<SeriesKind> SeriesNamed(std::string_view name);

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
