// What the PDF report says, as data ready to print, and how a design, its parts as built and its figures make it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

#include "accuracy/ErrorPlot.h"
#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"
#include "report/DesignSchematic.h"

// One line of a figures table: "Largest error", "+0.0520 dB at 20 Hz".
struct ReportLine {
    QString name;
    QString value;
};

struct ReportElementRow {
    QString element;   // "R1"
    QString designed;  // as the design calculated it, formatted as the pages format it
    QString asBuilt;   // as typed, with what it comes to where that reads differently ("27k+820 = 27.82 k")
};

struct ReportContent {
    QString title;
    QString date;
    QString fileName;                    // empty: a design not saved
    std::vector<ReportLine> design;      // kind, form, curve and options, source
    DesignSchematic schematic;           // with the values as built
    std::vector<ReportElementRow> elements;
    std::vector<QStringList> billOfMaterials;  // header row first; empty leaves the section out
    std::vector<ReportLine> accuracy;
    ErrorPlotData errorPlot;
    std::vector<ReportLine> tolerance;   // empty leaves the lines out
    std::vector<ReportLine> noise;       // noise and headroom; empty leaves the section out
    QString netlist;
    riaa::NumberLocale locale;           // the error plot's labels
};

// What the window or the command line holds of a design when it asks for a report.
struct ReportSource {
    riaa::BuiltNetwork calculated;                       // as its page calculated it
    std::optional<riaa::BuiltNetwork> built;             // as built, when the as-built fields read
    std::array<QString, riaa::kPartCount> asBuiltTexts;  // as typed, by ElementKind; empty: the calculated value
    std::optional<riaa::AccuracyReport> report;          // of the network as built
    std::vector<riaa::ToleranceBandPoint> band;          // the 95 % band; empty: none drawn
    std::optional<riaa::ToleranceSettings> toleranceSettings;
    std::optional<riaa::ToleranceResult> toleranceFigures;
    QString title;                                       // empty: "Phono equalisation"
    QString fileName;
    QDateTime when;
    // What the design was asked for beyond its parts, as its page or file says it ("Gain asked",
    // "35 dB"; "Rounding", "E96"; the file's notes): printed after the design's own lines.
    std::vector<ReportLine> designInputs;
    QString billOfMaterialsCsv;                          // RFC 4180, header row first
    std::vector<ReportLine> noise;
    riaa::NumberLocale locale;
};

ReportContent MakeReportContent(const ReportSource& source);

// The rows of an RFC 4180 text: quoted fields may hold commas, line breaks and doubled quotes; a
// last line break ends the last row. Throws riaa::EngineError for a quote left open.
std::vector<QStringList> CsvRows(const QString& csv);
