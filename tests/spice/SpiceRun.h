// What every ngspice check shares: run a netlist in batch mode, read its .print table, compare it with our levels.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace spice {

namespace fs = std::filesystem;

inline constexpr double kToleranceDb = 0.001;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Runs ngspice in batch mode; true when it exits cleanly and reports no error.
inline bool RunSpice(const std::string& ngspice, const fs::path& netlist, const fs::path& output) {
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
inline std::vector<Sample> ParsePrintTable(const std::string& text) {
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

struct Comparison {
    std::string name;
    std::string netlist;
    std::function<double(double hz)> ourDb;
    // Fewer compared points than this means the output was not read, not that it agreed.
    std::size_t leastPoints = 400;
    double lowHz = 0;
    double highHz = std::numeric_limits<double>::infinity();
};

// Writes the netlist, runs it as written and compares ngspice's levels within [lowHz, highHz] with
// ours; prints one line. True if they agree within kToleranceDb.
inline bool Agrees(const std::string& ngspice, const fs::path& folder, const Comparison& c) {
    const fs::path file = folder / (c.name + ".cir");
    const fs::path output = folder / (c.name + ".out");
    std::ofstream(file) << c.netlist;
    if (!RunSpice(ngspice, file, output)) return false;
    double worst = 0;
    double worstHz = 0;
    std::size_t points = 0;
    for (const Sample& s : ParsePrintTable(ReadFile(output))) {
        if (s.hz < c.lowHz * 0.999 || s.hz > c.highHz * 1.001) continue;
        ++points;
        const double ours = c.ourDb(s.hz);
        if (!(std::fabs(ours - s.db) <= std::fabs(worst))) {
            worst = ours - s.db;
            worstHz = s.hz;
        }
    }
    const bool agrees = points >= c.leastPoints && std::fabs(worst) <= kToleranceDb;
    std::printf("%-24s %3zu points, largest difference %+.6f dB at %.1f Hz%s\n", c.name.c_str(), points, worst, worstHz,
                agrees ? "" : "  <-- FAILED");
    return agrees;
}

// main() of a check: "NAME NGSPICE WORK_FOLDER", then every comparison; the exit status says whether all agreed.
inline int RunAll(int argc, char** argv, const char* what, const std::function<std::vector<Comparison>()>& comparisons) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " NGSPICE WORK_FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    std::vector<Comparison> all;
    try {
        all = comparisons();
    } catch (const std::exception& e) {
        std::cerr << "a case cannot be built: " << e.what() << "\n";
        return 1;
    }
    std::size_t failures = 0;
    for (const Comparison& c : all) {
        if (!Agrees(argv[1], folder, c)) ++failures;
    }
    std::printf("%zu of %zu %s agree within %g dB\n", all.size() - failures, all.size(), what, kToleranceDb);
    return failures == 0 ? 0 : 1;
}

}  // namespace spice
