// How long the Active stage page takes from an edit of a field to a fresh picture of the whole page.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include "WidgetBenchmarkMain.h"
#include "active/ActiveStagePage.h"
#include "session/DesignSession.h"

namespace {

// An edit as the user makes it: the gain field's text changes, the page designs the stage and hands
// it to the session, and the page repaints everything.
void EditAndRepaint(benchmark::State& state) {
    const riaa::ValueList resistors = riaa::MakeResistorList();
    DesignSession session({".", ","}, resistors);
    ActiveStagePage page(session);
    page.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    page.show();
    auto* gain = page.findChild<QLineEdit*>(QStringLiteral("EdtStageGain"));
    const QString values[] = {QStringLiteral("40"), QStringLiteral("35")};
    int turn = 0;
    for (auto _ : state) {
        gain->setText(values[turn++ % 2]);
        page.InputChange();
        QPixmap picture = page.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    if (!session.design() || session.design()->calculated.kind == riaa::DesignKind::Passive) {
        state.SkipWithError("the edits designed no stage");
    }
}

}  // namespace

BENCHMARK(EditAndRepaint)->Args({634, 373})->Args({1920, 1040})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
