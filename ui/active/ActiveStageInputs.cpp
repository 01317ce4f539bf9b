#include "active/ActiveStageInputs.h"

#include <string>
#include <utility>

#include "engine/PartSums.h"
#include "engine/ReplayCurves.h"
#include "engine/StageInputs.h"
#include "engine/ValueLists.h"

namespace {

using riaa::DesignKind;

enum class Reads { Number, Resistor, Capacitor, Frequency };

double Read(const QString& text, Reads how, const riaa::NumberLocale& locale) {
    const std::string typed = text.trimmed().toStdString();
    switch (how) {
        case Reads::Number: return riaa::ParseNumber(typed, locale);
        case Reads::Resistor: return riaa::ParseResistorSum(typed, locale);
        case Reads::Capacitor: return riaa::ParseCapacitorSum(typed, locale);
        // A gain-bandwidth product is written as 10M or 3.5M more often than in full.
        case Reads::Frequency: return riaa::ParseNumber(riaa::ExpandMultiplierSuffix(typed, locale), locale);
    }
    return 0;
}

// The shortest text that reads back as the same double, without grouping, which the fields would not take.
QString ExactText(double value, const riaa::NumberLocale& locale) {
    return QString::fromStdString(
        riaa::LocalizeDecimalSeparator(riaa::ShortestExactFixedText(value), locale.decimalSeparator));
}

}  // namespace

ActiveControlStates ControlStates(const ActiveInputs& inputs, const riaa::CurveChoice& curve) {
    // A curve index beyond the table is the engine's to refuse; until then it counts as RIAA-like.
    double shelfUs = 1;
    double trebleUs = 1;
    try {
        const riaa::ReplayCurve& row = riaa::CurveRow(curve);
        shelfUs = row.shelfUs;
        trebleUs = row.trebleUs;
    } catch (const riaa::EngineError&) {
    }
    // Which kind takes which input is the engine's rule, the command line's options' too.
    const riaa::StageConditions conditions{curve.iecAmendment, inputs.highFrequencyZero, trebleUs > 0, shelfUs > 0};
    const auto takes = [&](riaa::DesignInput input) { return riaa::Takes(inputs.stage, input, conditions); };
    ActiveControlStates states;
    states.form = takes(riaa::DesignInput::Form);
    states.highFrequencyZero = takes(riaa::DesignInput::HighFrequencyZero);
    states.rlChoice = takes(riaa::DesignInput::RL);
    auto& in = states.fields;
    in[Index(ActiveField::Gain)] = takes(riaa::DesignInput::Gain);
    in[Index(ActiveField::Scale)] = true;
    in[Index(ActiveField::C0)] = inputs.useC0;
    in[Index(ActiveField::R3)] = takes(riaa::DesignInput::R3);
    in[Index(ActiveField::RL)] = states.rlChoice && inputs.useRL;
    in[Index(ActiveField::OpenLoopGain)] = !inputs.idealOpAmp;
    in[Index(ActiveField::GainBandwidth)] = !inputs.idealOpAmp;
    in[Index(ActiveField::Shelf)] = takes(riaa::DesignInput::Shelf);
    return states;
}

ActiveReading ReadActiveInputs(const ActiveInputs& inputs, const riaa::CurveChoice& curve,
                               const riaa::NumberLocale& locale) {
    const ActiveControlStates states = ControlStates(inputs, curve);
    ActiveReading reading;
    std::array<double, kActiveFieldCount> values{};
    const auto read = [&](ActiveField field, Reads how) {
        const std::size_t i = Index(field);
        if (!states.fields[i]) return;
        try {
            values[i] = Read(inputs.texts[i], how, locale);
        } catch (const riaa::EngineError& error) {
            reading.bad[i] = true;
            if (reading.message.isEmpty()) reading.message = QString::fromUtf8(error.what());
        }
    };
    read(ActiveField::Gain, Reads::Number);
    read(ActiveField::Scale, inputs.scaleByC1 ? Reads::Capacitor : Reads::Resistor);
    read(ActiveField::C0, Reads::Capacitor);
    read(ActiveField::R3, Reads::Resistor);
    read(ActiveField::RL, Reads::Resistor);
    read(ActiveField::OpenLoopGain, Reads::Number);
    read(ActiveField::GainBandwidth, Reads::Frequency);
    read(ActiveField::Shelf, Reads::Number);
    if (!reading.message.isEmpty()) return reading;

    const auto in = [&](ActiveField field) { return states.fields[Index(field)]; };
    const auto value = [&](ActiveField field) { return values[Index(field)]; };
    riaa::ActiveStageRequest request;
    request.stage = inputs.stage;
    request.form = inputs.form;
    if (in(ActiveField::Gain)) request.gain1kHzDb = value(ActiveField::Gain);
    request.scaleByC1 = inputs.scaleByC1;
    request.scale = value(ActiveField::Scale);
    if (in(ActiveField::C0)) request.c0 = value(ActiveField::C0);
    // Only the non-inverting stage has the zero to treat; the others carry the default, never a choice
    // made while the non-inverting stage was picked.
    if (inputs.stage == DesignKind::NonInverting) request.highFrequencyZero = inputs.highFrequencyZero;
    if (in(ActiveField::R3)) request.r3 = value(ActiveField::R3);
    if (in(ActiveField::RL)) request.rl = value(ActiveField::RL);
    request.opAmp.ideal = inputs.idealOpAmp;
    if (!inputs.idealOpAmp) {
        request.opAmp.openLoopGainDb = value(ActiveField::OpenLoopGain);
        request.opAmp.gainBandwidthHz = value(ActiveField::GainBandwidth);
    }
    request.curve = curve;
    if (in(ActiveField::Shelf)) request.realisedShelfUs = value(ActiveField::Shelf);
    reading.request = request;
    return reading;
}

