#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/BestBuild.h"
#include "engine/StageEnclosure.h"
#include "engine/TransferPolynomials.h"

using namespace riaa;

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct Stage {
    const char* name;
    ActiveStageRequest request;
    std::optional<Cartridge> source;
};

std::vector<Stage> Stages() {
    const OpAmp real{false, 100, 10e6};
    const ActiveStageRequest base{.c0 = 100, .opAmp = real};
    std::vector<Stage> stages{
        {"non-inverting, form A", base, {}},
        {"non-inverting, ideal, no C0", {.opAmp = {}}, {}},
        {"non-inverting behind a cartridge", base, Cartridge{}},
        {"inverting, form B", {.stage = DesignKind::Inverting, .form = NetworkForm::B, .opAmp = real}, {}},
        {"inverting behind a cartridge, form C",
         {.stage = DesignKind::Inverting, .form = NetworkForm::C, .c0 = 100, .opAmp = real}, Cartridge{}},
        {"non-inverting, form D", {.form = NetworkForm::D, .opAmp = real}, {}},
        {"two stages into a load", {.stage = DesignKind::TwoStage, .rl = 47e3, .opAmp = real}, {}},
    };
    Stage iec{"non-inverting, coupled out", base, {}};
    iec.request.curve.iecAmendment = true;
    iec.request.rl = 100e3;
    stages.push_back(iec);
    return stages;
}

// Every build drawn from a box lies within the bounds of the box, at frequencies across the band and
// for boxes from a few percent to several decades wide; a box of one build is that build.
TEST(StageEnclosure, HoldsEveryBuildOfTheBox) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const Stage& stage : Stages()) {
        SCOPED_TRACE(stage.name);
        BuiltNetwork network = DesignActiveStage(stage.request);
        network.source = stage.source;
        const std::vector<ElementKind> chosen = BestBuildElements(network);
        for (const double hz : {20.0, 1000.0, 20000.0}) {
            const std::complex<double> exact = Evaluate(TransferFunction(network), hz);
            const MagnitudeBounds point = StageEnclosure(network, hz)(DesignedIntervals(network));
            EXPECT_LE(point.least, std::abs(exact));
            EXPECT_GE(point.most, std::abs(exact));
            EXPECT_LE(point.most - point.least, 1e-12 * std::abs(exact));
        }
        for (int box = 0; box < 300; ++box) {
            PartIntervals parts = DesignedIntervals(network);
            const double width = std::pow(10.0, 4 * unit(random) * unit(random));
            for (const ElementKind e : chosen) {
                const double low = network.value(e) * std::pow(10.0, unit(random) - 0.5) / std::sqrt(width);
                parts[e] = {low, low * width};
            }
            // Every other box of a low-pass without Cout gives its time constant instead of C3's
            // interval; the bounds are then of the response without the share a load takes.
            const double load = network.value(ElementKind::RL);
            const auto timeConstant = [&](double r3, double c3) { return load > 0 ? c3 * r3 * load / (r3 + load) : r3 * c3; };
            const bool lowPass = network.has(ElementKind::C3) && !network.has(ElementKind::Cout) && box % 2 == 1;
            if (lowPass) parts.lowPassUs = PartInterval{timeConstant(parts[ElementKind::R3].low, parts[ElementKind::C3].low),
                                                        timeConstant(parts[ElementKind::R3].high, parts[ElementKind::C3].high)};
            const double hz = 20 * std::pow(1000.0, unit(random));
            const StageEnclosure enclosure(network, hz);
            const MagnitudeBounds bounds = enclosure(parts);
            // Times the gain resistor, whose spread then leaves the bounds.
            const MagnitudeBounds scaled = StageEnclosure::Product(enclosure.scaledAmplifier(parts), enclosure.output(parts));
            // With Cout, the output alone over its share of the level, RL/(RL + R3).
            const bool coupled = network.has(ElementKind::Cout);
            const MagnitudeBounds overShare = coupled ? enclosure.outputOverShare(parts, enclosure.output(parts)) : MagnitudeBounds{};
            for (int draw = 0; draw < 10; ++draw) {
                BuiltNetwork build = network;
                for (const ElementKind e : chosen) build.set(e, parts[e].low * std::pow(width, unit(random)));
                double share = 1;
                if (lowPass) {
                    const PartInterval tau = *parts.lowPassUs;
                    const double r3 = build.value(ElementKind::R3);
                    build.set(ElementKind::C3, tau.low * std::pow(tau.high / tau.low, unit(random)) / timeConstant(r3, 1));
                    if (load > 0) share = load / (r3 + load);
                }
                const std::complex<double> h = Evaluate(TransferFunction(build), hz) / share;
                ASSERT_LE(bounds.least, std::abs(h)) << "box " << box << " at " << hz << " Hz";
                ASSERT_GE(bounds.most, std::abs(h)) << "box " << box << " at " << hz << " Hz";
                const double timesResistor = std::abs(h) * build.value(enclosure.gainResistor());
                ASSERT_LE(scaled.least, timesResistor) << "box " << box << " at " << hz << " Hz";
                ASSERT_GE(scaled.most, timesResistor) << "box " << box << " at " << hz << " Hz";
                if (!coupled) continue;
                // R3 into C3 and Cout into RL: RL/((1 + jωR3·C3)(RL + 1/(jωCout)) + R3), ω in rad/µs.
                const double w = 2 * std::numbers::pi * hz * 1e-6;
                const double r3 = build.value(ElementKind::R3);
                const std::complex<double> coupling = load + 1.0 / std::complex<double>(0, w * build.value(ElementKind::Cout));
                const double output = load / std::abs(std::complex<double>(1, w * r3 * build.value(ElementKind::C3)) * coupling + r3);
                const double overLoadShare = output * (load + r3) / load;
                ASSERT_LE(overShare.least, overLoadShare) << "box " << box << " at " << hz << " Hz";
                ASSERT_GE(overShare.most, overLoadShare) << "box " << box << " at " << hz << " Hz";
            }
        }
    }
}

}  // namespace
