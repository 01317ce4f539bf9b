#include "engine/Cartridge.h"

#include <cmath>
#include <numbers>

#include "engine/Formats.h"
#include "engine/RecordedTransfer.h"
#include "engine/SpiceLine.h"

namespace riaa {

namespace {

// With s in rad/µs an inductance enters as Ω·µs, a capacitance as µF.
constexpr double kOhmMicrosecondsPerMillihenry = 1e3;
constexpr double kMicrofaradsPerPicofarad = 1e-6;

// Written so that NaN fails too.
void Require(bool inRange, const char* message) {
    if (!inRange) throw EngineError(message);
}

}  // namespace

template <typename T>
BasicRatio<T> CartridgeImpedance(const Cartridge& cartridge) {
    return {{T(cartridge.resistance), T(cartridge.inductanceMh * kOhmMicrosecondsPerMillihenry)}, {T(1)}};
}
template BasicRatio<double> CartridgeImpedance(const Cartridge&);
template BasicRatio<Lanes> CartridgeImpedance(const Cartridge&);
template BasicRatio<RecordedValue> CartridgeImpedance(const Cartridge&);

template <typename T>
BasicRatio<T> LoadImpedance(const Cartridge& cartridge, const T& loadCapacitancePf) {
    // A CL of 0 is a capacitor of infinite impedance, and Beside takes it as such: RL alone.
    return Beside(Constant(T(cartridge.loadResistance)), CapacitorImpedance(loadCapacitancePf * kMicrofaradsPerPicofarad));
}
template BasicRatio<double> LoadImpedance(const Cartridge&, const double&);
template BasicRatio<Lanes> LoadImpedance(const Cartridge&, const Lanes&);
template BasicRatio<RecordedValue> LoadImpedance(const Cartridge&, const RecordedValue&);

template <typename T>
BasicRatio<T> CartridgeDivider(const Cartridge& cartridge, const T& loadCapacitancePf) {
    return Divider(CartridgeImpedance<T>(cartridge), LoadImpedance(cartridge, loadCapacitancePf));
}
template BasicRatio<double> CartridgeDivider(const Cartridge&, const double&);
template BasicRatio<Lanes> CartridgeDivider(const Cartridge&, const Lanes&);
template BasicRatio<RecordedValue> CartridgeDivider(const Cartridge&, const RecordedValue&);

Ratio CartridgeImpedance(const Cartridge& cartridge) { return CartridgeImpedance<double>(cartridge); }

Ratio LoadImpedance(const Cartridge& cartridge) { return LoadImpedance(cartridge, cartridge.loadCapacitancePf); }

Ratio CartridgeDivider(const Cartridge& cartridge) { return CartridgeDivider(cartridge, cartridge.loadCapacitancePf); }

Resonance CartridgeResonance(const Cartridge& cartridge) {
    // The divider's denominator is (RL + Rc) + s(L + Rc·RL·CL) + s²·L·RL·CL. Its own ω0 and Q, not
    // those of L and CL alone: Rc against RL raises ω0 by √(1 + Rc/RL).
    const Polynomial& den = CartridgeDivider(cartridge).den;
    const double a0 = den.c[0];
    const double a1 = den.c[1];
    const double a2 = den.c[2];
    const double radPerUs = std::sqrt(a0 / a2);
    return {radPerUs * 1e6 / (2 * std::numbers::pi), std::sqrt(a0 * a2) / a1};
}

std::string CartridgeNetlist(const Cartridge& cartridge, const std::string& node) {
    std::string text = "V1 emf 0 AC 1\n";
    // A resistor of 0 Ω is an error to some simulators; without Rc the inductance reaches the node itself.
    const bool hasResistance = cartridge.resistance != 0;
    // The node between the coil's inductance and its resistance, named so that no caller's node can be it.
    const std::string inner = hasResistance ? node + "_coil" : node;
    text += SpiceLine("Lcart", "emf", inner, cartridge.inductanceMh / 1e3);
    if (hasResistance) text += SpiceLine("Rcart", inner, node, cartridge.resistance);
    text += SpiceLine("Rload", node, "0", cartridge.loadResistance);
    if (cartridge.loadCapacitancePf != 0) text += SpiceLine("Cload", node, "0", cartridge.loadCapacitancePf / 1e12);
    return text;
}

void CheckCartridge(const Cartridge& cartridge) {
    Require(cartridge.inductanceMh >= 1 && cartridge.inductanceMh <= 10'000,
            "The cartridge's inductance must be between 1 mH and 10000 mH");
    Require(cartridge.resistance >= 0 && cartridge.resistance <= 100'000,
            "The cartridge's resistance must be between 0 Ω and 100000 Ω");
    Require(cartridge.loadResistance >= 100 && cartridge.loadResistance <= 100e6,
            "The input's load resistance must be between 100 Ω and 100000000 Ω");
    Require(cartridge.loadCapacitancePf >= 0 && cartridge.loadCapacitancePf <= 10'000,
            "The input's load capacitance must be between 0 pF and 10000 pF");
}

}  // namespace riaa
