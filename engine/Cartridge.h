// A moving-magnet cartridge at the input: its inductance and resistance against the load of the input.
#pragma once

#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/Rational.h"

namespace riaa {

// Rc + sL, in Ω.
Ratio CartridgeImpedance(const Cartridge& cartridge);
// RL ∥ CL, in Ω.
Ratio LoadImpedance(const Cartridge& cartridge);
// What reaches the input of the design per volt of the cartridge's emf.
Ratio CartridgeDivider(const Cartridge& cartridge);
// The three for the builds of a tolerance run, whose load capacitances are drawn (T is double or Lanes).
template <typename T>
BasicRatio<T> CartridgeImpedance(const Cartridge& cartridge);
template <typename T>
BasicRatio<T> LoadImpedance(const Cartridge& cartridge, const T& loadCapacitancePf);
template <typename T>
BasicRatio<T> CartridgeDivider(const Cartridge& cartridge, const T& loadCapacitancePf);

struct Resonance {
    double hz = 0;  // f0 = √(1 + Rc/RL) / (2π √(L·CL)), the denominator's own; infinite when CL is 0
    double q = 0;   // 0 when CL is 0
};
// The electrical resonance of L against CL, damped by Rc and RL: ω0 = √(a0/a2) and Q = √(a0·a2)/a1
// of the divider's denominator a0 + a1·s + a2·s².
Resonance CartridgeResonance(const Cartridge& cartridge);

// Netlist lines of a 1 V AC emf (node "emf") behind the cartridge, and its load at node `node`:
// V1, Lcart, Rcart (inner node "cart"; left out when Rc is 0), Rload and Cload (left out when CL is 0).
std::string CartridgeNetlist(const Cartridge& cartridge, const std::string& node);

// Throws EngineError naming the value for a cartridge no real one can be: L outside 1 mH to 10 H,
// Rc outside 0 to 100 kΩ, RL outside 100 Ω to 100 MΩ, CL outside 0 to 10 nF (as pF), or any value
// that is not finite.
void CheckCartridge(const Cartridge& cartridge);

}  // namespace riaa
