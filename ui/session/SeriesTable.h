// The rows of the parts table: R1 and R2 rounded to each resistor series, and how the network built with them errs.
#pragma once

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "engine/PartSeries.h"
#include "engine/Response.h"
#include "engine/ValueLists.h"

struct SeriesTableRow {
    std::string series;                  // "E12" ... "E192", "List"
    riaa::BuiltNetwork network;          // what the row would build
    std::optional<double> largestErrorDb;  // empty when that network cannot be built
    double largestErrorHz = 0;
    std::string error;                   // the engine's reason when it cannot
};

// The resistor series of the table, in its order; the resistor list comes last.
inline constexpr riaa::SeriesKind kTableResistorSeries[] = {riaa::SeriesKind::E12, riaa::SeriesKind::E24,
                                                             riaa::SeriesKind::E48, riaa::SeriesKind::E96,
                                                             riaa::SeriesKind::E192};
inline constexpr int kSeriesTableRows = static_cast<int>(std::size(kTableResistorSeries)) + 1;

// R1 and R2 come from the calculation, so that the rows stay put when a row's values go into the
// as-built fields; C1 and C2 are the as-built ones, rounded to capacitorSeries unless it is empty,
// and Rs and RL are as built. A circuit without R2 or C2 keeps 0 there.
std::vector<SeriesTableRow> MakeSeriesTable(const riaa::BuiltNetwork& calculated, const riaa::BuiltNetwork& asBuilt,
                                            std::optional<riaa::SeriesKind> capacitorSeries,
                                            const riaa::ValueList& resistors);
