#include "engine/Noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "engine/Circuits.h"
#include "engine/Formats.h"

namespace riaa {

namespace {

using C = std::complex<double>;

// Written out: the library's complex division guards against overflow at several times the cost,
// and every impedance here is far from the range where that matters.
C Div(C a, C b) {
    const double r = 1 / (b.real() * b.real() + b.imag() * b.imag());
    return {(a.real() * b.real() + a.imag() * b.imag()) * r, (a.imag() * b.real() - a.real() * b.imag()) * r};
}
double Norm(C a) { return a.real() * a.real() + a.imag() * a.imag(); }
// a ∥ b; 0 where either is a short.
C Par(C a, C b) { return a == C(0) || b == C(0) ? C(0) : Div(a * b, a + b); }
// R ∥ C for C in µF at s in rad/µs; a capacitance of 0 is no capacitor: R alone.
C ParRC(double r, double c, C s) { return Div(C(r), 1.0 + s * (r * c)); }
C Cap(double c, C s) { return Div(C(1), s * c); }

// The slots of the sources: the op-amp's three, the source, then one for each element.
constexpr std::size_t kEn = 0;
constexpr std::size_t kInPlus = 1;
constexpr std::size_t kInMinus = 2;
constexpr std::size_t kSource = 3;
constexpr std::size_t kFirstElement = 4;
constexpr std::size_t kSlots = kFirstElement + kPartCount;
constexpr std::size_t Slot(ElementKind e) { return kFirstElement + Index(e); }

// One frequency: each source's output noise power density in V²/Hz, the gains from the emf to
// the output and to the op-amp's output, and the impedance that output drives.
struct Point {
    std::array<double, kSlots> power{};
    C gainOut;
    C gainOpAmp;
    double loadAdmittance2 = 0;  // |Y|² of what the op-amp's output drives
};

// The design's noise, worked out from its own impedances at each frequency: every source's
// transfer to the output is the circuit's, op-amp model and source included (see Noise.h).
class NoiseModel {
public:
    NoiseModel(const BuiltNetwork& network, const NoiseSettings& s)
        : net_(network), fourKT_(4 * kBoltzmann * (s.temperatureC + kZeroCelsius)), en2_(Sq(s.enNvRtHz * 1e-9)),
          in2_(Sq(s.inPaRtHz * 1e-12)), fce_(s.fceHz), fci_(s.fciHz) {
        if (!net_.opAmp.ideal) {
            a0_ = std::pow(10.0, net_.opAmp.openLoopGainDb / 20);
            tauUs_ = a0_ / (2 * std::numbers::pi * net_.opAmp.gainBandwidthHz) * 1e6;
        }
        for (const ElementKind e : kAllElements) {
            present_[Slot(e)] = net_.has(e) && !IsCapacitor(e) && net_.value(e) > 0;
            if (present_[Slot(e)]) norton_[Index(e)] = fourKT_ / net_.value(e);
        }
        const bool passive = net_.kind == DesignKind::Passive;
        present_[kSource] = net_.source.has_value();
        present_[kEn] = present_[kInMinus] = !passive;
        present_[kInPlus] = !passive && net_.kind != DesignKind::Inverting && net_.source.has_value();
    }

    bool Present(std::size_t slot) const { return present_[slot]; }

    Point At(double hz) const {
        const C s(0, 2 * std::numbers::pi * hz * 1e-6);
        Point p = net_.kind == DesignKind::Passive ? Passive(s) : Active(s, hz);
        for (std::size_t k = 0; k < kSlots; ++k) {
            if (!present_[k]) p.power[k] = 0;
        }
        return p;
    }

private:
    static double Sq(double x) { return x * x; }

    struct Drive {
        C zs{0};       // the impedance the input sees: (Rc + sL) ∥ RL ∥ CL, 0 for an ideal source
        C divider{1};  // what reaches an input that draws no current, per volt of emf
    };
    Drive Source(C s) const {
        if (!net_.source) return {};
        const Cartridge& c = *net_.source;
        const C coil = c.resistance + s * (c.inductanceMh * 1e3);
        const C load = ParRC(c.loadResistance, c.loadCapacitancePf * 1e-6, s);
        return {Div(coil * load, coil + load), Div(load, coil + load)};
    }

    double V(ElementKind e) const { return net_.value(e); }
    // A resistor's noise current density², 4kT/R; 0 for an element that makes none.
    double Norton(ElementKind e) const { return norton_[Index(e)]; }

