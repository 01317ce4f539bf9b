#include "engine/Circuits.h"

namespace riaa {

namespace {
using E = ElementKind;
using S = BranchShape;
}  // namespace

const std::array<CircuitRow, kCircuitCount> kCircuits{{
    {"Low-Pass 50Hz", 0, 0, R1Relation::TimeConstant, 3180,
     {S::Single, {E::R1}}, {S::Single, {E::C1}},
     {{3180}, 1}, {}, false},
    {"Low-Pass 2122Hz", 0, 0, R1Relation::TimeConstant, 75,
     {S::Single, {E::R1}}, {S::Single, {E::C1}},
     {{75}, 1}, {}, false},
    {"Shelving 50Hz to 500Hz", 0, 318, R1Relation::MultipleOfR2, 9,
     {S::Single, {E::R1}}, {S::Series, {E::R2, E::C1}},
     {{3180}, 1}, {{318}, 1}, false},
    // R2/R1 = 3.244 puts the pole at 74.93 µs: the circuit's own small error, which the page shows.
    {"Shelving 500Hz to 2122Hz", 0, 318, R1Relation::FractionOfR2, 3.244,
     {S::Parallel, {E::R2, E::C1}}, {S::Single, {E::R1}},
     {{75}, 1}, {{318}, 1}, false},
    {"Complete RIAA Eq (version 1)", 2.916, 318, R1Relation::TimeConstant, 2187,
     {S::Single, {E::R1}}, {S::SeriesBesideThird, {E::R2, E::C1, E::C2}},
     {{75, 3180}, 2}, {{318}, 1}, true},
    {"Complete RIAA Eq (version 2)", 2.916, kVersion2ShelfTimeConstant, R1Relation::TimeConstant, 2937,
     {S::Single, {E::R1}}, {S::ParallelThenThird, {E::R2, E::C2, E::C1}},
     {{75, 3180}, 2}, {{318}, 1}, true},
}};

std::array<double, kElementCount> DeriveFromC1(CircuitKind circuit, double c1) {
    const CircuitRow& row = Row(circuit);
    std::array<double, kElementCount> v{};
    v[Index(E::C1)] = c1;
    if (row.c1PerC2 != 0) v[Index(E::C2)] = c1 / row.c1PerC2;
    if (row.r2TimeConstantUs != 0) v[Index(E::R2)] = row.r2TimeConstantUs / c1;
    double& r1 = v[Index(E::R1)];
    switch (row.r1Relation) {
        case R1Relation::TimeConstant: r1 = row.r1Constant / c1; break;
        case R1Relation::MultipleOfR2: r1 = row.r1Constant * v[Index(E::R2)]; break;
        case R1Relation::FractionOfR2: r1 = v[Index(E::R2)] / row.r1Constant; break;
    }
    return v;
}

double C1ForElement(CircuitKind circuit, ElementKind element, double value) {
    const CircuitRow& row = Row(circuit);
    if (!HasElement(row, element)) element = element == E::C2 ? E::C1 : E::R1;
    switch (element) {
        case E::C2: return row.c1PerC2 * value;
        case E::R2: return row.r2TimeConstantUs / value;
        case E::R1:
            switch (row.r1Relation) {
                case R1Relation::TimeConstant: return row.r1Constant / value;
                case R1Relation::MultipleOfR2: return row.r2TimeConstantUs / (value / row.r1Constant);
                case R1Relation::FractionOfR2: return row.r2TimeConstantUs / (row.r1Constant * value);
            }
            break;
        default: break;
    }
    return value;
}

ZeroOhms ZeroOhmsFor(const BuiltNetwork& network, ElementKind element) {
    if (network.kind != DesignKind::Passive || IsCapacitor(element) || element == E::RL) return ZeroOhms::Refused;
    const Branch& shunt = Row(network.circuit).shunt;
    const bool wholeShunt = shunt.shape == S::Single && shunt.elements[0] == element;
    return wholeShunt ? ZeroOhms::Refused : ZeroOhms::Wire;
}

std::string DesignCaption(const BuiltNetwork& network) {
    const std::string form = std::string(", form ") + static_cast<char>('A' + static_cast<int>(network.form));
    switch (network.kind) {
        case DesignKind::Passive: return std::string(Row(network.circuit).caption);
        case DesignKind::NonInverting: return "Non-inverting stage" + form;
        case DesignKind::Inverting: return "Inverting stage" + form;
        case DesignKind::TwoStage: return "Two stages";
    }
    return {};
}

}  // namespace riaa
