#include "engine/Rational.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unsupported/Eigen/Polynomials>

#include "engine/Formats.h"

namespace riaa {

void ThrowOverflow() { throw OverflowError(); }

Polynomial TimeConstantProduct(const std::vector<double>& timeConstantsUs) {
    Polynomial p{1};
    for (const double tc : timeConstantsUs) {
        if (tc != 0) p = p * Polynomial{1, tc};
    }
    return p;
}

Frequency MakeFrequency(double hz) {
    const double w = 2 * std::numbers::pi * hz * 1e-6;
    return {hz, w * w};
}

double MagnitudeSquared(const Polynomial& p, const Frequency& f) {
    // p(jω) = (c0 − c2ω² + c4ω⁴ − …) + jω(c1 − c3ω² + …): Horner in −ω² on each half.
    const int degree = p.Degree();
    const double x = -f.w2;
    double re = 0;
    double im = 0;
    for (int k = degree; k >= 0; --k) {
        if (k % 2 == 0) {
            re = re * x + p.c[static_cast<std::size_t>(k)];
        } else {
            im = im * x + p.c[static_cast<std::size_t>(k)];
        }
    }
    return re * re + f.w2 * im * im;
}

double PowerRatio(const Ratio& h, const Frequency& f) { return MagnitudeSquared(h.num, f) / MagnitudeSquared(h.den, f); }

std::complex<double> Evaluate(const Ratio& h, double hz) {
    const std::complex<double> s(0, 2 * std::numbers::pi * hz * 1e-6);
    const auto at = [&](const Polynomial& p) {
        std::complex<double> sum = 0;
        for (int k = p.Degree(); k >= 0; --k) sum = sum * s + p.c[static_cast<std::size_t>(k)];
        return sum;
    };
    return at(h.num) / at(h.den);
}

std::vector<double> TimeConstantsOf(const Polynomial& p) {
    int degree = p.Degree();
    if (degree == 0 && p.c[0] == 0) throw EngineError("This network has no response");
    // An s factor is a root at the origin: no time constant of its own.
    std::size_t low = 0;
    while (p.c[low] == 0) ++low;
    degree -= static_cast<int>(low);
    if (degree <= 0) return {};
    std::vector<double> result;
    if (degree == 1) {
        result.push_back(p.c[low + 1] / p.c[low]);
    } else if (degree == 2) {
        // (1 + sτ1)(1 + sτ2): τ1 + τ2 = a1/a0 and τ1·τ2 = a2/a0. The larger comes from the sum and
        // the smaller from the product, so neither suffers cancellation, as the RC ladders need.
        const double sum = p.c[low + 1] / p.c[low];
        const double product = p.c[low + 2] / p.c[low];
        const double discriminant = sum * sum - 4 * product;
        if (discriminant >= 0 && sum > 0 && product > 0) {
            const double larger = (sum + std::sqrt(discriminant)) / 2;
            result = {product / larger, larger};
        } else {
            // Complex or of mixed sign: the magnitudes of the roots, √(a0/a2) for a complex pair.
            const double magnitude = std::sqrt(std::fabs(product));
            if (discriminant < 0) {
                result = {magnitude, magnitude};
            } else {
                const double root = std::sqrt(discriminant);
                result = {std::fabs((sum + root) / 2), std::fabs((sum - root) / 2)};
            }
        }
    } else {
        // Scaled to the τ domain: in x = s·τ0 the coefficients stay near 1 whatever the units.
        Eigen::VectorXd coefficients(degree + 1);
        const double scale = std::pow(std::fabs(p.c[low + static_cast<std::size_t>(degree)] / p.c[low]), 1.0 / degree);
        double power = 1;
        for (int k = 0; k <= degree; ++k, power /= scale) {
            coefficients[k] = p.c[low + static_cast<std::size_t>(k)] / p.c[low] * power;
        }
        Eigen::PolynomialSolver<double, Eigen::Dynamic> solver;
        solver.compute(coefficients);
        for (const auto& root : solver.roots()) {
            const double magnitude = std::abs(root) / scale;
            if (!(magnitude > 0) || !std::isfinite(magnitude)) throw OverflowError();
            result.push_back(1 / magnitude);
        }
    }
    for (double& tc : result) {
        if (!std::isfinite(tc)) throw OverflowError();
    }
    std::sort(result.begin(), result.end());
    return result;
}

}  // namespace riaa
