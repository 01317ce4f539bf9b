// How long the accuracy page takes from an edit of a field to a fresh picture of the whole page.
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include "WidgetBenchmarkMain.h"
#include "accuracy/AccuracyPage.h"
#include "accuracy/ErrorPlot.h"
#include "common/Fonts.h"
#include "session/DesignSession.h"

namespace {

riaa::NetworkState CompleteRiaaState() {
    riaa::NetworkState state;
    state.C1 = 0.01;
    state.C2 = 0.01 / 2.916;
    state.R1 = 293700;
    state.R2 = 31800;
    return state;
}

// An edit as the user makes it: the field's text changes, the session evaluates it, and the page,
// on show, redraws its plot and repaints everything.
void EditAndRepaint(benchmark::State& state) {
    const riaa::ValueList resistors = riaa::MakeResistorList();
    DesignSession session({".", ","}, resistors);
    AccuracyPage page(session);
    page.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    session.setPassiveCalculation(CompleteRiaaState(), riaa::CircuitKind::CompleteRiaaVersion1, {true, true, false},
                                  false);
    page.show();
    auto* field = page.findChild<QLineEdit*>(QStringLiteral("EdtR1"));
    const QString values[] = {QStringLiteral("270k+22k"), QStringLiteral("294k")};
    int turn = 0;
    for (auto _ : state) {
        field->setText(values[turn++ % 2]);
        page.AsBuiltChange(riaa::ElementKind::R1);
        QPixmap picture = page.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
}

// The plot picture alone, at the design size at 100 % and 200 %.
void DrawPlot(benchmark::State& state) {
    const riaa::ValueList resistors = riaa::MakeResistorList();
    DesignSession session({".", ","}, resistors);
    session.setPassiveCalculation(CompleteRiaaState(), riaa::CircuitKind::CompleteRiaaVersion1, {true, true, false},
                                  false);
    ErrorPlotData data;
    data.curve = session.report()->errorCurve;
    const qreal ratio = static_cast<qreal>(state.range(0)) / 100;
    for (auto _ : state) {
        QImage image = drawErrorPlot(334, 136, data, {".", ","}, ratio);
        benchmark::DoNotOptimize(image.constBits());
    }
}

}  // namespace

BENCHMARK(EditAndRepaint)->Args({634, 373})->Args({1920, 1040})->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawPlot)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
