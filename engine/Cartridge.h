// A moving-magnet cartridge at the input: its inductance and resistance against the load of the input.
#pragma once

#include <string>

#include "BuiltNetwork.h"
#include "Rational.h"

namespace riaa {

// Rc + sL, in Ω.
Ratio CartridgeImpedance(const Cartridge& cartridge);
// RL ∥ CL, in Ω.
Ratio LoadImpedance(const Cartridge& cartridge);
// What reaches the input of the design per volt of the cartridge's emf.
Ratio CartridgeDivider(const Cartridge& cartridge);

struct Resonance {
    double hz = 0;  // f0 = 1 / (2π √(L·CL))
    double q = 0;
};
// The electrical resonance of L against CL, damped by Rc and RL.
Resonance CartridgeResonance(const Cartridge& cartridge);

// Netlist lines of a 1 V AC emf (node "emf") behind the cartridge, and its load at node `node`.
std::string CartridgeNetlist(const Cartridge& cartridge, const std::string& node);

// Throws EngineError naming the value for a cartridge no real one can be: L outside 1 mH to 10 H,
// Rc outside 0 to 100 kΩ, RL outside 100 Ω to 100 MΩ, CL outside 0 to 10 nF (as pF), or any value
// that is not finite.
void CheckCartridge(const Cartridge& cartridge);

}  // namespace riaa
