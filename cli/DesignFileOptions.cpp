#include "DesignFileOptions.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "engine/BillOfMaterials.h"
#include "engine/DesignBuild.h"
#include "engine/Formats.h"
#include "engine/ReplayCurves.h"

namespace design {

namespace {

using riaa::DesignKind;
using riaa::HighFrequencyZero;

std::string Number(double value) { return riaa::ShortestExactText(value); }

// Adds an option, refusing a text with a comma: the window writes its locale's decimal comma, which
// the command line, reading a point, would take as two values or none.
void Put(FileOptions& options, const std::string& option, const std::string& text, const std::string& key) {
    if (text.find(',') != std::string::npos) {
        throw riaa::EngineError(key + ": '" + text +
                                "' has a comma; mirelund-design reads numbers with a decimal point, as 2.2k");
    }
    options.texts[option] = text;
    options.keys[option] = key;
}

// Two of the file's texts as one option's "A,B", each checked alone.
void PutPair(FileOptions& options, const std::string& option, const std::string& first, const std::string& second,
             const std::string& key) {
    Put(options, option, first, key);
    Put(options, option, second, key);
    options.texts[option] = first + "," + second;
}

const char* StageName(DesignKind kind) {
    return kind == DesignKind::Inverting ? "inverting" : kind == DesignKind::TwoStage ? "two-stage" : "non-inverting";
}

const char* ZeroName(HighFrequencyZero zero) {
    return zero == HighFrequencyZero::None ? "none" : zero == HighFrequencyZero::At3_18us ? "3.18us" : "pole";
}

void CurveOptions(const riaa::CurveChoice& curve, FileOptions& out) {
    Put(out, "--curve", std::string(riaa::CurveRow(curve).name), "curve.name");
    if (curve.iecAmendment) Put(out, "--iec", "", "curve.iecAmendment");
    if (curve.zero3_18us) Put(out, "--zero-3.18us", "", "curve.zero3_18us");
}

void PassiveOptions(const riaa::CircuitPageInputs& in, const riaa::CurveChoice& curve, FileOptions& out) {
    Put(out, "--circuit", std::to_string(static_cast<int>(in.circuit)), "passive.circuit");
    Put(out, "--c1", Number(in.circuitC1[static_cast<std::size_t>(in.circuit)]), "passive.circuitC1");
    if (in.options.IncludeRs) Put(out, "--rs", Number(in.rs), "passive.Rs");
    if (in.options.IncludeRL) Put(out, "--rl", Number(in.rl), "passive.RL");
    if (in.options.UseStandardResistor) Put(out, "--round", "list", "passive.standardResistors");
    // A section aims at its own target; only the complete networks take a curve, and RIAA as it is
    // needs none typed.
    const bool complete = in.circuit == riaa::CircuitKind::CompleteRiaaVersion1 ||
                          in.circuit == riaa::CircuitKind::CompleteRiaaVersion2;
    if (complete && !(curve == riaa::CurveChoice{})) CurveOptions(curve, out);
}

// The stage's fields that its kind and curve read, as StageRequestOf reads them.
void StageOptions(const riaa::StagePageInputs& in, const riaa::CurveChoice& curve, FileOptions& out) {
    const bool nonInverting = in.stage == DesignKind::NonInverting;
    const bool twoStages = in.stage == DesignKind::TwoStage;
    Put(out, "--stage", StageName(in.stage), "stage.stage");
    if (!twoStages) Put(out, "--network", std::string(1, static_cast<char>('A' + static_cast<int>(in.form))), "stage.network");
    if (nonInverting) Put(out, "--hf", ZeroName(in.highFrequencyZero), "stage.extraZero");
    if (!(nonInverting && in.highFrequencyZero == HighFrequencyZero::At3_18us)) Put(out, "--gain", in.gain, "stage.gain");
    if (in.scaleByC1) {
        Put(out, "--c1", in.scaleC1, "stage.scaleC1");
    } else {
        Put(out, in.stage == DesignKind::Inverting ? "--rin" : "--r0", in.scaleResistor, "stage.scaleResistor");
    }
    if (in.useC0) Put(out, "--c0", in.c0, "stage.C0");
    const riaa::ReplayCurve& row = riaa::CurveRow(curve);
    if (row.trebleUs > 0 && (twoStages || (nonInverting && in.highFrequencyZero == HighFrequencyZero::Pole))) {
        Put(out, "--r3", in.r3, "stage.R3");
    }
    if ((twoStages || curve.iecAmendment) && in.useRL) Put(out, "--rl", in.rl, "stage.RL");
    if (!in.idealOpAmp) {
        Put(out, "--a0", in.openLoopGain, "stage.openLoopGain");
        Put(out, "--gbw", in.gainBandwidth, "stage.gainBandwidth");
    }
    if (!(row.shelfUs > 0)) Put(out, "--shelf", in.shelf, "stage.shelf");
    CurveOptions(curve, out);
}

nlohmann::json CommandLineObject(const riaa::DesignDocument& document) {
    const auto found = document.unknown.find(kCommandLineKey);
    if (found == document.unknown.end()) return nlohmann::json::object();
    nlohmann::json object = nlohmann::json::parse(found->second);
    if (!object.is_object()) throw riaa::EngineError(std::string(kCommandLineKey) + " must be an object");
    return object;
}

// What only the command line asks, and the tolerance run it asks for.
void RunOptions(const riaa::DesignDocument& document, FileOptions& out) {
    const nlohmann::json line = CommandLineObject(document);
    const std::string key = kCommandLineKey;
    for (const auto& [name, option] : {std::pair{"against", "--against"}, std::pair{"round", "--round"}}) {
        if (!line.contains(name)) continue;
        if (!line[name].is_string()) throw riaa::EngineError(key + "." + name + " must be a text");
        Put(out, option, line[name].get<std::string>(), key + "." + name);
    }
    if (!line.contains("builds")) return;
    const nlohmann::json& builds = line["builds"];
    if (!builds.is_number_unsigned() || builds.get<std::uint64_t>() < 1 ||
        builds.get<std::uint64_t>() > std::uint64_t{riaa::kMaxToleranceBuilds}) {
        throw riaa::EngineError(key + ".builds must be a whole number from 1 to " + std::to_string(riaa::kMaxToleranceBuilds));
    }
    const riaa::ToleranceInputs& tolerance = document.tolerance;
    PutPair(out, "--tolerance", tolerance.resistors + "%", tolerance.capacitors + "%", "tolerance");
    Put(out, "--builds", std::to_string(builds.get<std::uint64_t>()), key + ".builds");
    Put(out, "--distribution", tolerance.distribution == riaa::ToleranceDistribution::Normal ? "normal" : "uniform",
        "tolerance.distribution");
    if (document.source.cartridge && tolerance.loadCapacitance != "0") {
        Put(out, "--tolerance-cl", tolerance.loadCapacitance + "%", "tolerance.loadCapacitance");
    }
}

// The option that types each noise field of the file, in riaa::kNoiseFileKeys' order, and the suffix
// of the field's unit.
struct NoiseOption {
    const char* option;
    const char* suffix;
};
constexpr std::array<NoiseOption, riaa::kNoiseFileKeys.size()> kNoiseOptions{
    {{"--en", "n"}, {"--fce", ""}, {"--in", "p"}, {"--fci", ""}, {"--swing", ""}, {"--temperature", ""}, {"--reference", "m"}}};

void NoiseOptions(const riaa::DesignDocument& document, FileOptions& out) {
    if (!document.noise) return;
    const std::string key = kNoiseKey;
    Put(out, "--noise", "", key);
    if (document.noise->opAmp) Put(out, "--opamp", *document.noise->opAmp, key + ".opAmp");
    for (std::size_t i = 0; i < kNoiseOptions.size(); ++i) {
        const std::string& text = document.noise->texts[i];
        if (text.empty()) continue;
        Put(out, kNoiseOptions[i].option, text + kNoiseOptions[i].suffix, key + "." + std::string(riaa::kNoiseFileKeys[i]));
    }
}

void NoiseOfRun(const DesignRequest& request, riaa::DesignDocument& document) {
    if (!request.noise) return;  // a file's own settings stay as they were
    const riaa::NoiseSettings& s = request.noise->settings;
    riaa::NoiseFileInputs& noise = document.noise ? *document.noise : document.noise.emplace();
    noise.opAmp = request.noise->opAmp ? std::optional<std::string>(request.noise->opAmp->name) : std::nullopt;
    const std::array<double, riaa::kNoiseFileKeys.size()> values{s.enNvRtHz, s.fceHz,        s.inPaRtHz,     s.fciHz,
                                                                 s.swingVrms, s.temperatureC, s.referenceV * 1e3};
    for (std::size_t i = 0; i < values.size(); ++i) noise.texts[i] = Number(values[i]);
}

riaa::StagePageInputs StageOfRun(const riaa::ActiveStageRequest& d, riaa::StagePageInputs in) {
    in.stage = d.stage;
    in.form = d.form;
    const bool nonInverting = d.stage == DesignKind::NonInverting;
    if (nonInverting) in.highFrequencyZero = d.highFrequencyZero;
    if (!(nonInverting && d.highFrequencyZero == HighFrequencyZero::At3_18us)) in.gain = Number(d.gain1kHzDb);
    in.scaleByC1 = d.scaleByC1;
    (d.scaleByC1 ? in.scaleC1 : in.scaleResistor) = Number(d.scale);
    in.useC0 = d.c0.has_value();
    if (d.c0) in.c0 = Number(*d.c0);
    const riaa::ReplayCurve& row = riaa::CurveRow(d.curve);
    if (row.trebleUs > 0 && (d.stage == DesignKind::TwoStage || (nonInverting && d.highFrequencyZero == HighFrequencyZero::Pole))) {
        in.r3 = Number(d.r3);  // what the design used, typed or not: a file read and saved again is the same
    }
    // The next stage's input counts only where the design takes it; elsewhere the page keeps its own.
    if (d.stage == DesignKind::TwoStage || d.curve.iecAmendment) in.useRL = d.rl.has_value();
    if (d.rl) in.rl = Number(*d.rl);
    in.idealOpAmp = d.opAmp.ideal;
    if (!d.opAmp.ideal) {
        in.openLoopGain = Number(d.opAmp.openLoopGainDb);
        in.gainBandwidth = Number(d.opAmp.gainBandwidthHz);
    }
    if (!(row.shelfUs > 0)) in.shelf = Number(d.realisedShelfUs);
    return in;
}

void PassiveOfRun(const DesignRequest& request, riaa::DesignDocument& document) {
    riaa::CircuitPageInputs& in = document.passive;
    in.circuit = request.circuit;
    in.circuitC1[static_cast<std::size_t>(request.circuit)] = request.c1;
    in.element = riaa::ElementKind::C1;
    in.valueText = Number(request.c1);
    in.options.IncludeRs = request.rs.has_value();
    in.options.IncludeRL = request.rl.has_value();
    if (request.rs) in.rs = *request.rs;
    if (request.rl) in.rl = *request.rl;
    in.options.UseStandardResistor = request.rounding.toResistorList;
    if (request.circuit == riaa::CircuitKind::CompleteRiaaVersion1 ||
        request.circuit == riaa::CircuitKind::CompleteRiaaVersion2) {
        document.curve.choice = request.curve;
    }
}

void AsBuiltOfRun(const DesignRequest& request, riaa::AsBuiltInputs& asBuilt) {
    std::array<std::optional<riaa::AsBuiltPart>, riaa::kPartCount> parts{};
    // Rs and RL as built are the window's fields alone (the command line sets them with --rs and --rl): kept.
    for (const riaa::ElementKind e : {riaa::ElementKind::Rs, riaa::ElementKind::RL}) {
        parts[riaa::Index(e)] = asBuilt.parts[riaa::Index(e)];
    }
    if (request.c2) parts[riaa::Index(riaa::ElementKind::C2)] = riaa::AsBuiltPart{request.c2Text, true, {}};
    for (const PartOverride& part : request.parts) parts[riaa::Index(part.element)] = riaa::AsBuiltPart{part.text, true, {}};
    asBuilt.edited = request.c2 || !request.parts.empty();
    if (asBuilt.edited) asBuilt.parts = parts;
}

void RunOfRun(const DesignRequest& request, riaa::DesignDocument& document) {
    nlohmann::json line = CommandLineObject(document);
    line.erase("against");
    line.erase("round");
    line.erase("builds");
    if (request.against) line["against"] = CurveChoiceName(*request.against);
    const Rounding& rounding = request.rounding;
    if (rounding.series) {
        line["round"] = riaa::SeriesName(*rounding.series);
        document.series.pairResistors = *rounding.series;  // what the bill of materials buys from
    } else if (rounding.toResistorList && request.stage) {
        line["round"] = "list";
    }
    if (const auto& tolerance = request.tolerance) {
        line["builds"] = tolerance->builds;
        document.tolerance.resistors = Number(tolerance->resistorPercent);
        document.tolerance.capacitors = Number(tolerance->capacitorPercent);
        document.tolerance.loadCapacitance = Number(tolerance->loadCapacitancePercent.value_or(0));
        document.tolerance.distribution =
            tolerance->normal ? riaa::ToleranceDistribution::Normal : riaa::ToleranceDistribution::Uniform;
    }
    if (line.empty()) {
        document.unknown.erase(kCommandLineKey);
    } else {
        document.unknown[kCommandLineKey] = line.dump();
    }
}

}  // namespace

FileOptions OptionsOfDocument(const riaa::DesignDocument& document) {
    FileOptions out;
    if (document.activeStage) {
        StageOptions(document.stage, document.curve.choice, out);
    } else {
        PassiveOptions(document.passive, document.curve.choice, out);
    }
    if (document.source.cartridge) {
        const auto& texts = document.source.texts;
        PutPair(out, "--cartridge", texts[0] + "mH", texts[1], "source.L, source.Rc");
        PutPair(out, "--load", texts[2], texts[3] + "p", "source.RL, source.CL");
    }
    if (document.asBuilt.edited) {
        for (const riaa::ElementKind e : riaa::kAllElements) {
            const std::optional<riaa::AsBuiltPart>& part = document.asBuilt.parts[riaa::Index(e)];
            // Rs and RL are the stages around, set by --rs and --rl.
            if (!part || e == riaa::ElementKind::Rs || e == riaa::ElementKind::RL) continue;
            const std::string key = "asBuilt." + std::string(riaa::ElementName(e));
            FileOptions checked;
            Put(checked, "--part", part->text, key);
            out.parts.push_back(std::string(riaa::ElementName(e)) + "=" + part->text);
        }
    }
    RunOptions(document, out);
    NoiseOptions(document, out);
    return out;
}

riaa::DesignDocument DocumentOfRun(const DesignRequest& request, riaa::DesignDocument base) {
    base.activeStage = request.stage.has_value();
    if (request.stage) {
        base.stage = StageOfRun(request.stage->design, base.stage);
        base.curve.choice = request.curve;
    } else {
        PassiveOfRun(request, base);
    }
    base.source.cartridge = request.cartridge.has_value();
    if (const auto& c = request.cartridge) {
        base.source.texts = {Number(c->inductanceMh), Number(c->resistance), Number(c->loadResistance),
                             Number(c->loadCapacitancePf)};
    }
    AsBuiltOfRun(request, base.asBuilt);
    RunOfRun(request, base);
    NoiseOfRun(request, base);
    return base;
}

std::string BomOfRun(const DesignRequest& request, const DesignOutcome& outcome) {
    const riaa::DesignDocument document = DocumentOfRun(request, request.document);
    return riaa::BillOfMaterials(outcome.designed, riaa::TypedAsBuiltTexts(document.asBuilt),
                                 riaa::BomChoicesOf(document), riaa::NumberLocale{});
}

}  // namespace design
