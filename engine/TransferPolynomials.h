// Every design and its target as ratios of polynomials in s: what the accuracy report and the tolerance runs evaluate.
#pragma once

#include "engine/BuiltNetwork.h"
#include "engine/PartValues.h"
#include "engine/Rational.h"

namespace riaa {

// Vout/Vin of the design as built: a passive network with Rs joining the series branch and RL the
// shunt branch, or an active stage; with the cartridge and its load where one drives the input.
Ratio TransferFunction(const BuiltNetwork& network);
// The same from other values than the design's own: T is double, or Lanes for builds drawn around them.
template <typename T>
BasicRatio<T> TransferFunction(const BuiltNetwork& network, const PartValues<T>& parts);

// What the design aims at: a passive section its circuit's own poles and zeros, the complete
// networks and the active stages the replay curve (an active stage's 3.18 µs zero included).
Ratio TargetFunction(const BuiltNetwork& network);

}  // namespace riaa
