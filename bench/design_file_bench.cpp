// Design file timings: saving a design (budget 5 ms), opening one, opening and building it, its bill of materials.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/BillOfMaterials.h"
#include "engine/DesignBuild.h"
#include "engine/DesignFile.h"

namespace {

// A stage with every as-built field typed, a cartridge, and a newer program's noise object to keep.
riaa::DesignDocument BenchDocument() {
    riaa::DesignDocument document;
    document.activeStage = true;
    document.title = "Bench stage";
    document.notes = std::string(2000, 'n');
    document.stage.useC0 = true;
    document.stage.idealOpAmp = false;
    document.source.cartridge = true;
    document.asBuilt.edited = true;
    for (const riaa::ElementKind e : riaa::kAllElements) {
        document.asBuilt.parts[riaa::Index(e)] = riaa::AsBuiltPart{riaa::IsCapacitor(e) ? "10n+470p" : "27k+820", true, {}};
    }
    document.unknown["noise"] = R"({"en":4.5e-09,"in":1.6e-12,"opAmp":"OPA1612","swing":13.5,"temperature":300})";
    return document;
}

void BM_SaveDesign(benchmark::State& bench) {
    const riaa::DesignDocument document = BenchDocument();
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::WriteDesignFile(document));
}
BENCHMARK(BM_SaveDesign)->Unit(benchmark::kMicrosecond);

void BM_OpenDesign(benchmark::State& bench) {
    const std::string text = riaa::WriteDesignFile(BenchDocument());
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::ReadDesignFile(text));
}
BENCHMARK(BM_OpenDesign)->Unit(benchmark::kMicrosecond);

// What the command line does with --design before it evaluates: the file read and its network built.
void BM_OpenAndBuildDesign(benchmark::State& bench) {
    const std::string text = riaa::WriteDesignFile(BenchDocument());
    const riaa::NumberLocale locale;
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::BuildDesign(riaa::ReadDesignFile(text), locale));
}
BENCHMARK(BM_OpenAndBuildDesign)->Unit(benchmark::kMicrosecond);

void BM_BillOfMaterials(benchmark::State& bench) {
    const riaa::DesignDocument document = BenchDocument();
    const riaa::NumberLocale locale;
    const riaa::BuiltNetwork network = riaa::BuildDesign(document, locale).calculated;
    const auto typed = riaa::TypedAsBuiltTexts(document.asBuilt);
    const riaa::BomChoices choices = riaa::BomChoicesOf(document);
    for (auto _ : bench) benchmark::DoNotOptimize(riaa::BillOfMaterials(network, typed, choices, locale));
}
BENCHMARK(BM_BillOfMaterials)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