    // Zf and the Norton share of R1 and R2: the part of each one's noise current that leaves the
    // network's terminals when they are shorted.
    struct Feedback {
        C z;
        C x1;
        C x2;
    };
    Feedback FeedbackAt(C s) const {
        const NetworkForm form = net_.kind == DesignKind::TwoStage ? NetworkForm::A : net_.form;
        const double r1 = V(ElementKind::R1);
        const double c1 = V(ElementKind::C1);
        const C zb = ParRC(V(ElementKind::R2), V(ElementKind::C2), s);
        switch (form) {
            case NetworkForm::A: {
                const C za = ParRC(r1, c1, s);
                const C z = za + zb;
                return {z, Div(za, z), Div(zb, z)};
            }
            case NetworkForm::B: {
                const C branch = Cap(c1, s) + zb;
                return {Par(C(r1), branch), 1.0, Div(zb, branch)};
            }
            case NetworkForm::C: {
                const C branch = r1 + zb;
                return {Div(branch, 1.0 + s * c1 * branch), Div(C(r1), branch), Div(zb, branch)};
            }
            case NetworkForm::D: {
                const C branch = r1 + Cap(c1, s);
                return {Par(zb, branch), Div(C(r1), branch), 1.0};
            }
        }
        return {};
    }

    // R3 and C3 after the op-amp, then Cout into RL or RL across, each where in circuit.
    struct Section {
        C gain{1};     // output over the op-amp's output
        C zout{0};     // seen back from the output, the op-amp's output a short
        C yin{0};      // the admittance it puts on the op-amp's output
    };
    Section OutputAt(C s) const {
        const bool hasR3 = net_.has(ElementKind::R3);
        const bool hasCout = net_.has(ElementKind::Cout);
        const bool hasRl = net_.has(ElementKind::RL);
        const double rl = V(ElementKind::RL);
        const double cout = V(ElementKind::Cout);
        C yload{0};
        if (hasCout) {
            yload = Div(s * cout, 1.0 + s * (rl * cout));
        } else if (hasRl) {
            yload = 1.0 / rl;
        }
        Section out;
        C node{0};  // impedance to ground at the low-pass's node, the op-amp's output a short
        if (hasR3) {
            const double r3 = V(ElementKind::R3);
            const C yb = s * V(ElementKind::C3) + yload;
            out.gain = Div(C(1), 1.0 + r3 * yb);
            out.yin = Div(yb, 1.0 + r3 * yb);
            node = ParRC(r3, V(ElementKind::C3), s);
        } else {
            out.yin = yload;
        }
        if (hasCout) {
            const C through = Div(s * (rl * cout), 1.0 + s * (rl * cout));
            out.gain *= through;
            out.zout = Par(node + Cap(cout, s), C(rl));
        } else if (hasRl) {
            out.zout = Par(node, C(rl));
        }
        return out;
    }

    Point Active(C s, double hz) const {
        const bool inverting = net_.kind == DesignKind::Inverting;
        const Drive drive = Source(s);
        const Feedback f = FeedbackAt(s);
        // The leg from the − input to ground: R0 (+ C0), or for an inverting stage Rin (+ C0) and the source.
        const ElementKind leg = inverting ? ElementKind::Rin : ElementKind::R0;
        C zleg = V(leg);
        if (net_.has(ElementKind::C0)) zleg += Cap(V(ElementKind::C0), s);
        const C zg = inverting ? zleg + drive.zs : zleg;
        const C beta = Div(zg, f.z + zg);
        // Noise gain from the + input: 1/β ideal, A/(1 + Aβ) with the single-pole op-amp.
        C ge = Div(C(1), beta);
        if (!net_.opAmp.ideal) {
            const C a = Div(C(a0_), 1.0 + s * tauUs_);
            ge = Div(a, 1.0 + a * beta);
        }
        // Per ampere into the − input, at the op-amp's output.
        const C hn = ge * Par(f.z, zg);
        const Section out = OutputAt(s);
        const C toOut = hn * out.gain;
        const double en2 = en2_ * (1 + fce_ / hz);
        const double in2 = in2_ * (1 + fci_ / hz);
        const double reZs = drive.zs.real();

        Point p;
        const C plus = ge * out.gain;
        p.power[kEn] = en2 * Norm(plus);
        p.power[kInMinus] = in2 * Norm(toOut);
        p.power[Slot(ElementKind::R1)] = Norton(ElementKind::R1) * Norm(f.x1 * toOut);
        p.power[Slot(ElementKind::R2)] = Norton(ElementKind::R2) * Norm(f.x2 * toOut);
        p.power[Slot(leg)] = Norton(leg) * Norm(Div(C(V(leg)), zg) * toOut);
        if (inverting) {
            p.power[kSource] = fourKT_ * reZs * Norm(Div(toOut, zg));
            p.gainOpAmp = -Div(hn * drive.divider, zg);
        } else {
            p.power[kSource] = fourKT_ * reZs * Norm(plus);
            p.power[kInPlus] = in2 * Norm(drive.zs * plus);
            p.gainOpAmp = ge * drive.divider;
        }
        p.power[Slot(ElementKind::R3)] = fourKT_ * V(ElementKind::R3) * Norm(out.gain);
        p.power[Slot(ElementKind::RL)] = Norton(ElementKind::RL) * Norm(out.zout);
        p.gainOut = p.gainOpAmp * out.gain;
        // The feedback network hangs from the output to ground: through R0 to ground, or to the
        // inverting stage's virtual ground.
        const C yfb = Div(C(1), inverting ? f.z : f.z + zleg);
        p.loadAdmittance2 = Norm(yfb + out.yin);
        return p;
    }

