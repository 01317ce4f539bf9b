// How long the PDF report takes, from a design as the window holds it to the file on disk.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "WidgetBenchmarkMain.h"
#include "engine/ActiveStage.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"
#include "report/ReportPdf.h"

namespace {

// The largest report there is: a non-inverting stage with every part, a cartridge, a tolerance band
// and a bill of materials, on four pages.
ReportSource LargestReport() {
    riaa::ActiveStageRequest request;
    request.c0 = 100;
    request.rl = 47'000;
    request.curve.iecAmendment = true;
    request.opAmp.ideal = false;
    ReportSource source;
    source.calculated = riaa::DesignActiveStage(request);
    source.calculated.source = riaa::Cartridge{};
    source.built = source.calculated;
    source.report = riaa::EvaluateAccuracy(*source.built);
    riaa::ToleranceSettings settings;
    settings.builds = 1000;
    const std::atomic<bool> cancel{false};
    source.toleranceSettings = settings;
    source.toleranceFigures = riaa::RunTolerance(*source.built, settings, cancel);
    source.band = source.toleranceFigures->band;
    source.billOfMaterialsCsv = QStringLiteral("Designator,Value,Exact,Series,Tolerance,Type,Quantity,Note\r\n");
    for (int i = 0; i < 12; ++i)
        source.billOfMaterialsCsv += QStringLiteral("R%1,10 k,10.02 k,E96,1 %,metal film,2,\r\n").arg(i);
    source.noise = {{QStringLiteral("Input noise"), QStringLiteral("-128 dBV")}};
    return source;
}

// What File > Export report does once the design is in hand: content, layout, PDF, rename.
void WriteReport(benchmark::State& state) {
    const ReportSource source = LargestReport();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) WriteReportPdf(MakeReportContent(source), path);
}

void MakeContent(benchmark::State& state) {
    const ReportSource source = LargestReport();
    for (auto _ : state) benchmark::DoNotOptimize(MakeReportContent(source).elements.size());
}

}  // namespace

BENCHMARK(WriteReport)->Unit(benchmark::kMillisecond);
BENCHMARK(MakeContent)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
