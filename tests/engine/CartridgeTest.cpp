#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/Cartridge.h"
#include "engine/Formats.h"

using namespace riaa;

namespace {

double LevelDb(const Cartridge& c, double hz) {
    return 20 * std::log10(std::abs(Evaluate(CartridgeDivider(c), hz)) / std::abs(Evaluate(CartridgeDivider(c), 1000)));
}

TEST(Cartridge, ResonanceAndLevelsMatchTheDividerWorkedOutApart) {
    struct Case {
        Cartridge c;
        double hz, q, at10k, at20k;
    };
    // Without Rc, f0 is 1/(2π√(L·CL)); with it, √(1 + Rc/RL) higher.
    for (const Case& k : {Case{{500, 1000, 47'000, 100}, 22746.09, 0.665459, -0.36114, -2.54405},
                          Case{{500, 1000, 47'000, 200}, 16083.92, 0.932418, 0.84268, -3.18834},
                          Case{{500, 0, 47'000, 200}, 15915.49, 0.94, 0.88384, -3.28345}}) {
        const Resonance r = CartridgeResonance(k.c);
        EXPECT_NEAR(r.hz, k.hz, 0.01);
        EXPECT_NEAR(r.q, k.q, 1e-6);
        EXPECT_NEAR(LevelDb(k.c, 10000), k.at10k, 1e-5);
        EXPECT_NEAR(LevelDb(k.c, 20000), k.at20k, 1e-5);
    }
    const Cartridge unloaded{500, 1000, 47'000, 0};
    EXPECT_EQ(CartridgeDivider(unloaded).den.Degree(), 1);
    EXPECT_EQ(CartridgeResonance(unloaded).hz, std::numeric_limits<double>::infinity());
}

TEST(Cartridge, NetlistWritesTheShortestValues) {
    EXPECT_EQ(CartridgeNetlist({500, 1000, 47'000, 200}, "in"),
              "V1 emf 0 AC 1\nLcart emf in_coil 0.5\nRcart in_coil in 1000\nRload in 0 47000\nCload in 0 2e-10\n");
    EXPECT_EQ(CartridgeNetlist({680.1, 0, 100e6, 0}, "src"), "V1 emf 0 AC 1\nLcart emf src 0.6801\nRload src 0 1e+08\n");
}

TEST(Cartridge, CheckRefusesWhatNoCartridgeCanBe) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const char* l = "The cartridge's inductance must be between 1 mH and 10000 mH";
    const char* rc = "The cartridge's resistance must be between 0 Ω and 100000 Ω";
    const char* rl = "The input's load resistance must be between 100 Ω and 100000000 Ω";
    const char* cl = "The input's load capacitance must be between 0 pF and 10000 pF";
    EXPECT_NO_THROW(CheckCartridge({1, 0, 100, 0}));
    EXPECT_NO_THROW(CheckCartridge({10'000, 100'000, 100e6, 10'000}));
    const std::pair<Cartridge, const char*> refused[] = {
        {{0.999, 1000, 47'000, 200}, l}, {{nan, 1000, 47'000, 200}, l},    {{500, -0.001, 47'000, 200}, rc},
        {{500, 100'001, 47'000, 200}, rc}, {{500, 1000, 99.9, 200}, rl},   {{500, 1000, INFINITY, 200}, rl},
        {{500, 1000, 47'000, -1}, cl},   {{500, 1000, 47'000, nan}, cl},   {{0, -1, 0, -1}, l}};
    for (const auto& [c, message] : refused) {
        try {
            CheckCartridge(c);
            ADD_FAILURE() << message;
        } catch (const EngineError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

}  // namespace
