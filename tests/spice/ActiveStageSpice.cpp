// Runs the active stages' netlists in ngspice and checks them against ActiveStageTransfer from 10 Hz to 100 kHz.
// Usage: active_stage_spice NGSPICE WORK_FOLDER
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/Cartridge.h"
#include "engine/Formats.h"
#include "engine/Netlist.h"
#include "SpiceRun.h"
#include "engine/TransferPolynomials.h"

using namespace riaa;

// The cases name only the fields of a request that differ from its defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr CurveTimeConstants kRiaa{3180, 318, 75};

struct Case {
    std::string name;
    ActiveStageRequest request;
    std::optional<Cartridge> source;  // else a 1 V source at "in"
};

spice::Comparison Compare(const Case& c) {
    BuiltNetwork network = DesignActiveStage(c.request, kRiaa);
    network.source = c.source;
    // The netlist and the response exactly as the program writes and evaluates them; four decades
    // at 100 points each.
    const Ratio transfer = TransferFunction(network);
    return {c.name, SpiceNetlist(network),
            [transfer](double hz) { return 20 * std::log10(std::abs(Evaluate(transfer, hz))); }, 400};
}

std::vector<Case> Cases() {
    const char* forms = "ABCD";
    const OpAmp singlePole{false, 100, 1e6};
    std::vector<Case> cases;
    for (int f = 0; f < 4; ++f) {
        const auto form = static_cast<NetworkForm>(f);
        const std::string letter(1, forms[f]);
        for (const auto& [zero, name] : {std::pair{HighFrequencyZero::Pole, "pole"},
                                         {HighFrequencyZero::None, "none"},
                                         {HighFrequencyZero::At3_18us, "3.18us"}}) {
            ActiveStageRequest r;
            r.form = form;
            r.highFrequencyZero = zero;
            r.gain1kHzDb = 30;
            cases.push_back({"noninv-" + letter + "-" + name, r});
        }
        ActiveStageRequest inverting;
        inverting.stage = DesignKind::Inverting;
        inverting.form = form;
        inverting.scale = 10'000;
        cases.push_back({"inv-" + letter, inverting});
    }
    // The single-pole op-amp in every stage, with C0, C1 as the scale, and the coupling into RL.
    ActiveStageRequest r;
    r.opAmp = singlePole;
    r.form = NetworkForm::B;
    r.c0 = 220;
    cases.push_back({"noninv-B-pole-gbw-c0", r});
    r.form = NetworkForm::C;
    r.c0.reset();
    r.curve.iecAmendment = true;
    r.rl = 47'000;
    cases.push_back({"noninv-C-pole-gbw-iec", r});
    r.highFrequencyZero = HighFrequencyZero::None;
    cases.push_back({"noninv-C-none-gbw-iec", r});

    ActiveStageRequest inv;
    inv.stage = DesignKind::Inverting;
    inv.opAmp = singlePole;
    inv.scaleByC1 = true;
    inv.scale = 0.022;
    inv.c0 = 47;
    inv.curve.iecAmendment = true;
    inv.rl = 10'000;
    cases.push_back({"inv-A-gbw-c0-iec", inv});

    ActiveStageRequest two;
    two.stage = DesignKind::TwoStage;
    two.gain1kHzDb = 40;
    cases.push_back({"two", two});
    two.opAmp = singlePole;
    two.rl = 10'000;
    cases.push_back({"two-gbw-rl", two});
    two.c0 = 100;
    two.curve.iecAmendment = true;
    two.scaleByC1 = true;
    two.scale = 0.1;
    cases.push_back({"two-gbw-c0-iec", two});

    // The cartridge and its load in front: a divider for the + input, a Thevenin source into Rin.
    const Cartridge cartridge;
    cases.push_back({"noninv-A-pole-gbw-cart", {.opAmp = singlePole}, cartridge});
    cases.push_back(
        {"inv-B-gbw-c0-cart",
         {.stage = DesignKind::Inverting, .form = NetworkForm::B, .scale = 2200, .c0 = 47, .opAmp = singlePole},
         cartridge});
    cases.push_back(
        {"two-iec-cart", {.stage = DesignKind::TwoStage, .rl = 47'000, .curve = {.iecAmendment = true}}, cartridge});
    return cases;
}

}  // namespace

int main(int argc, char** argv) {
    return spice::RunAll(argc, argv, "netlists of the active stages", [] {
        std::vector<spice::Comparison> comparisons;
        for (const Case& c : Cases()) comparisons.push_back(Compare(c));
        return comparisons;
    });
}
