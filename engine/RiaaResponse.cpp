#include "engine/RiaaResponse.h"

#include <cmath>

namespace riaa {

namespace {
constexpr double T1 = 0.00318;
constexpr double T2 = 0.000318;
constexpr double T3 = 0.000075;
constexpr double kDecibelFactor = 8.68589;
constexpr double kTwoPi = 6.283185307179586477;
constexpr double kInverseOffset = 19.911;
constexpr double kRecordOffset = 19.822;

// Beyond this the squares of ω below would overflow; there the factored form takes over, in which
// every factor is far into its asymptote, so L falls exactly 20 dB (in our factor) per decade.
constexpr double kLargestDirectHz = 1e30;
}  // namespace

double PlaybackLevel(double hz) {
    const double f = std::fabs(hz);
    if (f > kLargestDirectHz) {
        // |1 + jωT2| / (|1 + jωT1| · |1 + jωT3|) with each |1 + jωT| taken as ωT.
        return kDecibelFactor * (std::log(T2 / (kTwoPi * T1 * T3)) - std::log(f));
    }
    const double w = kTwoPi * f;
    const double w2 = w * w;
    const double p = 1 - w2 * T1 * T3 + w2 * T2 * (T1 + T3);
    const double q = w * (T2 - T1 - T3 - w2 * T1 * T2 * T3);
    const double d = (1 - w2 * T1 * T3) * (1 - w2 * T1 * T3) + w2 * (T1 + T3) * (T1 + T3);
    return kDecibelFactor * std::log(std::sqrt(p * p + q * q) / d);
}

double InverseCurveLevel(double hz) { return PlaybackLevel(hz) + kInverseOffset; }

double RecordCurveLevel(double hz) { return -PlaybackLevel(hz) - kRecordOffset; }

}  // namespace riaa
