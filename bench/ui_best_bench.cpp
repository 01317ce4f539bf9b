// How long an edit keeps the GUI thread while a best-build search runs, and how often the page shows its progress.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>

#include "KAQ2_RIAA.h"
#include "WidgetBenchmarkMain.h"
#include "accuracy/AccuracyPage.h"
#include "best/BestBuildPage.h"
#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "session/DesignSession.h"

namespace {

// A search far longer than any measurement: a non-inverting stage behind a cartridge, with pairs of E24
// capacitors and E192 resistors.
std::unique_ptr<TRiaaForm> WindowWithLongSearch() {
    StartupOptions options;
    options.locale = riaa::NumberLocale{".", ","};
    auto window = std::make_unique<TRiaaForm>(options);
    window->CircuitPage->LMDRadioGroupCircuits->button(4)->click();
    riaa::ActiveStageRequest stage;
    stage.c0 = 100;
    stage.opAmp = {false, 100, 10e6};
    window->session()->setActiveRequest(stage);
    window->session()->setSource(riaa::Cartridge{});
    BestBuildPage* page = window->BestBuildPage1;
    page->CmbBxCapSeries->setCurrentIndex(2);
    page->CmbBxResSeries->setCurrentIndex(4);
    page->ChckBxPairs->setChecked(true);
    return window;
}

// An edit of an as-built field as typing makes it, on the Accuracy page on show, with a search in
// flight: the session evaluates, the Accuracy page redraws and the search is stopped. Each edit stops
// the search, so a new one starts before each, outside the timing.
void EditDuringSearch(benchmark::State& state) {
    auto window = WindowWithLongSearch();
    window->Accuracy1Click();
    AccuracyPage* page = window->AccuracyPage1;
    BestBuildPage* best = window->BestBuildPage1;
    auto* field = page->findChild<QLineEdit*>(QStringLiteral("EdtR1"));
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k"), QStringLiteral("293k")};
    int turn = 0;
    int stopped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        best->BtnSearchClick();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        field->setText(values[turn++ % 3]);
        page->AsBuiltChange(riaa::ElementKind::R1);
        state.PauseTiming();
        stopped += best->searching() ? 0 : 1;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["stopped"] = benchmark::Counter(stopped, benchmark::Counter::kAvgIterations);
}

// The Best build page's own share, with the page on show: an edit reaching the session stops the
// search and the page draws itself again.
void BestPageShareOfEdit(benchmark::State& state) {
    auto window = WindowWithLongSearch();
    window->BestBuild1Click();
    BestBuildPage* best = window->BestBuildPage1;
    DesignSession* session = window->session();
    const double r1 = session->builtNetwork()->value(riaa::ElementKind::R1);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        best->BtnSearchClick();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        session->setAsBuiltText(riaa::ElementKind::R1, QString::number(r1 * (1 + 0.001 * (turn++ % 7)), 'g', 17));
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// A second of a search with the page on show, the event loop running as it does for the user: how
// often the page reads the progress, how often its status text changes, and the longest the GUI thread went without an event handled.
void ProgressWhileSearching(benchmark::State& state) {
    auto window = WindowWithLongSearch();
    window->BestBuild1Click();
    window->show();
    BestBuildPage* best = window->BestBuildPage1;
    for (auto _ : state) {
        int updates = 0;
        int readings = 0;
        auto* timer = best->findChild<QTimer*>();
        const QMetaObject::Connection reading = QObject::connect(timer, &QTimer::timeout, [&readings] { ++readings; });
        QString last;
        qint64 longestGapMs = 0;
        best->BtnSearchClick();
        QElapsedTimer clock;
        clock.start();
        qint64 previous = 0;
        while (clock.elapsed() < 1000 && best->searching()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
            const qint64 now = clock.elapsed();
            longestGapMs = std::max(longestGapMs, now - previous);
            previous = now;
            if (best->LabelSearchStatus->text() != last) {
                last = best->LabelSearchStatus->text();
                ++updates;
            }
        }
        const double seconds = static_cast<double>(clock.elapsed()) / 1000;
        best->BtnCancelClick();
        QObject::disconnect(reading);
        // Per second of searching: a search done within the second is no reading of its progress.
        state.counters["readings_per_s"] = readings / seconds;
        state.counters["updates_per_s"] = updates / seconds;
        state.counters["searching_ms"] = seconds * 1000;
        state.counters["longest_gap_ms"] = static_cast<double>(longestGapMs);
    }
}

}  // namespace

BENCHMARK(EditDuringSearch)->Unit(benchmark::kMicrosecond);
BENCHMARK(BestPageShareOfEdit)->Unit(benchmark::kMicrosecond);
BENCHMARK(ProgressWhileSearching)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
