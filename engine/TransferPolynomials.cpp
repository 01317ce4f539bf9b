#include "engine/TransferPolynomials.h"

#include "engine/ActiveStage.h"
#include "engine/Cartridge.h"
#include "engine/Circuits.h"
#include "engine/RecordedTransfer.h"
#include "engine/ReplayCurves.h"

namespace riaa {

namespace {

template <typename T>
BasicRatio<T> ElementImpedance(const PartValues<T>& parts, ElementKind element) {
    return IsCapacitor(element) ? CapacitorImpedance(parts[element]) : Constant(parts[element]);
}

template <typename T>
BasicRatio<T> BranchImpedance(const PartValues<T>& parts, const Branch& branch) {
    const auto z = [&](std::size_t i) { return ElementImpedance(parts, branch.elements[i]); };
    switch (branch.shape) {
        case BranchShape::Single: return z(0);
        case BranchShape::Series: return InSeries(z(0), z(1));
        case BranchShape::Parallel: return Beside(z(0), z(1));
        case BranchShape::SeriesBesideThird: return Beside(InSeries(z(0), z(1)), z(2));
        case BranchShape::ParallelThenThird: return InSeries(Beside(z(0), z(1)), z(2));
    }
    return z(0);
}

template <typename T>
BasicRatio<T> PassiveTransfer(const BuiltNetwork& network, const PartValues<T>& parts) {
    const CircuitRow& row = Row(network.circuit);
    BasicRatio<T> series = BranchImpedance(parts, row.series);
    BasicRatio<T> shunt = BranchImpedance(parts, row.shunt);
    if (network.has(ElementKind::Rs)) series = InSeries(series, Constant(parts[ElementKind::Rs]));
    if (network.has(ElementKind::RL)) shunt = Beside(shunt, Constant(parts[ElementKind::RL]));
    BasicRatio<T> h = Divider(series, shunt);
    if (network.source) h = CartridgeDivider(*network.source, parts.loadCapacitancePf) * h;
    return h;
}

}  // namespace

template <typename T>
BasicRatio<T> TransferFunction(const BuiltNetwork& network, const PartValues<T>& parts) {
    return network.kind == DesignKind::Passive ? PassiveTransfer(network, parts) : ActiveStageTransfer(network, parts);
}
template BasicRatio<double> TransferFunction(const BuiltNetwork&, const PartValues<double>&);
template BasicRatio<Lanes> TransferFunction(const BuiltNetwork&, const PartValues<Lanes>&);
template BasicRatio<RecordedValue> TransferFunction(const BuiltNetwork&, const PartValues<RecordedValue>&);

Ratio TransferFunction(const BuiltNetwork& network) { return TransferFunction(network, DesignedValues(network)); }

Ratio TargetFunction(const BuiltNetwork& network) {
    if (!AimsAtReplayCurve(network)) {
        const CircuitRow& row = Row(network.circuit);
        const auto times = [](const TimeConstants& tcs) {
            return std::vector<double>(tcs.us.begin(), tcs.us.begin() + static_cast<std::ptrdiff_t>(tcs.count));
        };
        return {TimeConstantProduct(times(row.targetZeros)), TimeConstantProduct(times(row.targetPoles))};
    }
    CurveChoice curve = network.curve;
    // A non-inverting stage that puts its extra zero at 3.18 µs aims at the curve with that zero.
    if (network.kind == DesignKind::NonInverting && network.highFrequencyZero == HighFrequencyZero::At3_18us) {
        curve.zero3_18us = true;
    }
    return CurveFunction(curve);
}

}  // namespace riaa
