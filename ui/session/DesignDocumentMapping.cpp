#include "session/DesignDocumentMapping.h"

#include "engine/DesignBuild.h"

namespace {

using riaa::ElementKind;
using riaa::Index;

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

PassiveInputs PassiveOf(const riaa::CircuitPageInputs& in) {
    PassiveInputs passive;
    // C2, R1 and R2 follow from these, as the circuit page's calculation makes them.
    passive.state.CircuitC1 = in.circuitC1;
    passive.state.Rs = in.rs;
    passive.state.RL = in.rl;
    passive.circuit = in.circuit;
    passive.options = in.options;
    passive.element = in.element;
    return passive;
}

// The value box's text as the circuit page writes it for the element it edits.
std::string ValueBoxText(const PassiveInputs& passive, const riaa::NumberLocale& locale) {
    using namespace riaa::patterns;
    const riaa::NetworkState& s = passive.state;
    switch (passive.element) {
        case ElementKind::C1: return riaa::RenderNumber(s.C1, UpToTen, locale);
        case ElementKind::C2: return riaa::RenderNumber(s.C2, UpToTen, locale);
        case ElementKind::R1: return riaa::RenderNumber(s.R1, UpToOne, locale);
        case ElementKind::R2: return riaa::RenderNumber(s.R2, UpToOne, locale);
        case ElementKind::RL: return riaa::RenderNumber(s.RL, UpToOne, locale);
        default: return riaa::RenderNumber(s.Rs, UpToOne, locale);
    }
}

void PutPassive(riaa::CircuitPageInputs& out, const PassiveInputs& passive, const riaa::NumberLocale& locale) {
    const PassiveInputs before = PassiveOf(out);
    const bool sameDesign = before.circuit == passive.circuit && before.element == passive.element &&
                            before.options == passive.options && before.state.CircuitC1 == passive.state.CircuitC1 &&
                            before.state.Rs == passive.state.Rs && before.state.RL == passive.state.RL;
    // The same design keeps the text its file gave the box, which another writer may have put otherwise.
    if (!sameDesign) out.valueText = ValueBoxText(passive, locale);
    out.circuit = passive.circuit;
    out.element = passive.element;
    out.options = passive.options;
    out.rs = passive.state.Rs;
    out.rl = passive.state.RL;
    out.circuitC1 = passive.state.CircuitC1;
}

void PutAsBuilt(riaa::AsBuiltInputs& out, const DesignSession& session) {
    out.edited = session.valuesEdited();
    for (const ElementKind e : riaa::kAllElements) {
        std::optional<riaa::AsBuiltPart>& part = out.parts[Index(e)];
        const AsBuiltField field = session.field(e);
        if (!out.edited || !field.offered) {
            part.reset();
            continue;
        }
        riaa::UnknownKeys unknown = part ? part->unknown : riaa::UnknownKeys{};
        part = riaa::AsBuiltPart{field.text.toStdString(), field.inCircuit, std::move(unknown)};
    }
}

}  // namespace

DesignState StateOfDocument(const riaa::DesignDocument& document, const riaa::NumberLocale& locale) {
    // Whatever the session would refuse is refused here, before anything changes.
    const riaa::DesignBuild build = riaa::BuildDesign(document, locale);
    DesignState state;
    const PassiveInputs passive = PassiveOf(document.passive);
    if (document.activeStage) {
        state.design = riaa::StageRequestOf(document.stage, document.curve.choice, locale);
        state.circuitPage = passive;
    } else {
        state.design = passive;
    }
    state.stagePage = document.stage;
    state.curve = document.curve.choice;
    state.source = riaa::SourceOf(document.source, locale);
    for (std::size_t i = 0; i < state.cartridgeTexts.size(); ++i) state.cartridgeTexts[i] = FromStd(document.source.texts[i]);
    state.inCircuit = build.calculated.inCircuit;
    state.asBuiltEdited = document.asBuilt.edited;
    if (document.asBuilt.edited) {
        for (const ElementKind e : riaa::kAllElements) {
            const std::optional<riaa::AsBuiltPart>& part = document.asBuilt.parts[Index(e)];
            if (!part) continue;
            state.asBuiltTexts[Index(e)] = FromStd(part->text);
            state.inCircuit[Index(e)] = part->inCircuit;
        }
    }
    const riaa::ToleranceInputs& tolerance = document.tolerance;
    state.toleranceTexts = {FromStd(tolerance.resistors), FromStd(tolerance.capacitors), FromStd(tolerance.loadCapacitance)};
    state.distribution = tolerance.distribution;
    state.series = SeriesChoices{document.series.tableCapacitors, document.series.pairResistors,
                                 document.series.pairCapacitors};
    if (document.noise) {
        state.noise.opAmp = document.noise->opAmp ? FromStd(*document.noise->opAmp) : QString();
        for (std::size_t f = 0; f < state.noise.texts.size(); ++f) state.noise.texts[f] = FromStd(document.noise->texts[f]);
    }
    return state;
}

riaa::DesignDocument DocumentOfSession(const DesignSession& session, riaa::DesignDocument base,
                                      const std::vector<std::string>& resistorEntries,
                                      const std::vector<std::string>& capacitorEntries) {
    const riaa::NumberLocale& locale = session.locale();
    base.activeStage = session.designInUse() == DesignInUse::Active;
    PutPassive(base.passive, session.passiveInputs(), locale);
    base.passive.resistorEntries = resistorEntries;
    base.passive.capacitorEntries = capacitorEntries;
    if (const std::optional<riaa::StagePageInputs>& stage = session.stagePageInputs()) {
        // The page makes its texts afresh at every edit: the file's keys of a newer program stay the file's.
        riaa::UnknownKeys unknown = std::move(base.stage.unknown);
        base.stage = *stage;
        base.stage.unknown = std::move(unknown);
    }
    base.curve.choice = session.curve();
    base.source.cartridge = session.source().has_value();
    for (std::size_t i = 0; i < base.source.texts.size(); ++i) base.source.texts[i] = session.cartridgeTexts()[i].toStdString();
    PutAsBuilt(base.asBuilt, session);
    const std::array<QString, 3>& tolerance = session.toleranceTexts();
    base.tolerance.resistors = tolerance[0].toStdString();
    base.tolerance.capacitors = tolerance[1].toStdString();
    base.tolerance.loadCapacitance = tolerance[2].toStdString();
    base.tolerance.distribution = session.distribution();
    const SeriesChoices& series = session.seriesChoices();
    base.series.tableCapacitors = series.tableCapacitors;
    base.series.pairResistors = series.pairResistors;
    base.series.pairCapacitors = series.pairCapacitors;
    // A file without noise settings stays without them while the design keeps the ones it starts with.
    const NoiseInputs& noise = session.noiseInputs();
    if (base.noise || noise != FirstNoiseInputs(locale)) {
        riaa::NoiseFileInputs& out = base.noise ? *base.noise : base.noise.emplace();
        out.opAmp = noise.opAmp.isEmpty() ? std::nullopt : std::optional<std::string>(noise.opAmp.toStdString());
        for (std::size_t f = 0; f < out.texts.size(); ++f) out.texts[f] = noise.texts[f].toStdString();
    }
    return base;
}
