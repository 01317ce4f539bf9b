// The four two-terminal feedback networks: each realises Rdc·(1 + sTz) / ((1 + sTa)(1 + sTb)) exactly.
#pragma once

#include <string>

#include "engine/BuiltNetwork.h"
#include "engine/PartValues.h"
#include "engine/Rational.h"

namespace riaa {

// The curve's time constants in µs: bass pole Ta > zero Tz > treble pole Tb. Tb is 0 for a curve
// without a treble pole, which only form A realises (without C2: (R1 ∥ C1) in series with R2).
struct CurveTimeConstants {
    double bassUs = 3180;
    double zeroUs = 318;
    double trebleUs = 75;
};

struct FeedbackValues {
    double R1 = 0;
    double C1 = 0;  // µF
    double R2 = 0;
    double C2 = 0;  // µF; 0 where the network has none
};

// Throws EngineError for time constants out of order or a curve this form cannot realise.
void CheckCurveForForm(NetworkForm form, const CurveTimeConstants& tc);

// The exact design for a DC resistance Rdc, or for a given C1 (capacitors first). Throws EngineError
// for time constants out of order, a form that cannot realise them, or a scale that is not positive.
FeedbackValues DesignFeedbackNetwork(NetworkForm form, const CurveTimeConstants& tc, double rdcOhms);
FeedbackValues DesignFeedbackNetworkForC1(NetworkForm form, const CurveTimeConstants& tc, double c1Microfarads);

// The resistance the network shows at DC: R1 + R2 for forms A and C, R1 for B, R2 for D.
double DcResistance(NetworkForm form, const FeedbackValues& values);

// The network's impedance from R1, C1, R2 and C2 of the network as built (C2 where in circuit), or
// from the values of builds drawn around them.
template <typename T>
BasicRatio<T> FeedbackImpedance(NetworkForm form, const PartValues<T>& parts);
Ratio FeedbackImpedance(NetworkForm form, const BuiltNetwork& network);

// The network's netlist lines between two nodes; internal nodes are named with this prefix.
std::string FeedbackNetlist(NetworkForm form, const BuiltNetwork& network, const std::string& from,
                            const std::string& to, const std::string& nodePrefix);

}  // namespace riaa
