// The passive networks and their targets from the impedances directly: what the tests hold the polynomials to.
#pragma once

#include <complex>

#include "engine/BuiltNetwork.h"

namespace riaa {

// Vout/Vin of a passive network at hz > 0, with Rs in series before the input and RL from the
// output to ground when present; never through the polynomials, so that the two ways of reading a
// network check each other.
std::complex<double> NetworkTransfer(const BuiltNetwork& network, double hz);

// The response a passive circuit's design relations aim at: unity at 0 Hz, its poles and zeros at
// the circuit's target time constants.
std::complex<double> TargetTransfer(CircuitKind circuit, double hz);

}  // namespace riaa
