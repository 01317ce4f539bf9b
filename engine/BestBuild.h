// The search for the standard parts that follow a design's curve most closely: the best builds of the whole space.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/BuiltNetwork.h"
#include "engine/PartSeries.h"

namespace riaa {

struct BestBuildRequest {
    SeriesKind capacitorSeries = SeriesKind::E12;  // E6, E12 or E24
    SeriesKind resistorSeries = SeriesKind::E24;   // E12 to E192
    PartRange capacitorRange{1e-3, 1};             // µF: 1 nF to 1 µF
    PartRange resistorRange{10, 10e6};             // Ω
    // Each element as one part or two (resistors in series, capacitors in parallel) of the same series.
    bool pairs = false;
    int count = 10;  // the builds wanted, best first
    // An active stage's gain at 1 kHz must come within kBestBuildGainWindowDb of this; empty: the
    // design's own gain. Passive networks have no gain rule.
    std::optional<double> gain1kHzDb;
    unsigned threads = 2;  // 0: as many as the machine has
};

inline constexpr double kBestBuildGainWindowDb = 0.5;
// A pair's sum lies within this many series steps of the element's value in the best single-part build.
inline constexpr int kBestBuildPairSteps = 1;
// Of two sums of a pair closer than this, relative to the smaller, the pair space holds the smaller:
// a tenth of a percent for a passive network's four elements, finer than any part's tolerance; a
// quarter of a percent for an active stage's six or seven, still finer than the 1 % parts pairs are
// most often made of. The space grows as the spacing's inverse to the power of the elements' count:
// at a tenth of a percent the pairs of form D with E96 resistors took a minute.
inline constexpr double kBestBuildPairSpacing = 0.001;
inline constexpr double kBestBuildStagePairSpacing = 0.0025;
// A pair's smaller part is at least this fraction of its larger one.
inline constexpr double kBestBuildPairSmallestShare = 0.01;

// One element of a build: its value and the standard parts it is made of (one, or two whose sum it is).
struct BestBuildPart {
    ElementKind element = ElementKind::C1;
    double value = 0;           // µF or Ω
    std::vector<double> parts;  // the larger first
};

struct BestBuild {
    std::vector<BestBuildPart> parts;  // the elements searched, in ElementKind order
    double largestErrorDb = 0;         // signed, as EvaluateAccuracy reports it for these parts
    double gain1kHzDb = 0;             // 20·log10 |H(1 kHz)|
};

// How far a search has come: done out of total pieces of work; either may be read at any time. With
// pairs the total grows once, when the pair search starts after the single parts.
struct BestBuildProgress {
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
};

// The elements a search chooses for this design: a passive network's C1, C2, R1, R2; an active
// stage's feedback network, R0 or Rin, R3, C3 and Cout where in circuit. Rs, RL and C0 keep their values.
std::vector<ElementKind> BestBuildElements(const BuiltNetwork& network);

// The request.count builds of least largest |error| over 20 Hz to 20 kHz (normalised at 1 kHz), best
// first, among every build of standard parts the request allows; an active stage's within the gain
// rule, less the mirror images (IsMirroredFormA). Fewer where the space holds fewer. Single parts: the exact optimum, the space pruned by
// proved bounds only. Pairs: the optimum of the pair space (each element one part or a pair whose
// sum is within kBestBuildPairSteps series steps of its value in the best single-part build), never
// worse than the single parts. Gives nothing when cancel turned true before the end. Throws
// EngineError for a request out of range and for a design that cannot be built.
std::optional<std::vector<BestBuild>> FindBestBuilds(const BuiltNetwork& network, const BestBuildRequest& request,
                                                     const std::atomic<bool>& cancel,
                                                     BestBuildProgress* progress = nullptr);

// Whether a build is the mirror image of another: form A's sections R1 ∥ C1 and R2 ∥ C2 may trade
// places without changing anything, and of the two the search lists only the one whose first
// section has the longer time constant (the larger R1 where both are equal), as the design has it.
bool IsMirroredFormA(const BuiltNetwork& build);

// The design with the build's parts in place of its own.
BuiltNetwork WithBuild(BuiltNetwork network, const BestBuild& build);

}  // namespace riaa
