#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/RecordedTransfer.h"
#include "engine/Response.h"
#include "engine/TransferPolynomials.h"
#include "engine/ValueLists.h"

using namespace riaa;

// Stages are asked for by the fields that differ from the defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct Design {
    std::string name;
    BuiltNetwork network;
};

BuiltNetwork Passive(CircuitKind circuit, const CalculationOptions& options) {
    NetworkState state;
    CalculateNetwork(state, circuit, options, MakeResistorList(), NumberLocale{});
    return MakeBuiltNetwork(state, circuit, options);
}

BuiltNetwork Driven(BuiltNetwork network) {
    network.source = Cartridge{};
    return network;
}

// Every passive circuit, with Rs and RL and without; each kind of stage with its options; each with
// an ideal and a real op-amp, from an ideal source and behind a cartridge.
std::vector<Design> Designs() {
    std::vector<Design> designs;
    for (int c = 0; c < kCircuitCount; ++c) {
        const auto circuit = static_cast<CircuitKind>(c);
        designs.push_back({"circuit " + std::to_string(c), Passive(circuit, {})});
        designs.push_back({"circuit " + std::to_string(c) + " Rs RL", Passive(circuit, {true, true, false})});
    }
    designs.push_back({"circuit 4 driven", Driven(Passive(CircuitKind::CompleteRiaaVersion1, {true, true, false}))});
    using Stage = ActiveStageRequest;
    const std::vector<std::pair<std::string, Stage>> stages{
        {"non-inverting A C0", {.c0 = 100}},
        {"non-inverting B 3.18", {.form = NetworkForm::B, .highFrequencyZero = HighFrequencyZero::At3_18us}},
        {"non-inverting D IEC", {.form = NetworkForm::D, .highFrequencyZero = HighFrequencyZero::None, .rl = 10'000,
                                 .curve = {.iecAmendment = true}}},
        {"inverting C C0", {.stage = DesignKind::Inverting, .form = NetworkForm::C, .c0 = 47}},
        {"two stages RL", {.stage = DesignKind::TwoStage, .scale = 470, .rl = 4700}},
        {"two stages IEC", {.stage = DesignKind::TwoStage, .rl = 47'000, .curve = {.iecAmendment = true}}},
    };
    for (const auto& [name, request] : stages) {
        for (const bool ideal : {true, false}) {
            Stage asked = request;
            asked.opAmp = {ideal, 100, 10e6};
            const std::string label = name + (ideal ? " ideal" : " real");
            designs.push_back({label, DesignActiveStage(asked)});
            designs.push_back({label + " driven", Driven(DesignActiveStage(asked))});
        }
    }
    return designs;
}

// Parts a little off the design's, different in every lane; the load capacitance too.
PartValues<double> Drawn(const BuiltNetwork& network, std::size_t lane) {
    PartValues<double> parts = DesignedValues(network);
    for (std::size_t e = 0; e < parts.values.size(); ++e) parts.values[e] *= 1 + 0.011 * double((lane + 3) * (e + 1) % 9) - 0.04;
    parts.loadCapacitancePf *= 1 + 0.05 * double(lane);
    return parts;
}

// The lanes hold parts drawn for every element; the builds alone take them for the varying ones only.
void ExpectEachLaneAlone(const BuiltNetwork& network, std::span<const ElementKind> varying, bool loadVaries,
                         const std::string& name) {
    const RecordedTransfer recorded(network, varying, loadVaries);
    const PartValues<double> designed = DesignedValues(network);
    PartValues<Lanes> lanes;
    std::vector<PartValues<double>> alone(Lanes::kCount, designed);
    for (std::size_t i = 0; i < Lanes::kCount; ++i) {
        const PartValues<double> drawn = Drawn(network, i);
        for (const ElementKind e : varying) alone[i].values[Index(e)] = drawn[e];
        if (loadVaries) alone[i].loadCapacitancePf = drawn.loadCapacitancePf;
        for (std::size_t e = 0; e < drawn.values.size(); ++e) lanes.values[e].v[i] = drawn.values[e];
        lanes.loadCapacitancePf.v[i] = drawn.loadCapacitancePf;
    }
    const BasicRatio<Lanes> replayed = recorded.Evaluate(lanes);
    for (std::size_t i = 0; i < Lanes::kCount; ++i) {
        const Ratio h = TransferFunction(network, alone[i]);
        ASSERT_EQ(replayed.num.bound, h.num.bound) << name;
        ASSERT_EQ(replayed.den.bound, h.den.bound) << name;
        for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
            // Bit for bit: a zero's sign too.
            EXPECT_EQ(std::bit_cast<std::uint64_t>(replayed.num.c[k].v[i]), std::bit_cast<std::uint64_t>(h.num.c[k]))
                << name << " lane " << i << " num s^" << k;
            EXPECT_EQ(std::bit_cast<std::uint64_t>(replayed.den.c[k].v[i]), std::bit_cast<std::uint64_t>(h.den.c[k]))
                << name << " lane " << i << " den s^" << k;
        }
    }
}

TEST(RecordedTransfer, ReplayIsTheDoubleEvaluationOfEachLane) {
    for (const Design& design : Designs()) ExpectEachLaneAlone(design.network, kAllElements, true, design.name);
}

// Parts left out of the list keep the network's own values, whatever the lanes hold for them.
TEST(RecordedTransfer, PartsNotListedStayTheNetworksOwn) {
    const std::vector<ElementKind> some{ElementKind::R1, ElementKind::C2, ElementKind::R3, ElementKind::R1};
    for (const Design& design : Designs()) ExpectEachLaneAlone(design.network, some, false, design.name);
}

// Nothing varies: no step to replay, the nominal coefficients in every lane. A wire (a resistor of
// 0 Ω in circuit) stays a wire in every build.
TEST(RecordedTransfer, EdgeCasesOfWhatVaries) {
    BuiltNetwork network = Passive(CircuitKind::CompleteRiaaVersion1, {true, true, false});
    EXPECT_EQ(RecordedTransfer(network, {}, true).StepCount(), 0u);
    ExpectEachLaneAlone(network, {}, false, "nothing varies");
    network.set(ElementKind::Rs, 0);
    ExpectEachLaneAlone(network, kAllElements, false, "Rs a wire");
}

}  // namespace
