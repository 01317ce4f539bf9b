// The SPICE netlist of a design as built, for ngspice's batch mode.
#pragma once

#include <string>

#include "engine/BuiltNetwork.h"

namespace riaa {

// A netlist that ngspice runs unchanged in batch mode: header comment, a 1 V AC source (behind the
// cartridge where one drives the input), Rs and RL where in circuit, the network or stage between
// nodes "in" and "out", ".ac dec 100 10 100k", a ".print" of the output level in dB, and ".end".
std::string SpiceNetlist(const BuiltNetwork& network);

}  // namespace riaa
