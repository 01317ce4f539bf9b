// Window timings under the offscreen platform: building and first showing the main window (no hold),
// and one CalculateP from the end of the typing wait to the six fields holding their texts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <sys/resource.h>

#include "circuit/CircuitPage.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "KAQ2_RIAA.h"

namespace {

void BM_BuildAndShowMainWindow(benchmark::State& bench) {
    for (auto _ : bench) {
        TRiaaForm window;
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(&window);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    bench.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_BuildAndShowMainWindow)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_CalculateP(benchmark::State& bench) {
    TRiaaForm window;
    window.show();
    // Every correction and the rounding on, without a warning box.
    window.CircuitPage->ChckBxRs->setChecked(true);
    window.CircuitPage->ChckBxRL->setChecked(true);
    window.CircuitPage->ChkBxStdR->setChecked(true);
    QApplication::processEvents();
    for (auto _ : bench) window.CircuitPage->CalculateP();
}
BENCHMARK(BM_CalculateP)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallApplicationStyle();
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
