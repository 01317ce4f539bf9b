// Runs the exported netlists in ngspice and checks its response against NetworkTransfer over the audio band.
// Usage: spice_agreement NGSPICE WORK_FOLDER
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Netlist.h"
#include "Response.h"
#include "ValueLists.h"

namespace fs = std::filesystem;
using namespace riaa;

namespace {

constexpr double kToleranceDb = 0.001;
// Fewer band points than this means the output was not read, not that it agreed.
constexpr std::size_t kLeastBandPoints = 250;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs ngspice in batch mode; true when it exits cleanly and reports no error.
bool RunSpice(const std::string& ngspice, const fs::path& netlist, const fs::path& output) {
    const fs::path errors = output.string() + ".err";
    const std::string command =
        Quoted(ngspice) + " -b " + Quoted(netlist) + " > " + Quoted(output) + " 2> " + Quoted(errors);
    if (std::system(command.c_str()) != 0) {
        std::cerr << netlist << ": ngspice failed\n" << ReadFile(errors);
        return false;
    }
    const std::string stderrText = ReadFile(errors) + ReadFile(output);
    if (stderrText.find("rror") != std::string::npos) {
        std::cerr << netlist << ": ngspice reported an error\n" << stderrText;
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

// Writes the netlist, runs it and compares ngspice's levels with ours. True if they agree.
bool Check(const std::string& ngspice, const fs::path& folder, const Case& c) {
    NetworkState state;
    // A source and a load heavy enough to move every circuit's response, but within reach of the corrections.
    state.Rs = 2200;
    state.RL = 100000;
    state.CircuitC1[static_cast<std::size_t>(c.circuit)] = c.c1;
    const CalculationResult result = CalculateNetwork(state, c.circuit, c.options, MakeResistorList(), NumberLocale{});
    if (result.alert) {
        std::cerr << Name(c) << ": the case itself cannot be built; choose another C1\n";
        return false;
    }
    const BuiltNetwork network = MakeBuiltNetwork(state, c.circuit, c.options);
    const std::string netlist = SpiceNetlist(network);

    // The netlist runs as exported: its own .print gives the table read here.
    const fs::path file = folder / (Name(c) + ".cir");
    const fs::path output = folder / (Name(c) + ".out");
    std::ofstream(file) << netlist;
    if (!RunSpice(ngspice, file, output)) return false;

    double worst = 0;
    double worstHz = 0;
    std::size_t inBand = 0;
    for (const Sample& s : ParsePrintTable(ReadFile(output))) {
        if (s.hz < kErrorBandLowHz * 0.999 || s.hz > kErrorBandHighHz * 1.001) continue;
        ++inBand;
        const double ours = 20 * std::log10(std::abs(NetworkTransfer(network, s.hz)));
        if (!(std::fabs(ours - s.db) <= std::fabs(worst))) {
            worst = ours - s.db;
            worstHz = s.hz;
        }
    }
    const bool agrees = inBand >= kLeastBandPoints && std::fabs(worst) <= kToleranceDb;
    std::printf("%-14s %3zu points in band, largest difference %+.6f dB at %.1f Hz%s\n", Name(c).c_str(), inBand, worst,
                worstHz, agrees ? "" : "  <-- FAILED");
    return agrees;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: spice_agreement NGSPICE WORK_FOLDER\n";
        return 2;
    }
    const std::string ngspice = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);

    // C1 per circuit keeps R1 above Rs and below RL, so every option combination can be built.
    const double c1[kCircuitCount] = {0.1, 0.01, 0.1, 0.01, 0.1, 0.1};
    int failures = 0;
    int cases = 0;
    for (int circuit = 0; circuit < kCircuitCount; ++circuit) {
        for (int options = 0; options < 8; ++options) {
            const Case c{static_cast<CircuitKind>(circuit), c1[circuit],
                         CalculationOptions{(options & 1) != 0, (options & 2) != 0, (options & 4) != 0}};
            ++cases;
            if (!Check(ngspice, folder, c)) ++failures;
        }
    }
    std::printf("%d of %d netlists agree with NetworkTransfer within %g dB\n", cases - failures, cases, kToleranceDb);
    return failures == 0 ? 0 : 1;
}
