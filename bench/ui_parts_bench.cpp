// How long one edit keeps the GUI thread while a tolerance run is in flight: the parts page must never stall typing.
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <benchmark/benchmark.h>
#include <memory>

#include "KAQ2_RIAA.h"
#include "WidgetBenchmarkMain.h"
#include "accuracy/AccuracyPage.h"
#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/Fonts.h"
#include "parts/PartsPage.h"
#include "session/DesignSession.h"
#include "session/ToleranceWorker.h"

namespace {

std::unique_ptr<TRiaaForm> CompleteRiaaWindow() {
    StartupOptions options;
    options.locale = riaa::NumberLocale{".", ","};
    auto window = std::make_unique<TRiaaForm>(options);
    window->CircuitPage->LMDRadioGroupCircuits->button(4)->click();
    return window;
}

// An edit of an as-built field as typing makes it, on the Accuracy page on show: the session
// evaluates and starts a new run, cancelling the one before, and the page redraws; the parts page,
// hidden, waits for its next showing. Results that come back are handled between edits, outside the
// timing, as the event loop would between keystrokes.
void EditWithRunInFlight(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    window->Accuracy1Click();
    AccuracyPage* page = window->AccuracyPage1;
    auto* field = page->findChild<QLineEdit*>(QStringLiteral("EdtR1"));
    int results = 0;
    QObject::connect(&window->session()->toleranceWorker(), &ToleranceWorker::finished, page, [&results] { ++results; });
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k"), QStringLiteral("293k")};
    int turn = 0;
    for (auto _ : state) {
        field->setText(values[turn++ % 3]);
        page->AsBuiltChange(riaa::ElementKind::R1);
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["results"] = results;
}

// The parts page's share of an edit, with the page on show: the session reads the field and starts a
// run, and the page draws its table, pair state and run status.
void PartsPageShare(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    window->Parts1Click();
    DesignSession* session = window->session();
    const double r1 = session->builtNetwork()->value(riaa::ElementKind::R1);
    int turn = 0;
    for (auto _ : state) {
        session->setAsBuiltText(riaa::ElementKind::R1, QString::number(r1 * (1 + 0.001 * (turn++ % 7)), 'g', 17));
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// From an edit to the figures in the session: the run itself, on its thread, while the GUI thread waits idle.
void EditToFigures(benchmark::State& state) {
    auto window = CompleteRiaaWindow();
    window->Accuracy1Click();
    AccuracyPage* page = window->AccuracyPage1;
    const DesignSession& session = *window->session();
    auto* field = page->findChild<QLineEdit*>(QStringLiteral("EdtR1"));
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k")};
    int turn = 0;
    for (auto _ : state) {
        field->setText(values[turn++ % 2]);
        page->AsBuiltChange(riaa::ElementKind::R1);
        while (session.tolerance().status == ToleranceStatus::Running) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
}

}  // namespace

BENCHMARK(EditWithRunInFlight)->Unit(benchmark::kMicrosecond);
BENCHMARK(EditToFigures)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PartsPageShare)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
