// The main() of the window benchmarks: a widget application on the offscreen platform, as the tests use.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include "common/Fonts.h"

inline int RunWidgetBenchmarks(int argc, char** argv) {
    // The same platform as the tests, so that no display is needed; a caller may name another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
