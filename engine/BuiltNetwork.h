// A design as built: which topology, the value of every element in it, the curve it aims at and what drives it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "engine/Kinds.h"

namespace riaa {

// The passive networks of the circuit page, and the three active stages.
enum class DesignKind { Passive, NonInverting, Inverting, TwoStage };

// The two-terminal feedback networks of the active stages (two resistors, two capacitors).
enum class NetworkForm { A, B, C, D };

// What a non-inverting stage does with the zero its gain of at least 1 brings.
enum class HighFrequencyZero {
    Pole,      // a passive low-pass R3, C3 after the stage cancels it
    None,      // it stays, and shows as error at high frequency
    At3_18us,  // it is put at 3.18 µs, and the target has that zero too
};

// The op-amp: ideal, or a single pole set by its open-loop gain and gain-bandwidth product.
struct OpAmp {
    bool ideal = true;
    double openLoopGainDb = 100;
    double gainBandwidthHz = 10e6;

    bool operator==(const OpAmp&) const = default;
};

// The replay curve a design aims at: a row of the curve table and its two options.
struct CurveChoice {
    std::size_t curve = 0;     // index into the curve table; 0 is RIAA
    bool iecAmendment = false; // the 7950 µs subsonic high-pass
    bool zero3_18us = false;   // a zero at 3.18 µs

    bool operator==(const CurveChoice&) const = default;
};

// A moving-magnet cartridge and the input that loads it.
struct Cartridge {
    double inductanceMh = 500;
    double resistance = 1000;        // Ω
    double loadResistance = 47'000;  // Ω
    double loadCapacitancePf = 200;  // cable included

    bool operator==(const Cartridge&) const = default;
};

struct BuiltNetwork {
    DesignKind kind = DesignKind::Passive;
    CircuitKind circuit = CircuitKind::LowPass50Hz;  // the passive network's circuit
    NetworkForm form = NetworkForm::A;               // an active stage's feedback network
    HighFrequencyZero highFrequencyZero = HighFrequencyZero::Pole;
    OpAmp opAmp;
    // Capacitances in µF, resistances in Ω, indexed by ElementKind; an element counts only where
    // it is in circuit. Rs and RL of a passive network are in circuit when the options include them.
    std::array<double, kPartCount> values{};
    std::array<bool, kPartCount> inCircuit{};
    CurveChoice curve;
    std::optional<Cartridge> source;  // empty: an ideal voltage source

    double value(ElementKind e) const { return inCircuit[Index(e)] ? values[Index(e)] : 0; }
    bool has(ElementKind e) const { return inCircuit[Index(e)]; }
    void set(ElementKind e, double v) {
        values[Index(e)] = v;
        inCircuit[Index(e)] = true;
    }
    void remove(ElementKind e) {
        values[Index(e)] = 0;
        inCircuit[Index(e)] = false;
    }

    // The same parts in the same topology against the same target: work done for one serves the other.
    bool operator==(const BuiltNetwork&) const = default;
};

}  // namespace riaa
