#include "engine/StageEnclosure.h"

#include <limits>
#include <utility>
#include <numbers>

#include "engine/ActiveStage.h"
#include "engine/Cartridge.h"
#include "engine/Rational.h"

namespace riaa {

namespace {

// An output network's magnitude within a few roundings, taken up outward.
constexpr double kOutputOut = 1 + 8 * std::numeric_limits<double>::epsilon();
constexpr double kOutputIn = 1 - 8 * std::numeric_limits<double>::epsilon();

// The reciprocals are the intervals' own: a product stands in for each division.
Disc Resistance(const PartInterval& r) { return Rectangle(r.low, r.high, 0, 0); }
Disc Conductance(const PartInterval& r) { return Rectangle(r.highInverse, r.lowInverse, 0, 0); }
Disc CapacitorAdmittance(const PartInterval& c, double w) { return Rectangle(0, 0, w * c.low, w * c.high); }

// The low-pass's time constant in µs at its least and most: as given, else R3·C3 at the ends.
std::pair<double, double> TimeConstantOf(const PartIntervals& parts) {
    using enum ElementKind;
    if (parts.lowPassUs) return {parts.lowPassUs->low, parts.lowPassUs->high};
    return {parts[R3].low * parts[C3].low, parts[R3].high * parts[C3].high};
}

// R beside C, as an admittance 1/R + jωC; a C of 0 leaves R alone.
Disc ParallelAdmittance(const PartInterval& r, const PartInterval& c, double w) {
    return Rectangle(r.highInverse, r.lowInverse, w * c.low, w * c.high);
}

// R in series with C, as an impedance R − j/(ωC), given 1/ω.
Disc SeriesImpedance(const PartInterval& r, const PartInterval& c, double wInverse) {
    return Rectangle(r.low, r.high, -c.lowInverse * wInverse, -c.highInverse * wInverse);
}

Disc CapacitorImpedance(const PartInterval& c, double wInverse) {
    return Rectangle(0, 0, -c.lowInverse * wInverse, -c.highInverse * wInverse);
}

}  // namespace

PartIntervals DesignedIntervals(const BuiltNetwork& network) {
    PartIntervals parts;
    for (const ElementKind e : kAllElements) parts[e] = {network.value(e), network.value(e)};
    return parts;
}

StageEnclosure::StageEnclosure(const BuiltNetwork& network, double hz)
    : network_(&network), w_(2 * std::numbers::pi * hz * 1e-6), wInverse_(1 / w_) {
    if (!network.opAmp.ideal) {
        const double a = OpenLoopGain(network.opAmp);
        openLoopInverse_ = std::complex<double>(1, w_ * OpenLoopPoleUs(network.opAmp, a)) / a;
    }
    if (network.source) {
        const std::complex<double> cartridge = Evaluate(CartridgeImpedance(*network.source), hz);
        const std::complex<double> load = Evaluate(LoadImpedance(*network.source), hz);
        driveImpedance_ = cartridge * load / (cartridge + load);
        driveMagnitude_ = std::abs(load / (cartridge + load));
    }
}

Disc StageEnclosure::feedback(const PartIntervals& parts) const {
    using enum ElementKind;
    const double w = w_;
    const Disc y2 = ParallelAdmittance(parts[R2], parts[C2], w);
    switch (FeedbackForm(*network_)) {
        case NetworkForm::A: return Inverse(ParallelAdmittance(parts[R1], parts[C1], w)) + Inverse(y2);
        case NetworkForm::B:
            return Inverse(Conductance(parts[R1]) +
                           Inverse(CapacitorImpedance(parts[C1], wInverse_) + Inverse(y2)));
        case NetworkForm::C:
            return Inverse(CapacitorAdmittance(parts[C1], w) +
                           Inverse(Resistance(parts[R1]) + Inverse(y2)));
        case NetworkForm::D: return Inverse(y2 + Inverse(SeriesImpedance(parts[R1], parts[C1], wInverse_)));
    }
    return {0, 0};
}

// RL/|(1 + jωτ)(RL + z/j) + R3| for τ = R3·C3 and z = 1/(ωCout): the denominator squared,
// (RL + R3 + ωτz)² + (ωτRL − z)², rises with R3, with τ (its slope 2ω(R3·z + ωτz² + ωτRL²)) and
// with z (its slope 2(ωτR3 + ω²τ²z + z)). RL is never searched: a point.
double StageEnclosure::coupledOutput(double rl, double r3, double tauUs, double coutInverse) const {
    const double z = coutInverse * wInverse_;
    const double re = rl + r3 + w_ * tauUs * z;
    const double im = w_ * tauUs * rl - z;
    return rl / std::sqrt(re * re + im * im);
}

MagnitudeBounds StageEnclosure::outputOverShare(const PartIntervals& parts, MagnitudeBounds output) const {
    using enum ElementKind;
    const PartInterval& r3 = parts[R3];
    const double rl = parts[RL].low;
    const auto [tauLow, tauHigh] = TimeConstantOf(parts);
    // (RL + R3)/|(1 + jωτ)(RL + z/j) + R3| falls as τ and z rise (the slopes above) and rises with
    // R3: the denominator squared outgrows (RL + R3)(RL + R3 + ωτz) by (RL + R3 + ωτz)·ωτz +
    // (ωτRL − z)² ≥ 0. So the corners of R3's and τ's intervals bound it; and so does the output at
    // the ends of the builds' runs times (RL + R3)/RL at its most or least. The closer of each.
    double least = coupledOutput(rl, r3.low, tauHigh, parts[Cout].lowInverse) * (rl + r3.low) / rl;
    double most = coupledOutput(rl, r3.high, tauLow, parts[Cout].highInverse) * (rl + r3.high) / rl;
    if (parts.lowPassEnds) {
        least = std::max(least, output.least * (rl + r3.low) / rl);
        most = std::min(most, output.most * (rl + r3.high) / rl);
    }
    return {least * kOutputIn * kOutputIn, most * kOutputOut * kOutputOut};
}

// After the op-amp: R3 into C3 and the load, the load RL or Cout into RL; R3 of 0 passes all.
// Without Cout, |1/(1 + R3/RL + jωR3·C3)| falls as R3 and C3 rise, so the ends of their intervals
// give its least and its most exactly; with the time constant given, C3·(R3 ∥ RL), it is
// RL/(R3 + RL) · |1/(1 + jωτ)|, and the share is left out. With Cout it is exact from the ends
// too, and the time constant given is then R3·C3, beside R3's own interval.
MagnitudeBounds StageEnclosure::output(const PartIntervals& parts) const {
    using enum ElementKind;
    const double w = w_;
    if (network_->has(Cout)) {
        // Falling with R3, τ and z (coupledOutput), it is least and most at the ends.
        const double rl = parts[RL].low;
        if (parts.lowPassEnds) {
            const LowPassEnds& ends = *parts.lowPassEnds;
            double least = std::numeric_limits<double>::infinity();
            double most = 0;
            for (std::size_t k = 0; k < ends.leastCount; ++k) least = std::min(least, coupledOutput(rl, ends.least[k].r3, ends.least[k].tauUs, parts[Cout].lowInverse));
            for (std::size_t k = 0; k < ends.mostCount; ++k) most = std::max(most, coupledOutput(rl, ends.most[k].r3, ends.most[k].tauUs, parts[Cout].highInverse));
            return {least * kOutputIn, most * kOutputOut};
        }
        const PartInterval& r3 = parts[R3];
        const auto [tauLow, tauHigh] = TimeConstantOf(parts);
        return {coupledOutput(rl, r3.high, tauHigh, parts[Cout].lowInverse) * kOutputIn, coupledOutput(rl, r3.low, tauLow, parts[Cout].highInverse) * kOutputOut};
    }
    double levelLow = 1;  // 1 + R3/RL
    double levelHigh = 1;
    const auto [tauLow, tauHigh] = TimeConstantOf(parts);
    if (!parts.lowPassUs && network_->has(RL)) {
        levelLow = 1 + parts[R3].low * parts[RL].highInverse;
        levelHigh = 1 + parts[R3].high * parts[RL].lowInverse;
    }
    // Each end within a few roundings, taken up outward.
    const double most = 1 / std::sqrt(levelLow * levelLow + (w * tauLow) * (w * tauLow));
    const double least = 1 / std::sqrt(levelHigh * levelHigh + (w * tauHigh) * (w * tauHigh));
    return {least * kOutputIn, most * kOutputOut};
}

ElementKind StageEnclosure::gainResistor() const {
    return network_->kind == DesignKind::Inverting ? ElementKind::Rin : ElementKind::R0;
}

MagnitudeBounds StageEnclosure::scaledAmplifier(const PartIntervals& parts) const {
    using enum ElementKind;
    const Disc zf = feedback(parts);
    const Disc conductance = Conductance(parts[gainResistor()]);
    // C0 in series with the gain resistor, over which the resistor's conductance then counts. C0 is
    // never searched: a point.
    const std::complex<double> c0 = network_->has(C0) ? std::complex<double>(0, -wInverse_ * parts[C0].lowInverse) : 0;
    Disc stage;
    if (network_->kind == DesignKind::Inverting) {
        // Rin·Zf/Zin = Zf/(Zin/Rin) with Zin/Rin = 1 + (drive + 1/(jωC0))/Rin; with a finite gain
        // 1/(Q(1 + 1/A) + 1/(A·Rin)) for Q = (Zin/Rin)/Zf: Zf and Rin once each but for 1/A's share.
        const Disc q = (std::complex<double>(1) + (driveImpedance_ + c0) * conductance) * Inverse(zf);
        stage = Inverse(openLoopInverse_ * conductance + (std::complex<double>(1) + openLoopInverse_) * q);
    } else {
        // R0·(1 + Zf/Z0) = R0 + Zf/(1 + 1/(jωC0·R0)), and with a finite gain 1/(1/(R0·G) + 1/(A·R0)).
        const Disc gain = Resistance(parts[R0]) + zf * Inverse(std::complex<double>(1) + c0 * conductance);
        stage = network_->opAmp.ideal ? gain : Inverse(Inverse(gain) + openLoopInverse_ * conductance);
    }
    // |H| = |drive|·|stage|·|output|: the factors' magnitudes multiply, which bounds |H| more
    // closely than a disc of their product would. The products' roundings are taken up outward.
    const MagnitudeBounds s = MagnitudesOf(stage);
    return {s.least * driveMagnitude_ * kProductIn, s.most * driveMagnitude_ * kProductOut};
}

MagnitudeBounds StageEnclosure::operator()(const PartIntervals& parts) const {
    const MagnitudeBounds scaled = scaledAmplifier(parts);
    const PartInterval& resistor = parts[gainResistor()];
    return Product({scaled.least * resistor.highInverse * kProductIn, scaled.most * resistor.lowInverse * kProductOut}, output(parts));
}

}  // namespace riaa
