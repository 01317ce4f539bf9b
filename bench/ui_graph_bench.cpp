// How long one full redraw of the RIAA graph takes: at the design size, at full HD, and at 200 %.
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include "graph/ResponseGraph.h"

namespace {

void DrawAllCurves(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        QImage image = drawResponseGraph(width, height, {true, true, true});
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The design size on a screen at 200 %: the picture is drawn with four times the pixels.
void DrawAllCurvesAtDoubleDensity(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        QImage image = drawResponseGraph(width, height, {true, true, true}, 2.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}

}  // namespace

BENCHMARK(DrawAllCurves)->Args({600, 273})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawAllCurvesAtDoubleDensity)->Args({600, 273})->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    // Images only, but under the same platform as the tests so that no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
