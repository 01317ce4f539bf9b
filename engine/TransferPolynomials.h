// The network and its target as ratios of polynomials in s: what the accuracy report and the tolerance runs evaluate.
#pragma once

#include <array>

#include "Network.h"
#include "Response.h"

namespace riaa {

// Coefficients of s^0 upwards, s in rad/µs (Ω·µF = µs). Three elements per branch plus Rs and RL
// stay within degree 4.
struct Polynomial {
    std::array<double, 5> c{};

    int Degree() const;
};

Polynomial operator+(const Polynomial& a, const Polynomial& b);
Polynomial operator*(const Polynomial& a, const Polynomial& b);

// num/den: an impedance, or a transfer function.
struct Ratio {
    Polynomial num;
    Polynomial den;
};

// Vout/Vin = shunt / (series + shunt), with Rs joining the series branch and RL the shunt branch.
Ratio TransferFunction(const BuiltNetwork& network);
// The circuit's target: its zeros over its poles, unity at 0 Hz.
Ratio TargetFunction(CircuitKind circuit);

// ω² and ω⁴ of one frequency, in (rad/µs)^n, worked out once for every evaluation there.
struct Frequency {
    double hz = 0;
    double w2 = 0;
    double w4 = 0;
};

Frequency MakeFrequency(double hz);
// |p(jω)|², from the even and the odd part of p.
double MagnitudeSquared(const Polynomial& p, const Frequency& f);
// |num(jω)|² / |den(jω)|².
double PowerRatio(const Ratio& h, const Frequency& f);

}  // namespace riaa