ActiveInputs InputsOf(const riaa::ActiveStageRequest& request, const riaa::NumberLocale& locale) {
    ActiveInputs in;
    in.stage = request.stage;
    in.form = request.form;
    in.scaleByC1 = request.scaleByC1;
    in.useC0 = request.c0.has_value();
    in.highFrequencyZero = request.highFrequencyZero;
    in.idealOpAmp = request.opAmp.ideal;
    // Where RL does not count, the box keeps its first state.
    in.useRL = request.rl.has_value() || !ControlStates(in, request.curve).rlChoice;
    const auto set = [&](ActiveField field, std::optional<double> value) {
        if (value) in.texts[Index(field)] = ExactText(*value, locale);
    };
    set(ActiveField::Gain, request.gain1kHzDb);
    set(ActiveField::Scale, request.scale);
    set(ActiveField::C0, request.c0);
    set(ActiveField::R3, request.r3);
    set(ActiveField::RL, request.rl);
    set(ActiveField::OpenLoopGain, request.opAmp.openLoopGainDb);
    set(ActiveField::GainBandwidth, request.opAmp.gainBandwidthHz);
    set(ActiveField::Shelf, request.realisedShelfUs);
    return in;
}

namespace {

// The text fields and the file's texts, side by side; the scale is the odd one out, two texts for one field.
constexpr std::array<std::pair<ActiveField, std::string riaa::StagePageInputs::*>, 7> kFileTexts{{
    {ActiveField::Gain, &riaa::StagePageInputs::gain},
    {ActiveField::C0, &riaa::StagePageInputs::c0},
    {ActiveField::R3, &riaa::StagePageInputs::r3},
    {ActiveField::RL, &riaa::StagePageInputs::rl},
    {ActiveField::OpenLoopGain, &riaa::StagePageInputs::openLoopGain},
    {ActiveField::GainBandwidth, &riaa::StagePageInputs::gainBandwidth},
    {ActiveField::Shelf, &riaa::StagePageInputs::shelf},
}};

}  // namespace

riaa::StagePageInputs PageTextsOf(const ActiveInputs& inputs, std::array<QString, 2> scaleTexts) {
    riaa::StagePageInputs texts;
    texts.stage = inputs.stage;
    texts.form = inputs.form;
    texts.scaleByC1 = inputs.scaleByC1;
    texts.useC0 = inputs.useC0;
    texts.highFrequencyZero = inputs.highFrequencyZero;
    texts.useRL = inputs.useRL;
    texts.idealOpAmp = inputs.idealOpAmp;
    scaleTexts[inputs.scaleByC1 ? 1 : 0] = inputs.texts[Index(ActiveField::Scale)];
    texts.scaleResistor = scaleTexts[0].toStdString();
    texts.scaleC1 = scaleTexts[1].toStdString();
    for (const auto& [field, member] : kFileTexts) texts.*member = inputs.texts[Index(field)].toStdString();
    return texts;
}

ActiveInputs InputsOf(const riaa::StagePageInputs& texts, std::array<QString, 2>& scaleTexts) {
    ActiveInputs in;
    in.stage = texts.stage;
    in.form = texts.form;
    in.scaleByC1 = texts.scaleByC1;
    in.useC0 = texts.useC0;
    in.highFrequencyZero = texts.highFrequencyZero;
    in.useRL = texts.useRL;
    in.idealOpAmp = texts.idealOpAmp;
    scaleTexts = {QString::fromStdString(texts.scaleResistor), QString::fromStdString(texts.scaleC1)};
    in.texts[Index(ActiveField::Scale)] = scaleTexts[texts.scaleByC1 ? 1 : 0];
    for (const auto& [field, member] : kFileTexts) in.texts[Index(field)] = QString::fromStdString(texts.*member);
    return in;
}
