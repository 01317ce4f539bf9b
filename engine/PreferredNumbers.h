// The IEC 60063 preferred-number series E6 to E192 as data: one decade of mantissas each, and their names.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

}  // namespace riaa
