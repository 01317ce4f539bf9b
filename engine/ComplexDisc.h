// Discs of the complex plane that hold every value an expression takes while its inputs range over intervals.
#pragma once

#include <cmath>
#include <complex>
#include <limits>

namespace riaa {

// Every z with |z − centre| ≤ radius. Sums and inverses of discs are exact (an inverse maps a disc
// that leaves out 0 onto a disc); a product holds the true set with a little to spare. Each result
// is widened by a few units in the last place of the operands it was worked out from (not of the
// result, which a sum may cancel), so that a chain of them stays an enclosure whatever the roundings
// on the way. A disc holding 0 has no inverse that is a disc: its inverse is unbounded (an infinite
// radius), and so is everything made from it.
struct Disc {
    std::complex<double> centre;
    double radius = 0;
};

namespace disc_detail {
// |z| without std::abs's care for overflow, which the values of a circuit never come near; its one
// rounding is within the slack below.
inline double Magnitude(std::complex<double> z) { return std::sqrt(z.real() * z.real() + z.imag() * z.imag()); }
inline constexpr double kRoundingSlack = 8 * std::numeric_limits<double>::epsilon();
inline Disc Unbounded() { return {0, std::numeric_limits<double>::infinity()}; }
// Anything not finite (an infinite radius, or a centre beyond the doubles) is the whole plane.
// |re| + |im|: at least |z|, and without a square root.
inline double Size(std::complex<double> z) { return std::fabs(z.real()) + std::fabs(z.imag()); }
// scale: at least the magnitude of what the result was worked out from.
inline Disc Widened(std::complex<double> centre, double radius, double scale) {
    const double r = radius + kRoundingSlack * (scale + radius);
    if (!std::isfinite(r)) return Unbounded();
    return {centre, r};
}
}  // namespace disc_detail

// The points of a rectangle's bounding disc: re in [reLow, reHigh], im in [imLow, imHigh]. A real
// interval is the rectangle with imLow = imHigh = 0.
inline Disc Rectangle(double reLow, double reHigh, double imLow, double imHigh) {
    const double re = reHigh - reLow;
    const double im = imHigh - imLow;
    // A segment of either axis needs no square root: √(x²) is |x| exactly.
    const double diagonal = im == 0 ? std::fabs(re) : re == 0 ? std::fabs(im) : std::sqrt(re * re + im * im);
    return disc_detail::Widened({(reLow + reHigh) / 2, (imLow + imHigh) / 2}, diagonal / 2,
                                std::fabs(reLow) + std::fabs(reHigh) + std::fabs(imLow) + std::fabs(imHigh));
}
inline Disc Point(std::complex<double> z) { return {z, 0}; }

inline Disc operator+(const Disc& a, const Disc& b) {
    return disc_detail::Widened(a.centre + b.centre, a.radius + b.radius, disc_detail::Size(a.centre) + disc_detail::Size(b.centre));
}
inline Disc operator+(std::complex<double> k, const Disc& a) {
    return disc_detail::Widened(k + a.centre, a.radius, disc_detail::Size(k) + disc_detail::Size(a.centre));
}
inline Disc operator*(std::complex<double> k, const Disc& a) {
    if (!std::isfinite(a.radius)) return disc_detail::Unbounded();
    return disc_detail::Widened(k * a.centre, disc_detail::Magnitude(k) * a.radius,
                                disc_detail::Size(k) * disc_detail::Size(a.centre));
}
inline Disc operator*(const Disc& a, const Disc& b) {
    // Not 0·∞: a product with the whole plane is the whole plane.
    if (!std::isfinite(a.radius) || !std::isfinite(b.radius)) return disc_detail::Unbounded();
    const double sizeA = disc_detail::Magnitude(a.centre);
    const double sizeB = disc_detail::Magnitude(b.centre);
    return disc_detail::Widened(a.centre * b.centre, sizeA * b.radius + sizeB * a.radius + a.radius * b.radius,
                                disc_detail::Size(a.centre) * disc_detail::Size(b.centre));
}
inline Disc Inverse(const Disc& a) {
    const double norm = std::norm(a.centre);
    const double square = a.radius * a.radius;
    const double d = norm - square;
    if (!(d > 0) || !std::isfinite(a.radius)) return disc_detail::Unbounded();
    const double scale = 1 / d;
    // d carries a few ulps of |c|² + r², which a disc that nearly reaches 0 magnifies: the share
    // of 1/d that may be wrong, carried into both centre and radius.
    const double doubt = 4 * std::numeric_limits<double>::epsilon() * (norm + square) * scale;
    const double size = disc_detail::Size(a.centre) * scale;
    return disc_detail::Widened(std::conj(a.centre) * scale, a.radius * scale + (size + a.radius * scale) * doubt, size);
}

// The least and the most |z| of the disc's points.
struct MagnitudeBounds {
    double least = 0;
    double most = 0;
};
inline MagnitudeBounds MagnitudesOf(const Disc& a) {
    const double centre = disc_detail::Magnitude(a.centre);
    return {std::fmax(centre - a.radius, 0.0), centre + a.radius};
}

}  // namespace riaa
