#include "TransferPolynomials.h"

#include <numbers>

#include "Circuits.h"

namespace riaa {

namespace {

Ratio Constant(double value) { return {{{value}}, {{1}}}; }

Ratio InSeries(const Ratio& a, const Ratio& b) { return {a.num * b.den + b.num * a.den, a.den * b.den}; }

Ratio Beside(const Ratio& a, const Ratio& b) { return {a.num * b.num, a.num * b.den + b.num * a.den}; }

Ratio ElementImpedance(const BuiltNetwork& network, ElementKind element) {
    if (element == ElementKind::C1 || element == ElementKind::C2) return {{{1}}, {{0, ElementValue(network, element)}}};
    return Constant(ElementValue(network, element));
}

Ratio BranchImpedance(const BuiltNetwork& network, const Branch& branch) {
    const auto z = [&](std::size_t i) { return ElementImpedance(network, branch.elements[i]); };
    switch (branch.shape) {
        case BranchShape::Single: return z(0);
        case BranchShape::Series: return InSeries(z(0), z(1));
        case BranchShape::Parallel: return Beside(z(0), z(1));
        case BranchShape::SeriesBesideThird: return Beside(InSeries(z(0), z(1)), z(2));
        case BranchShape::ParallelThenThird: return InSeries(Beside(z(0), z(1)), z(2));
    }
    return z(0);
}

Polynomial TimeConstantProduct(const TimeConstants& tcs) {
    Polynomial p{{1}};
    for (std::size_t i = 0; i < tcs.count; ++i) p = p * Polynomial{{1, tcs.us[i]}};
    return p;
}

}  // namespace

int Polynomial::Degree() const {
    for (int k = static_cast<int>(c.size()) - 1; k > 0; --k) {
        if (c[static_cast<std::size_t>(k)] != 0) return k;
    }
    return 0;
}

Polynomial operator+(const Polynomial& a, const Polynomial& b) {
    Polynomial sum;
    for (std::size_t k = 0; k < sum.c.size(); ++k) sum.c[k] = a.c[k] + b.c[k];
    return sum;
}

Polynomial operator*(const Polynomial& a, const Polynomial& b) {
    Polynomial product;
    for (std::size_t i = 0; i < a.c.size(); ++i) {
        for (std::size_t j = 0; i + j < product.c.size(); ++j) product.c[i + j] += a.c[i] * b.c[j];
    }
    return product;
}

Ratio TransferFunction(const BuiltNetwork& network) {
    const CircuitRow& row = Row(network.circuit);
    Ratio series = BranchImpedance(network, row.series);
    Ratio shunt = BranchImpedance(network, row.shunt);
    if (network.Rs) series = InSeries(series, Constant(*network.Rs));
    if (network.RL) shunt = Beside(shunt, Constant(*network.RL));
    return {shunt.num * series.den, shunt.num * series.den + series.num * shunt.den};
}

Ratio TargetFunction(CircuitKind circuit) {
    const CircuitRow& row = Row(circuit);
    return {TimeConstantProduct(row.targetZeros), TimeConstantProduct(row.targetPoles)};
}

Frequency MakeFrequency(double hz) {
    const double w = 2 * std::numbers::pi * hz * 1e-6;
    return {hz, w * w, w * w * w * w};
}

double MagnitudeSquared(const Polynomial& p, const Frequency& f) {
    const double re = p.c[0] - p.c[2] * f.w2 + p.c[4] * f.w4;
    const double im = p.c[1] - p.c[3] * f.w2;
    return re * re + f.w2 * im * im;
}

double PowerRatio(const Ratio& h, const Frequency& f) { return MagnitudeSquared(h.num, f) / MagnitudeSquared(h.den, f); }

}  // namespace riaa
