// The File menu's timings under the offscreen platform: opening a design and showing it on every page
// (the tolerance run it starts is cancelled, not waited for), and saving it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "KAQ2_RIAA.h"
#include "active/ActiveStagePage.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "file/DesignFiles.h"
#include "session/DesignSession.h"

namespace {

// A design of each kind, with a sum in the parts as built: 0 a passive network, 1 a non-inverting stage.
void SetUp(TRiaaForm& window, int kind) {
    DesignSession& session = *window.session();
    if (kind == 0) {
        PassiveInputs inputs;
        inputs.circuit = riaa::CircuitKind::CompleteRiaaVersion1;
        inputs.options = {true, true, true};
        session.calculatePassive(inputs);
    } else {
        window.ActiveStagePage1->ChckBxStageC0->setChecked(true);
        window.ActiveStagePage1->InputChange();
    }
    session.setAsBuiltText(riaa::ElementKind::R1, QStringLiteral("270k+8.2k"));
    session.cancelTolerance();
}

void BM_OpenDesign(benchmark::State& bench) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mirelund"));
    TRiaaForm window;
    window.show();
    SetUp(window, static_cast<int>(bench.range(0)));
    window.designFiles()->save(path);
    window.Accuracy1Click();
    for (auto _ : bench) {
        window.designFiles()->open(path);
        bench.PauseTiming();
        window.session()->cancelTolerance();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SaveDesign(benchmark::State& bench) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.mirelund"));
    TRiaaForm window;
    window.show();
    SetUp(window, static_cast<int>(bench.range(0)));
    for (auto _ : bench) window.designFiles()->save(path);
}
BENCHMARK(BM_SaveDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The recent files go to a test location, never the user's own settings.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("MirelundBench"));
    InstallApplicationStyle();
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
