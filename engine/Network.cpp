#include "Network.h"

#include <cmath>

namespace riaa {

namespace {

struct DerivedValues {
    double C2 = 0;
    double R1 = 0;
    double R2 = 0;
};

// The design relations of each circuit, from its C1.
DerivedValues DeriveFromC1(CircuitKind circuit, double c1) {
    DerivedValues v;
    switch (circuit) {
        case CircuitKind::LowPass50Hz:
            v.R1 = 3180 / c1;
            break;
        case CircuitKind::LowPass2122Hz:
            v.R1 = 75 / c1;
            break;
        case CircuitKind::Shelving50To500Hz:
            v.R2 = 318 / c1;
            v.R1 = 9 * v.R2;
            break;
        case CircuitKind::Shelving500To2122Hz:
            v.R2 = 318 / c1;
            v.R1 = v.R2 / 3.244;
            break;
        case CircuitKind::CompleteRiaaVersion1:
            v.C2 = c1 / 2.916;
            v.R2 = 318 / c1;
            v.R1 = 2187 / c1;
            break;
        case CircuitKind::CompleteRiaaVersion2:
            v.C2 = c1 / 2.916;
            v.R2 = kVersion2ShelfTimeConstant / c1;
            v.R1 = 2937 / c1;
            break;
    }
    return v;
}

bool AllFinite(double c1, const DerivedValues& v) {
    return std::isfinite(c1) && std::isfinite(v.C2) && std::isfinite(v.R1) && std::isfinite(v.R2);
}

// The inverse of R1's relation: the C1 that yields R1 = ohms.
double C1ForR1(CircuitKind circuit, double ohms) {
    switch (circuit) {
        case CircuitKind::LowPass50Hz: return 3180 / ohms;
        case CircuitKind::LowPass2122Hz: return 75 / ohms;
        case CircuitKind::Shelving50To500Hz: return 318 / (ohms / 9);
        case CircuitKind::Shelving500To2122Hz: return 318 / (3.244 * ohms);
        case CircuitKind::CompleteRiaaVersion1: return 2187 / ohms;
        case CircuitKind::CompleteRiaaVersion2: return 2937 / ohms;
    }
    return 0;
}

// The inverse of R2's relation; circuits without R2 take the value as their R1.
double C1ForR2(CircuitKind circuit, double ohms) {
    switch (circuit) {
        case CircuitKind::LowPass50Hz:
        case CircuitKind::LowPass2122Hz: return C1ForR1(circuit, ohms);
        case CircuitKind::CompleteRiaaVersion2: return kVersion2ShelfTimeConstant / ohms;
        default: return 318 / ohms;
    }
}

bool HasC2(CircuitKind circuit) {
    return circuit == CircuitKind::CompleteRiaaVersion1 || circuit == CircuitKind::CompleteRiaaVersion2;
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
    const double c1 = state.CircuitC1[static_cast<std::size_t>(circuit)];
    if (c1 == 0) throw DivisionByZeroError();
    DerivedValues v = DeriveFromC1(circuit, c1);

    // Only R1 is corrected; -1 marks an R1 that a load at or below it cannot leave.
    if (options.IncludeRL) {
        if (state.RL > v.R1) {
            v.R1 = 1 / (1 / v.R1 - 1 / state.RL);
            if (options.IncludeRs) v.R1 -= state.Rs;
        } else {
            v.R1 = -1.0;
        }
    } else if (options.IncludeRs) {
        v.R1 -= state.Rs;
    }
    if (!AllFinite(c1, v)) throw OverflowError();

    CalculationResult result;
    if (v.R1 < 0) {
        result.alert = true;
        result.warning = ChooseWarning(options);
    }
    if (options.UseStandardResistor) {
        v.R1 = ClosestStandardResistor(v.R1, resistors, locale);
        v.R2 = ClosestStandardResistor(v.R2, resistors, locale);
    }

    state.C1 = c1;
    state.C2 = v.C2;
    state.R1 = v.R1;
    state.R2 = v.R2;

    result.texts[0] = FormatCapacitance(state.C1, locale);
    result.texts[1] = state.C2 == 0 ? std::string() : FormatCapacitance(state.C2, locale);
    result.texts[2] = FormatResistance(state.R1, locale);
    result.texts[3] = state.R2 == 0 ? std::string() : FormatResistance(state.R2, locale);
    result.texts[4] = options.IncludeRL ? FormatResistance(state.RL, locale) : std::string();
    result.texts[5] = options.IncludeRs ? FormatResistance(state.Rs, locale) : std::string();
    return result;
}

void ApplyElementValue(NetworkState& state, CircuitKind circuit, ElementKind element, double value) {
    switch (element) {
        case ElementKind::RL: state.RL = value; return;
        case ElementKind::Rs: state.Rs = value; return;
        default: break;
    }
    double c1 = 0;
    switch (element) {
        case ElementKind::C1: c1 = value; break;
        case ElementKind::C2: c1 = HasC2(circuit) ? 2.916 * value : value; break;
        case ElementKind::R1:
            if (value == 0) throw DivisionByZeroError();
            c1 = C1ForR1(circuit, value);
            break;
        case ElementKind::R2:
            if (value == 0) throw DivisionByZeroError();
            c1 = C1ForR2(circuit, value);
            break;
        default: break;
    }
    if (c1 == 0) throw DivisionByZeroError();
    if (!AllFinite(c1, DeriveFromC1(circuit, c1))) throw OverflowError();
    state.CircuitC1[static_cast<std::size_t>(circuit)] = c1;
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