    C Element(ElementKind e, C s) const { return IsCapacitor(e) ? Cap(V(e), s) : C(V(e)); }

    // A branch's impedance and each element's Norton share (see FeedbackAt) in `share`.
    C BranchAt(const Branch& b, C s, std::array<C, 3>& share) const {
        const C za = Element(b.elements[0], s);
        share = {C(1), C(1), C(1)};
        if (b.shape == BranchShape::Single) return za;
        const C zb = Element(b.elements[1], s);
        switch (b.shape) {
            case BranchShape::Series: {
                const C z = za + zb;
                share = {Div(za, z), Div(zb, z), C(1)};
                return z;
            }
            case BranchShape::Parallel: return Par(za, zb);
            case BranchShape::SeriesBesideThird: {
                const C ab = za + zb;
                share = {Div(za, ab), Div(zb, ab), C(1)};
                return Par(ab, Element(b.elements[2], s));
            }
            case BranchShape::ParallelThenThird: {
                const C ab = Par(za, zb);
                const C z = ab + Element(b.elements[2], s);
                share = {Div(ab, z), Div(ab, z), Div(z - ab, z)};
                return z;
            }
            default: return za;
        }
    }

    void AddBranch(Point& p, const Branch& b, std::size_t count, const std::array<C, 3>& share, C transfer) const {
        for (std::size_t i = 0; i < count; ++i) {
            const ElementKind e = b.elements[i];
            if (IsCapacitor(e) || !(V(e) > 0)) continue;
            p.power[Slot(e)] = Norton(e) * Norm(share[i] * transfer);
        }
    }

    static std::size_t Count(BranchShape shape) {
        switch (shape) {
            case BranchShape::Single: return 1;
            case BranchShape::Series:
            case BranchShape::Parallel: return 2;
            default: return 3;
        }
    }

    Point Passive(C s) const {
        const CircuitRow& row = Row(net_.circuit);
        std::array<C, 3> seriesShare{};
        std::array<C, 3> shuntShare{};
        const C zseries = BranchAt(row.series, s, seriesShare);
        C zdown = BranchAt(row.shunt, s, shuntShare);
        if (net_.has(ElementKind::RL)) zdown = Par(zdown, C(V(ElementKind::RL)));
        const C zup = zseries + V(ElementKind::Rs);
        // From the source node (the buffer's output, or the ideal source) to the output, and the
        // impedance at the output with that node a short.
        const C h = Div(zdown, zup + zdown);
        const C zout = Par(zup, zdown);
        const Drive drive = Source(s);
        Point p;
        AddBranch(p, row.series, Count(row.series.shape), seriesShare, zseries * h);
        AddBranch(p, row.shunt, Count(row.shunt.shape), shuntShare, zout);
        p.power[Slot(ElementKind::Rs)] = Norton(ElementKind::Rs) * Norm(V(ElementKind::Rs) * h);
        p.power[Slot(ElementKind::RL)] = Norton(ElementKind::RL) * Norm(zout);
        p.power[kSource] = fourKT_ * drive.zs.real() * Norm(h);
        p.gainOut = drive.divider * h;
        return p;
    }

