// Whether two networks as built are the same parts, so that work done for one serves the other.
#pragma once

#include "Response.h"
#include "Tolerance.h"

inline bool SameNetwork(const riaa::BuiltNetwork& a, const riaa::BuiltNetwork& b) {
    return a.circuit == b.circuit && a.C1 == b.C1 && a.C2 == b.C2 && a.R1 == b.R1 && a.R2 == b.R2 && a.Rs == b.Rs &&
           a.RL == b.RL;
}

inline bool SameTolerances(const riaa::ToleranceSettings& a, const riaa::ToleranceSettings& b) {
    return a.resistorPercent == b.resistorPercent && a.capacitorPercent == b.capacitorPercent &&
           a.distribution == b.distribution && a.builds == b.builds && a.frequencies == b.frequencies &&
           a.seed == b.seed;
}
