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
    return source;
}
