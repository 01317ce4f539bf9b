// Builds of a tolerance run side by side: one value per build, the arithmetic done lane by lane.
#pragma once

#include <array>
#include <cstddef>

namespace riaa {

// Each operation is the same IEEE operation on every lane, so a batch gives each build exactly what
// the build alone would; the loops over the lanes are what the vectoriser takes.
struct Lanes {
    static constexpr std::size_t kCount = 16;
    std::array<double, kCount> v{};

    Lanes() = default;
    // A constant of the design (an op-amp's gain, a curve's time constant) is the same in every build.
    // Implicit, so that constants and drawn values mix in one expression.
    Lanes(double value) { v.fill(value); }

    Lanes& operator+=(const Lanes& b) {
        for (std::size_t i = 0; i < kCount; ++i) v[i] += b.v[i];
        return *this;
    }
    friend Lanes operator+(Lanes a, const Lanes& b) { return a += b; }
    friend Lanes operator*(Lanes a, const Lanes& b) {
        for (std::size_t i = 0; i < kCount; ++i) a.v[i] *= b.v[i];
        return a;
    }
};

inline bool IsZero(double x) { return x == 0; }
inline bool IsZero(const Lanes& x) {
    bool zero = true;
    for (const double lane : x.v) zero = zero && lane == 0;
    return zero;
}

}  // namespace riaa
