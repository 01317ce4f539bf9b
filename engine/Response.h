// The network as built: its transfer function, the target it aims at, the accuracy report and a SPICE netlist.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Formats.h"
#include "Network.h"

namespace riaa {

// Element values as they go into the circuit: capacitances in µF, resistances in Ω. C2 is 0 in
// circuits without C2, R2 is 0 in circuits without R2. Rs and RL are present only when in circuit.
struct BuiltNetwork {
    CircuitKind circuit = CircuitKind::LowPass50Hz;
    double C1 = 0;
    double C2 = 0;
    double R1 = 0;
    double R2 = 0;
    std::optional<double> Rs;
    std::optional<double> RL;
};

// The value of one element as built: µF or Ω; 0 for Rs and RL out of circuit.
double ElementValue(const BuiltNetwork& network, ElementKind element);

// The network that a calculation left in the state, with Rs and RL in circuit as the options include them.
BuiltNetwork MakeBuiltNetwork(const NetworkState& state, CircuitKind circuit, const CalculationOptions& options);

// Vout/Vin at hz > 0, with Rs in series before the input and RL from the output to ground when present.
std::complex<double> NetworkTransfer(const BuiltNetwork& network, double hz);

// The response the circuit's design relations aim at: unity at 0 Hz, its poles and zeros at the
// circuit's target time constants.
std::complex<double> TargetTransfer(CircuitKind circuit, double hz);

struct ErrorPoint {
    double hz = 0;
    double errorDb = 0;
};

struct AccuracyReport {
    double largestErrorDb = 0;  // signed; the error of largest magnitude over 20 Hz to 20 kHz
    double largestErrorHz = 0;
    double lossAt1kHzDb = 0;    // 20·log10 |H(1 kHz)|, negative for these passive networks
    std::vector<double> realisedPolesUs;  // ascending
    std::vector<double> realisedZerosUs;  // ascending
    std::vector<double> targetPolesUs;    // ascending
    std::vector<double> targetZerosUs;    // ascending
    std::vector<ErrorPoint> errorCurve;   // log-spaced from 20 Hz to 20 kHz, normalised to 0 dB at 1 kHz
};

inline constexpr int kErrorCurvePoints = 500;
inline constexpr double kErrorBandLowHz = 20;
inline constexpr double kErrorBandHighHz = 20000;

// Throws EngineError (with a message for the user) for a network that cannot be built: an element
// that is zero, negative or not finite ("This network cannot be built: R1 is negative", "C1 must be
// greater than zero"), and OverflowError for parts so far out of scale that the levels overflow.
// A zero resistor is a wire and fine, except where it alone would short the output.
AccuracyReport EvaluateAccuracy(const BuiltNetwork& network, int points = kErrorCurvePoints);

// A sum of parts as typed into an as-built field: "27k+820" is two resistors in series (ohms, k and
// M suffixes), "3.3n+120p" two capacitors in parallel (µF, n and p suffixes; a bare number is µF).
// Throws ConversionError for text that is no sum of numbers, quoting the part that is no number
// ("'4x7' is not a valid floating point value" for "27k+4x7"); EngineError "The value must be
// greater than zero" for a part that is zero or negative, and "The value is too large" for a total
// beyond a double.
double ParseResistorSum(std::string_view text, const NumberLocale& locale);
double ParseCapacitorSum(std::string_view text, const NumberLocale& locale);

// A netlist that ngspice runs unchanged in batch mode: header comment, a 1 V AC source, Rs and RL
// where in circuit, the network between nodes "in" and "out", ".ac dec 100 10 100k", a ".print" of
// the output level in dB, and ".end".
std::string SpiceNetlist(const BuiltNetwork& network);

}  // namespace riaa
