// The active stages: non-inverting, inverting and two-stage equalisation, designed for a curve and evaluated as built.
#pragma once

#include <optional>
#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/Cartridge.h"
#include "engine/FeedbackNetworks.h"
#include "engine/PartValues.h"
#include "engine/Rational.h"
#include "engine/ReplayCurves.h"

namespace riaa {

// What the designer asks of an active stage.
struct ActiveStageRequest {
    DesignKind stage = DesignKind::NonInverting;  // not Passive
    NetworkForm form = NetworkForm::A;
    double gain1kHzDb = 35;
    // The scale: R0 (non-inverting, two stages) or Rin (inverting) in Ω, or else C1 in µF.
    bool scaleByC1 = false;
    double scale = 1000;
    std::optional<double> c0;  // µF, in series with R0 or Rin where given
    HighFrequencyZero highFrequencyZero = HighFrequencyZero::Pole;
    double r3 = 1000;          // Ω: the correction low-pass (Pole) and the two-stage low-pass
    std::optional<double> rl;  // Ω: the next stage's input; the two-stage divider and the IEC coupling
    OpAmp opAmp;
    CurveChoice curve;
    double realisedShelfUs = 15'915;  // the shelf for a curve that has none
};

// The time constants a stage realises for a curve of the table: one without a shelf gets realisedShelfUs.
inline CurveTimeConstants StageTimeConstants(const CurveChoice& curve, double realisedShelfUs) {
    const ReplayCurve& row = CurveRow(curve);
    return {row.shelfUs > 0 ? row.shelfUs : realisedShelfUs, row.turnoverUs, row.trebleUs};
}

// The feedback network a stage is built with: two stages always take form A, whatever was asked.
constexpr NetworkForm FeedbackForm(DesignKind stage, NetworkForm asked) {
    return stage == DesignKind::TwoStage ? NetworkForm::A : asked;
}
inline NetworkForm FeedbackForm(const BuiltNetwork& network) { return FeedbackForm(network.kind, network.form); }

// What an op-amp's figures may be: far beyond any op-amp, and still short of where a stage's
// levels would overflow.
inline constexpr double kLargestOpenLoopGainDb = 300;
inline constexpr double kSmallestGainBandwidthHz = 1;
inline constexpr double kLargestGainBandwidthHz = 1e12;  // 1 THz
// Throws EngineError ("The op-amp's open-loop gain must lie between 0 dB and 300 dB", "The op-amp's
// gain-bandwidth product must lie between 1 Hz and 1 THz") for a real op-amp outside them; an ideal
// one passes whatever figures it keeps for when it is made real.
void CheckOpAmp(const OpAmp& opAmp);

// The single-pole op-amp's open-loop gain A0 as a ratio, and its pole's time constant in µs: the
// gain A0/(1 + sτ) falls to 1 at the gain-bandwidth product.
double OpenLoopGain(const OpAmp& opAmp);
double OpenLoopPoleUs(const OpAmp& opAmp, double openLoopGain);
double OpenLoopPoleUs(const OpAmp& opAmp);

// Every element of the stage, in circuit, with the request's kind, form, op-amp and curve. Throws
// EngineError with a message for the user for a gain, scale or combination that cannot be built.
// The design itself needs only the curve's time constants; the request's curve picks them from the table.
// Checks every typed value and every value it works out (CheckOpAmp, CheckDesignedPartValue).
BuiltNetwork DesignActiveStage(const ActiveStageRequest& request, const CurveTimeConstants& tc);
inline BuiltNetwork DesignActiveStage(const ActiveStageRequest& request) {
    return DesignActiveStage(request, StageTimeConstants(request.curve, request.realisedShelfUs));
}

// Vout/Vin of the stage as built, with the op-amp's finite gain where it is not ideal, the
// correction or two-stage low-pass, the IEC coupling high-pass, and the network's own source: its
// cartridge where it has one (a non-inverting input takes the divider's share of the emf, an
// inverting stage's Rin draws current through the cartridge and its load), else an ideal source.
// Cheap enough for the tolerance runs: no allocation; T is double or Lanes, for builds drawn.
template <typename T>
BasicRatio<T> ActiveStageTransfer(const BuiltNetwork& network, const PartValues<T>& parts);
Ratio ActiveStageTransfer(const BuiltNetwork& network);

// The stage's figures beside the accuracy report, of the stage itself from an ideal source.
struct StageFigures {
    double gain1kHzDb = 0;              // the stage as built at 1 kHz
    double gainDcDb = 0;                // the same at 0 Hz (20 Hz where C0 or Cout block DC)
    std::optional<double> extraZeroHz;  // the non-inverting stage's second zero, where it has one
};
StageFigures ActiveStageFigures(const BuiltNetwork& network);

// The stage's netlist lines from node "in" to node "out" (the op-amp as a voltage-controlled
// source: a gain of 1e9 ideal, else the single-pole model as a source, an RC and a buffer).
std::string ActiveStageNetlist(const BuiltNetwork& network);

}  // namespace riaa
