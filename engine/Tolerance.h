// Monte Carlo runs of a network built from toleranced parts: how far a production run strays from its target.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/BuiltNetwork.h"

namespace riaa {

enum class ToleranceDistribution {
    Uniform,  // anywhere within ±tolerance, evenly
    Normal,   // σ = tolerance / 2, so about 95 % of the parts lie within ±tolerance
};

struct ToleranceSettings {
    // Every resistor and capacitor of the design; Rs and RL belong to the stages around and stay
    // as they are.
    double resistorPercent = 1;
    double capacitorPercent = 2;
    double loadCapacitancePercent = 0;  // the cartridge's load capacitance, cable included, where one drives the input
    ToleranceDistribution distribution = ToleranceDistribution::Uniform;
    int builds = 10000;
    int frequencies = 200;  // log-spaced from 20 Hz to 20 kHz, both ends included
    std::uint64_t seed = 0x4D6972656C756E64;
    unsigned threads = 2;  // 0: as many as the machine has
    // The 95 % band per frequency. A run that wants only the percentiles leaves it out and with it
    // the table of every build's error at every frequency.
    bool band = true;

    bool operator==(const ToleranceSettings&) const = default;
};

// Tolerances beyond this are refused: a normal draw could then make a part negative.
inline constexpr double kLargestTolerancePercent = 20;
// Settings beyond these are refused: the table of every build's error at every frequency would
// pass 200 MB.
inline constexpr int kMaxToleranceBuilds = 100'000;
inline constexpr int kMaxToleranceFrequencies = 500;

struct ToleranceBandPoint {
    double hz = 0;
    double nominalDb = 0;  // the error of the nominal build
    double lowerDb = 0;    // 2.5th percentile of the builds' errors at this frequency
    double upperDb = 0;    // 97.5th percentile
};

struct ToleranceResult {
    // The largest |error| over the band, each in dB, normalised at 1 kHz as EvaluateAccuracy does.
    double nominalLargestErrorDb = 0;
    double p50Db = 0;
    double p95Db = 0;
    double p99Db = 0;
    std::vector<ToleranceBandPoint> band;  // the 95 % band, one point per frequency; empty when not asked for
};

// Builds the network settings.builds times with every part drawn within its tolerance. The figures
// depend only on the network and the settings, not on the number of threads. Gives nothing when
// cancel turned true before the run finished (it is looked at every few hundred builds). Throws
// EngineError for a network that cannot be built and for settings out of range.
std::optional<ToleranceResult> RunTolerance(const BuiltNetwork& network, const ToleranceSettings& settings,
                                            const std::atomic<bool>& cancel);

}  // namespace riaa
