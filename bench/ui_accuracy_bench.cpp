// How long the accuracy page takes from an edit of a field to a fresh picture of the whole page.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include "AccuracyPage.h"
#include "ErrorPlot.h"
#include "Fonts.h"
#include "WidgetBenchmarkMain.h"

namespace {

riaa::NetworkState CompleteRiaaState() {
    riaa::NetworkState state;
    state.C1 = 0.01;
    state.C2 = 0.01 / 2.916;
    state.R1 = 293700;
    state.R2 = 31800;
    return state;
}

// An edit as the user makes it: the field's text changes and the page evaluates, redraws its plot
// and repaints everything.
void EditAndRepaint(benchmark::State& state) {
    AccuracyPage page({".", ","});
    page.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    page.ShowCalculation(CompleteRiaaState(), riaa::CircuitKind::CompleteRiaaVersion1, {true, true, false}, false);
    page.show();
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k")};
    int turn = 0;
    for (auto _ : state) {
        page.EdtR1->setText(values[turn++ % 2]);
        page.AsBuiltChange();
        QPixmap picture = page.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
}

// The plot picture alone, at the design size at 100 % and 200 %.
void DrawPlot(benchmark::State& state) {
    AccuracyPage page({".", ","});
    page.ShowCalculation(CompleteRiaaState(), riaa::CircuitKind::CompleteRiaaVersion1, {true, true, false}, false);
    ErrorPlotData data;
    data.curve = page.report()->errorCurve;
    const qreal ratio = static_cast<qreal>(state.range(0)) / 100;
    for (auto _ : state) {
        QImage image = drawErrorPlot(334, 224, data, {".", ","}, ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
}

}  // namespace

BENCHMARK(EditAndRepaint)->Args({634, 373})->Args({1920, 1040})->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawPlot)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