    const BuiltNetwork& net_;
    double fourKT_;
    double en2_;
    double in2_;
    double fce_;
    double fci_;
    double a0_ = 0;
    double tauUs_ = 0;
    std::array<bool, kSlots> present_{};
    std::array<double, kPartCount> norton_{};
};

std::string SlotName(std::size_t slot) {
    switch (slot) {
        case kEn: return "en";
        case kInPlus: return "in+";
        case kInMinus: return "in-";
        case kSource: return "source";
        default: return std::string(ElementName(kAllElements[slot - kFirstElement]));
    }
}

double MarginDb(const NoiseSettings& s, C gainOpAmp) {
    return 20 * std::log10(s.swingVrms / (std::abs(gainOpAmp) * s.referenceV));
}

double Dbu(double volts) { return 20 * std::log10(volts / kDbuVolts); }

}  // namespace

namespace {

// R_A(f) of IEC 61672-1 without its normalisation.
double AWeightingShape(double hz) {
    const double f2 = hz * hz;
    constexpr double a = 20.6 * 20.6;
    constexpr double b = 107.7 * 107.7;
    constexpr double c = 737.9 * 737.9;
    constexpr double d = 12194.0 * 12194.0;
    return d * f2 * f2 / ((f2 + a) * std::sqrt((f2 + b) * (f2 + c)) * (f2 + d));
}

}  // namespace

double AWeightingPower(double hz) {
    const double ratio = AWeightingShape(hz) / AWeightingShape(1000);
    return ratio * ratio;
}

void CheckNoiseField(NoiseField field, double v) {
    const bool figure = std::isfinite(v) && v >= 0;
    const auto require = [field](bool good, const char* message) {
        if (!good) throw NoiseSettingError(field, message);
    };
    switch (field) {
        case NoiseField::En: require(figure, "en, the op-amp's voltage noise, must be a finite value of 0 or more"); break;
        case NoiseField::Fce: require(figure, "fce, the voltage noise's 1/f corner, must be a finite value of 0 or more"); break;
        case NoiseField::In: require(figure, "in, the op-amp's current noise, must be a finite value of 0 or more"); break;
        case NoiseField::Fci: require(figure, "fci, the current noise's 1/f corner, must be a finite value of 0 or more"); break;
        case NoiseField::Swing: require(std::isfinite(v) && v > 0, "The swing must be a finite value above 0 V"); break;
        case NoiseField::Temperature:
            require(std::isfinite(v) && v > -kZeroCelsius, "The temperature must be above absolute zero, -273.15 \u00B0C");
            break;
        case NoiseField::Reference:
            require(std::isfinite(v) && v > 0, "The reference level must be a finite value above 0 V");
            break;
    }
}

double& FieldOf(NoiseSettings& s, NoiseField field) {
    switch (field) {
        case NoiseField::En: return s.enNvRtHz;
        case NoiseField::Fce: return s.fceHz;
        case NoiseField::In: return s.inPaRtHz;
        case NoiseField::Fci: return s.fciHz;
        case NoiseField::Swing: return s.swingVrms;
        case NoiseField::Temperature: return s.temperatureC;
        case NoiseField::Reference: break;
    }
    return s.referenceV;
}

void CheckNoiseSettings(const NoiseSettings& s) {
    NoiseSettings copy = s;
    for (int f = 0; f < kNoiseFieldCount; ++f) {
        const auto field = static_cast<NoiseField>(f);
        CheckNoiseField(field, FieldOf(copy, field));
    }
}

NoiseFigures EvaluateNoise(const BuiltNetwork& network, const NoiseSettings& settings) {
    CheckNoiseSettings(settings);
    const NoiseModel model(network, settings);
    const bool active = network.kind != DesignKind::Passive;
    // Trapezoids in ln f: ∫S df = ∫S·f d(ln f), 200 steps a decade, three decades.
    constexpr int steps = 3 * kNoisePointsPerDecade;
    const double h = std::log(10.0) / kNoisePointsPerDecade;
    std::array<double, kSlots> flat{};
    double weighted = 0;
    // The margin falls as the gain rises and the load as its admittance does: the loop keeps the
    // largest of each, squared, and the logarithms and roots are taken once.
    double peakGain2 = -1;
    double peakGainHz = 0;
    double peakLoad2 = -1;
    double peakLoadHz = 0;
    Headroom room;
    const double step = std::exp(h);
    const double aAt1kHz = AWeightingShape(1000);
    double grid = kNoiseLowHz;
    for (int k = 0; k <= steps; ++k, grid *= step) {
        // Stepped by a product, not a power each time: 600 steps drift by parts in 10^13.
        const double hz = k == steps ? kNoiseHighHz : grid;
        const Point p = model.At(hz);
        const double w = h * hz * (k == 0 || k == steps ? 0.5 : 1.0);
        double total = 0;
        for (std::size_t i = 0; i < kSlots; ++i) {
            flat[i] += w * p.power[i];
            total += p.power[i];
        }
        const double a = AWeightingShape(hz) / aAt1kHz;
        weighted += w * a * a * total;
        if (!active) continue;
        const double gain2 = Norm(p.gainOpAmp);
        if (gain2 > peakGain2) {
            peakGain2 = gain2;
            peakGainHz = hz;
        }
        if (p.loadAdmittance2 > peakLoad2) {
            peakLoad2 = p.loadAdmittance2;
            peakLoadHz = hz;
        }
        if (k == 0) room.margin20HzDb = MarginDb(settings, p.gainOpAmp);
        if (k == steps) room.margin20kHzDb = MarginDb(settings, p.gainOpAmp);
    }
    room.minMarginDb = 10 * std::log10(settings.swingVrms * settings.swingVrms / (peakGain2 * settings.referenceV * settings.referenceV));
    room.minMarginHz = peakGainHz;
    room.minLoadOhm = 1 / std::sqrt(peakLoad2);
    room.minLoadHz = peakLoadHz;
    const Point mid = model.At(1000);
    const double gain = std::abs(mid.gainOut);
    if (!std::isfinite(gain) || !(gain > 0)) throw EngineError("The design's gain at 1 kHz is zero: it has no noise figures");

    NoiseFigures figures;
    double sum = 0;
    for (const double v : flat) sum += v;
    figures.outputUv = std::sqrt(sum) * 1e6;
    figures.outputAUv = std::sqrt(weighted) * 1e6;
    figures.einUv = figures.outputUv / gain;
    figures.einAUv = figures.outputAUv / gain;
    figures.einDbu = Dbu(figures.einUv * 1e-6);
    figures.einADbu = Dbu(figures.einAUv * 1e-6);
    figures.snrDb = 20 * std::log10(settings.referenceV / (figures.einUv * 1e-6));
    figures.snrADb = 20 * std::log10(settings.referenceV / (figures.einAUv * 1e-6));
    if (!std::isfinite(figures.outputUv) || !std::isfinite(figures.snrDb) || !(sum > 0)) {
        throw EngineError("The noise of this design cannot be worked out");
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (model.Present(i)) figures.shares.push_back({SlotName(i), flat[i] / sum});
    }
    std::stable_sort(figures.shares.begin(), figures.shares.end(),
                     [](const NoiseShare& a, const NoiseShare& b) { return a.share > b.share; });
    if (active) {
        room.margin1kHzDb = MarginDb(settings, mid.gainOpAmp);
        figures.headroom = room;
    }
    return figures;
}

NoiseSpectrum EvaluateNoiseSpectrum(const BuiltNetwork& network, const NoiseSettings& settings, int points) {
    CheckNoiseSettings(settings);
    if (points < 2) throw EngineError("A noise spectrum needs at least two points");
    const NoiseModel model(network, settings);
    NoiseSpectrum spectrum;
    std::vector<std::size_t> slots;
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (!model.Present(i)) continue;
        slots.push_back(i);
        spectrum.names.push_back(SlotName(i));
    }
    spectrum.inputDensity.assign(slots.size(), std::vector<double>(static_cast<std::size_t>(points)));
    const double decades = std::log10(kNoiseHighHz / kNoiseLowHz);
    for (int k = 0; k < points; ++k) {
        const double hz = k == points - 1 ? kNoiseHighHz : kNoiseLowHz * std::pow(10.0, decades * k / (points - 1));
        const Point p = model.At(hz);
        const double gain = std::abs(p.gainOut);
        double total = 0;
        for (std::size_t j = 0; j < slots.size(); ++j) {
            spectrum.inputDensity[j][static_cast<std::size_t>(k)] = std::sqrt(p.power[slots[j]]) / gain;
            total += p.power[slots[j]];
        }
        spectrum.hz.push_back(hz);
        spectrum.totalInputDensity.push_back(std::sqrt(total) / gain);
        if (network.kind != DesignKind::Passive) spectrum.marginDb.push_back(MarginDb(settings, p.gainOpAmp));
    }
    return spectrum;
}

}  // namespace riaa
