#include "engine/ActiveStage.h"

#include <cmath>
#include <numbers>

#include "engine/Formats.h"
#include "engine/RecordedTransfer.h"
#include "engine/SpiceLine.h"

namespace riaa {

namespace {

// A ratio in dB for a message: two decimals with a point, whatever the C library's locale.
std::string DbText(double ratio) { return FixedDecibels(20 * std::log10(ratio), 2); }

// |H(0)| over |H(1 kHz)| for the curve's shape, with the coupling high-pass at 1 kHz where the
// stage has one: the DC gain that gives the typed gain there.
double LowToMidRatio(const CurveTimeConstants& tc, bool coupling) {
    const Ratio shape{Polynomial{1, tc.zeroUs}, Polynomial{1, tc.bassUs} * Polynomial{1, tc.trebleUs}};
    double mid = PowerRatio(shape, MakeFrequency(kReferenceHz));
    if (coupling) {
        mid *=
            PowerRatio({Polynomial{0, kIecAmendmentUs}, Polynomial{1, kIecAmendmentUs}}, MakeFrequency(kReferenceHz));
    }
    return std::sqrt(PowerRatio(shape, MakeFrequency(0)) / mid);
}

void CheckRequest(const ActiveStageRequest& r) {
    if (r.stage == DesignKind::Passive) throw EngineError("Choose a non-inverting, inverting or two-stage design");
    if (!std::isfinite(r.gain1kHzDb)) throw EngineError("The gain at 1 kHz must be a finite value");
    const ElementKind scaled =
        r.scaleByC1 ? ElementKind::C1 : r.stage == DesignKind::Inverting ? ElementKind::Rin : ElementKind::R0;
    CheckPartValue(scaled, r.scale, ZeroOhms::Refused);
    CheckOpAmp(r.opAmp);
    if (r.c0) CheckDesignedPartValue(ElementKind::C0, *r.c0);
    if (r.rl) CheckDesignedPartValue(ElementKind::RL, *r.rl);
    if (r.curve.iecAmendment && !r.rl) {
        throw EngineError("The IEC coupling capacitor needs the next stage's input resistance RL");
    }
}

void SetFeedback(BuiltNetwork& net, const FeedbackValues& v, bool withC2) {
    net.set(ElementKind::R1, v.R1);
    net.set(ElementKind::C1, v.C1);
    net.set(ElementKind::R2, v.R2);
    if (withC2) net.set(ElementKind::C2, v.C2);
}

// C3 and Cout of R3 → C3 → Cout → RL with the ladder's poles at exactly τ and the coupling's 7950 µs.
// Its denominator (1 + sRL·Cout)(1 + sR3·C3) + sR3·Cout has the time constants' sum RL·Cout + R3·C3 +
// R3·Cout = To + τ and product RL·Cout·R3·C3 = To·τ; C3 from the product leaves
// (RL + R3)·Cout² − (To + τ)·Cout + To·τ/RL = 0, whose larger root gives τ to R3·C3. Cout = To/RL
// alone would let R3 move the high-pass: 0.4 dB at 20 Hz for 1 kΩ into 10 kΩ.
struct CoupledLowPass {
    double c3 = 0;
    double cout = 0;
};
CoupledLowPass Coupled(double r3, double rl, double tauUs) {
    const double sum = kIecAmendmentUs + tauUs;
    const double discriminant = sum * sum - 4 * (rl + r3) * kIecAmendmentUs * tauUs / rl;
    if (!(discriminant >= 0)) throw EngineError("RL is too low against R3 for the coupling capacitor");
    const double cout = (sum + std::sqrt(discriminant)) / (2 * (rl + r3));
    return {kIecAmendmentUs * tauUs / (rl * cout * r3), cout};
}

// What loads the low-pass after the op-amp: RL where in circuit, through Cout with the coupling.
struct LowPassLoad {
    std::optional<double> rl;
    bool coupling = false;
};

// The low-pass's gain at midband, where C3 is open and Cout a short: RL's share against R3, which
// with the coupling is RL·Cout/To.
double LowPassShare(const ActiveStageRequest& r, const LowPassLoad& load, double tauUs) {
    CheckDesignedPartValue(ElementKind::R3, r.r3);
    if (!load.rl) return 1;
    if (load.coupling) return *load.rl * Coupled(r.r3, *load.rl, tauUs).cout / kIecAmendmentUs;
    return *load.rl / (r.r3 + *load.rl);
}

// The passive low-pass after the op-amp: R3 as given, C3 for this time constant into its load.
void SetLowPass(BuiltNetwork& net, const ActiveStageRequest& r, const LowPassLoad& load, double tauUs) {
    net.set(ElementKind::R3, r.r3);
    if (!load.rl) {
        net.set(ElementKind::C3, tauUs / r.r3);
    } else if (load.coupling) {
        const CoupledLowPass parts = Coupled(r.r3, *load.rl, tauUs);
        net.set(ElementKind::C3, parts.c3);
        net.set(ElementKind::Cout, parts.cout);
    } else {
        net.set(ElementKind::C3, tauUs / (r.r3 * *load.rl / (r.r3 + *load.rl)));
    }
}

void DesignNonInverting(BuiltNetwork& net, const ActiveStageRequest& r, const CurveTimeConstants& tc, double gain,
                        double ratio) {
    const bool lowPass = r.highFrequencyZero == HighFrequencyZero::Pole && tc.trebleUs > 0;
    // Only with the coupling is RL in circuit, and then it loads the correction's R3.
    const LowPassLoad load{r.curve.iecAmendment ? r.rl : std::nullopt, r.curve.iecAmendment};
    double share = 1;
    double a = gain * ratio;
    double t4 = 0;
    if (r.highFrequencyZero == HighFrequencyZero::At3_18us) {
        if (!(tc.trebleUs > kZero3_18Us)) {
            throw EngineError("A zero at 3.18 \u00B5s needs a curve whose treble pole lies above 3.18 \u00B5s");
        }
        t4 = kZero3_18Us;
        a = tc.bassUs * tc.trebleUs / (tc.zeroUs * t4);
    } else if (lowPass) {
        // The share depends on T4 only through Cout, by parts in 10^4: a few rounds settle it to the last digit.
        for (int round = 0; round < 4; ++round) {
            a = gain * ratio / share;
            t4 = tc.bassUs * tc.trebleUs / (a * tc.zeroUs);
            share = LowPassShare(r, load, t4);
        }
        a = gain * ratio / share;
        t4 = tc.bassUs * tc.trebleUs / (a * tc.zeroUs);
    }
    if (!(a > 1)) {
        throw EngineError("The gain is too low for a non-inverting stage: its gain cannot fall below 1 (at least " +
                          DbText(share / ratio) + " at 1 kHz)");
    }
    CurveTimeConstants network = tc;
    if (r.highFrequencyZero != HighFrequencyZero::None) {
        // 1 + Zf/R0 = A(1 + sTz)(1 + sT4) / ((1 + sTa)(1 + sTb)) when Zf's own zero sits at
        // T2' = (A(Tz + T4) − (Ta + Tb)) / (A − 1): the s terms of both numerators then agree.
        network.zeroUs = (a * (tc.zeroUs + t4) - (tc.bassUs + tc.trebleUs)) / (a - 1);
        // T2' − Tb = (Tz − Tb)(A − Ta/Tz)/(A − 1): below Ta/Tz the network's zero falls under its pole.
        if (!(network.zeroUs > tc.trebleUs)) {
            throw EngineError("The gain is too low to cancel the stage's extra zero: at least " +
                              DbText(tc.bassUs / tc.zeroUs * share / ratio) + " at 1 kHz, or leave the zero");
        }
    }
    FeedbackValues v;
    if (r.scaleByC1) {
        v = DesignFeedbackNetworkForC1(r.form, network, r.scale);
        net.set(ElementKind::R0, DcResistance(r.form, v) / (a - 1));
    } else {
        net.set(ElementKind::R0, r.scale);
        v = DesignFeedbackNetwork(r.form, network, (a - 1) * r.scale);
    }
    SetFeedback(net, v, tc.trebleUs > 0);
    if (lowPass) SetLowPass(net, r, load, t4);
}

void DesignInverting(BuiltNetwork& net, const ActiveStageRequest& r, const CurveTimeConstants& tc, double gain,
                     double ratio) {
    const double a = gain * ratio;
    FeedbackValues v;
    if (r.scaleByC1) {
        v = DesignFeedbackNetworkForC1(r.form, tc, r.scale);
        net.set(ElementKind::Rin, DcResistance(r.form, v) / a);
    } else {
        net.set(ElementKind::Rin, r.scale);
        v = DesignFeedbackNetwork(r.form, tc, a * r.scale);
    }
    SetFeedback(net, v, tc.trebleUs > 0);
}

void DesignTwoStage(BuiltNetwork& net, const ActiveStageRequest& r, const CurveTimeConstants& tc, double gain,
                    double ratio) {
    const bool lowPass = tc.trebleUs > 0;
    const LowPassLoad load{r.rl, r.curve.iecAmendment};
    const double share = lowPass ? LowPassShare(r, load, tc.trebleUs) : 1;
    // The first stage's DC gain A1 = (R0 + R1 + R2)/R0 with R1 = (Ta/Tz − 1)(R0 + R2) gives
    // R0 + R2 = R0·A1·Tz/Ta: R2 is what A1·Tz/Ta leaves above 1, in units of R0.
    const double a1 = gain * ratio / share;
    const double r2OverR0 = a1 * tc.zeroUs / tc.bassUs - 1;
    if (!(r2OverR0 > 0)) {
        throw EngineError("The gain is too low for two stages: R2 would be below 0 (at least " +
                          DbText(tc.bassUs / tc.zeroUs * share / ratio) + " at 1 kHz)");
    }
    double r0 = r.scale;
    double r1 = (tc.bassUs / tc.zeroUs - 1) * r0 * (1 + r2OverR0);
    if (r.scaleByC1) {
        r1 = tc.bassUs / r.scale;
        r0 = r1 / ((tc.bassUs / tc.zeroUs - 1) * (1 + r2OverR0));
    }
    net.set(ElementKind::R0, r0);
    net.set(ElementKind::R1, r1);
    net.set(ElementKind::C1, tc.bassUs / r1);
    net.set(ElementKind::R2, r0 * r2OverR0);
    if (lowPass) SetLowPass(net, r, load, tc.trebleUs);
    if (r.rl) net.set(ElementKind::RL, *r.rl);
}

// What drives the stage in place of an ideal source: a cartridge's emf behind its impedance, with
// its load at the stage's input. A non-inverting input takes the divider's share of the emf; an
// inverting stage's Rin draws current, so there the cartridge and its load count as impedances.
template <typename T>
struct StageDrive {
    BasicRatio<T> cartridge;  // Rc + sL
    BasicRatio<T> load;       // RL ∥ CL
    BasicRatio<T> divider;    // what reaches an input that draws no current, per volt of emf
};

// The passive section after the op-amp's output: R3 with C3 to ground, then Cout into RL, or RL
// straight across; each where in circuit.
template <typename T>
BasicRatio<T> OutputSection(const BuiltNetwork& net, const PartValues<T>& parts) {
    using P = BasicPolynomial<T>;
    const T& r3 = parts[ElementKind::R3];
    const T& c3 = parts[ElementKind::C3];
    const T& rl = parts[ElementKind::RL];
    // The load beyond C3 as an admittance nY/dY.
    P nY{T(0)};
    P dY{T(1)};
    if (net.has(ElementKind::Cout)) {
        const T& cout = parts[ElementKind::Cout];
        nY = P{T(0), cout};
        dY = P{T(1), rl * cout};
    } else if (net.has(ElementKind::RL)) {
        nY = P{T(1)};
        dY = P{rl};
    }
    const P den = dY + r3 * (P{T(0), c3} * dY + nY);
    // Through Cout only RL's part of the load's voltage reaches the output, sRL·Cout/(1 + sRL·Cout);
    // writing it over the same dY leaves no pole and zero to cancel.
    if (net.has(ElementKind::Cout)) return {P{T(0), rl * parts[ElementKind::Cout]}, den};
    return {dY, den};
}

template <typename T>
BasicRatio<T> NonInvertingTransfer(const BuiltNetwork& net, const PartValues<T>& parts, const StageDrive<T>* drive) {
    using P = BasicPolynomial<T>;
    const NetworkForm form = FeedbackForm(net);
    const BasicRatio<T> zf = FeedbackImpedance(form, parts);
    // Z0 = z/zd: R0, or R0 + 1/(sC0) = (1 + sR0C0)/(sC0).
    P z{parts[ElementKind::R0]};
    P zd{T(1)};
    if (net.has(ElementKind::C0)) {
        const T& c0 = parts[ElementKind::C0];
        z = P{T(1), parts[ElementKind::R0] * c0};
        zd = P{T(0), c0};
    }
    // 1 + Zf/Z0 = (Z0 + Zf)/Z0 over one denominator.
    const P n = z * zf.den + zf.num * zd;
    const P d = zf.den * z;
    BasicRatio<T> g{n, d};
    if (!net.opAmp.ideal) {
        // G/(1 + G/Aol) with Aol = a/(1 + sτ): N·a / (D·a + N(1 + sτ)).
        const double a = OpenLoopGain(net.opAmp);
        g = {a * n, a * d + n * P{T(1), T(OpenLoopPoleUs(net.opAmp, a))}};
    }
    if (drive) g = g * drive->divider;
    return g;
}

template <typename T>
BasicRatio<T> InvertingTransfer(const BuiltNetwork& net, const PartValues<T>& parts, const StageDrive<T>* drive) {
    using P = BasicPolynomial<T>;
    const BasicRatio<T> zf = FeedbackImpedance(net.form, parts);
    // Zr = rn/rd: Rin, or Rin + 1/(sC0).
    P rn{parts[ElementKind::Rin]};
    P rd{T(1)};
    if (net.has(ElementKind::C0)) {
        const T& c0 = parts[ElementKind::C0];
        rn = P{T(1), parts[ElementKind::Rin] * c0};
        rd = P{T(0), c0};
    }
    // The current into the − input per volt of the drive's emf is en/ed; m is the denominator the
    // cartridge's Thevenin voltage and impedance share (1 for an ideal source). With Zc = c/cd and
    // ZL = l/ld: Vth = l·cd/m, Zth = c·l/m, m = c·ld + l·cd, so Vth/(Zth + Zr) = l·cd·rd/(c·l·rd + rn·m).
    P en = rd;
    P ed = rn;
    P m{T(1)};
    if (drive) {
        const P& c = drive->cartridge.num;
        const P& cd = drive->cartridge.den;
        const P& l = drive->load.num;
        const P& ld = drive->load.den;
        m = c * ld + l * cd;
        en = l * cd * rd;
        ed = c * l * rd + rn * m;
    }
    // Zf/Zin = p/q with Zin = Zth + Zr = ed/(m·rd); the output is −Zf times that current.
    const P num = -1.0 * (zf.num * en);
    const P q = zf.den * ed;
    if (net.opAmp.ideal) return {num, q};
    // −(p/q)·Vth / (1 + (1 + p/q)/Aol) = −p·Vth·a / (q·a + (q + p)(1 + sτ)).
    const double a = OpenLoopGain(net.opAmp);
    const P p = zf.num * m * rd;
    return {a * num, a * q + (q + p) * P{T(1), T(OpenLoopPoleUs(net.opAmp, a))}};
}

std::string PartLine(const BuiltNetwork& net, ElementKind e, const std::string& a, const std::string& b) {
    return SpiceLine(e, a, b, net.value(e));
}

// A voltage-controlled source of the op-amp's gain from (plus − minus) to `out`.
std::string OpAmpNetlist(const OpAmp& opAmp, const std::string& plus, const std::string& minus,
                         const std::string& out) {
    if (opAmp.ideal) return "Eopa " + out + " 0 " + plus + " " + minus + " 1e9\n";
    // A0 into 1 Ω and a capacitor of τ seconds, buffered: A0/(1 + sτ) at the output.
    const double tauSeconds = OpenLoopPoleUs(opAmp) / 1e6;
    return "Eopa a_ol 0 " + plus + " " + minus + " " + ShortestExactText(OpenLoopGain(opAmp)) + "\n" +
           SpiceLine("Ropa", "a_ol", "a_pole", 1) + SpiceLine("Copa", "a_pole", "0", tauSeconds) + "Ebuf " +
           out + " 0 a_pole 0 1\n";
}

}  // namespace

double OpenLoopGain(const OpAmp& opAmp) { return std::pow(10.0, opAmp.openLoopGainDb / 20); }

double OpenLoopPoleUs(const OpAmp& opAmp, double openLoopGain) {
    return openLoopGain / (2 * std::numbers::pi * opAmp.gainBandwidthHz) * 1e6;
}
double OpenLoopPoleUs(const OpAmp& opAmp) { return OpenLoopPoleUs(opAmp, OpenLoopGain(opAmp)); }

void CheckOpAmp(const OpAmp& opAmp) {
    if (opAmp.ideal) return;
    const NumberLocale point{};
    if (!(opAmp.openLoopGainDb > 0 && opAmp.openLoopGainDb <= kLargestOpenLoopGainDb)) {
        throw EngineError("The op-amp's open-loop gain must lie between 0 dB and " +
                          RenderNumber(kLargestOpenLoopGainDb, patterns::Whole, point) + " dB");
    }
    if (!(opAmp.gainBandwidthHz >= kSmallestGainBandwidthHz && opAmp.gainBandwidthHz <= kLargestGainBandwidthHz)) {
        throw EngineError("The op-amp's gain-bandwidth product must lie between " +
                          RenderNumber(kSmallestGainBandwidthHz, patterns::Whole, point) + " Hz and " +
                          RenderNumber(kLargestGainBandwidthHz / 1e12, patterns::Whole, point) + " THz");
    }
}

BuiltNetwork DesignActiveStage(const ActiveStageRequest& request, const CurveTimeConstants& tc) {
    CheckRequest(request);
    CheckCurveForForm(FeedbackForm(request.stage, request.form), tc);
    BuiltNetwork net;
    net.kind = request.stage;
    net.form = FeedbackForm(request.stage, request.form);
    net.highFrequencyZero = request.highFrequencyZero;
    net.opAmp = request.opAmp;
    net.curve = request.curve;

    const bool coupling = request.curve.iecAmendment;
    const double gain = std::pow(10.0, request.gain1kHzDb / 20);
    if (!std::isfinite(gain)) throw EngineError("The gain at 1 kHz is too high to build");
    const double ratio = LowToMidRatio(tc, coupling);
    switch (request.stage) {
        case DesignKind::NonInverting: DesignNonInverting(net, request, tc, gain, ratio); break;
        case DesignKind::Inverting: DesignInverting(net, request, tc, gain, ratio); break;
        case DesignKind::TwoStage: DesignTwoStage(net, request, tc, gain, ratio); break;
        case DesignKind::Passive: break;
    }
    if (request.c0) net.set(ElementKind::C0, *request.c0);
    if (coupling) {
        net.set(ElementKind::RL, *request.rl);
        // Straight from the op-amp's output the coupling is To/RL; after a low-pass, that set it.
        if (!net.has(ElementKind::Cout)) net.set(ElementKind::Cout, kIecAmendmentUs / *request.rl);
    }
    for (const ElementKind e : kAllElements) {
        if (net.has(e)) CheckDesignedPartValue(e, net.value(e));
    }
    return net;
}

template <typename T>
BasicRatio<T> ActiveStageTransfer(const BuiltNetwork& network, const PartValues<T>& parts) {
    std::optional<StageDrive<T>> drive;
    if (network.source) {
        const Cartridge& c = *network.source;
        const BasicRatio<T> cartridge = CartridgeImpedance<T>(c);
        const BasicRatio<T> load = LoadImpedance(c, parts.loadCapacitancePf);
        drive = StageDrive<T>{cartridge, load, Divider(cartridge, load)};
    }
    const StageDrive<T>* through = drive ? &*drive : nullptr;
    const BasicRatio<T> stage = network.kind == DesignKind::Inverting ? InvertingTransfer(network, parts, through)
                                                                      : NonInvertingTransfer(network, parts, through);
    return stage * OutputSection(network, parts);
}
template BasicRatio<double> ActiveStageTransfer(const BuiltNetwork&, const PartValues<double>&);
template BasicRatio<Lanes> ActiveStageTransfer(const BuiltNetwork&, const PartValues<Lanes>&);
template BasicRatio<RecordedValue> ActiveStageTransfer(const BuiltNetwork&, const PartValues<RecordedValue>&);

Ratio ActiveStageTransfer(const BuiltNetwork& network) { return ActiveStageTransfer(network, DesignedValues(network)); }

StageFigures ActiveStageFigures(const BuiltNetwork& network) {
    StageFigures figures;
    const bool blocked = network.has(ElementKind::C0) || network.has(ElementKind::Cout);
    BuiltNetwork alone = network;
    alone.source.reset();
    const Ratio h = ActiveStageTransfer(alone);
    const auto gainDb = [&h](double hz, const char* where) {
        const double level = std::abs(Evaluate(h, hz));
        if (!std::isfinite(level) || !(level > 0)) {
            throw EngineError(std::string("The stage's gain at ") + where + " cannot be worked out");
        }
        return 20 * std::log10(level);
    };
    figures.gainDcDb = gainDb(blocked ? 20 : 0, "DC");
    figures.gain1kHzDb = gainDb(kReferenceHz, "1 kHz");
    if (network.kind == DesignKind::Inverting) return figures;
    // The zeros of 1 + Zf/R0, C0 a short: a network with as many poles as zeros (the two-stage's
    // (R1 ∥ C1) + R2) adds none, one with a pole more adds one, the smallest time constant.
    const NetworkForm form = FeedbackForm(network);
    const Ratio zf = FeedbackImpedance(form, network);
    const Polynomial zeros = network.value(ElementKind::R0) * zf.den + zf.num;
    if (zeros.Degree() > zf.num.Degree()) {
        const double t4 = TimeConstantsOf(zeros).front();
        figures.extraZeroHz = 1e6 / (2 * std::numbers::pi * t4);
    }
    return figures;
}

std::string ActiveStageNetlist(const BuiltNetwork& network) {
    const bool lowPass = network.has(ElementKind::R3);
    const bool coupling = network.has(ElementKind::Cout);
    // The op-amp drives "out" itself unless a low-pass or the coupling comes after it.
    const std::string opamp = lowPass || coupling ? "a_opamp" : "out";
    const std::string afterLowPass = lowPass ? (coupling ? "a_lp" : "out") : opamp;
    std::string lines;
    if (network.kind == DesignKind::Inverting) {
        std::string rinEnd = "a_minus";
        if (network.has(ElementKind::C0)) {
            rinEnd = "a_c0";
            lines += PartLine(network, ElementKind::C0, rinEnd, "a_minus");
        }
        lines += PartLine(network, ElementKind::Rin, "in", rinEnd);
        lines += FeedbackNetlist(network.form, network, "a_minus", opamp, "a_zf");
        lines += OpAmpNetlist(network.opAmp, "0", "a_minus", opamp);
    } else {
        const NetworkForm form = FeedbackForm(network);
        lines += OpAmpNetlist(network.opAmp, "in", "a_minus", opamp);
        lines += FeedbackNetlist(form, network, opamp, "a_minus", "a_zf");
        std::string r0End = "0";
        if (network.has(ElementKind::C0)) {
            r0End = "a_c0";
            lines += PartLine(network, ElementKind::C0, r0End, "0");
        }
        lines += PartLine(network, ElementKind::R0, "a_minus", r0End);
    }
    if (lowPass) {
        lines += PartLine(network, ElementKind::R3, opamp, afterLowPass);
        lines += PartLine(network, ElementKind::C3, afterLowPass, "0");
    }
    if (coupling) lines += PartLine(network, ElementKind::Cout, afterLowPass, "out");
    if (network.has(ElementKind::RL)) lines += PartLine(network, ElementKind::RL, "out", "0");
    return lines;
}

}  // namespace riaa
