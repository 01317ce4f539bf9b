// The bill of materials of a design as built: a CSV row for every part to buy, for both channels.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/PartSeries.h"

namespace riaa {

struct BomChoices {
    // The series each kind of part is bought from; empty: bought as built, unrounded.
    std::optional<SeriesKind> resistorSeries;
    std::optional<SeriesKind> capacitorSeries;
    std::string resistorTolerance = "1";   // in percent, as the Parts page's fields hold them
    std::string capacitorTolerance = "2";
    int quantity = 2;  // of each part: one for each channel
};

// From this many µF a coupling capacitor (C0, Cout) is an electrolytic: film ones that size are bricks.
inline constexpr double kElectrolyticFromUf = 10;
// Below 1 nF a network's capacitor is a C0G/NP0 ceramic, above it film.
inline constexpr double kCeramicBelowUf = 1e-3;

// CSV (RFC 4180: CRLF line ends, fields quoted where they must be, UTF-8) with the header Designator,
// Value, Exact, Series, Tolerance, Type, Quantity, Note. `design` gives the exact values, bought as the
// series' nearest; asBuilt the texts the user typed for its elements (empty where a field holds the
// design's value), bought as typed, a sum a row per part (R1a, R1b).
// Rs and RL are the stages around and are not bought. Throws EngineError for a text that is no sum,
// naming its element, and for a quantity below 1.
std::string BillOfMaterials(const BuiltNetwork& design, const std::array<std::string, kPartCount>& asBuilt,
                            const BomChoices& choices, const NumberLocale& locale);

}  // namespace riaa
