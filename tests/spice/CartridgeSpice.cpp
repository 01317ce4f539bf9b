// Runs the cartridge's netlist lines in ngspice and checks its levels against CartridgeDivider.
// Usage: cartridge_spice NGSPICE WORK_FOLDER
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/Cartridge.h"
#include "SpiceRun.h"

using namespace riaa;

namespace {

// The cartridge's lines behind a 1 V emf, printing the level at its load; 10 Hz to 100 kHz at 100
// points a decade.
spice::Comparison Compare(const std::string& name, const Cartridge& c) {
    return {name,
            "* Mirelund: cartridge " + name + "\n" + CartridgeNetlist(c, "in") +
                ".ac dec 100 10 100k\n.print ac vdb(in)\n.end\n",
            [c](double hz) { return 20 * std::log10(std::abs(Evaluate(CartridgeDivider(c), hz))); }, 400};
}

}  // namespace

int main(int argc, char** argv) {
    return spice::RunAll(argc, argv, "cartridges", [] {
        // A usual input, a light and a heavy load, a peaked one, and the extremes CheckCartridge allows.
        const std::pair<const char*, Cartridge> cases[] = {
            {"usual", {500, 1000, 47'000, 200}},      {"light", {500, 1000, 47'000, 100}},
            {"heavy", {680, 1200, 47'000, 470}},      {"peaked", {800, 600, 100'000, 300}},
            {"bare", {450, 0, 47'000, 0}},            {"smallest", {1, 0, 100, 0}},
            {"largest", {10'000, 100'000, 100e6, 10'000}},
        };
        std::vector<spice::Comparison> comparisons;
        for (const auto& [name, c] : cases) comparisons.push_back(Compare(name, c));
        return comparisons;
    });
}
