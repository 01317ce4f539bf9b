#include "DesignReport.h"
#include "OutputText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "engine/Circuits.h"
#include "engine/PartSeries.h"
#include "engine/ReplayCurves.h"
#include "engine/Tolerance.h"
#include "engine/ValueLists.h"

namespace design {

namespace {

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

namespace {

// The passive network of the circuit page, calculated as the window calculates it.
DesignOutcome DesignPassive(const DesignRequest& request) {
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
    outcome.designed = riaa::MakeBuiltNetwork(state, request.circuit, options);
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
    return outcome;
}

// The engine's reasons for refusing a stage, each traced to the option that would mend it; what
// is left comes from the scale, which sets every other value.
std::string StageOptionToBlame(const StageRequest& stage, const std::string& message) {
    const auto starts = [&](const char* text) { return message.rfind(text, 0) == 0; };
    if (starts("A zero at 3.18")) return "--hf";
    if (starts("The gain")) return "--gain";
    if (starts("RL ")) return "--rl";
    // R3 sets C3, so a C3 no part can have comes from a typed R3 where there is one.
    if (starts("R3 ") || (stage.r3Given && starts("C3 "))) return "--r3";
    if (starts("C0 ")) return "--c0";
    if (starts("Form ")) return "--network";
    if (starts("The curve's time constants")) return "--shelf";
    return stage.scaleOption;
}

DesignOutcome DesignStage(const DesignRequest& request) {
    const StageRequest& stage = *request.stage;
    DesignOutcome outcome;
    try {
        outcome.network = riaa::DesignActiveStage(stage.design);
    } catch (const riaa::EngineError& error) {
        throw UsageError(StageOptionToBlame(stage, error.what()), error.what());
    }
    riaa::BuiltNetwork& network = outcome.network;
    outcome.designed = network;
    if (stage.r3Given && !network.has(riaa::ElementKind::R3)) {
        throw UsageError("--r3", "this design has no R3: the low-pass is for --hf pole and two stages");
    }
    if (stage.design.rl && !network.has(riaa::ElementKind::RL)) {
        throw UsageError("--rl", "this design has no RL: the next stage's input counts for two stages and with --iec");
    }
    if (request.rounding.toResistorList || request.rounding.series) {
        const riaa::ValueList list = riaa::MakeResistorList();
        const std::optional<riaa::PartSeries> series =
            request.rounding.series ? std::optional(riaa::MakePartSeries(*request.rounding.series, riaa::kResistorRange))
                                    : std::nullopt;
        // Rs and RL belong to the stages around, as they do for the passive networks.
        for (const riaa::ElementKind e : riaa::kAllElements) {
            if (!network.has(e) || riaa::IsCapacitor(e) || !riaa::IsBoughtPart(e)) continue;
            const double value = network.value(e);
            network.set(e, series ? series->round(value) : riaa::ClosestStandardResistor(value, list, kPointLocale));
        }
    }
    return outcome;
}

}  // namespace

DesignOutcome RunDesign(const DesignRequest& request) {
    DesignOutcome outcome = request.stage ? DesignStage(request) : DesignPassive(request);
    riaa::BuiltNetwork& network = outcome.network;
    for (const PartOverride& part : request.parts) {
        const std::string name(riaa::ElementName(part.element));
        if (!network.has(part.element) && part.fromFile) continue;
        if (!network.has(part.element)) throw UsageError("--part", "this design has no " + name);
        network.set(part.element, part.value);
        if (riaa::Index(part.element) < outcome.texts.size() && !request.stage) {
            outcome.texts[riaa::Index(part.element)] = riaa::FormatPartValue(part.element, part.value, kPointLocale);
        }
    }
    // The design was made for its own curve; what it is measured against may be another.
    network.curve = request.against.value_or(request.curve);
    network.source = request.cartridge;
    // Where the design itself was built from the options, its option is to blame; with parts as
    // built, they are.
    const std::string blame = !request.parts.empty() ? "--part" : request.stage ? request.stage->scaleOption : "--c1";
    try {
        outcome.report = riaa::EvaluateAccuracy(network);
    } catch (const riaa::EngineError& error) {
        throw UsageError(blame, error.what());
    }
    if (request.tolerance) {
        riaa::ToleranceSettings settings;
        settings.resistorPercent = request.tolerance->resistorPercent;
        settings.capacitorPercent = request.tolerance->capacitorPercent;
        settings.loadCapacitancePercent = request.tolerance->loadCapacitancePercent.value_or(0);
        settings.distribution =
            request.tolerance->normal ? riaa::ToleranceDistribution::Normal : riaa::ToleranceDistribution::Uniform;
        settings.builds = request.tolerance->builds;
        settings.band = false;  // the command line reports percentiles only
        const std::atomic<bool> neverCancelled{false};
        try {
            outcome.tolerance = riaa::RunTolerance(network, settings, neverCancelled);
        } catch (const riaa::EngineError& error) {
            throw UsageError("--tolerance", error.what());
        }
    }
    if (request.noise) {
        try {
            outcome.noise = riaa::EvaluateNoise(network, request.noise->settings);
        } catch (const riaa::EngineError& error) {
            throw UsageError("--noise", error.what());
        }
    }
    // A netlist shows no builds; the search is not run for it.
    if (request.best && !request.netlist) outcome.best = RunBest(network, *request.best);
    return outcome;
}

namespace {

// The order a stage's elements are listed in, around the op-amp from its input side.
constexpr std::array<riaa::ElementKind, 11> kStageElements{
    riaa::ElementKind::R0, riaa::ElementKind::C0,  riaa::ElementKind::R1,  riaa::ElementKind::C1,
    riaa::ElementKind::R2, riaa::ElementKind::C2,  riaa::ElementKind::R3,  riaa::ElementKind::C3,
    riaa::ElementKind::Rin, riaa::ElementKind::RL, riaa::ElementKind::Cout};

// The label column of the table.
std::string Label(std::string_view label) {
    std::string text(label);
    text.resize(std::max<std::size_t>(text.size() + 1, 17), ' ');
    return text;
}

std::string StageName(riaa::DesignKind kind) {
    switch (kind) {
        case riaa::DesignKind::NonInverting: return "non-inverting";
        case riaa::DesignKind::Inverting: return "inverting";
        case riaa::DesignKind::TwoStage: return "two-stage";
        case riaa::DesignKind::Passive: break;
    }
    return "passive";
}

std::string FormName(riaa::NetworkForm form) { return std::string(1, static_cast<char>('A' + static_cast<int>(form))); }

// The curve as the table names it, with its options.
std::string CurveText(const riaa::CurveChoice& curve) {
    std::string text(riaa::CurveRow(curve).name);
    if (curve.iecAmendment) text += ", IEC amendment (7950 \u00B5s)";
    if (curve.zero3_18us) text += ", zero at 3.18 \u00B5s";
    return text;
}

void LargestErrorLine(std::ostream& out, const riaa::AccuracyReport& report) {
    out << "Largest error    " << riaa::FixedSignedDecibels(report.largestErrorDb, 4) << " at "
        << Printf("%.0f Hz", report.largestErrorHz) << " (20 Hz to 20 kHz, 0 dB at 1 kHz)\n";
}

void PoleAndZeroLines(std::ostream& out, const riaa::AccuracyReport& report) {
    out << "Poles (µs)       " << TimeConstants(report.realisedPolesUs) << "   target "
        << TimeConstants(report.targetPolesUs) << "\n";
    out << "Zeros (µs)       " << TimeConstants(report.realisedZerosUs) << "   target "
        << TimeConstants(report.targetZerosUs) << "\n";
}

}  // namespace

std::string RenderTable(const DesignRequest& request, const DesignOutcome& outcome) {
    std::ostringstream out;
    const riaa::BuiltNetwork& network = outcome.network;
    const riaa::AccuracyReport& report = outcome.report;
    if (!request.stage) {
        const auto circuit = static_cast<int>(request.circuit);
        out << "Circuit          " << circuit << " \"" << riaa::Row(request.circuit).caption << "\"\n";
        for (int element = 0; element < riaa::kElementCount; ++element) {
            const std::string& text = outcome.texts[static_cast<std::size_t>(element)];
            if (!text.empty()) {
                out << riaa::ElementName(static_cast<riaa::ElementKind>(element)) << "               " << text << "\n";
            }
        }
        LargestErrorLine(out, report);
        out << "Loss at 1 kHz    " << riaa::FixedDecibels(-report.lossAt1kHzDb, 2) << "\n";
    } else {
        out << "Stage            " << StageName(network.kind) << "\n";
        out << "Network          " << FormName(network.form) << "\n";
        for (const riaa::ElementKind e : kStageElements) {
            if (!network.has(e)) continue;
            out << Label(riaa::ElementName(e)) << riaa::FormatPartValue(e, network.value(e), kPointLocale) << "\n";
        }
        LargestErrorLine(out, report);
        out << "Gain at 1 kHz    " << riaa::FixedDecibels(report.lossAt1kHzDb, 2) << "\n";
        const bool blocked = network.has(riaa::ElementKind::C0) || network.has(riaa::ElementKind::Cout);
        out << "Gain at DC       " << riaa::FixedDecibels(report.gainDcDb.value_or(0), 2)
            << (blocked ? " (at 20 Hz: a capacitor blocks DC)" : "") << "\n";
        out << "Extra zero       " << (report.extraZeroHz ? Printf("%.0f Hz", *report.extraZeroHz) : "none") << "\n";
    }
    PoleAndZeroLines(out, report);
    // A passive run's table stays as it was unless a curve was asked for.
    if (request.stage || request.curveAsked || request.against) out << "Curve            " << CurveText(request.curve) << "\n";
    if (request.against) out << "Against          " << CurveText(*request.against) << "\n";
    if (report.source) {
        const riaa::SourceFigures& source = *report.source;
        // Without CL there is nothing for L to resonate against.
        out << "Resonance        "
            << (std::isfinite(source.resonanceHz)
                    ? Printf("%.0f Hz", source.resonanceHz) + ", Q " + Printf("%.3f", source.resonanceQ)
                    : std::string("none (CL is 0)"))
            << "; at 10 kHz " << riaa::FixedSignedDecibels(source.level10kHzDb, 2) << ", at 20 kHz "
            << riaa::FixedSignedDecibels(source.level20kHzDb, 2) << " (cartridge and load, against 1 kHz)\n";
    }
    if (outcome.tolerance) {
        const ToleranceRequest& asked = *request.tolerance;
        out << "Tolerance        R " << Printf("%g%%", asked.resistorPercent) << ", C "
            << Printf("%g%%", asked.capacitorPercent);
        if (asked.loadCapacitancePercent) out << ", CL " << Printf("%g%%", *asked.loadCapacitancePercent);
        out << ", " << (asked.normal ? "normal" : "uniform") << ", " << asked.builds << " builds\n";
        out << "Largest error    50%: " << riaa::FixedDecibels(outcome.tolerance->p50Db, 4)
            << "   95%: " << riaa::FixedDecibels(outcome.tolerance->p95Db, 4)
            << "   99%: " << riaa::FixedDecibels(outcome.tolerance->p99Db, 4) << "\n";
    }
    if (outcome.noise) NoiseLines(out, *request.noise, *outcome.noise);
    if (outcome.best) BestBuildLines(out, *outcome.best);
    return out.str();
}

std::string RenderJson(const DesignRequest& request, const DesignOutcome& outcome) {
    const riaa::BuiltNetwork& network = outcome.network;
    const riaa::AccuracyReport& report = outcome.report;
    nlohmann::ordered_json json;
    using riaa::ElementKind;
    const auto optional = [](const auto& value) {
        return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
    };
    if (!request.stage) {
        json["circuit"] = static_cast<int>(request.circuit);
        json["caption"] = std::string(riaa::Row(request.circuit).caption);
        const auto element = [&](ElementKind e) {
            return optional(network.has(e) ? std::optional(network.value(e)) : std::nullopt);
        };
        json["C1"] = network.value(ElementKind::C1);
        json["C2"] = network.value(ElementKind::C2);
        json["R1"] = network.value(ElementKind::R1);
        json["R2"] = network.value(ElementKind::R2);
        json["Rs"] = element(ElementKind::Rs);
        json["RL"] = element(ElementKind::RL);
    } else {
        json["caption"] = riaa::DesignCaption(network);
    }
    json["stage"] = StageName(network.kind);
    json["network"] = request.stage ? nlohmann::ordered_json(FormName(network.form)) : nlohmann::ordered_json(nullptr);
    if (request.stage) {
        for (const ElementKind e : kStageElements) {
            if (network.has(e)) json[std::string(riaa::ElementName(e))] = network.value(e);
        }
    }
    json["largestErrorDb"] = report.largestErrorDb;
    json["largestErrorHz"] = report.largestErrorHz;
    if (!request.stage) json["lossAt1kHzDb"] = report.lossAt1kHzDb;
    json["gain1kHzDb"] = report.lossAt1kHzDb;
    json["gainDcDb"] = optional(report.gainDcDb);
    json["extraZeroHz"] = optional(report.extraZeroHz);
    json["realisedPolesUs"] = report.realisedPolesUs;
    json["realisedZerosUs"] = report.realisedZerosUs;
    json["targetPolesUs"] = report.targetPolesUs;
    json["targetZerosUs"] = report.targetZerosUs;
    json["curve"] = riaa::AimsAtReplayCurve(network)
                        ? nlohmann::ordered_json(std::string(riaa::CurveRow(request.curve).name))
                        : nlohmann::ordered_json(nullptr);
    json["iecAmendment"] = request.curve.iecAmendment;
    json["zero3_18us"] = request.curve.zero3_18us;
    if (request.against) json["against"] = CurveChoiceName(*request.against);
    const std::optional<riaa::SourceFigures>& source = report.source;
    json["resonanceHz"] = optional(source ? std::optional(source->resonanceHz) : std::nullopt);
    json["resonanceQ"] = optional(source ? std::optional(source->resonanceQ) : std::nullopt);
    json["level10kHzDb"] = optional(source ? std::optional(source->level10kHzDb) : std::nullopt);
    json["level20kHzDb"] = optional(source ? std::optional(source->level20kHzDb) : std::nullopt);
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
        if (asked.loadCapacitancePercent) json["tolerance"]["loadCapacitancePercent"] = *asked.loadCapacitancePercent;
    }
    if (outcome.noise) {
        NoiseJson(json, *request.noise, *outcome.noise, request.stage ? std::optional(network.opAmp) : std::nullopt);
    }
    if (outcome.best) json["bestBuilds"] = BestBuildsJson(*outcome.best);
    return json.dump(2) + "\n";
}

std::string RenderCurves() {
    const auto column = [](std::string text, std::size_t width) {
        text.resize(std::max(text.size() + 2, width), ' ');
        return text;
    };
    const auto microseconds = [](double us) { return us > 0 ? Printf("%g", us) : std::string("none"); };
    std::ostringstream out;
    out << column("Curve", 21) << column("Other names", 31) << "Shelf, zero, treble (\u00B5s)  Used for\n";
    for (const riaa::ReplayCurve& curve : riaa::ReplayCurves()) {
        std::string others;
        for (const std::string_view other : curve.otherNames) {
            if (!other.empty()) others += (others.empty() ? "" : ", ") + std::string(other);
        }
        out << column(std::string(curve.name), 21) << column(others.empty() ? "-" : others, 31)
            << column(microseconds(curve.shelfUs) + ", " + microseconds(curve.turnoverUs) + ", " +
                          microseconds(curve.trebleUs),
                      26)
            << curve.usedFor << "\n";
    }
    out << "Any curve takes --iec (a 7950 \u00B5s high-pass) and --zero-3.18us; an active stage gives a curve\n"
           "without a shelf the one of --shelf (15915 \u00B5s unless given).\n";
    return out.str();
}

}  // namespace design
