#include "engine/Network.h"

#include <cmath>

#include "engine/Circuits.h"

namespace riaa {

namespace {

bool AllFinite(const std::array<double, kElementCount>& v) {
    for (const double x : v) {
        if (!std::isfinite(x)) return false;
    }
    return true;
}

// R1 corrected for the source and the load that the options include; -1 marks an R1 that they
// leave no room for. Where R1 is the shunt to ground, Rs joins it before RL is taken off.
double CorrectR1(const CircuitRow& row, double r1, const NetworkState& state, const CalculationOptions& options) {
    const bool r1IsShunt = row.shunt.shape == BranchShape::Single && row.shunt.elements[0] == ElementKind::R1;
    if (options.IncludeRL && options.IncludeRs && r1IsShunt) {
        const double t = r1 - state.Rs;
        return t > 0 && state.RL > t ? 1 / (1 / t - 1 / state.RL) : -1.0;
    }
    if (options.IncludeRL) {
        if (!(state.RL > r1)) return -1.0;
        r1 = 1 / (1 / r1 - 1 / state.RL);
    }
    if (options.IncludeRs) r1 -= state.Rs;
    return r1;
}

NetworkWarning ChooseWarning(const CalculationOptions& options) {
    if (options.IncludeRs && options.IncludeRL) return NetworkWarning::LoadAndSeries;
    if (options.IncludeRs) return NetworkWarning::SeriesTooHigh;
    if (options.IncludeRL) return NetworkWarning::LoadTooLow;
    return NetworkWarning::None;
}

}  // namespace

CalculationResult CalculateNetwork(NetworkState& state, CircuitKind circuit, const CalculationOptions& options,
                                   const ValueList& resistors, const NumberLocale& locale) {
    const double c1 = state.CircuitC1[Index(circuit)];
    if (c1 == 0) throw DivisionByZeroError();
    std::array<double, kElementCount> v = DeriveFromC1(circuit, c1);
    double& r1 = v[Index(ElementKind::R1)];
    double& r2 = v[Index(ElementKind::R2)];
    r1 = CorrectR1(Row(circuit), r1, state, options);
    if (!AllFinite(v)) throw OverflowError();

    CalculationResult result;
    if (r1 < 0) {
        result.alert = true;
        result.warning = ChooseWarning(options);
    }
    if (options.UseStandardResistor) {
        r1 = ClosestStandardResistor(r1, resistors, locale);
        r2 = ClosestStandardResistor(r2, resistors, locale);
    }

    state.C1 = c1;
    state.C2 = v[Index(ElementKind::C2)];
    state.R1 = r1;
    state.R2 = r2;

    const auto text = [&result](ElementKind element) -> std::string& { return result.texts[Index(element)]; };
    text(ElementKind::C1) = FormatCapacitance(state.C1, locale);
    text(ElementKind::C2) = state.C2 == 0 ? std::string() : FormatCapacitance(state.C2, locale);
    text(ElementKind::R1) = FormatResistance(state.R1, locale);
    text(ElementKind::R2) = state.R2 == 0 ? std::string() : FormatResistance(state.R2, locale);
    text(ElementKind::RL) = options.IncludeRL ? FormatResistance(state.RL, locale) : std::string();
    text(ElementKind::Rs) = options.IncludeRs ? FormatResistance(state.Rs, locale) : std::string();
    return result;
}

void ApplyElementValue(NetworkState& state, CircuitKind circuit, ElementKind element, double value) {
    switch (element) {
        case ElementKind::RL: state.RL = value; return;
        case ElementKind::Rs: state.Rs = value; return;
        case ElementKind::R1:
        case ElementKind::R2:
            if (value == 0) throw DivisionByZeroError();
            break;
        default: break;
    }
    const double c1 = C1ForElement(circuit, element, value);
    if (c1 == 0) throw DivisionByZeroError();
    if (!AllFinite(DeriveFromC1(circuit, c1))) throw OverflowError();
    state.CircuitC1[Index(circuit)] = c1;
}

std::string WarningText(NetworkWarning warning) {
    switch (warning) {
        case NetworkWarning::SeriesTooHigh:
            return "The series resistance, Rs, is too high in value for\n"
                   "the rest of the  circuit to work. To include Rs's value,\n"
                   "decrease C1 or C2's value.";
        case NetworkWarning::LoadTooLow:
            return "The load resistance, RL, is too low in value for\n"
                   "the rest of the  circuit to work. To include RL's value,\n"
                   "increase C1 or C2's value.";
        case NetworkWarning::LoadAndSeries:
            return "The load resistance, RL, is too low in value or\n"
                   "the series resistance, Rs, is too high in value for\n"
                   "the rest of the  circuit to work. To include these resistances,\n"
                   "increase or decrease C1 or C2's value.";
        case NetworkWarning::None: break;
    }
    return {};
}

}  // namespace riaa
