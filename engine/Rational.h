// Ratios of polynomials in s: the one model of every design's response, its evaluation and its roots.
#pragma once

#include <algorithm>
#include <array>
#include <complex>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "engine/Lanes.h"

namespace riaa {

// Coefficients of s^0 upwards, s in rad/µs (Ω·µF = µs). The largest design (a non-inverting
// stage with C0, the op-amp's pole, the correction pole, a cartridge and the coupling high-pass)
// stays well within degree 11.
inline constexpr std::size_t kPolynomialCoefficients = 12;

[[noreturn]] void ThrowOverflow();

// T is double, or Lanes for several builds of a tolerance run at once (IsZero for each).
template <typename T>
struct BasicPolynomial {
    std::array<T, kPolynomialCoefficients> c{};
    // No coefficient above this one differs from zero. Written out ({1, τ}) it is the last one given,
    // and the arithmetic below keeps it as tight, so that a product runs over what its factors can
    // hold only and asks neither for its degree.
    std::size_t bound = 0;

    BasicPolynomial() = default;
    // The coefficients from s^0 upwards; at most kPolynomialCoefficients of them.
    BasicPolynomial(std::initializer_list<T> coefficients) {
        if (coefficients.size() > c.size()) ThrowOverflow();
        std::copy(coefficients.begin(), coefficients.end(), c.begin());
        bound = coefficients.size() > 1 ? coefficients.size() - 1 : 0;
    }

    int Degree() const {
        std::size_t k = bound;
        while (k > 0 && IsZero(c[k])) --k;
        return static_cast<int>(k);
    }
};
using Polynomial = BasicPolynomial<double>;

template <typename T>
BasicPolynomial<T> operator+(const BasicPolynomial<T>& a, const BasicPolynomial<T>& b) {
    BasicPolynomial<T> sum;
    sum.bound = std::max(a.bound, b.bound);
    for (std::size_t k = 0; k <= sum.bound; ++k) sum.c[k] = a.c[k] + b.c[k];
    return sum;
}

template <typename T>
BasicPolynomial<T> operator*(const std::type_identity_t<T>& factor, const BasicPolynomial<T>& p) {
    BasicPolynomial<T> scaled;
    scaled.bound = p.bound;
    for (std::size_t k = 0; k <= scaled.bound; ++k) scaled.c[k] = p.c[k] * factor;
    return scaled;
}

// Throws OverflowError when a product needs a degree beyond the capacity.
template <typename T>
BasicPolynomial<T> operator*(const BasicPolynomial<T>& a, const BasicPolynomial<T>& b) {
    auto da = a.bound;
    auto db = b.bound;
    // Resistors are constants: most products in a network's ratio scale a polynomial.
    if (da == 0) return a.c[0] * b;
    if (db == 0) return b.c[0] * a;
    if (da + db >= kPolynomialCoefficients) {
        // Only a leading coefficient that is zero can bring the bounds this far; trimmed, they fit.
        da = static_cast<std::size_t>(a.Degree());
        db = static_cast<std::size_t>(b.Degree());
        if (da + db >= kPolynomialCoefficients) ThrowOverflow();
    }
    // A term of a coefficient that is zero below the bound adds nothing: the sums are those of the degrees.
    BasicPolynomial<T> product;
    for (std::size_t i = 0; i <= da; ++i) {
        for (std::size_t j = 0; j <= db; ++j) product.c[i + j] += a.c[i] * b.c[j];
    }
    product.bound = da + db;
    return product;
}

// num/den: an impedance, or a transfer function.
template <typename T>
struct BasicRatio {
    BasicPolynomial<T> num;
    BasicPolynomial<T> den;
};
using Ratio = BasicRatio<double>;

template <typename T>
BasicRatio<T> Constant(const T& value) {
    return {{value}, {T(1)}};
}
// The impedance of a capacitor of this many µF: 1 / (s·C).
template <typename T>
BasicRatio<T> CapacitorImpedance(const T& microfarads) {
    return {{T(1)}, {T(0), microfarads}};
}
// Two impedances in series, and beside each other.
template <typename T>
BasicRatio<T> InSeries(const BasicRatio<T>& a, const BasicRatio<T>& b) {
    return {a.num * b.den + b.num * a.den, a.den * b.den};
}
template <typename T>
BasicRatio<T> Beside(const BasicRatio<T>& a, const BasicRatio<T>& b) {
    return {a.num * b.num, a.num * b.den + b.num * a.den};
}
// Products and quotients of transfer functions.
template <typename T>
BasicRatio<T> operator*(const BasicRatio<T>& a, const BasicRatio<T>& b) {
    return {a.num * b.num, a.den * b.den};
}
template <typename T>
BasicRatio<T> operator/(const BasicRatio<T>& a, const BasicRatio<T>& b) {
    return {a.num * b.den, a.den * b.num};
}
// The divider b / (a + b): a in series, b to ground.
template <typename T>
BasicRatio<T> Divider(const BasicRatio<T>& series, const BasicRatio<T>& shunt) {
    const BasicPolynomial<T> shuntPart = shunt.num * series.den;
    return {shuntPart, shuntPart + series.num * shunt.den};
}
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
