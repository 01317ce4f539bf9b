#include "session/SeriesTable.h"

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

// Rounds every element of one kind that the design has; Rs and RL belong to the stages around it.
void RoundParts(riaa::BuiltNetwork& network, const riaa::BuiltNetwork& from, bool capacitors,
                const riaa::PartSeries& series) {
    for (const riaa::ElementKind e : riaa::kAllElements) {
        if (riaa::IsCapacitor(e) != capacitors || !riaa::IsBoughtPart(e)) continue;
        if (from.has(e) && from.value(e) > 0) network.set(e, series.round(from.value(e)));
    }
}

SeriesTableRow MakeRow(const riaa::PartSeries& series, const riaa::BuiltNetwork& calculated,
                       const riaa::BuiltNetwork& capacitors) {
    SeriesTableRow row;
    row.series = series.name();
    row.network = capacitors;
    RoundParts(row.network, calculated, false, series);
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
        RoundParts(capacitors, asBuilt, true, series);
    }
    std::vector<SeriesTableRow> rows;
    rows.reserve(kSeriesTableRows);
    for (const riaa::PartSeries& series : ResistorSeries()) rows.push_back(MakeRow(series, calculated, capacitors));
    // The list grows by typed values, so it is read as it stands now.
    rows.push_back(MakeRow(riaa::MakeListSeries(resistors, riaa::kResistorRange), calculated, capacitors));
    return rows;
}
