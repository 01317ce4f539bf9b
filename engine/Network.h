// The six equalisation networks: element values, the calculation of a circuit and value entry.
#pragma once

#include <array>
#include <string>

#include "engine/Formats.h"
#include "engine/Kinds.h"
#include "engine/ValueLists.h"

namespace riaa {

// Capacitances in µF, resistances in Ω; the member initialisers are the values at start-up.
struct NetworkState {
    double C1 = 0;
    double C2 = 0;
    std::array<double, kCircuitCount> CircuitC1{0.01, 0.01, 0.01, 0.01, 0.01, 0.01};
    double R1 = 0;
    double R2 = 0;
    double RL = 1'000'000;
    double Rs = 1000;
};

struct CalculationOptions {
    bool IncludeRL = false;
    bool IncludeRs = false;
    bool UseStandardResistor = false;

    bool operator==(const CalculationOptions&) const = default;
};

enum class NetworkWarning { None, SeriesTooHigh, LoadTooLow, LoadAndSeries };

struct CalculationResult {
    // In field order C1, C2, R1, R2, RL, Rs; an empty text blanks the field.
    std::array<std::string, kElementCount> texts;
    bool alert = false;
    NetworkWarning warning = NetworkWarning::None;
};

// Derives C2, R1 and R2 from the circuit's remembered C1, corrects R1 for Rs and RL, tests the
// result and rounds to standard resistors if asked. Throws DivisionByZeroError or OverflowError
// (leaving the state as it was) when the values cannot be computed.
CalculationResult CalculateNetwork(NetworkState& state, CircuitKind circuit, const CalculationOptions& options,
                                   const ValueList& resistors, const NumberLocale& locale);

// Stores a typed element value: RL and Rs as they are, every other element as the C1 that
// reproduces it. Refuses (storing nothing) a value that would leave the circuit unable to
// calculate: DivisionByZeroError for a zero C1, OverflowError for a non-finite one.
void ApplyElementValue(NetworkState& state, CircuitKind circuit, ElementKind element, double value);

// The warning box's text, its lines separated by "\n"; empty for None.
std::string WarningText(NetworkWarning warning);

}  // namespace riaa
