#include "report/ReportContent.h"

#include <QLocale>

#include <array>
#include <cmath>

#include "active/StageSchematics.h"
#include "common/ErrorTexts.h"
#include "engine/Circuits.h"
#include "engine/Netlist.h"
#include "engine/ReplayCurves.h"

namespace {

using riaa::DesignKind;
using riaa::ElementKind;

constexpr riaa::Pattern kTimeConstant{2, 0, true, false};
constexpr riaa::Pattern kPercent{3, 0, true, false};

QString Text(const std::string& text) { return QString::fromStdString(text); }
QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Number(double value, riaa::Pattern pattern, const riaa::NumberLocale& locale) {
    return Text(riaa::RenderNumber(value, pattern, locale));
}

QString TimeConstants(const std::vector<double>& values, const riaa::NumberLocale& locale) {
    if (values.empty()) return QStringLiteral("none");
    QStringList texts;
    for (const double us : values) texts << Number(us, kTimeConstant, locale);
    // A semicolon, since the comma may be the decimal separator.
    return texts.join(QStringLiteral("; "));
}

QString CurveText(const riaa::CurveChoice& curve) {
    QString text = Text(riaa::CurveRow(curve).name);
    if (curve.iecAmendment) text += QStringLiteral(", IEC amendment (7950 \u00B5s)");
    if (curve.zero3_18us) text += QStringLiteral(", zero at 3.18 \u00B5s");
    return text;
}

QString SourceText(const std::optional<riaa::Cartridge>& source, const riaa::NumberLocale& locale) {
    if (!source) return QStringLiteral("an ideal voltage source");
    return QStringLiteral("cartridge %1 mH, %2 \u03A9, into %3 \u03A9 and %4 pF")
        .arg(Number(source->inductanceMh, riaa::patterns::UpToTwo, locale),
             Text(riaa::FormatResistance(source->resistance, locale)),
             Text(riaa::FormatResistance(source->loadResistance, locale)),
             Number(source->loadCapacitancePf, riaa::patterns::UpToTwo, locale));
}

QString ExtraZeroText(riaa::HighFrequencyZero zero) {
    switch (zero) {
        case riaa::HighFrequencyZero::Pole: return QStringLiteral("cancelled by R3, C3");
        case riaa::HighFrequencyZero::None: return QStringLiteral("left in");
        case riaa::HighFrequencyZero::At3_18us: return QStringLiteral("moved to 3.18 \u00B5s");
    }
    return {};
}

std::vector<ReportLine> DesignLines(const ReportSource& s, const QString& formula) {
    const riaa::BuiltNetwork& design = s.calculated;
    std::vector<ReportLine> lines{{QStringLiteral("Design"), Text(riaa::DesignCaption(design))}};
    if (design.kind != DesignKind::Passive) {
        lines.push_back({QStringLiteral("Feedback network"), formula});
        if (design.kind == DesignKind::NonInverting)
            lines.push_back({QStringLiteral("Extra zero"), ExtraZeroText(design.highFrequencyZero)});
        const riaa::OpAmp& a = design.opAmp;
        lines.push_back({QStringLiteral("Op-amp"),
                         a.ideal ? QStringLiteral("ideal")
                                 : QStringLiteral("A0 %1 dB, GBW %2 MHz")
                                       .arg(Number(a.openLoopGainDb, riaa::patterns::UpToTwo, s.locale),
                                            Number(a.gainBandwidthHz / 1e6, riaa::patterns::UpToThree, s.locale))});
    }
    const riaa::BuiltNetwork& measured = s.built ? *s.built : design;
    lines.push_back({QStringLiteral("Curve"), CurveText(measured.curve)});
    lines.push_back({QStringLiteral("Source"), SourceText(measured.source, s.locale)});
    lines.insert(lines.end(), s.designInputs.begin(), s.designInputs.end());
    return lines;
}

std::vector<ReportElementRow> ElementRows(const ReportSource& s) {
    std::vector<ReportElementRow> rows;
    // From the input to the output, as the schematic reads.
    constexpr std::array kOrder{ElementKind::Rs,  ElementKind::Rin, ElementKind::R0, ElementKind::C0,
                                ElementKind::R1,  ElementKind::C1,  ElementKind::R2, ElementKind::C2,
                                ElementKind::R3,  ElementKind::C3,  ElementKind::Cout, ElementKind::RL};
    static_assert(kOrder.size() == riaa::kPartCount);
    for (const ElementKind e : kOrder) {
        const bool built = s.built && s.built->has(e);
        if (!s.calculated.has(e) && !built) continue;
        ReportElementRow row{Text(riaa::ElementName(e)), QString(), QStringLiteral("not in circuit")};
        if (s.calculated.has(e)) row.designed = PartValueText(e, s.calculated.value(e), s.locale);
        if (built) {
            const QString value = PartValueText(e, s.built->value(e), s.locale);
            const QString typed = s.asBuiltTexts[riaa::Index(e)].trimmed();
            row.asBuilt = typed.isEmpty() || typed == value ? value : typed + QStringLiteral(" = ") + value;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<ReportLine> AccuracyLines(const riaa::AccuracyReport& r, const riaa::NumberLocale& locale) {
    std::vector<ReportLine> lines;
    lines.push_back({QStringLiteral("Largest error"),
                     std::fabs(r.largestErrorDb) < kExactErrorDb
                         ? QStringLiteral("exact")
                         : FormatErrorDb(r.largestErrorDb, locale) + QStringLiteral(" at ") +
                               Number(r.largestErrorHz, riaa::patterns::Whole, locale) +
                               QStringLiteral(" Hz (20 Hz to 20 kHz, 0 dB at 1 kHz)")});
    const bool stage = r.gainDcDb.has_value();
    lines.push_back({stage ? QStringLiteral("Gain at 1 kHz") : QStringLiteral("Loss at 1 kHz"),
                     Text(riaa::FormatDecibels(stage ? r.lossAt1kHzDb : -r.lossAt1kHzDb, locale))});
    if (r.gainDcDb) lines.push_back({QStringLiteral("Gain at DC"), Text(riaa::FormatDecibels(*r.gainDcDb, locale))});
    if (r.extraZeroHz) {
        lines.push_back({QStringLiteral("Extra zero"),
                         Number(*r.extraZeroHz / 1000, riaa::patterns::UpToTwo, locale) + QStringLiteral(" kHz")});
    }
    lines.push_back({QStringLiteral("Poles (\u00B5s)"), TimeConstants(r.realisedPolesUs, locale) +
                                                          QStringLiteral("   target ") +
                                                          TimeConstants(r.targetPolesUs, locale)});
    lines.push_back({QStringLiteral("Zeros (\u00B5s)"), TimeConstants(r.realisedZerosUs, locale) +
                                                          QStringLiteral("   target ") +
                                                          TimeConstants(r.targetZerosUs, locale)});
    if (r.source) {
        lines.push_back({QStringLiteral("Cartridge"),
                         QStringLiteral("f0 %1 kHz, Q %2; at 10 kHz %3, at 20 kHz %4")
                             .arg(Number(r.source->resonanceHz / 1000, riaa::patterns::UpToOne, locale),
                                  Number(r.source->resonanceQ, riaa::patterns::UpToTwoWithZero, locale),
                                  FormatErrorDb(r.source->level10kHzDb, locale),
                                  FormatErrorDb(r.source->level20kHzDb, locale))});
    }
    return lines;
}

std::vector<ReportLine> ToleranceLines(const ReportSource& s) {
    if (!s.toleranceSettings || !s.toleranceFigures) return {};
    const riaa::ToleranceSettings& t = *s.toleranceSettings;
    const riaa::ToleranceResult& f = *s.toleranceFigures;
    const auto percent = [&](double p) { return Number(p, kPercent, s.locale) + QStringLiteral(" %"); };
    QString parts = QStringLiteral("R \u00B1%1, C \u00B1%2").arg(percent(t.resistorPercent), percent(t.capacitorPercent));
    if (t.loadCapacitancePercent > 0) parts += QStringLiteral(", CL \u00B1") + percent(t.loadCapacitancePercent);
    parts += t.distribution == riaa::ToleranceDistribution::Normal ? QStringLiteral(", normal") : QStringLiteral(", uniform");
    parts += QStringLiteral(", %1 builds").arg(Number(t.builds, riaa::patterns::GroupedWhole, s.locale));
    const auto db = [&](double v) { return Text(riaa::FormatErrorDecibels(v, s.locale)); };
    return {{QStringLiteral("Tolerances"), parts},
            {QStringLiteral("Largest error of the builds"),
             QStringLiteral("50 %: %1   95 %: %2   99 %: %3").arg(db(f.p50Db), db(f.p95Db), db(f.p99Db))}};
}

ErrorPlotData PlotData(const ReportSource& s) {
    ErrorPlotData data;
    if (s.report) data.curve = s.report->errorCurve;
    if (!s.band.empty()) {
        ErrorBand band;
        for (const riaa::ToleranceBandPoint& p : s.band) {
            band.hz.push_back(p.hz);
            band.lowDb.push_back(p.lowerDb);
            band.highDb.push_back(p.upperDb);
        }
        data.band = std::move(band);
    }
    if (!s.report) data.notice = QStringLiteral("The parts as built cannot be evaluated");
    return data;
}

}  // namespace

ReportContent MakeReportContent(const ReportSource& s) {
    const riaa::BuiltNetwork& shown = s.built ? *s.built : s.calculated;
    ReportContent c;
    c.title = s.title.isEmpty() ? QStringLiteral("Phono equalisation") : s.title;
    c.date = QLocale::system().toString(s.when.isValid() ? s.when : QDateTime::currentDateTime(), QLocale::LongFormat);
    c.fileName = s.fileName;
    c.schematic = DesignSchematicOf(shown, s.locale);
    c.design = DesignLines(s, c.schematic.caption);
    c.elements = ElementRows(s);
    if (!s.billOfMaterialsCsv.isEmpty()) c.billOfMaterials = CsvRows(s.billOfMaterialsCsv);
    if (s.report) c.accuracy = AccuracyLines(*s.report, s.locale);
    c.errorPlot = PlotData(s);
    c.tolerance = ToleranceLines(s);
    c.noise = s.noise;
    c.netlist = Text(riaa::SpiceNetlist(shown));
    c.locale = s.locale;
    return c;
}

std::vector<QStringList> CsvRows(const QString& csv) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;  // the row has begun
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < csv.size() && csv[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = any = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
            any = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < csv.size() && csv[i + 1] == QLatin1Char('\n')) ++i;
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (quoted) throw riaa::EngineError("The bill of materials ends inside a quoted field");
    if (any) rows.push_back(row << field);
    return rows;
}
