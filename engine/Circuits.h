// The six circuits as one table: design relations from C1, their inverses, topology and target time constants.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/Kinds.h"

namespace riaa {

// How R1 follows from C1 (and R2). The forms keep the order of operations that the program has
// always used, since rounding to a list value can flip on the last bit.
enum class R1Relation {
    TimeConstant,  // R1 = constant / C1
    MultipleOfR2,  // R1 = constant × R2
    FractionOfR2,  // R1 = R2 / constant
};

// How elements sit in a branch between two nodes. A, B and C name the elements in the order of
// Branch::elements.
enum class BranchShape {
    Single,              // A
    Series,              // A then B
    Parallel,            // A beside B
    SeriesBesideThird,   // (A then B) beside C
    ParallelThenThird,   // (A beside B) then C
};

struct Branch {
    BranchShape shape = BranchShape::Single;
    std::array<ElementKind, 3> elements{};
};

inline constexpr std::size_t kMaxTimeConstants = 2;

struct TimeConstants {
    std::array<double, kMaxTimeConstants> us{};  // ascending
    std::size_t count = 0;
};

// R2·C1 of the second complete network, in µs: with R1·C1 = 2937 µs and C1/C2 = 2.916 it puts the
// network's zero at 318 µs and its poles at 3180 µs and 75 µs.
inline constexpr double kVersion2ShelfTimeConstant = 318.0 - 3180.0 * 75.0 / 2937.0;

struct CircuitRow {
    std::string_view caption;
    double c1PerC2;           // C2 = C1 / c1PerC2; 0 where the circuit has no C2
    double r2TimeConstantUs;  // R2 = r2TimeConstantUs / C1; 0 where the circuit has no R2
    R1Relation r1Relation;
    double r1Constant;
    Branch series;  // from the input node to the output node
    Branch shunt;   // from the output node to ground
    TimeConstants targetPoles;
    TimeConstants targetZeros;
    bool aimsAtCurve;  // measured against the replay curve, not against its own poles and zeros
};

extern const std::array<CircuitRow, kCircuitCount> kCircuits;

inline const CircuitRow& Row(CircuitKind circuit) { return kCircuits[Index(circuit)]; }

inline bool HasElement(const CircuitRow& row, ElementKind element) {
    switch (element) {
        case ElementKind::C2: return row.c1PerC2 != 0;
        case ElementKind::R2: return row.r2TimeConstantUs != 0;
        default: return true;
    }
}

// Whether the design is measured against the replay curve: the active stages and the circuits whose
// row says so; the other sections against their own poles and zeros.
inline bool AimsAtReplayCurve(const BuiltNetwork& network) {
    return network.kind != DesignKind::Passive || Row(network.circuit).aimsAtCurve;
}

// Whether the element may be 0 Ω, a wire: a resistor of a passive network other than RL, unless it
// alone is the shunt and would short the output. Around an op-amp every element sets a gain or a
// time constant, and a capacitor of 0 is none.
ZeroOhms ZeroOhmsFor(const BuiltNetwork& network, ElementKind element);

// C2, R1 and R2 of the circuit at this C1 (C2 and R2 are 0 where the circuit lacks them), indexed
// by ElementKind; the C1 slot holds C1 and the RL and Rs slots stay 0. R1 is uncorrected.
std::array<double, kElementCount> DeriveFromC1(CircuitKind circuit, double c1);

// The C1 that makes the circuit's relations reproduce this value of C1, C2, R1 or R2. An element
// the circuit lacks is taken as the one it has (C2 as C1, R2 as R1).
double C1ForElement(CircuitKind circuit, ElementKind element, double value);

// What a design is, for a heading: the circuit's caption, or the stage and its feedback network
// ("Non-inverting stage, form A").
std::string DesignCaption(const BuiltNetwork& network);

}  // namespace riaa
