// Runs the exported netlists in ngspice and checks its response against NetworkTransfer over the audio band.
// Usage: spice_agreement NGSPICE WORK_FOLDER
#include <cmath>
#include <string>
#include <vector>

#include "engine/Netlist.h"
#include "engine/Response.h"
#include "tests/engine/DirectTransfer.h"
#include "SpiceRun.h"
#include "engine/TransferPolynomials.h"
#include "engine/ValueLists.h"

using namespace riaa;

namespace {

// Fewer band points than this means the output was not read, not that it agreed.
constexpr std::size_t kLeastBandPoints = 250;

struct Case {
    CircuitKind circuit;
    double c1;
    CalculationOptions options;
};

std::string Name(const Case& c) {
    std::string name = "c" + std::to_string(static_cast<int>(c.circuit));
    if (c.options.IncludeRs) name += "-rs";
    if (c.options.IncludeRL) name += "-rl";
    if (c.options.UseStandardResistor) name += "-std";
    return name;
}

spice::Comparison Compare(const Case& c) {
    NetworkState state;
    // A source and a load heavy enough to move every circuit's response, but within reach of the corrections.
    state.Rs = 2200;
    state.RL = 100000;
    state.CircuitC1[static_cast<std::size_t>(c.circuit)] = c.c1;
    const CalculationResult result = CalculateNetwork(state, c.circuit, c.options, MakeResistorList(), NumberLocale{});
    if (result.alert) throw EngineError(Name(c) + ": the case itself cannot be built; choose another C1");
    const BuiltNetwork network = MakeBuiltNetwork(state, c.circuit, c.options);
    // The netlist runs as exported: its own .print gives the table read here.
    return {Name(c), SpiceNetlist(network),
            [network](double hz) { return 20 * std::log10(std::abs(NetworkTransfer(network, hz))); },
            kLeastBandPoints, kErrorBandLowHz, kErrorBandHighHz};
}

}  // namespace

int main(int argc, char** argv) {
    return spice::RunAll(argc, argv, "netlists of the passive networks", [] {
        // C1 per circuit keeps R1 above Rs and below RL, so every option combination can be built.
        const double c1[kCircuitCount] = {0.1, 0.01, 0.1, 0.01, 0.1, 0.1};
        std::vector<spice::Comparison> comparisons;
        for (int circuit = 0; circuit < kCircuitCount; ++circuit) {
            for (int options = 0; options < 8; ++options) {
                comparisons.push_back(Compare({static_cast<CircuitKind>(circuit), c1[circuit],
                                               CalculationOptions{(options & 1) != 0, (options & 2) != 0,
                                                                  (options & 4) != 0}}));
            }
        }
        // The complete network behind a cartridge, through the buffer the netlist puts between them.
        BuiltNetwork network = MakeBuiltNetwork(
            [] {
                NetworkState state;
                CalculateNetwork(state, CircuitKind::CompleteRiaaVersion1, {}, MakeResistorList(), NumberLocale{});
                return state;
            }(),
            CircuitKind::CompleteRiaaVersion1, {});
        network.source = Cartridge{500, 1000, 47'000, 200};
        const Ratio h = TransferFunction(network);
        comparisons.push_back({"c4-cartridge", SpiceNetlist(network),
                               [h](double hz) { return 20 * std::log10(std::abs(Evaluate(h, hz))); },
                               kLeastBandPoints, kErrorBandLowHz, kErrorBandHighHz});
        return comparisons;
    });
}
