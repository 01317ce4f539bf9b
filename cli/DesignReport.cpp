#include "DesignReport.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "Circuits.h"
#include "PartSeries.h"
#include "Tolerance.h"
#include "ValueLists.h"

namespace design {

namespace {

const riaa::NumberLocale kPointLocale{};

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The option a user would change to mend a network that cannot be built.
std::string OptionToBlame(riaa::NetworkWarning warning) {
    switch (warning) {
        case riaa::NetworkWarning::SeriesTooHigh: return "--rs";
        case riaa::NetworkWarning::LoadTooLow: return "--rl";
        case riaa::NetworkWarning::LoadAndSeries: return "--rs/--rl";
        case riaa::NetworkWarning::None: break;
    }
    return "--c1";
}

std::string TimeConstants(const std::vector<double>& microseconds) {
    if (microseconds.empty()) return "none";
    std::string text;
    for (double value : microseconds) {
        if (!text.empty()) text += ", ";
        text += Printf("%.2f", value);
    }
    return text;
}

}  // namespace

DesignOutcome RunDesign(const DesignRequest& request) {
    riaa::NetworkState state;
    state.CircuitC1[static_cast<std::size_t>(request.circuit)] = request.c1;
    if (request.rs) state.Rs = *request.rs;
    if (request.rl) state.RL = *request.rl;
    riaa::CalculationOptions options;
    options.IncludeRs = request.rs.has_value();
    options.IncludeRL = request.rl.has_value();
    options.UseStandardResistor = request.rounding.toResistorList;

    const riaa::ValueList resistors = riaa::MakeResistorList();
    riaa::CalculationResult result;
    try {
        result = riaa::CalculateNetwork(state, request.circuit, options, resistors, kPointLocale);
    } catch (const riaa::EngineError& error) {
        throw UsageError("--c1", error.what());
    }
    if (result.alert) throw UsageError(OptionToBlame(result.warning), riaa::WarningText(result.warning));

    DesignOutcome outcome;
    outcome.texts = result.texts;
    if (request.rounding.series) {
        // Over the resistor range that the parts tables use.
        const riaa::PartSeries series = riaa::MakePartSeries(*request.rounding.series, riaa::kResistorRange);
        state.R1 = series.round(state.R1);
        outcome.texts[static_cast<std::size_t>(riaa::ElementKind::R1)] = riaa::FormatResistance(state.R1, kPointLocale);
        if (state.R2 != 0) {
            state.R2 = series.round(state.R2);
            outcome.texts[static_cast<std::size_t>(riaa::ElementKind::R2)] =
                riaa::FormatResistance(state.R2, kPointLocale);
        }
    }
    outcome.network = riaa::MakeBuiltNetwork(state, request.circuit, options);
    if (request.c2) {
        outcome.network.set(riaa::ElementKind::C2, *request.c2);
        outcome.texts[static_cast<std::size_t>(riaa::ElementKind::C2)] =
            riaa::FormatCapacitance(*request.c2, kPointLocale);
    }
    try {
        outcome.report = riaa::EvaluateAccuracy(outcome.network);
    } catch (const riaa::EngineError& error) {
        throw UsageError("--c1", error.what());
    }
    if (request.tolerance) {
        riaa::ToleranceSettings settings;
        settings.resistorPercent = request.tolerance->resistorPercent;
        settings.capacitorPercent = request.tolerance->capacitorPercent;
        settings.distribution =
            request.tolerance->normal ? riaa::ToleranceDistribution::Normal : riaa::ToleranceDistribution::Uniform;
        settings.builds = request.tolerance->builds;
        settings.band = false;  // the command line reports percentiles only
        const std::atomic<bool> neverCancelled{false};
        outcome.tolerance = riaa::RunTolerance(outcome.network, settings, neverCancelled);
    }
    return outcome;
}

std::string RenderTable(const DesignRequest& request, const DesignOutcome& outcome) {
    static constexpr const char* kNames[riaa::kElementCount] = {"C1", "C2", "R1", "R2", "RL", "Rs"};
    std::ostringstream out;
    const auto circuit = static_cast<int>(request.circuit);
    out << "Circuit          " << circuit << " \"" << riaa::Row(request.circuit).caption << "\"\n";
    for (int element = 0; element < riaa::kElementCount; ++element) {
        const std::string& text = outcome.texts[static_cast<std::size_t>(element)];
        if (!text.empty()) out << kNames[element] << "               " << text << "\n";
    }
    const riaa::AccuracyReport& report = outcome.report;
    out << "Largest error    " << riaa::FixedSignedDecibels(report.largestErrorDb, 4) << " at "
        << Printf("%.0f Hz", report.largestErrorHz) << " (20 Hz to 20 kHz, 0 dB at 1 kHz)\n";
    out << "Loss at 1 kHz    " << riaa::FixedDecibels(-report.lossAt1kHzDb, 2) << "\n";
    out << "Poles (µs)       " << TimeConstants(report.realisedPolesUs) << "   target "
        << TimeConstants(report.targetPolesUs) << "\n";
    out << "Zeros (µs)       " << TimeConstants(report.realisedZerosUs) << "   target "
        << TimeConstants(report.targetZerosUs) << "\n";
    if (outcome.tolerance) {
        const ToleranceRequest& asked = *request.tolerance;
        out << "Tolerance        R " << Printf("%g%%", asked.resistorPercent) << ", C "
            << Printf("%g%%", asked.capacitorPercent) << ", " << (asked.normal ? "normal" : "uniform") << ", "
            << asked.builds << " builds\n";
        out << "Largest error    50%: " << riaa::FixedDecibels(outcome.tolerance->p50Db, 4)
            << "   95%: " << riaa::FixedDecibels(outcome.tolerance->p95Db, 4)
            << "   99%: " << riaa::FixedDecibels(outcome.tolerance->p99Db, 4) << "\n";
    }
    return out.str();
}

std::string RenderJson(const DesignRequest& request, const DesignOutcome& outcome) {
    const riaa::BuiltNetwork& network = outcome.network;
    const riaa::AccuracyReport& report = outcome.report;
    nlohmann::ordered_json json;
    json["circuit"] = static_cast<int>(request.circuit);
    json["caption"] = std::string(riaa::Row(request.circuit).caption);
    using riaa::ElementKind;
    const auto optional = [&](ElementKind e) {
        return network.has(e) ? nlohmann::ordered_json(network.value(e)) : nlohmann::ordered_json(nullptr);
    };
    json["C1"] = network.value(ElementKind::C1);
    json["C2"] = network.value(ElementKind::C2);
    json["R1"] = network.value(ElementKind::R1);
    json["R2"] = network.value(ElementKind::R2);
    json["Rs"] = optional(ElementKind::Rs);
    json["RL"] = optional(ElementKind::RL);
    json["largestErrorDb"] = report.largestErrorDb;
    json["largestErrorHz"] = report.largestErrorHz;
    json["lossAt1kHzDb"] = report.lossAt1kHzDb;
    json["realisedPolesUs"] = report.realisedPolesUs;
    json["realisedZerosUs"] = report.realisedZerosUs;
    json["targetPolesUs"] = report.targetPolesUs;
    json["targetZerosUs"] = report.targetZerosUs;
    if (outcome.tolerance) {
        const ToleranceRequest& asked = *request.tolerance;
        json["tolerance"] = {
            {"resistorPercent", asked.resistorPercent},
            {"capacitorPercent", asked.capacitorPercent},
            {"distribution", asked.normal ? "normal" : "uniform"},
            {"builds", asked.builds},
            {"p50Db", outcome.tolerance->p50Db},
            {"p95Db", outcome.tolerance->p95Db},
            {"p99Db", outcome.tolerance->p99Db},
        };
    }
    return json.dump(2) + "\n";
}

}  // namespace design
