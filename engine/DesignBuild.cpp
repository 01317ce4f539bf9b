#include "engine/DesignBuild.h"

#include <string>

#include "engine/BillOfMaterials.h"
#include "engine/Network.h"
#include "engine/PartSums.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/ValueLists.h"

namespace riaa {

namespace {

// Reads one text, and says which key it came from when it does not read.
template <typename Parse>
double ReadText(const std::string& text, std::string_view key, Parse parse) {
    try {
        return parse(text);
    } catch (const EngineError& error) {
        throw EngineError(std::string(key) + ": " + error.what());
    }
}

BuiltNetwork CalculatePassive(const CircuitPageInputs& in, const NumberLocale& locale) {
    ValueList resistors = MakeResistorList();
    ValueList capacitors = MakeCapacitorList();
    LocalizeValueLists(resistors, capacitors, locale);
    // Rounding to the list takes the values the user added to it, as the window's list does.
    for (const std::string& entry : in.resistorEntries) {
        ReadText(entry, "passive.resistorEntries", [&](const std::string& text) {
            InsertTypedValue(resistors, text, locale);
            return 0.0;
        });
    }
    NetworkState state;
    state.CircuitC1 = in.circuitC1;
    state.Rs = in.rs;
    state.RL = in.rl;
    CalculateNetwork(state, in.circuit, in.options, resistors, locale);
    return MakeBuiltNetwork(state, in.circuit, in.options);
}

// The as-built texts over the calculated values, where the file says they were edited.
BuiltNetwork WithAsBuilt(BuiltNetwork network, const AsBuiltInputs& asBuilt, const NumberLocale& locale) {
    if (!asBuilt.edited) return network;
    const bool passive = network.kind == DesignKind::Passive;
    for (const ElementKind e : kAllElements) {
        const std::optional<AsBuiltPart>& part = asBuilt.parts[Index(e)];
        const bool optional = passive && (e == ElementKind::Rs || e == ElementKind::RL);
        if (!part || !(network.has(e) || optional)) continue;
        if (optional && !part->inCircuit) {
            network.remove(e);
            continue;
        }
        const std::string key = "asBuilt." + std::string(ElementName(e));
        network.set(e, ReadText(part->text, key, [&](const std::string& text) {
                        return IsCapacitor(e) ? ParseCapacitorSum(text, locale) : ParseResistorSum(text, locale);
                    }));
    }
    return network;
}

double ReadNumber(const std::string& text, std::string_view key, const NumberLocale& locale) {
    return ReadText(text, key, [&](const std::string& t) { return ParseNumber(t, locale); });
}
double ReadResistor(const std::string& text, std::string_view key, const NumberLocale& locale) {
    return ReadText(text, key, [&](const std::string& t) { return ParseResistorSum(t, locale); });
}
double ReadCapacitor(const std::string& text, std::string_view key, const NumberLocale& locale) {
    return ReadText(text, key, [&](const std::string& t) { return ParseCapacitorSum(t, locale); });
}

}  // namespace

ActiveStageRequest StageRequestOf(const StagePageInputs& in, const CurveChoice& curve, const NumberLocale& locale) {
    const ReplayCurve& row = CurveRow(curve);
    const bool twoStages = in.stage == DesignKind::TwoStage;
    const bool nonInverting = in.stage == DesignKind::NonInverting;
    ActiveStageRequest request;
    request.stage = in.stage;
    request.form = in.form;
    request.curve = curve;
    // A zero put at 3.18 µs fixes a non-inverting stage's gain, which then is not read.
    if (!(nonInverting && in.highFrequencyZero == HighFrequencyZero::At3_18us)) {
        request.gain1kHzDb = ReadNumber(in.gain, "stage.gain", locale);
    }
    request.scaleByC1 = in.scaleByC1;
    request.scale = in.scaleByC1 ? ReadCapacitor(in.scaleC1, "stage.scaleC1", locale)
                                 : ReadResistor(in.scaleResistor, "stage.scaleResistor", locale);
    if (in.useC0) request.c0 = ReadCapacitor(in.c0, "stage.C0", locale);
    if (nonInverting) request.highFrequencyZero = in.highFrequencyZero;
    if (row.trebleUs > 0 && (twoStages || (nonInverting && in.highFrequencyZero == HighFrequencyZero::Pole))) {
        request.r3 = ReadResistor(in.r3, "stage.R3", locale);
    }
    if ((twoStages || curve.iecAmendment) && in.useRL) request.rl = ReadResistor(in.rl, "stage.RL", locale);
    request.opAmp.ideal = in.idealOpAmp;
    if (!in.idealOpAmp) {
        request.opAmp.openLoopGainDb = ReadNumber(in.openLoopGain, "stage.openLoopGain", locale);
        request.opAmp.gainBandwidthHz = ReadText(in.gainBandwidth, "stage.gainBandwidth", [&](const std::string& t) {
            return ParseNumber(ExpandMultiplierSuffix(t, locale), locale);
        });
    }
    if (!(row.shelfUs > 0)) request.realisedShelfUs = ReadNumber(in.shelf, "stage.shelf", locale);
    return request;
}

std::optional<Cartridge> SourceOf(const SourceInputs& source, const NumberLocale& locale) {
    if (!source.cartridge) return std::nullopt;
    Cartridge cartridge;
    cartridge.inductanceMh = ReadNumber(source.texts[0], "source.L", locale);
    cartridge.resistance = ReadResistor(source.texts[1], "source.Rc", locale);
    cartridge.loadResistance = ReadResistor(source.texts[2], "source.RL", locale);
    cartridge.loadCapacitancePf = ReadNumber(source.texts[3], "source.CL", locale);
    CheckCartridge(cartridge);
    return cartridge;
}

ToleranceSettings ToleranceOf(const ToleranceInputs& tolerance, const NumberLocale& locale) {
    ToleranceSettings settings;
    settings.resistorPercent = ReadNumber(tolerance.resistors, "tolerance.resistors", locale);
    settings.capacitorPercent = ReadNumber(tolerance.capacitors, "tolerance.capacitors", locale);
    settings.loadCapacitancePercent = ReadNumber(tolerance.loadCapacitance, "tolerance.loadCapacitance", locale);
    settings.distribution = tolerance.distribution;
    return settings;
}

std::array<std::string, kPartCount> TypedAsBuiltTexts(const AsBuiltInputs& asBuilt) {
    std::array<std::string, kPartCount> texts;
    if (!asBuilt.edited) return texts;
    for (const ElementKind e : kAllElements) {
        if (asBuilt.parts[Index(e)]) texts[Index(e)] = asBuilt.parts[Index(e)]->text;
    }
    return texts;
}

BomChoices BomChoicesOf(const DesignDocument& document) {
    BomChoices choices;
    choices.resistorSeries = document.series.pairResistors;
    choices.capacitorSeries = document.series.tableCapacitors;
    choices.resistorTolerance = document.tolerance.resistors;
    choices.capacitorTolerance = document.tolerance.capacitors;
    return choices;
}

DesignBuild BuildDesign(const DesignDocument& document, const NumberLocale& locale) {
    BuiltNetwork calculated = !document.activeStage
                                  ? CalculatePassive(document.passive, locale)
                                  : DesignActiveStage(StageRequestOf(document.stage, document.curve.choice, locale));
    calculated.curve = document.curve.choice;
    calculated.source = SourceOf(document.source, locale);
    DesignBuild build{calculated, WithAsBuilt(calculated, document.asBuilt, locale)};
    return build;
}

std::string BillOfMaterialsOf(const DesignDocument& document, const NumberLocale& locale) {
    const DesignBuild build = BuildDesign(document, locale);
    return BillOfMaterials(build.calculated, TypedAsBuiltTexts(document.asBuilt), BomChoicesOf(document), locale);
}

}  // namespace riaa
