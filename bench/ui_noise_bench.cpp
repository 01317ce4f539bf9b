// How long the Noise page takes from an edit of a field to a fresh picture of the whole page (budget 5 ms).
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include "BenchStage.h"
#include "WidgetBenchmarkMain.h"
#include "engine/ActiveStage.h"
#include "noise/NoisePage.h"
#include "noise/NoisePlot.h"
#include "session/DesignSession.h"

namespace {

// The bench stage behind the default cartridge: every source of noise there is.
void ShowStage(DesignSession& session) {
    session.setActiveRequest(BenchStageRequest());
    session.setSource(riaa::Cartridge{});
}

// An edit as the user makes it: en typed, the figures and the spectrum worked out, the plot drawn
// and the whole page repainted. The argument picks the plot: 0 the densities, 1 the margin.
void EditAndRepaint(benchmark::State& state) {
    const riaa::ValueList resistors = riaa::MakeResistorList();
    DesignSession session({".", ","}, resistors);
    ShowStage(session);
    NoisePage page(session, {}, QString());
    page.CmbBxPlot->setCurrentIndex(static_cast<int>(state.range(0)));
    page.show();
    auto* field = page.findChild<QLineEdit*>(QStringLiteral("EdtEn"));
    const QString values[] = {QStringLiteral("3.2"), QStringLiteral("3.5")};
    int turn = 0;
    for (auto _ : state) {
        field->setText(values[turn++ % 2]);
        page.NoiseFieldChange();
        QPixmap picture = page.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
}

}  // namespace

BENCHMARK(EditAndRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
