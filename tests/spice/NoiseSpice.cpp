// Runs the noise netlists of every kind of design in ngspice's .noise analysis and checks the integrated
// noise (flat and A-weighted, within 0.01 dB) and each share (within 0.001) against EvaluateNoise.
// Usage: noise_spice NGSPICE WORK_FOLDER
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ActiveStage.h"
#include "engine/Noise.h"
#include "engine/NoiseNetlist.h"
#include "SpiceRun.h"
#include "tests/NoiseNetworks.h"

using namespace riaa;

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr double kToleranceDb = 0.01;
constexpr double kShareTolerance = 0.001;

struct Case {
    std::string name;
    BuiltNetwork network;
    NoiseSettings settings;
};

// wrdata's rows: frequency and value for each vector written, side by side.
std::vector<std::vector<double>> ReadColumns(const std::string& text) {
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<double> row;
        double v = 0;
        while (fields >> v) row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

// ∫ density² df by trapezoids in ln f, the engine's own rule, on ngspice's own frequencies.
double Integrate(const std::vector<std::vector<double>>& rows, std::size_t column, bool weighted) {
    double sum = 0;
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        const auto at = [&](std::size_t i) {
            const double f = rows[i][0];
            const double v = rows[i][column];
            return v * v * f * (weighted ? AWeightingPower(f) : 1);
        };
        sum += 0.5 * (at(k) + at(k + 1)) * std::log(rows[k + 1][0] / rows[k][0]);
    }
    return sum;
}

bool Agrees(const std::string& ngspice, const spice::fs::path& folder, const Case& c) {
    const spice::fs::path file = folder / (c.name + ".cir");
    const spice::fs::path output = folder / (c.name + ".out");
    const spice::fs::path data = folder / (c.name + ".data");
    std::ofstream(file) << NoiseSpiceNetlist(c.network, c.settings, data.string());
    if (!spice::RunSpice(ngspice, file, output)) return false;
    std::vector<std::vector<double>> rows = ReadColumns(spice::ReadFile(data));
    while (!rows.empty() && rows.back()[0] > kNoiseHighHz * 1.0001) rows.pop_back();
    const std::vector<NoiseSpiceDevice> devices = NoiseSpiceDevices(c.network, c.settings);
    if (rows.size() < 600 || rows.front().size() != 2 * (devices.size() + 1)) {
        std::cerr << c.name << ": ngspice wrote " << rows.size() << " rows\n";
        return false;
    }
    const NoiseFigures ours = EvaluateNoise(c.network, c.settings);
    const double flat = std::sqrt(Integrate(rows, 1, false)) * 1e6;
    const double weighted = std::sqrt(Integrate(rows, 1, true)) * 1e6;
    const double flatDb = 20 * std::log10(ours.outputUv / flat);
    const double weightedDb = 20 * std::log10(ours.outputAUv / weighted);
    std::map<std::string, double> theirs;
    for (std::size_t d = 0; d < devices.size(); ++d) {
        theirs[devices[d].share] += Integrate(rows, 2 * d + 3, false) / (flat * flat * 1e-12);
    }
    double worstShare = 0;
    std::string worstName;
    for (const NoiseShare& s : ours.shares) {
        const double difference = std::fabs(s.share - theirs[s.name]);
        if (difference >= worstShare) {
            worstShare = difference;
            worstName = s.name;
        }
        theirs.erase(s.name);
    }
    // A device of ngspice's that we gave no share is a source we forgot.
    for (const auto& [name, share] : theirs) {
        if (share > worstShare) {
            worstShare = share;
            worstName = name + " (missing)";
        }
    }
    const bool agrees = std::fabs(flatDb) <= kToleranceDb && std::fabs(weightedDb) <= kToleranceDb && worstShare <= kShareTolerance;
    std::printf("%-26s %.4f uV: %+.5f dB flat, %+.5f dB A, share %.5f (%s)%s\n", c.name.c_str(), ours.outputUv, flatDb,
                weightedDb, worstShare, worstName.c_str(), agrees ? "" : "  <-- FAILED");
    return agrees;
}

BuiltNetwork Stage(DesignKind kind, HighFrequencyZero zero, NetworkForm form, bool cartridge, bool finite) {
    ActiveStageRequest r = NoiseStageRequest(kind, zero, finite);
    r.form = form;
    r.c0 = 100;
    return NoiseStage(r, cartridge);
}

BuiltNetwork Passive(CircuitKind circuit, bool cartridge) { return NoisePassive(circuit, cartridge); }

std::vector<Case> Cases() {
    NoiseSettings white;
    NoiseSettings pink;
    pink.fceHz = 100;
    pink.fciHz = 400;
    NoiseSettings warm = pink;
    warm.temperatureC = 60;
    using D = DesignKind;
    using Z = HighFrequencyZero;
    using F = NetworkForm;
    // The coupling capacitor and RL after a non-inverting stage, through its correction low-pass.
    BuiltNetwork coupled = [] {
        ActiveStageRequest r;
        r.gain1kHzDb = 35;
        r.rl = 47'000;
        r.curve.iecAmendment = true;
        BuiltNetwork net = DesignActiveStage(r);
        net.source = kNoiseCartridge;
        return net;
    }();
    return {
        {"noninv-pole-cart", Stage(D::NonInverting, Z::Pole, F::A, true, false), white},
        {"noninv-none-cart-pink", Stage(D::NonInverting, Z::None, F::B, true, false), pink},
        {"noninv-318-cart-finite", Stage(D::NonInverting, Z::At3_18us, F::C, true, true), pink},
        {"noninv-pole-ideal-finite", Stage(D::NonInverting, Z::Pole, F::D, false, true), white},
        {"noninv-coupled-cart", coupled, pink},
        {"inv-cart-finite-pink", Stage(D::Inverting, Z::Pole, F::A, true, true), pink},
        {"inv-ideal", Stage(D::Inverting, Z::Pole, F::D, false, false), white},
        {"two-stage-cart-warm", Stage(D::TwoStage, Z::Pole, F::A, true, true), warm},
        {"passive-v1", Passive(CircuitKind::CompleteRiaaVersion1, false), white},
        {"passive-v2-cart", Passive(CircuitKind::CompleteRiaaVersion2, true), white},
        {"passive-shelf-cart", Passive(CircuitKind::Shelving500To2122Hz, true), warm},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " NGSPICE WORK_FOLDER\n";
        return 2;
    }
    const spice::fs::path folder = argv[2];
    spice::fs::create_directories(folder);
    std::vector<Case> cases;
    try {
        cases = Cases();
    } catch (const std::exception& e) {
        std::cerr << "a case cannot be built: " << e.what() << "\n";
        return 1;
    }
    std::size_t failures = 0;
    for (const Case& c : cases) {
        try {
            if (!Agrees(argv[1], folder, c)) ++failures;
        } catch (const std::exception& e) {
            std::cerr << c.name << ": " << e.what() << "\n";
            ++failures;
        }
    }
    std::printf("%zu of %zu noise netlists agree within %g dB and %g in each share\n", cases.size() - failures,
                cases.size(), kToleranceDb, kShareTolerance);
    return failures == 0 ? 0 : 1;
}
