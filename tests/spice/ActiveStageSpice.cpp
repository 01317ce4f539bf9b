// Runs the active stages' netlists in ngspice and checks them against ActiveStageTransfer from 10 Hz to 100 kHz.
// Usage: active_stage_spice NGSPICE WORK_FOLDER
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ActiveStage.h"
#include "Cartridge.h"
#include "Formats.h"
#include "Netlist.h"
#include "TransferPolynomials.h"

namespace fs = std::filesystem;
using namespace riaa;

// The cases name only the fields of a request that differ from its defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr double kToleranceDb = 0.001;
// Four decades at 100 points each; fewer means the output was not read, not that it agreed.
constexpr std::size_t kLeastPoints = 400;
constexpr CurveTimeConstants kRiaa{3180, 318, 75};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

bool RunSpice(const std::string& ngspice, const fs::path& netlist, const fs::path& output) {
    const fs::path errors = output.string() + ".err";
    const std::string command =
        Quoted(ngspice) + " -b " + Quoted(netlist) + " > " + Quoted(output) + " 2> " + Quoted(errors);
    if (std::system(command.c_str()) != 0) {
        std::cerr << netlist << ": ngspice failed\n" << ReadFile(errors);
        return false;
    }
    const std::string text = ReadFile(errors) + ReadFile(output);
    if (text.find("rror") != std::string::npos) {
        std::cerr << netlist << ": ngspice reported an error\n" << text;
        return false;
    }
    return true;
}

struct Sample {
    double hz;
    double db;
};

// The rows "index<TAB>frequency<TAB>vdb" of ngspice's .print table; page headers are skipped.
std::vector<Sample> ParsePrintTable(const std::string& text) {
    std::vector<Sample> samples;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        long index = 0;
        Sample s{};
        if (line.empty() || line[0] < '0' || line[0] > '9') continue;
        if (fields >> index >> s.hz >> s.db) samples.push_back(s);
    }
    return samples;
}

struct Case {
    std::string name;
    ActiveStageRequest request;
    std::optional<Cartridge> source;  // else a 1 V source at "in"
};

bool Check(const std::string& ngspice, const fs::path& folder, const Case& c) {
    BuiltNetwork network = DesignActiveStage(c.request, kRiaa);
    network.source = c.source;
    // The netlist and the response exactly as the program writes and evaluates them.
    const Ratio transfer = TransferFunction(network);
    const std::string netlist = SpiceNetlist(network);
    const fs::path file = folder / (c.name + ".cir");
    const fs::path output = folder / (c.name + ".out");
    std::ofstream(file) << netlist;
    if (!RunSpice(ngspice, file, output)) return false;

    double worst = 0;
    double worstHz = 0;
    const std::vector<Sample> samples = ParsePrintTable(ReadFile(output));
    for (const Sample& s : samples) {
        const double ours = 20 * std::log10(std::abs(Evaluate(transfer, s.hz)));
        if (!(std::fabs(ours - s.db) <= std::fabs(worst))) {
            worst = ours - s.db;
            worstHz = s.hz;
        }
    }
    const bool agrees = samples.size() >= kLeastPoints && std::fabs(worst) <= kToleranceDb;
    std::printf("%-22s %3zu points, largest difference %+.6f dB at %.1f Hz%s\n", c.name.c_str(), samples.size(), worst,
                worstHz, agrees ? "" : "  <-- FAILED");
    return agrees;
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
    if (argc != 3) {
        std::cerr << "usage: active_stage_spice NGSPICE WORK_FOLDER\n";
        return 2;
    }
    const std::string ngspice = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    int failures = 0;
    const std::vector<Case> cases = Cases();
    for (const Case& c : cases) {
        try {
            if (!Check(ngspice, folder, c)) ++failures;
        } catch (const EngineError& e) {
            std::cerr << c.name << ": " << e.what() << "\n";
            ++failures;
        }
    }
    std::printf("%zu of %zu netlists agree with ActiveStageTransfer within %g dB\n", cases.size() - failures,
                cases.size(), kToleranceDb);
    return failures == 0 ? 0 : 1;
}
