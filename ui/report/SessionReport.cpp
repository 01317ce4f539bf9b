#include "report/SessionReport.h"

#include <atomic>

#include "engine/DesignBuild.h"
#include "engine/Tolerance.h"
#include "session/DesignSession.h"

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// What the stage's page asked for that the parts alone do not say.
std::vector<ReportLine> AskedFor(const riaa::DesignDocument& document) {
    std::vector<ReportLine> lines;
    if (document.activeStage) {
        lines.push_back({QStringLiteral("Gain asked"), Text(document.stage.gain) + QStringLiteral(" dB at 1 kHz")});
    } else if (document.passive.options.UseStandardResistor) {
        lines.push_back({QStringLiteral("Resistors"), QStringLiteral("rounded to the program's list")});
    }
    if (document.notes && !document.notes->empty()) lines.push_back({QStringLiteral("Notes"), Text(*document.notes)});
    return lines;
}

// The Noise page's figures as lines of the report: the settings they are for, then the figures.
std::vector<ReportLine> NoiseLines(DesignSession& session) {
    const std::optional<riaa::NoiseFigures>& figures = session.noiseFigures();
    if (!figures) return {};
    const riaa::NumberLocale& locale = session.locale();
    const auto number = [&](double v, int decimals) {
        return QString::fromStdString(riaa::RenderNumber(v, riaa::Pattern{decimals, decimals, true, false}, locale));
    };
    const riaa::NoiseSettings& s = session.noiseSettings();
    const QString opAmp = session.noiseInputs().opAmp.isEmpty() ? QStringLiteral("custom") : session.noiseInputs().opAmp;
    std::vector<ReportLine> lines{
        {QStringLiteral("Op-amp noise"),
         QStringLiteral("%1: en %2 nV/\u221AHz, in %3 pA/\u221AHz, corners %4 Hz and %5 Hz, swing %6 V rms, %7 \u00B0C")
             .arg(opAmp, number(s.enNvRtHz, 2), number(s.inPaRtHz, 3), number(s.fceHz, 0), number(s.fciHz, 0),
                  number(s.swingVrms, 1), number(s.temperatureC, 1))},
        {QStringLiteral("Output noise"), number(figures->outputUv, 2) + QStringLiteral(" \u00B5V, A-weighted ") +
                                             number(figures->outputAUv, 2) + QStringLiteral(" \u00B5V")},
        {QStringLiteral("EIN"), number(figures->einUv, 3) + QStringLiteral(" \u00B5V (") + number(figures->einDbu, 1) +
                                    QStringLiteral(" dBu), A-weighted ") + number(figures->einAUv, 3) +
                                    QStringLiteral(" \u00B5V (") + number(figures->einADbu, 1) + QStringLiteral(" dBu)")},
        {QStringLiteral("SNR"), number(figures->snrDb, 1) + QStringLiteral(" dB, A-weighted ") + number(figures->snrADb, 1) +
                                    QStringLiteral(" dB, at ") + number(s.referenceV * 1e3, 2) + QStringLiteral(" mV")}};
    if (const std::optional<riaa::Headroom>& h = figures->headroom) {
        lines.push_back({QStringLiteral("Overload margin"),
                         QStringLiteral("20 Hz %1 dB, 1 kHz %2 dB, 20 kHz %3 dB; least %4 dB at %5 Hz")
                             .arg(number(h->margin20HzDb, 1), number(h->margin1kHzDb, 1), number(h->margin20kHzDb, 1),
                                  number(h->minMarginDb, 1), number(h->minMarginHz, 0))});
        lines.push_back({QStringLiteral("Smallest load"), QString::fromStdString(riaa::FormatResistance(h->minLoadOhm, locale)) +
                                                              QStringLiteral("\u03A9 at ") + number(h->minLoadHz, 0) + QStringLiteral(" Hz")});
    }
    QStringList shares;
    for (const riaa::NoiseShare& share : figures->shares) {
        shares << QString::fromStdString(share.name) + QStringLiteral(" ") + number(share.share * 100, 1) + QStringLiteral(" %");
    }
    lines.push_back({QStringLiteral("Shares"), shares.join(QStringLiteral(", "))});
    return lines;
}

}  // namespace

ReportSource ReportSourceOfSession(DesignSession& session, const riaa::DesignDocument& document,
                                   const QString& fileName) {
    if (!session.design()) throw riaa::EngineError("There is no design to report yet: calculate or design one first.");
    ReportSource source;
    source.locale = session.locale();
    source.calculated = session.design()->calculated;
    source.built = session.builtNetwork();
    source.report = session.report();
    if (session.valuesEdited()) {
        for (const riaa::ElementKind e : riaa::kAllElements) source.asBuiltTexts[riaa::Index(e)] = session.field(e).text;
    }
    source.toleranceSettings = session.toleranceSettings();
    if (source.built && source.toleranceSettings) {
        const ToleranceView view = session.tolerance();
        if (view.figures != nullptr && session.toleranceBand() != nullptr) {
            source.toleranceFigures = *view.figures;
        } else {
            // The report does not wait for the background run: the same run, here, gives the same figures.
            const std::atomic<bool> never{false};
            source.toleranceFigures = riaa::RunTolerance(*source.built, *source.toleranceSettings, never);
        }
        if (source.toleranceFigures) source.band = source.toleranceFigures->band;
    }
    source.title = document.title ? Text(*document.title) : QString();
    source.fileName = fileName;
    source.when = QDateTime::currentDateTime();
    source.designInputs = AskedFor(document);
    source.billOfMaterialsCsv = Text(riaa::BillOfMaterialsOf(document, source.locale));
    source.noise = NoiseLines(session);
    return source;
}
