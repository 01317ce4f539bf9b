#include "engine/FeedbackNetworks.h"

#include <cmath>
#include <string>

#include "engine/Formats.h"
#include "engine/RecordedTransfer.h"
#include "engine/SpiceLine.h"

namespace riaa {

namespace {

const char* FormName(NetworkForm form) {
    switch (form) {
        case NetworkForm::A: return "A";
        case NetworkForm::B: return "B";
        case NetworkForm::C: return "C";
        case NetworkForm::D: return "D";
    }
    return "?";
}

// Every form for Rdc = 1 Ω: its resistances scale with Rdc and its capacitances inversely.
FeedbackValues UnitDesign(NetworkForm form, const CurveTimeConstants& tc) {
    const double ta = tc.bassUs;
    const double tz = tc.zeroUs;
    const double tb = tc.trebleUs;
    FeedbackValues v;
    switch (form) {
        case NetworkForm::A: {
            // Written so that Tb = 0 leaves R2 = Tz/Ta and no C2.
            v.R1 = (ta - tz) / (ta - tb);
            v.R2 = (tz - tb) / (ta - tb);
            v.C1 = ta / v.R1;
            v.C2 = tb / v.R2;
            break;
        }
        case NetworkForm::B: {
            v.R1 = 1;
            v.C1 = ta + tb - tz;
            const double t2 = ta * tb / (ta + tb - tz);
            // Tz − T2 in its factored form, (Ta − Tz)(Tz − Tb)/(Ta + Tb − Tz), keeps its digits when Tb is near Tz.
            v.R2 = (ta - tz) * (tz - tb) / (ta + tb - tz) / v.C1;
            v.C2 = t2 / v.R2;
            break;
        }
        case NetworkForm::C: {
            v.C1 = ta * tb / tz;
            const double t2 = ta + tb - ta * tb / tz;
            v.R1 = tz / t2;
            // 1 − Tz/T2 = (Ta − Tz)(Tz − Tb) / (Tz·T2), free of the cancellation.
            v.R2 = (ta - tz) * (tz - tb) / (tz * t2);
            v.C2 = t2 / v.R2;
            break;
        }
        case NetworkForm::D: {
            v.R2 = 1;
            v.C2 = ta * tb / tz;
            v.C1 = (ta - tz) * (tz - tb) / tz;
            v.R1 = tz / v.C1;
            break;
        }
    }
    return v;
}

FeedbackValues Scaled(const FeedbackValues& unit, double k) {
    return {unit.R1 * k, unit.C1 / k, unit.R2 * k, unit.C2 / k};
}

}  // namespace

void CheckCurveForForm(NetworkForm form, const CurveTimeConstants& tc) {
    const bool finite = std::isfinite(tc.bassUs) && std::isfinite(tc.zeroUs) && std::isfinite(tc.trebleUs);
    if (!finite || !(tc.bassUs > tc.zeroUs && tc.zeroUs > tc.trebleUs && tc.trebleUs >= 0)) {
        throw EngineError("The curve's time constants must fall in order: bass pole, zero, treble pole");
    }
    if (tc.trebleUs == 0 && form != NetworkForm::A) {
        throw EngineError(std::string("Form ") + FormName(form) +
                          " cannot realise a curve without a treble pole; form A can, without C2");
    }
}


double DcResistance(NetworkForm form, const FeedbackValues& v) {
    // Form C's C1 is open at DC, leaving R1 + R2; form B's C1 and form D's C1 block every path but one resistor.
    switch (form) {
        case NetworkForm::A:
        case NetworkForm::C: return v.R1 + v.R2;
        case NetworkForm::B: return v.R1;
        case NetworkForm::D: return v.R2;
    }
    return 0;
}

FeedbackValues DesignFeedbackNetwork(NetworkForm form, const CurveTimeConstants& tc, double rdcOhms) {
    CheckCurveForForm(form, tc);
    if (!std::isfinite(rdcOhms) || !(rdcOhms > 0)) {
        throw EngineError("The network's DC resistance must be greater than zero");
    }
    const FeedbackValues unit = UnitDesign(form, tc);
    return Scaled(unit, rdcOhms / DcResistance(form, unit));
}

FeedbackValues DesignFeedbackNetworkForC1(NetworkForm form, const CurveTimeConstants& tc, double c1Microfarads) {
    CheckCurveForForm(form, tc);
    if (!std::isfinite(c1Microfarads) || !(c1Microfarads > 0)) throw EngineError("C1 must be greater than zero");
    const FeedbackValues unit = UnitDesign(form, tc);
    return Scaled(unit, unit.C1 / c1Microfarads);
}

template <typename T>
BasicRatio<T> FeedbackImpedance(NetworkForm form, const PartValues<T>& parts) {
    const BasicRatio<T> r1 = Constant(parts[ElementKind::R1]);
    const BasicRatio<T> r2 = Constant(parts[ElementKind::R2]);
    const BasicRatio<T> c1 = CapacitorImpedance(parts[ElementKind::C1]);
    // Without C2, R2 ∥ C2 is R2 alone: a capacitor of 0 µF is an open circuit beside it.
    const BasicRatio<T> r2c2 = Beside(r2, CapacitorImpedance(parts[ElementKind::C2]));
    switch (form) {
        case NetworkForm::A: return InSeries(Beside(r1, c1), r2c2);
        case NetworkForm::B: return Beside(r1, InSeries(c1, r2c2));
        case NetworkForm::C: return Beside(c1, InSeries(r1, r2c2));
        case NetworkForm::D: return Beside(r2c2, InSeries(r1, c1));
    }
    return Constant(T(0));
}
template BasicRatio<double> FeedbackImpedance(NetworkForm, const PartValues<double>&);
template BasicRatio<Lanes> FeedbackImpedance(NetworkForm, const PartValues<Lanes>&);
template BasicRatio<RecordedValue> FeedbackImpedance(NetworkForm, const PartValues<RecordedValue>&);

Ratio FeedbackImpedance(NetworkForm form, const BuiltNetwork& network) {
    return FeedbackImpedance(form, DesignedValues(network));
}

std::string FeedbackNetlist(NetworkForm form, const BuiltNetwork& network, const std::string& from,
                            const std::string& to, const std::string& nodePrefix) {
    const double r1 = network.value(ElementKind::R1);
    const double r2 = network.value(ElementKind::R2);
    const double c1 = network.value(ElementKind::C1);
    const double c2 = network.value(ElementKind::C2);
    const bool hasC2 = network.has(ElementKind::C2);
    const std::string mid = nodePrefix + "1";
    std::string lines;
    // The pair R2 ∥ C2 sits between the same two nodes in every form but D's.
    const auto r2c2 = [&](const std::string& a, const std::string& b) {
        lines += SpiceLine(ElementKind::R2, a, b, r2);
        if (hasC2) lines += SpiceLine(ElementKind::C2, a, b, c2);
    };
    switch (form) {
        case NetworkForm::A:
            lines += SpiceLine(ElementKind::R1, from, mid, r1);
            lines += SpiceLine(ElementKind::C1, from, mid, c1);
            r2c2(mid, to);
            break;
        case NetworkForm::B:
            lines += SpiceLine(ElementKind::R1, from, to, r1);
            lines += SpiceLine(ElementKind::C1, from, mid, c1);
            r2c2(mid, to);
            break;
        case NetworkForm::C:
            lines += SpiceLine(ElementKind::C1, from, to, c1);
            lines += SpiceLine(ElementKind::R1, from, mid, r1);
            r2c2(mid, to);
            break;
        case NetworkForm::D:
            r2c2(from, to);
            lines += SpiceLine(ElementKind::R1, from, mid, r1);
            lines += SpiceLine(ElementKind::C1, mid, to, c1);
            break;
    }
    return lines;
}

}  // namespace riaa
