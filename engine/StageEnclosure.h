// An active stage's response over a whole box of builds: at one frequency, the least and the most
// |Vout/Vin| of every build whose parts lie within given intervals.
#pragma once

#include <array>
#include <complex>
#include <limits>
#include <optional>

#include "engine/BuiltNetwork.h"
#include "engine/ComplexDisc.h"

namespace riaa {

struct PartInterval {
    double low = 0;
    double high = 0;
    // 1/low and 1/high, which the bounds divide by: given where many bounds use them.
    double lowInverse = 0;
    double highInverse = 0;

    PartInterval() = default;
    PartInterval(double low, double high) : PartInterval(low, high, 1 / low, 1 / high) {}
    PartInterval(double low, double high, double lowInverse, double highInverse)
        : low(low), high(high), lowInverse(lowInverse), highInverse(highInverse) {}
};
// One end of a run of builds of the low-pass before Cout: R3 and its time constant R3·C3 in µs.
struct LowPassEnd {
    double r3 = 0;
    double tauUs = 0;
};
// The ends of the runs of builds at which the output with Cout, which falls as R3 and R3·C3 rise,
// is least and at which it is most over a box's builds: two at most of each.
struct LowPassEnds {
    std::array<LowPassEnd, 2> least{};
    std::array<LowPassEnd, 2> most{};
    std::size_t leastCount = 0;
    std::size_t mostCount = 0;
};

// Indexed by ElementKind; an element not in circuit is [0, 0].
struct PartIntervals {
    std::array<PartInterval, kPartCount> parts{};
    // Where set, the low-pass's time constant in µs, known more narrowly than from R3's and C3's
    // intervals (a run of builds ordered by it); C3's interval is not looked at. Without Cout it is
    // C3·(R3 ∥ RL), R3·C3 without RL, and the bounds are of the response's shape without the share
    // RL/(R3 + RL) of its level that a load takes, which the shape normalised at 1 kHz does not
    // see. With Cout it is R3·C3, and R3's interval holds every R3 of the run.
    std::optional<PartInterval> lowPassUs;
    // Where set, with Cout: the output is bounded at these ends, not at the corners of R3's and the
    // time constant's intervals, which hold many pairs no build has.
    std::optional<LowPassEnds> lowPassEnds;

    PartInterval& operator[](ElementKind e) { return parts[Index(e)]; }
    const PartInterval& operator[](ElementKind e) const { return parts[Index(e)]; }
};

// Every element at its own value.
PartIntervals DesignedIntervals(const BuiltNetwork& network);

// The stage is a product of factors: the source's divider, the amplifier and the output network.
// The divider and the amplifier are bounded by a disc, the output network exactly, from the ends
// of its parts' intervals, with Cout or without, and their magnitudes are multiplied. A disc's
// factor is written as an expression in which every part appears once (the feedback network
// through admittances, the finite op-amp as 1/(1/G + 1/A)), so that the disc arithmetic's
// enclosure stays close to the true set of values: a rational function's numerator and
// denominator, bounded apart, would both move with the same part and double its effect. What does
// not vary with the parts (the op-amp's open-loop gain, the cartridge) is worked out once, at
// construction.
class StageEnclosure {
public:
    // network: an active stage; its elements' values are those the intervals leave alone.
    StageEnclosure(const BuiltNetwork& network, double hz);

    MagnitudeBounds operator()(const PartIntervals& parts) const;
    // The factors apart. The source's divider with the amplifier comes times the resistor that sets
    // the gain (gainResistor: R0, or Rin for an inverting stage): the gain falls as that resistor's
    // inverse, so the product hardly spreads with it, and a box wide in it is bounded about as
    // closely as a narrow one, at every frequency. The resistor's 1/R is left a factor of the level
    // alone, the same at every frequency, which the response's shape normalised at 1 kHz does not
    // see. Boxes that differ in the output's parts alone share the first factor.
    MagnitudeBounds scaledAmplifier(const PartIntervals& parts) const;
    ElementKind gainResistor() const;
    MagnitudeBounds output(const PartIntervals& parts) const;
    // With Cout: the output over its share of the level, RL/(RL + R3), which is the same at every
    // frequency. Over a box wide in R3 the share spreads the output alike at each frequency, which
    // bounds taken frequency by frequency cannot see; without it they bound the shape closely.
    // output: what output() gives for the same parts.
    MagnitudeBounds outputOverShare(const PartIntervals& parts, MagnitudeBounds output) const;
    static MagnitudeBounds Product(MagnitudeBounds amplifier, MagnitudeBounds output) {
        return {amplifier.least * output.least * kProductIn, amplifier.most * output.most * kProductOut};
    }

private:
    // A product of two magnitudes within a few roundings of each, taken up outward.
    static constexpr double kProductOut = 1 + 4 * std::numeric_limits<double>::epsilon();
    static constexpr double kProductIn = 1 - 4 * std::numeric_limits<double>::epsilon();

    Disc feedback(const PartIntervals& parts) const;
    // |the output with Cout| of one R3, R3·C3 in µs and 1/Cout, into RL.
    double coupledOutput(double rl, double r3, double tauUs, double coutInverse) const;

    const BuiltNetwork* network_;
    double w_ = 0;                            // rad/µs: µF times Ω is µs
    double wInverse_ = 0;
    std::complex<double> openLoopInverse_;    // 1/A(jω), 0 for an ideal op-amp
    double driveMagnitude_ = 1;               // |the cartridge's divider|: the emf's share at the input
    std::complex<double> driveImpedance_{0};  // the cartridge and its load seen from an inverting input
};

}  // namespace riaa
