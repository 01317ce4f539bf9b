// A design as built against its target: the accuracy report over 20 Hz to 20 kHz, from its rational function.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/Network.h"

namespace riaa {

// The passive network that a calculation left in the state, with Rs and RL in circuit as the
// options include them.
BuiltNetwork MakeBuiltNetwork(const NetworkState& state, CircuitKind circuit, const CalculationOptions& options);

struct ErrorPoint {
    double hz = 0;
    double errorDb = 0;
};

// The electrical resonance of a cartridge at the input and what it does to the top octave.
struct SourceFigures {
    double resonanceHz = 0;
    double resonanceQ = 0;
    double level10kHzDb = 0;  // the cartridge and its load against 1 kHz
    double level20kHzDb = 0;
};

struct AccuracyReport {
    double largestErrorDb = 0;  // signed; the error of largest magnitude over 20 Hz to 20 kHz
    double largestErrorHz = 0;
    double lossAt1kHzDb = 0;    // 20·log10 |H(1 kHz)|: negative for the passive networks, the gain of a stage
    std::vector<double> realisedPolesUs;  // ascending
    std::vector<double> realisedZerosUs;  // ascending
    std::vector<double> targetPolesUs;    // ascending
    std::vector<double> targetZerosUs;    // ascending
    std::vector<ErrorPoint> errorCurve;   // log-spaced from 20 Hz to 20 kHz, normalised to 0 dB at 1 kHz
    // An active stage's gain at 0 Hz (20 Hz where a capacitor blocks DC) and the extra zero of a
    // non-inverting stage; empty for the passive networks.
    std::optional<double> gainDcDb;
    std::optional<double> extraZeroHz;
    std::optional<SourceFigures> source;  // with a cartridge at the input
};

inline constexpr int kErrorCurvePoints = 500;
inline constexpr double kErrorBandLowHz = 20;
inline constexpr double kErrorBandHighHz = 20000;

// `points` log-spaced frequencies from 20 Hz to 20 kHz, both ends exact: the grid of the error
// curve and of the tolerance runs.
std::vector<double> ErrorBandFrequencies(int points);

// Throws EngineError (with a message for the user) for a design that cannot be built: an element
// that is zero, negative or not finite ("This network cannot be built: R1 is negative", "C1 must be
// greater than zero"), and OverflowError for parts so far out of scale that the levels overflow.
// A zero resistor of a passive network is a wire and fine, except where it alone would short the output
// (ZeroOhmsFor); an active stage's op-amp must pass CheckOpAmp.
AccuracyReport EvaluateAccuracy(const BuiltNetwork& network, int points = kErrorCurvePoints);

// The checks of EvaluateAccuracy on the parts alone.
void CheckBuildable(const BuiltNetwork& network);

// "This network cannot be built: R1 is negative": what a design with a negative part says, here
// and where a page shows why it has no curve.
std::string NegativePartMessage(std::string_view element);

}  // namespace riaa
