#include "SeriesTable.h"

#include <array>

namespace {

// The IEC series never change, so they are made once.
const std::array<riaa::PartSeries, std::size(kTableResistorSeries)>& ResistorSeries() {
    static const auto series = [] {
        return std::array{riaa::MakePartSeries(kTableResistorSeries[0], riaa::kResistorRange),
                          riaa::MakePartSeries(kTableResistorSeries[1], riaa::kResistorRange),
                          riaa::MakePartSeries(kTableResistorSeries[2], riaa::kResistorRange),
                          riaa::MakePartSeries(kTableResistorSeries[3], riaa::kResistorRange),
                          riaa::MakePartSeries(kTableResistorSeries[4], riaa::kResistorRange)};
    }();
    return series;
}

// Rounds a present element only: 0 stands for one the circuit lacks.
double RoundPresent(double value, const riaa::PartSeries& series) { return value > 0 ? series.round(value) : value; }

SeriesTableRow MakeRow(const riaa::PartSeries& series, const riaa::BuiltNetwork& calculated,
                       const riaa::BuiltNetwork& capacitors) {
    SeriesTableRow row;
    row.series = series.name();
    row.network = capacitors;
    row.network.R1 = RoundPresent(calculated.R1, series);
    row.network.R2 = RoundPresent(calculated.R2, series);
    try {
        const riaa::AccuracyReport report = riaa::EvaluateAccuracy(row.network);
        row.largestErrorDb = report.largestErrorDb;
        row.largestErrorHz = report.largestErrorHz;
    } catch (const riaa::EngineError& error) {
        row.error = error.what();
    }
    return row;
}

}  // namespace

std::vector<SeriesTableRow> MakeSeriesTable(const riaa::BuiltNetwork& calculated, const riaa::BuiltNetwork& asBuilt,
                                            std::optional<riaa::SeriesKind> capacitorSeries,
                                            const riaa::ValueList& resistors) {
    riaa::BuiltNetwork capacitors = asBuilt;
    if (capacitorSeries) {
        const riaa::PartSeries series = riaa::MakePartSeries(*capacitorSeries, riaa::kCapacitorRange);
        capacitors.C1 = RoundPresent(asBuilt.C1, series);
        capacitors.C2 = RoundPresent(asBuilt.C2, series);
    }
    std::vector<SeriesTableRow> rows;
    rows.reserve(kSeriesTableRows);
    for (const riaa::PartSeries& series : ResistorSeries()) rows.push_back(MakeRow(series, calculated, capacitors));
    // The list grows by typed values, so it is read as it stands now.
    rows.push_back(MakeRow(riaa::MakeListSeries(resistors, riaa::kResistorRange), calculated, capacitors));
    return rows;
}
