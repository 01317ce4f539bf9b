// Ratios of polynomials in s: the one model of every design's response, its evaluation and its roots.
#pragma once

#include <array>
#include <complex>
#include <initializer_list>
#include <vector>

namespace riaa {

// Coefficients of s^0 upwards, s in rad/µs (Ω·µF = µs). The largest design (a non-inverting
// stage with C0, the op-amp's pole, the correction pole, a cartridge and the coupling high-pass)
// stays well within degree 11.
inline constexpr std::size_t kPolynomialCoefficients = 12;

struct Polynomial {
    std::array<double, kPolynomialCoefficients> c{};
    // No coefficient above this one differs from zero. Written out ({1, τ}) it is the last one given,
    // and the arithmetic below keeps it as tight, so that a product, which a tolerance run makes some
    // forty times a build, runs over what its factors can hold only and asks neither for its degree.
    std::size_t bound = 0;

    Polynomial() = default;
    // The coefficients from s^0 upwards; at most kPolynomialCoefficients of them.
    Polynomial(std::initializer_list<double> coefficients);

    int Degree() const {
        std::size_t k = bound;
        while (k > 0 && c[k] == 0) --k;
        return static_cast<int>(k);
    }
};

// Throws OverflowError when a product needs a degree beyond the capacity.
Polynomial operator+(const Polynomial& a, const Polynomial& b);
Polynomial operator*(const Polynomial& a, const Polynomial& b);
Polynomial operator*(double factor, const Polynomial& p);

// num/den: an impedance, or a transfer function.
struct Ratio {
    Polynomial num;
    Polynomial den;
};

Ratio Constant(double value);
// The impedance of a capacitor of this many µF: 1 / (s·C).
Ratio CapacitorImpedance(double microfarads);
// Two impedances in series, and beside each other.
Ratio InSeries(const Ratio& a, const Ratio& b);
Ratio Beside(const Ratio& a, const Ratio& b);
// Products and quotients of transfer functions.
Ratio operator*(const Ratio& a, const Ratio& b);
Ratio operator/(const Ratio& a, const Ratio& b);
// The divider b / (a + b): a in series, b to ground.
Ratio Divider(const Ratio& series, const Ratio& shunt);
// (1 + s·τ1)(1 + s·τ2)… for time constants in µs; a zero τ is skipped.
Polynomial TimeConstantProduct(const std::vector<double>& timeConstantsUs);

// ω² of one frequency, in (rad/µs)², worked out once for every evaluation there.
struct Frequency {
    double hz = 0;
    double w2 = 0;
};

Frequency MakeFrequency(double hz);
// |p(jω)|², from the even and the odd part of p.
double MagnitudeSquared(const Polynomial& p, const Frequency& f);
// |num(jω)|² / |den(jω)|².
double PowerRatio(const Ratio& h, const Frequency& f);
// h(jω), for phase and for checks against a direct evaluation.
std::complex<double> Evaluate(const Ratio& h, double hz);

// The roots of p as time constants in µs, ascending: τ = 1/|r| for every root r off the origin
// (a complex pair gives its τ twice). Roots at the origin (an s factor) are left out. Throws
// EngineError for a polynomial that is zero.
std::vector<double> TimeConstantsOf(const Polynomial& p);

}  // namespace riaa
