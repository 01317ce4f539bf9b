#include "tests/engine/DirectTransfer.h"

#include <numbers>

#include "engine/Circuits.h"

namespace riaa {

namespace {

// Ω·µF = µs, so angular frequencies are in radians per microsecond throughout.
double RadiansPerMicrosecond(double hz) { return 2 * std::numbers::pi * hz * 1e-6; }

}  // namespace

std::complex<double> NetworkTransfer(const BuiltNetwork& network, double hz) {
    const std::complex<double> s(0, RadiansPerMicrosecond(hz));
    const auto z = [&](ElementKind e) -> std::complex<double> {
        const double value = network.value(e);
        return IsCapacitor(e) ? 1.0 / (s * value) : std::complex<double>(value);
    };
    const auto beside = [](std::complex<double> a, std::complex<double> b) { return a * b / (a + b); };
    const auto branch = [&](const Branch& b) {
        const auto& e = b.elements;
        switch (b.shape) {
            case BranchShape::Single: return z(e[0]);
            case BranchShape::Series: return z(e[0]) + z(e[1]);
            case BranchShape::Parallel: return beside(z(e[0]), z(e[1]));
            case BranchShape::SeriesBesideThird: return beside(z(e[0]) + z(e[1]), z(e[2]));
            case BranchShape::ParallelThenThird: return beside(z(e[0]), z(e[1])) + z(e[2]);
        }
        return z(e[0]);
    };
    const CircuitRow& row = Row(network.circuit);
    std::complex<double> series = branch(row.series);
    std::complex<double> shunt = branch(row.shunt);
    if (network.has(ElementKind::Rs)) series += network.value(ElementKind::Rs);
    if (network.has(ElementKind::RL)) shunt = beside(shunt, network.value(ElementKind::RL));
    return shunt / (series + shunt);
}

std::complex<double> TargetTransfer(CircuitKind circuit, double hz) {
    const CircuitRow& row = Row(circuit);
    const std::complex<double> s(0, RadiansPerMicrosecond(hz));
    std::complex<double> h = 1;
    for (std::size_t i = 0; i < row.targetZeros.count; ++i) h *= 1.0 + s * row.targetZeros.us[i];
    for (std::size_t i = 0; i < row.targetPoles.count; ++i) h /= 1.0 + s * row.targetPoles.us[i];
    return h;
}

}  // namespace riaa
