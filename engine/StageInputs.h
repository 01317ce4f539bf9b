// Which inputs each kind of design takes: one rule for the command line's options and the Active stage page's controls.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

#include "engine/BuiltNetwork.h"

namespace riaa {

// A set of kinds of design.
class DesignKinds {
public:
    constexpr DesignKinds(std::initializer_list<DesignKind> kinds) {
        for (const DesignKind kind : kinds) bits_ |= Bit(kind);
    }
    constexpr bool has(DesignKind kind) const { return (bits_ & Bit(kind)) != 0; }
    constexpr bool meets(DesignKinds other) const { return (bits_ & other.bits_) != 0; }
    constexpr DesignKinds operator|(DesignKinds other) const {
        DesignKinds both{};
        both.bits_ = bits_ | other.bits_;
        return both;
    }
    constexpr bool operator==(const DesignKinds&) const = default;

private:
    static constexpr unsigned Bit(DesignKind kind) { return 1u << static_cast<unsigned>(kind); }
    unsigned bits_ = 0;
};

inline constexpr DesignKinds kPassiveDesigns{DesignKind::Passive};
inline constexpr DesignKinds kActiveStages{DesignKind::NonInverting, DesignKind::Inverting, DesignKind::TwoStage};
inline constexpr DesignKinds kEveryDesign = kPassiveDesigns | kActiveStages;

// What a design is asked for beyond its kind, its curve and its source. C1 is a passive network's C1, or
// the scale of a stage built capacitors first; OpAmp is the open-loop gain and gain-bandwidth together.
enum class DesignInput { Circuit, C1, Rs, RL, C2, Form, Gain, R0, Rin, C0, HighFrequencyZero, R3, OpAmp, Shelf };

// Within the kinds that may take an input, what else it waits for; the condition bears on the stages only.
enum class InputCondition {
    Always,
    IecOrTwoStages,    // RL: the two-stage divider, or the IEC coupling into the next stage
    LowPass,           // R3: a curve with a treble pole, for two stages or a non-inverting stage with HighFrequencyZero::Pole
    GainNotSetByZero,  // a non-inverting stage's zero at 3.18 µs sets its gain itself
    CurveWithoutShelf, // a curve with a shelf of its own needs none
};

struct InputRule {
    DesignInput input;
    DesignKinds kinds;  // the kinds of design that may take it
    InputCondition condition;
};

inline constexpr std::array<InputRule, 14> kInputRules{{
    {DesignInput::Circuit, kPassiveDesigns, InputCondition::Always},
    {DesignInput::C1, kEveryDesign, InputCondition::Always},
    {DesignInput::Rs, kPassiveDesigns, InputCondition::Always},
    {DesignInput::RL, kEveryDesign, InputCondition::IecOrTwoStages},
    {DesignInput::C2, kPassiveDesigns, InputCondition::Always},
    {DesignInput::Form, {DesignKind::NonInverting, DesignKind::Inverting}, InputCondition::Always},
    {DesignInput::Gain, kActiveStages, InputCondition::GainNotSetByZero},
    {DesignInput::R0, {DesignKind::NonInverting, DesignKind::TwoStage}, InputCondition::Always},
    {DesignInput::Rin, {DesignKind::Inverting}, InputCondition::Always},
    {DesignInput::C0, kActiveStages, InputCondition::Always},
    {DesignInput::HighFrequencyZero, {DesignKind::NonInverting}, InputCondition::Always},
    {DesignInput::R3, {DesignKind::NonInverting, DesignKind::TwoStage}, InputCondition::LowPass},
    {DesignInput::OpAmp, kActiveStages, InputCondition::Always},
    {DesignInput::Shelf, kActiveStages, InputCondition::CurveWithoutShelf},
}};

constexpr const InputRule& RuleOf(DesignInput input) { return kInputRules[static_cast<std::size_t>(input)]; }

constexpr bool RulesInInputOrder() {
    for (std::size_t i = 0; i < kInputRules.size(); ++i) {
        if (static_cast<std::size_t>(kInputRules[i].input) != i) return false;
    }
    return true;
}
static_assert(RulesInInputOrder(), "RuleOf indexes kInputRules by DesignInput");

constexpr bool MayTake(DesignKind kind, DesignInput input) { return RuleOf(input).kinds.has(kind); }

// What the conditions of the rules look at: the curve and the treatment of the extra zero.
struct StageConditions {
    bool iecAmendment = false;
    HighFrequencyZero highFrequencyZero = HighFrequencyZero::Pole;
    bool curveHasTreblePole = true;
    bool curveHasShelf = true;
};

// Whether a design of this kind takes the input under these conditions: its rule's kinds and condition.
constexpr bool Takes(DesignKind kind, DesignInput input, const StageConditions& c) {
    const InputRule& rule = RuleOf(input);
    if (!rule.kinds.has(kind)) return false;
    switch (rule.condition) {
        case InputCondition::Always: return true;
        case InputCondition::IecOrTwoStages: return kind == DesignKind::TwoStage || c.iecAmendment;
        case InputCondition::LowPass:
            return c.curveHasTreblePole && (kind == DesignKind::TwoStage || (kind == DesignKind::NonInverting &&
                                                                             c.highFrequencyZero == HighFrequencyZero::Pole));
        case InputCondition::GainNotSetByZero:
            return !(kind == DesignKind::NonInverting && c.highFrequencyZero == HighFrequencyZero::At3_18us);
        case InputCondition::CurveWithoutShelf: return !c.curveHasShelf;
    }
    return false;
}

}  // namespace riaa
