// Runs the cartridge's netlist lines in ngspice and checks its levels against CartridgeDivider.
// Usage: cartridge_spice NGSPICE WORK_FOLDER
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "Cartridge.h"

namespace fs = std::filesystem;
using namespace riaa;

namespace {

constexpr double kToleranceDb = 0.001;
// 10 Hz to 100 kHz at 100 points a decade; fewer means the table was not read.
constexpr int kLeastPoints = 400;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// True when the netlist runs cleanly and every printed level agrees with ours.
bool Check(const std::string& ngspice, const fs::path& folder, const std::string& name, const Cartridge& c) {
    const fs::path file = folder / (name + ".cir");
    const fs::path output = folder / (name + ".out");
    std::ofstream(file) << "* Mirelund: cartridge " << name << "\n"
                        << CartridgeNetlist(c, "in") << ".ac dec 100 10 100k\n.print ac vdb(in)\n.end\n";
    const std::string command = Quoted(ngspice) + " -b " + Quoted(file) + " > " + Quoted(output) + " 2>&1";
    const bool ran = std::system(command.c_str()) == 0;
    const std::string text = ReadFile(output);
    if (!ran || text.find("rror") != std::string::npos) {
        std::cerr << name << ": ngspice failed\n" << text;
        return false;
    }
    // The rows "index<TAB>frequency<TAB>vdb" of the .print table; page headers are skipped.
    std::istringstream lines(text);
    std::string line;
    int points = 0;
    double worst = 0;
    double worstHz = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        long index = 0;
        double hz = 0;
        double db = 0;
        if (line.empty() || line[0] < '0' || line[0] > '9' || !(fields >> index >> hz >> db)) continue;
        ++points;
        const double ours = 20 * std::log10(std::abs(Evaluate(CartridgeDivider(c), hz)));
        if (!(std::fabs(ours - db) <= std::fabs(worst))) {
            worst = ours - db;
            worstHz = hz;
        }
    }
    const bool agrees = points >= kLeastPoints && std::fabs(worst) <= kToleranceDb;
    std::printf("%-10s %3d points, largest difference %+.6f dB at %.1f Hz%s\n", name.c_str(), points, worst, worstHz,
                agrees ? "" : "  <-- FAILED");
    return agrees;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: cartridge_spice NGSPICE WORK_FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    // A usual input, a light and a heavy load, a peaked one, and the extremes CheckCartridge allows.
    const std::pair<const char*, Cartridge> cases[] = {
        {"usual", {500, 1000, 47'000, 200}},      {"light", {500, 1000, 47'000, 100}},
        {"heavy", {680, 1200, 47'000, 470}},      {"peaked", {800, 600, 100'000, 300}},
        {"bare", {450, 0, 47'000, 0}},            {"smallest", {1, 0, 100, 0}},
        {"largest", {10'000, 100'000, 100e6, 10'000}},
    };
    int failures = 0;
    for (const auto& [name, c] : cases) {
        if (!Check(argv[1], folder, name, c)) ++failures;
    }
    std::printf("%d of %zu cartridges agree with CartridgeDivider within %g dB\n",
                static_cast<int>(std::size(cases)) - failures, std::size(cases), kToleranceDb);
    return failures == 0 ? 0 : 1;
}
