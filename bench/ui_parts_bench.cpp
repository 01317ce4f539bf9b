// How long one edit keeps the GUI thread while a tolerance run is in flight: the parts page must never stall typing.
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <memory>

#include "AccuracyPage.h"
#include "Fonts.h"
#include "KAQ2_RIAA.h"
#include "PartsPage.h"
#include "RadioGroup.h"
#include "ToleranceRunner.h"
#include "WidgetBenchmarkMain.h"

namespace {

std::unique_ptr<TRiaaForm> CompleteRiaaWindow() {
    StartupOptions options;
    options.locale = riaa::NumberLocale{".", ","};
    auto window = std::make_unique<TRiaaForm>(options);
    window->LMDRadioGroupCircuits->button(4)->click();
    return window;
}

// An edit of an as-built field as typing makes it: the Accuracy page evaluates and redraws, the
// parts page fills its table and starts a new run, cancelling the one before. Results that come
// back are handled between edits, outside the timing, as the event loop would between keystrokes.
void EditWithRunInFlight(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    AccuracyPage* page = window->AccuracyPage1;
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k"), QStringLiteral("293k")};
    int turn = 0;
    for (auto _ : state) {
        page->EdtR1->setText(values[turn++ % 3]);
        page->AsBuiltChange();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["runs"] = window->PartsPage1->toleranceRunner().startedRuns();
}

// The parts page's share of an edit: table, pair state and the start of a run.
void PartsPageShare(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    PartsPage* parts = window->PartsPage1;
    riaa::BuiltNetwork network = *window->AccuracyPage1->builtNetwork();
    const std::optional<riaa::BuiltNetwork> calculated = window->AccuracyPage1->calculatedNetwork();
    const double r1 = network.value(riaa::ElementKind::R1);
    int turn = 0;
    for (auto _ : state) {
        network.set(riaa::ElementKind::R1, r1 * (1 + 0.001 * (turn++ % 7)));
        parts->ShowNetworks(network, calculated);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// From an edit to the figures on the page: the run itself, on its threads, while the GUI thread waits idle.
void EditToFigures(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    AccuracyPage* page = window->AccuracyPage1;
    const ToleranceRunner& runner = window->PartsPage1->toleranceRunner();
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k")};
    int turn = 0;
    for (auto _ : state) {
        page->EdtR1->setText(values[turn++ % 2]);
        page->AsBuiltChange();
        while (!runner.idle()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace

BENCHMARK(EditWithRunInFlight)->Unit(benchmark::kMicrosecond);
BENCHMARK(EditToFigures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PartsPageShare)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
