#include "engine/BestBuild.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>

#include "engine/ActiveStage.h"
#include "engine/Formats.h"
#include "engine/RecordedTransfer.h"
#include "engine/RunMemo.h"
#include "engine/Response.h"
#include "engine/StageEnclosure.h"
#include "engine/TransferPolynomials.h"
#include "engine/Workers.h"

namespace riaa {

// How the search is exact. A box gives each chosen element a run of consecutive candidates. The
// rational function of every design is built from its parts by sums and products only, of positive
// parts and positive constants (an inverting stage's sign aside, which is the same on every
// coefficient): each coefficient is a polynomial with positive terms in the part values, so its
// magnitude over a box lies between its values at the box's lowest and its highest corner. From
// those two corners |H(jω)|² at any frequency lies within an interval (each even and odd sum
// bounded term by term), and so does the error normalised at 1 kHz. The error at a few frequencies
// of the accuracy grid is never more than the largest error over the whole grid, which
// EvaluateAccuracy reports (its refinement between samples only adds): the least |error| the
// intervals allow at those frequencies is a lower bound for every build in the box. A box whose
// bound exceeds the count-th best build found so far holds none of the best, nor does one whose
// gain interval misses the gain window. Every build not pruned so is evaluated by EvaluateAccuracy.

namespace {

// Eight boxes are bounded at once, each by its two corners on two lanes: the halves of a box along
// kCutElements elements.
constexpr std::size_t kCutElements = 3;
constexpr std::size_t kBoxesAtOnce = std::size_t{1} << kCutElements;
static_assert(2 * kBoxesAtOnce <= Lanes::kCount, "two lanes a box");
// The two evaluations of a level round differently; a bound is lowered by this much to stay one.
constexpr double kRoundingMarginDb = 1e-6;
// Every this many points of the accuracy grid is a frequency of the bound. A box that holds good
// builds is bounded at every frequency of the bound, and most boxes bounded are such boxes or their
// children: a few frequencies, well chosen, prune nearly as much for a fraction of the work (every
// 8th point took 2.5 times as long as every 64th).
constexpr std::size_t kBoundStride = 64;
// A box narrower than this (the product of its runs' ratios) is bounded by discs alone.
constexpr double kNarrowBox = 64;
// The search is cut into at least this many boxes, shared by the threads: the whole space of single
// parts finely, so that the two threads stay busy to the end; the narrow pair space coarsely, as its
// boxes are best cut by the bound as it goes.
constexpr std::size_t kSingleWorkItems = 1024;
constexpr std::size_t kPairWorkItems = 64;
constexpr int kLargestCount = 1000;

double Decibels(double powerRatio) { return 10 * std::log10(powerRatio); }
// The bound of a box proved out before all was looked at: above any threshold, as its bound would
// be, without the logarithm (most boxes bounded are such boxes); short of the infinity of a box
// that holds nothing.
constexpr double kProvedOut = std::numeric_limits<double>::max();

// The least and the most of a list over any run of it, each looked up at once: a sparse table.
class RunExtremes {
public:
    explicit RunExtremes(const std::vector<double>& values) {
        least_.push_back(values);
        most_.push_back(values);
        for (std::size_t width = 1; 2 * width <= values.size(); width *= 2) {
            const std::vector<double>& least = least_.back();
            const std::vector<double>& most = most_.back();
            std::vector<double> nextLeast(least.size() - width);
            std::vector<double> nextMost(most.size() - width);
            for (std::size_t i = 0; i < nextLeast.size(); ++i) {
                nextLeast[i] = std::min(least[i], least[i + width]);
                nextMost[i] = std::max(most[i], most[i + width]);
            }
            least_.push_back(std::move(nextLeast));
            most_.push_back(std::move(nextMost));
        }
    }
    // Over first to last, both included.
    std::pair<double, double> over(std::size_t first, std::size_t last) const {
        const std::size_t level = static_cast<std::size_t>(std::bit_width(last - first + 1)) - 1;
        const std::size_t other = last + 1 - (std::size_t{1} << level);
        return {std::min(least_[level][first], least_[level][other]), std::max(most_[level][first], most_[level][other])};
    }

private:
    std::vector<std::vector<double>> least_;  // least_[k][i]: the least of the 2^k values from i on
    std::vector<std::vector<double>> most_;
};

// The low-pass's time constant C3·(R3 ∥ RL) for a load of RL Ω, R3·C3 for none (0).
double LowPassTimeConstant(double r3, double c3, double load) { return load > 0 ? c3 * (r3 * load / (r3 + load)) : r3 * c3; }

// The values one element may take, ascending, with the standard parts each is made of.
struct Candidates {
    ElementKind element = ElementKind::C1;
    std::vector<double> values;
    std::vector<std::array<double, 2>> parts;  // the second 0 for a single part; R3's for a low-pass
    // R3 and C3 chosen as one: every R3 with every C3, ordered by their time constant, C3·(R3 ∥ RL)
    // with a load RL and R3·C3 without one or behind Cout. A run of such candidates is a run of time
    // constants, which a box of R3's and C3's own runs is not: the time constant would spread over
    // the whole box, and the valley of good builds along it would have to be cut out of the box
    // piece by piece. A candidate is then every pair of one time constant (a decade more of R3 and
    // less of C3 gives the same, but for the last bit): values holds the least and highs the most of
    // each, members where its pairs start in r3, c3 and the parts.
    bool lowPass = false;
    std::vector<double> highs;
    std::vector<std::uint32_t> members;  // one more than values: the end of the last
    std::vector<double> r3;
    std::vector<double> c3;
    std::vector<std::array<double, 2>> c3Parts;
    double load = 0;  // RL where the time constant is C3·(R3 ∥ RL), else 0; for r3Run the RL it feeds through Cout
    // Cout after C3 makes R3 count on its own too, in series with Cout into the load: a run of time
    // constants is then narrowed by a run of R3's own values, the next candidates (r3Run).
    bool coupled = false;
    bool r3Run = false;  // R3's values beside a coupled low-pass: a box holds its pairs with an R3 in this run
    std::optional<RunExtremes> r3Extremes;  // of every pair, with a load (whose share of the level R3 sets) or Cout
    std::optional<RunExtremes> c3Extremes;  // of every pair, with Cout
    std::vector<double> c3Values;  // every C3 of the pairs, ascending, with Cout

    double high(std::size_t i) const { return lowPass ? highs[i] : values[i]; }
};

// How wide split() takes a run of several candidates of one value to be: the least width there is.
constexpr double kTiedRun = 1 + 1e-12;

using Pick = std::array<std::uint32_t, kPartCount>;

// The elements the candidates set: a low-pass's R3 and C3 both.
std::vector<ElementKind> ChosenElements(const std::vector<Candidates>& candidates) {
    std::vector<ElementKind> elements;
    for (const Candidates& c : candidates) {
        if (c.r3Run) continue;
        elements.push_back(c.element);
        if (c.lowPass) elements.push_back(ElementKind::C3);
    }
    return elements;
}


// A run of candidates per element: lo[d] to hi[d], both included.
struct Box {
    Pick lo{};
    Pick hi{};
};

struct Found {
    double key = 0;  // |largest error|
    Pick index{};
    BestBuild build;
};

bool Before(const Found& a, const Found& b) { return a.key != b.key ? a.key < b.key : a.index < b.index; }

struct Span {
    double lo = 0;
    double hi = 0;
};

double SquareLow(double lo, double hi) { return lo <= 0 && hi >= 0 ? 0 : std::min(lo * lo, hi * hi); }
double SquareHigh(double lo, double hi) { return std::max(lo * lo, hi * hi); }

// |p(jω)|² of every polynomial whose coefficients' magnitudes lie between lo and hi: the even part
// Σ c₂ₘ(−ω²)ᵐ and the odd part Σ c₂ₘ₊₁(−ω²)ᵐ, each term at the end that makes the sum least or most.
Span MagnitudeSquaredSpan(const std::array<double, kPolynomialCoefficients>& lo,
                          const std::array<double, kPolynomialCoefficients>& hi, std::size_t top, double w2) {
    std::array<double, 2> low{};
    std::array<double, 2> high{};
    double power = 1;
    for (std::size_t k = 0; k <= top; ++k) {
        const std::size_t part = k % 2;
        if ((k / 2) % 2 == 0) {
            low[part] += lo[k] * power;
            high[part] += hi[k] * power;
        } else {
            low[part] -= hi[k] * power;
            high[part] -= lo[k] * power;
        }
        if (part == 1) power *= w2;
    }
    return {SquareLow(low[0], high[0]) + w2 * SquareLow(low[1], high[1]),
            SquareHigh(low[0], high[0]) + w2 * SquareHigh(low[1], high[1])};
}

// Where a design's error curve turns, as points of the accuracy grid, the largest first: a narrow
// peak such as a cartridge's resonance lies between the bound's sparse points, and a bound blind to
// it proves nothing out near it. Turns of less than kErrorTurnFloorDb (an exact design's rounding)
// are left out, and so are all but the kErrorTurns largest.
constexpr double kErrorTurnFloorDb = 1e-4;
constexpr std::size_t kErrorTurns = 8;
std::vector<std::size_t> ErrorTurns(const std::vector<ErrorPoint>& curve) {
    std::vector<std::size_t> turns;
    for (std::size_t i = 1; i + 1 < curve.size(); ++i) {
        const double e = curve[i].errorDb;
        const bool peak = e > curve[i - 1].errorDb && e >= curve[i + 1].errorDb;
        const bool dip = e < curve[i - 1].errorDb && e <= curve[i + 1].errorDb;
        if ((peak || dip) && std::fabs(e) >= kErrorTurnFloorDb) turns.push_back(i);
    }
    std::stable_sort(turns.begin(), turns.end(), [&](std::size_t a, std::size_t b) { return std::fabs(curve[a].errorDb) > std::fabs(curve[b].errorDb); });
    if (turns.size() > kErrorTurns) turns.resize(kErrorTurns);
    return turns;
}

// The amplifier's bounds at each frequency of the bound and at 1 kHz (the last), each worked out
// when first asked for: boxes that differ in the output's parts alone share them.
constexpr std::size_t kMostBoundFrequencies = 2 + static_cast<std::size_t>(kErrorCurvePoints) / kBoundStride + kErrorTurns + 1;
static_assert(kMostBoundFrequencies <= 32, "a bit each");
struct AmplifierBounds {
    std::array<MagnitudeBounds, kMostBoundFrequencies> at;
    std::uint32_t known = 0;  // a bit for each of at

    void forget() { known = 0; }
};

// The output network's bounds likewise, with Cout also over its share of the level, and the parts
// they are worked out from: boxes that differ in the amplifier's parts alone share them.
struct OutputBounds {
    bool ready = false;  // parts, empty and load are known
    bool empty = false;  // no build has the box's runs of the output's parts
    PartIntervals parts;  // the designed parts, the output's over the box
    Span load;  // the power's share a load takes of the level, which the shape leaves out
    std::array<MagnitudeBounds, kMostBoundFrequencies> at;
    std::array<MagnitudeBounds, kMostBoundFrequencies> overShare;
    std::uint32_t known = 0;  // a bit for each of at
    std::uint32_t knownOverShare = 0;

    void forget() {
        ready = false;
        known = 0;
        knownOverShare = 0;
    }
};

// A thread's memos of the bounds' two factors, each by the runs of the parts it is worked out from.
// Measured with two stages with the IEC coupling and E96 resistors: of 6.9 M boxes bounded, 20 k
// had distinct runs of the output's parts; of the 14.9 M amplifier bounds they took, 3.7 M were
// distinct. A factor remembered is the one that would be worked out again from the same runs: the
// search's results are the same whatever the memos hold.
struct BoundMemos {
    // The designed parts, the amplifier's written over with each box's where its bounds are not
    // remembered: its parts are the same each time, the rest stays.
    PartIntervals amplifierParts;
    // At most 2^14 slots of about 380 bytes: 5.8 M amplifier bounds worked out with 2^11 slots,
    // 4.9 M with 2^13, 4.4 M with 2^15 and 4.2 M with 2^17, which was slower; 2^13 to 2^15 took
    // about as long. The output's, at most 2^12 slots of 1.2 kB: 174 k fills, 309 k with 2^10.
    RunMemo<AmplifierBounds, kPartCount> amplifier;
    RunMemo<OutputBounds, kPartCount> output;

    BoundMemos(const PartIntervals& designed, std::size_t amplifierDimensions, std::size_t outputDimensions)
        : amplifierParts(designed), amplifier(amplifierDimensions, 14), output(outputDimensions, 12) {}
};
using RunKey = std::array<std::uint64_t, kPartCount>;

// A pair's time constant is its R3·C3 rounded: what is worked out from it (C3 as τ/R3, R3 as τ/C3,
// τ as R3·C3 again) is taken out by a few roundings.
constexpr double kPairRoundingOut = 1 + 8 * std::numeric_limits<double>::epsilon();
constexpr double kPairRoundingIn = 1 - 8 * std::numeric_limits<double>::epsilon();

// The ends at which a coupled low-pass's output is least and most over a box: every pair whose R3
// lies within r3 and whose time constant within tau. A C3 gives such pairs only between τlow/R3high
// and τhigh/R3low, and then on a segment from R3 = max(R3low, τlow/C3) to min(R3high, τhigh/C3),
// along which R3 and R3·C3 rise together. The segments' high ends have R3 high and a time constant
// rising with C3 up to C3 = τhigh/R3high, and beyond it τhigh and an R3 falling with C3: the output,
// which falls with both, is least at the C3 just below that turn or just above it. Their low ends
// turn likewise at τlow/R3low, where the output is most. Empty where no C3 gives pairs.
std::optional<LowPassEnds> EndsOfLowPass(const Candidates& c, const PartInterval& r3, const PartInterval& tau) {
    const std::vector<double>& c3 = c.c3Values;
    const double lowest = tau.low / r3.high * kPairRoundingIn;
    const double highest = tau.high / r3.low * kPairRoundingOut;
    const auto around = [&](double turn, const auto& add) {
        const auto above = std::lower_bound(c3.begin(), c3.end(), turn);
        if (above != c3.begin() && *(above - 1) >= lowest) add(*(above - 1));
        if (above != c3.end() && *above <= highest) add(*above);
    };
    LowPassEnds ends;
    around(tau.high / r3.high, [&](double capacitor) {
        const double high = std::min(r3.high, tau.high / capacitor * kPairRoundingOut);
        ends.least[ends.leastCount++] = {high, high * capacitor * kPairRoundingOut};
    });
    around(tau.low / r3.low, [&](double capacitor) {
        const double low = std::max(r3.low, tau.low / capacitor * kPairRoundingIn);
        ends.most[ends.mostCount++] = {low, low * capacitor * kPairRoundingIn};
    });
    if (ends.leastCount == 0 || ends.mostCount == 0) return std::nullopt;
    return ends;
}

// The candidate nearest to x on a log scale.
std::uint32_t Nearest(const std::vector<double>& values, double x) {
    const auto above = std::lower_bound(values.begin(), values.end(), x);
    std::size_t i = static_cast<std::size_t>(above - values.begin());
    if (i == values.size()) return static_cast<std::uint32_t>(i - 1);
    if (i > 0 && x * x < values[i] * values[i - 1]) --i;
    return static_cast<std::uint32_t>(i);
}

class Search {
public:
    // errorTurns: ErrorTurns of the design's own error curve, points the bound looks at beside its grid.
    Search(const BuiltNetwork& network, std::vector<Candidates> candidates, int count, std::optional<double> gain,
           const std::vector<std::size_t>& errorTurns, const std::atomic<bool>& cancel)
        : network_(network), candidates_(std::move(candidates)), count_(static_cast<std::size_t>(count)), gain_(gain),
          cancel_(cancel), recorded_(ShapeNetwork(network, candidates_), ChosenElements(candidates_)) {
        for (const Candidates& c : candidates_) {
            std::vector<double>& inverses = inverses_.emplace_back();
            for (const double v : c.values) inverses.push_back(1 / v);
            if (c.lowPass && c.load > 0) lowPass_ = {static_cast<std::size_t>(&c - candidates_.data()), c.load};
            coupled_ = coupled_ || c.coupled;
            const std::size_t d = static_cast<std::size_t>(&c - candidates_.data());
            if (!c.lowPass && !c.r3Run && c.element != ElementKind::Cout) amplifierDimensions_.push_back(d);
            const bool output = c.element == ElementKind::R3 || c.element == ElementKind::C3 || c.element == ElementKind::Cout || c.element == ElementKind::RL;
            if (c.lowPass || c.r3Run || output) outputDimensions_.push_back(d);
        }
        const PartValues<double> designed = DesignedValues(network);
        for (std::size_t e = 0; e < designed.values.size(); ++e) base_.values[e] = Lanes(designed.values[e]);
        base_.loadCapacitancePf = Lanes(designed.loadCapacitancePf);
        const Ratio target = TargetFunction(network);
        const std::vector<double> grid = ErrorBandFrequencies(kErrorCurvePoints);
        // The band's ends first: the errors of a build off its values grow away from 1 kHz, so a box
        // is most often proved out there, and the rest of the frequencies are then not looked at.
        std::vector<std::size_t> points{0, grid.size() - 1};
        for (std::size_t i = kBoundStride; i + 1 < grid.size(); i += kBoundStride) points.push_back(i);
        for (const std::size_t i : errorTurns) {
            if (std::find(points.begin(), points.end(), i) == points.end()) points.push_back(i);
        }
        for (const std::size_t i : points) addFrequency(target, grid[i]);
        reference_ = MakeFrequency(1000);
        referenceTargetInverse_ = 1 / PowerRatio(target, reference_);
        if (network.kind != DesignKind::Passive && FeedbackForm(network) == NetworkForm::A && network.has(ElementKind::C2)) {
            std::array<std::size_t, 4> dims{};
            std::size_t seen = 0;
            for (std::size_t k = 0; k < 4; ++k) {
                const ElementKind e = std::array{ElementKind::R1, ElementKind::C1, ElementKind::R2, ElementKind::C2}[k];
                for (std::size_t d = 0; d < candidates_.size(); ++d) {
                    if (candidates_[d].element == e && !candidates_[d].lowPass) {
                        dims[k] = d;
                        ++seen;
                    }
                }
            }
            if (seen == 4) mirror_ = dims;
        }
        if (coupled_ && FeedbackForm(network) == NetworkForm::A) {
            // R1 beside C1 and R2 beside C2: each part's spread is taken as its section's.
            const std::array<std::pair<ElementKind, ElementKind>, 4> partners{{{ElementKind::R1, ElementKind::C1}, {ElementKind::C1, ElementKind::R1}, {ElementKind::R2, ElementKind::C2}, {ElementKind::C2, ElementKind::R2}}};
            for (std::size_t d = 0; d < candidates_.size(); ++d) {
                for (const auto& [part, partner] : partners) {
                    if (candidates_[d].element != part || candidates_[d].lowPass) continue;
                    for (std::size_t e = 0; e < candidates_.size(); ++e) {
                        if (candidates_[e].element == partner && !candidates_[e].lowPass) sectionPartner_[d] = e;
                    }
                }
            }
        }
        if (network.kind != DesignKind::Passive) {
            designedIntervals_ = DesignedIntervals(network);
            referenceEnclosure_.emplace(network, reference_.hz);
            for (std::size_t d = 0; d < candidates_.size(); ++d) {
                if (!candidates_[d].lowPass && candidates_[d].element == referenceEnclosure_->gainResistor()) gainDimension_ = d;
            }
            for (const BoundFrequency& f : frequencies_) enclosures_.emplace_back(network, f.f.hz);
            for (const double hz : grid) {
                const Frequency f = MakeFrequency(hz);
                gridEnclosures_.emplace_back(BoundFrequency{f, 1 / PowerRatio(target, f)}, StageEnclosure(network, hz));
            }
        }
        if (gain_) {
            // Widened by the rounding margin so that a build the exact check keeps is never cut here.
            gainLow_ = std::pow(10.0, (*gain_ - kBestBuildGainWindowDb - kRoundingMarginDb) / 10);
            gainHigh_ = std::pow(10.0, (*gain_ + kBestBuildGainWindowDb + kRoundingMarginDb) / 10);
        }
    }

    // The network whose rational function the coefficients' bounds are taken from: without RL where R3
    // and C3 are one time constant with a load, whose shape then has R3·C3 and C3·(R3 ∥ RL) alike.
    static BuiltNetwork ShapeNetwork(BuiltNetwork network, const std::vector<Candidates>& candidates) {
        for (const Candidates& c : candidates) {
            if (c.lowPass && c.load > 0) network.remove(ElementKind::RL);
        }
        return network;
    }

    // A build known before the search: it gives the bound something to beat from the start.
    void seed(const Pick& index) { evaluate(index); }

    // The build found downhill from a seed, evaluated as a seed is. The count-th best build found
    // so far is what the bound prunes by, and where the design's own values lie beyond the series
    // the seeds about them may be far from the best builds (the IEC stage's Cout of 0.166 µF beyond
    // 100 nF leaves them off by 2 dB): the threshold then stays high through much of the search.
    // Measured with the IEC stage and E96 resistors: 2.9 M bound evaluations from the seeds, 1.6 M
    // from the builds downhill of them (1.2 M with the final threshold given from the start), for
    // 45 ms of walking; two stages with the IEC coupling, 7.6 M and 6.9 M for 17 ms (on one thread).
    void seedDownhill(const Pick& seed) {
        if (referenceEnclosure_) evaluate(descend(seed));
    }

    // The whole space cut into boxes for the threads.
    std::vector<Box> workItems(std::size_t atLeast) const {
        Box whole;
        for (std::size_t d = 0; d < candidates_.size(); ++d) whole.hi[d] = static_cast<std::uint32_t>(candidates_[d].values.size() - 1);
        std::vector<Box> items{whole};
        for (std::size_t i = 0; i < items.size() && items.size() < atLeast;) {
            std::vector<Box> parts = split(items[i]);
            if (parts.size() <= 1) {
                ++i;
                continue;
            }
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
            items.insert(items.end(), parts.begin(), parts.end());
        }
        return items;
    }

    void explore(const Box& box) {
        std::unique_ptr<BoundMemos> memos = takeMemos();
        const std::array<double, kBoxesAtOnce> b = bounds(&box, 1, false, *memos);
        explore(box, b[0], *memos);
        const std::lock_guard<std::mutex> lock(mutex_);
        memos_.push_back(std::move(memos));
    }

    std::vector<Found> results() const { return found_; }
    bool cut() const { return cut_.load(); }

private:
    struct BoundFrequency {
        Frequency f;
        double targetInverse = 0;
    };

    void addFrequency(const Ratio& target, double hz) {
        const Frequency f = MakeFrequency(hz);
        frequencies_.push_back({f, 1 / PowerRatio(target, f)});
    }

    double threshold() const { return threshold_.load(std::memory_order_relaxed); }

    // Memos no other thread is using; what they remember holds for the whole search.
    std::unique_ptr<BoundMemos> takeMemos() {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (memos_.empty()) return std::make_unique<BoundMemos>(designedIntervals_, amplifierDimensions_.size(), outputDimensions_.size());
        std::unique_ptr<BoundMemos> memos = std::move(memos_.back());
        memos_.pop_back();
        return memos;
    }

    // The box's runs of the parts at dimensions, into key (written in place: it is some 100 bytes).
    static void KeyOf(const Box& box, const std::vector<std::size_t>& dimensions, RunKey& key) {
        for (std::size_t k = 0; k < dimensions.size(); ++k) key[k] = std::uint64_t{box.lo[dimensions[k]]} << 32 | box.hi[dimensions[k]];
    }

    bool isPoint(const Box& box) const {
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            if (box.lo[d] != box.hi[d]) return false;
        }
        return true;
    }

    // The box cut in halves along the three elements whose runs span the largest ratios: eight
    // boxes, each narrower in three elements, which tightens a bound faster than eight runs of one
    // element would. With one element left wide it is cut into up to eight runs.
    std::vector<Box> split(const Box& box) const {
        std::array<std::size_t, kCutElements> widest{};
        std::array<double, kCutElements> ratio{};
        ratio.fill(1);
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            // A single candidate is not cut, though it may span a little (R3 and C3 of one time
            // constant); a run of equal values is still to be cut, after the rest.
            if (box.hi[d] == box.lo[d]) continue;
            double r = spanOf(box, d);
            if (!(r > 1)) r = kTiedRun;
            std::size_t e = d;
            for (std::size_t k = 0; k < kCutElements; ++k) {
                if (r > ratio[k]) {
                    std::swap(r, ratio[k]);
                    std::swap(e, widest[k]);
                }
            }
        }
        if (!(ratio[0] > 1)) return {box};
        if (ratio[1] > 1) {
            std::vector<Box> parts{box};
            for (std::size_t k = 0; k < kCutElements && ratio[k] > 1; ++k) {
                const std::size_t d = widest[k];
                const std::uint32_t middle = (box.lo[d] + box.hi[d] + 1) / 2;
                const std::size_t n = parts.size();
                for (std::size_t i = 0; i < n; ++i) {
                    parts.push_back(parts[i]);
                    parts[i].hi[d] = middle - 1;
                    parts.back().lo[d] = middle;
                }
            }
            return parts;
        }
        const std::size_t d = widest[0];
        const std::uint32_t first = box.lo[d];
        const std::uint32_t length = box.hi[d] - first + 1;
        const std::uint32_t pieces = std::min<std::uint32_t>(static_cast<std::uint32_t>(kBoxesAtOnce), length);
        std::vector<Box> parts(pieces, box);
        for (std::uint32_t p = 0; p < pieces; ++p) {
            parts[p].lo[d] = first + length * p / pieces;
            parts[p].hi[d] = first + length * (p + 1) / pieces - 1;
        }
        return parts;
    }

    void explore(const Box& box, double bound, BoundMemos& memos) {
        if (cancel_.load(std::memory_order_relaxed)) {
            cut_ = true;  // what this box held is unknown now, even should the flag be cleared again
            return;
        }
        // An infinite bound (a box the gain rule leaves out, or an empty one) holds nothing, even
        // before count builds are known.
        if (bound > threshold() || bound == std::numeric_limits<double>::infinity() || allMirrored(box)) return;
        if (isPoint(box)) {
            evaluate(box.lo);
            return;
        }
        const std::vector<Box> parts = split(box);
        const std::array<double, kBoxesAtOnce> b = bounds(parts.data(), parts.size(), referenceEnclosure_ && narrow(box), memos);
        // The most promising first, so that good builds come early and tighten the bound for the rest.
        std::array<std::size_t, kBoxesAtOnce> order{};
        for (std::size_t i = 0; i < kBoxesAtOnce; ++i) order[i] = i;
        for (std::size_t i = 1; i < parts.size(); ++i) {
            for (std::size_t k = i; k > 0 && b[order[k]] < b[order[k - 1]]; --k) std::swap(order[k], order[k - 1]);
        }
        for (std::size_t i = 0; i < parts.size(); ++i) explore(parts[order[i]], b[order[i]], memos);
    }

    // Lower bounds of the largest |error| of up to eight boxes; infinite for a box the gain rule excludes.
    // withinNarrow: the boxes are parts of a narrow box, and so narrow too. memos: the factors'
    // bounds, which a stage's discs look at; a passive network's boxes take the corners alone.
    std::array<double, kBoxesAtOnce> bounds(const Box* boxes, std::size_t n, bool withinNarrow, BoundMemos& memos) const {
        std::array<double, kBoxesAtOnce> result{};
        const double enough = threshold() + kRoundingMarginDb;
        const double enoughRatio = std::pow(10.0, enough / 10);  // the same as a power ratio
        std::array<RunKey, kBoxesAtOnce> amplifierKeys{};
        std::array<RunKey, kBoxesAtOnce> outputKeys{};
        for (std::size_t j = 0; j < (referenceEnclosure_ ? n : 0); ++j) {
            KeyOf(boxes[j], amplifierDimensions_, amplifierKeys[j]);
            KeyOf(boxes[j], outputDimensions_, outputKeys[j]);
            memos.amplifier.prefetch(amplifierKeys[j]);
            memos.output.prefetch(outputKeys[j]);
        }
        const auto enclosed = [&](std::size_t j) {
            return boundOfEnclosures(boxes[j], enoughRatio, memos.amplifier.of(amplifierKeys[j]), memos.output.of(outputKeys[j]), memos.amplifierParts);
        };
        // The corners bound a wide box best, the discs a narrow one: once every box is narrow the
        // discs alone; before, the discs where the corners leave a box in.
        if (referenceEnclosure_ && (withinNarrow || std::all_of(boxes, boxes + n, [&](const Box& box) { return narrow(box); }))) {
            for (std::size_t j = 0; j < n; ++j) result[j] = enclosed(j);
            return result;
        }
        PartValues<Lanes> lanes = base_;
        std::array<bool, kBoxesAtOnce> empty{};
        for (std::size_t j = 0; j < kBoxesAtOnce; ++j) {
            const Box& box = boxes[j < n ? j : 0];
            for (std::size_t d = 0; d < candidates_.size(); ++d) {
                const Candidates& c = candidates_[d];
                const auto put = [&](ElementKind e, double low, double high) {
                    Lanes& lane = lanes.values[riaa::Index(e)];
                    lane.v[2 * j] = low;
                    lane.v[2 * j + 1] = high;
                };
                if (c.r3Run) continue;
                if (c.coupled) {
                    const std::optional<PartInterval> r3 = coupledR3(box, d);
                    if (!r3) {
                        empty[j] = true;
                        continue;  // the lanes keep the last box's values: positive, and their bound unused
                    }
                    // C3 is in every term of a coefficient only within R3·C3, the time constant, times
                    // R3 or not: R3 and R3·C3 at their ends bound each term, and so the coefficient.
                    put(ElementKind::R3, r3->low, r3->high);
                    put(ElementKind::C3, c.values[box.lo[d]] / r3->low, c.highs[box.hi[d]] / r3->high);
                    continue;
                }
                put(c.element, c.values[box.lo[d]], c.high(box.hi[d]));
                // The shape's coefficients see the time constant alone: R3 as it and C3 as 1 give them exactly.
                if (c.lowPass) put(ElementKind::C3, 1, 1);
            }
        }
        // The rational function replayed from its recording, as the tolerance runs take it.
        thread_local std::vector<Lanes> workspace;
        const BasicRatio<Lanes> h = recorded_.Evaluate(lanes, workspace);
        for (std::size_t j = 0; j < n; ++j) {
            if (empty[j]) {
                result[j] = std::numeric_limits<double>::infinity();
                continue;
            }
            result[j] = boundOfLanes(h, 2 * j, levelShare(boxes[j]), enoughRatio);
            if (referenceEnclosure_ && result[j] <= enough) result[j] = std::max(result[j], enclosed(j));
        }
        return result;
    }

    // Whether the box's runs together span less than kNarrowBox: the product of their ratios. Each
    // falls as its run narrows (so does a section's spread, as its partner's run narrows too): a box
    // within a narrow one is narrow.
    bool narrow(const Box& box) const {
        double span = 1;
        for (std::size_t d = 0; d < candidates_.size(); ++d) span *= spanOf(box, d);
        return span < kNarrowBox;
    }

    // How far a box's run of one element spreads the response: the ratio of its ends, which is
    // about the spread in |H| a resistor or capacitor of the network gives; for the low-pass's
    // time constant the spread it gives |H| at the band's top, as its pole lies mostly far above
    // the band, where a wide run of time constants changes next to nothing.
    double spanOf(const Box& box, std::size_t d) const {
        const Candidates& c = candidates_[d];
        const double low = c.values[box.lo[d]];
        const double high = c.high(box.hi[d]);
        if (c.r3Run) return (c.load + high) / (c.load + low);  // R3 in series with the load
        // With Cout the element that sets the gain, R0 or Rin, is cut early, its ratio squared, so
        // that the gain rule prunes early. Measured with the amplifier bounded times that resistor
        // (E24 and E96 resistors): a stage and two stages with the IEC coupling took 1.1 to 1.25
        // times as long with E24 without it, and 1.1 to 1.3 times as long with E96 when cut still
        // earlier (to the fourth power); two stages into a load without Cout took ten times as long
        // with it, which is why only with Cout.
        if (coupled_ && (c.element == ElementKind::R0 || c.element == ElementKind::Rin)) return (high / low) * (high / low);
        if (sectionPartner_[d]) return sectionSpan(box, d, low, high);
        if (!c.lowPass) return high / low;
        constexpr double w = 2 * std::numbers::pi * kErrorBandHighHz * 1e-6;  // rad/µs
        return std::sqrt((1 + w * high * w * high) / (1 + w * low * w * low));
    }

    // Of a part of form A's section R ∥ C, with Cout: how far its run spreads the section's admittance
    // 1/R + jωC, relative to the admittance's least magnitude, at the band's end where that is widest
    // (the low end for R, the top for C): 1 + the spread. Where R·C lies below the band, as the IEC
    // stages' best builds may put R1·C1 (Cout and RL then take the 3180 µs), R's run hardly moves
    // the section, and cutting it first, as its ratio would have it, bounds little closer. Measured
    // with the stages with the IEC coupling and E96 resistors: bound evaluations from 7.1 M to 2.9 M
    // and from 12.3 M to 7.6 M (R's span alone gave the most). Without Cout it is the ratio: two
    // stages into a load took ten times as long with E24 resistors with it.
    double sectionSpan(const Box& box, std::size_t d, double low, double high) const {
        const std::size_t e = *sectionPartner_[d];
        const Candidates& partner = candidates_[e];
        if (IsCapacitor(candidates_[d].element)) {
            constexpr double w = 2 * std::numbers::pi * kErrorBandHighHz * 1e-6;  // rad/µs
            const double g = 1 / partner.values[box.hi[e]];
            return 1 + w * (high - low) / std::sqrt(g * g + (w * low) * (w * low));
        }
        constexpr double w = 2 * std::numbers::pi * kErrorBandLowHz * 1e-6;
        const double g = 1 / high;
        const double b = w * partner.values[box.lo[e]];
        return 1 + (1 / low - g) / std::sqrt(g * g + b * b);
    }

    // From the coefficients at a box's two corners, on two lanes.
    double boundOfLanes(const BasicRatio<Lanes>& h, std::size_t lane, Span share, double enoughRatio) const {
        std::array<std::array<double, kPolynomialCoefficients>, 4> c{};  // num lo, num hi, den lo, den hi
        for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
            for (std::size_t p = 0; p < 2; ++p) {
                const Lanes& coefficient = p == 0 ? h.num.c[k] : h.den.c[k];
                const double a = coefficient.v[lane];
                const double b = coefficient.v[lane + 1];
                // Where the corners disagree in sign or order the argument above fails: no bound then.
                if ((a < 0) != (b < 0) && a != 0 && b != 0) return 0;
                if (std::fabs(a) > std::fabs(b)) return 0;
                c[2 * p][k] = std::fabs(a);
                c[2 * p + 1][k] = std::fabs(b);
            }
        }
        const auto power = [&](const Frequency& f) {
            const Span num = MagnitudeSquaredSpan(c[0], c[1], h.num.bound, f.w2);
            const Span den = MagnitudeSquaredSpan(c[2], c[3], h.den.bound, f.w2);
            return Span{num.lo / den.hi, num.hi / den.lo};
        };
        return boundOfSpans(power(reference_), share, [&](std::size_t i) { return power(frequencies_[i].f); }, enoughRatio);
    }

    // R3's interval over a box of a coupled low-pass (at d, its R3's own run at d + 1): within its run
    // and the pairs' extremes. Empty where no pair of the box has an R3 in its run, nor a C3 of the
    // pairs' within the time constant over R3.
    std::optional<PartInterval> coupledR3(const Box& box, std::size_t d) const {
        const Candidates& c = candidates_[d];
        const Candidates& r3 = candidates_[d + 1];
        const std::size_t first = c.members[box.lo[d]];
        const std::size_t last = c.members[box.hi[d] + 1] - 1;
        const auto [r3Least, r3Most] = c.r3Extremes->over(first, last);
        const auto [c3Least, c3Most] = c.c3Extremes->over(first, last);
        const double r3Low = std::max(r3Least, r3.values[box.lo[d + 1]]);
        const double r3High = std::min(r3Most, r3.values[box.hi[d + 1]]);
        if (r3Low > r3High) return std::nullopt;
        const double c3Low = std::max(c3Least, c.values[box.lo[d]] / r3High * kPairRoundingIn);
        const double c3High = std::min(c3Most, c.highs[box.hi[d]] / r3Low * kPairRoundingOut);
        if (c3Low > c3High) return std::nullopt;
        return PartInterval{r3Low, r3High};
    }

    // The run of the part at d over the box, with its inverses.
    PartInterval intervalOf(const Box& box, std::size_t d) const {
        const std::vector<double>& values = candidates_[d].values;
        const std::vector<double>& inverses = inverses_[d];
        return PartInterval{values[box.lo[d]], values[box.hi[d]], inverses[box.lo[d]], inverses[box.hi[d]]};
    }

    // The box's parts at dimensions into `parts`, which holds the designed ones; false where no
    // build has the box's runs of R3 and C3.
    bool intervalsOf(const Box& box, const std::vector<std::size_t>& dimensions, PartIntervals& parts) const {
        for (const std::size_t d : dimensions) {
            const Candidates& c = candidates_[d];
            if (c.lowPass) {
                parts.lowPassUs = PartInterval{c.values[box.lo[d]], c.high(box.hi[d])};
                if (c.coupled) {
                    const std::optional<PartInterval> r3 = coupledR3(box, d);
                    if (!r3) return false;
                    parts[ElementKind::R3] = *r3;
                    parts.lowPassEnds = EndsOfLowPass(c, *r3, *parts.lowPassUs);
                    if (!parts.lowPassEnds) return false;
                }
                continue;
            }
            if (!c.r3Run) parts[c.element] = intervalOf(box, d);
        }
        return true;
    }

    static Span PowerSpan(const StageEnclosure& enclosure, const PartIntervals& parts) {
        const MagnitudeBounds h = enclosure(parts);
        return Span{h.least * h.least, h.most * h.most};
    }

    // The same from the discs that hold the response of every build in the box: the product of the
    // amplifier's and the output's, each of which this box shares with others. amplifierParts: as
    // BoundMemos keeps them.
    double boundOfEnclosures(const Box& box, double enoughRatio, AmplifierBounds& amplifier, OutputBounds& output, PartIntervals& amplifierParts) const {
        if (!output.ready) {
            output.parts = designedIntervals_;
            output.empty = !intervalsOf(box, outputDimensions_, output.parts);
            output.load = levelShare(box);
            output.ready = true;
        }
        if (output.empty) return std::numeric_limits<double>::infinity();
        bool amplifierPartsKnown = false;  // the box's, once a bound not remembered asks for them
        const auto partsOfAmplifier = [&]() -> const PartIntervals& {
            if (!amplifierPartsKnown) intervalsOf(box, amplifierDimensions_, amplifierParts);
            amplifierPartsKnown = true;
            return amplifierParts;
        };
        // The amplifier's bounds leave out 1/R² of the power, R the gain resistor: a share of the level.
        const PartInterval resistor = gainDimension_ < candidates_.size() ? intervalOf(box, gainDimension_) : designedIntervals_[referenceEnclosure_->gainResistor()];
        const auto bound = [&](bool overShare, Span share) {
            const auto power = [&](std::size_t i, const StageEnclosure& enclosure) {
                const std::uint32_t bit = std::uint32_t{1} << i;
                if (!(amplifier.known & bit)) {
                    amplifier.at[i] = enclosure.scaledAmplifier(partsOfAmplifier());
                    amplifier.known |= bit;
                }
                if (!(output.known & bit)) {
                    output.at[i] = enclosure.output(output.parts);
                    output.known |= bit;
                }
                if (overShare && !(output.knownOverShare & bit)) {
                    output.overShare[i] = enclosure.outputOverShare(output.parts, output.at[i]);
                    output.knownOverShare |= bit;
                }
                const MagnitudeBounds h = StageEnclosure::Product(amplifier.at[i], overShare ? output.overShare[i] : output.at[i]);
                return Span{h.least * h.least, h.most * h.most};
            };
            share = {share.lo * resistor.highInverse * resistor.highInverse, share.hi * resistor.lowInverse * resistor.lowInverse};
            return boundOfSpans(power(frequencies_.size(), *referenceEnclosure_), share, [&](std::size_t i) { return power(i, enclosures_[i]); }, enoughRatio);
        };
        const double whole = bound(false, output.load);
        // With Cout, R3's share of the level, RL/(RL + R3), spreads the output alike at every
        // frequency: left out, the shape is bounded more closely, but the gain rule then sees it
        // only as a share, beside the level. Both bounds hold; the box takes the higher. Measured:
        // either alone took 1.3 to 2.1 times as long as both, with the stages with the IEC coupling.
        const PartIntervals& out = output.parts;
        if (!out.lowPassEnds || whole >= kProvedOut) return whole;  // out, or outside the gain window
        const Span r3Share = LoadShare(out[ElementKind::RL].low, out[ElementKind::R3].low, out[ElementKind::R3].high);
        return std::max(whole, bound(true, {output.load.lo * r3Share.lo, output.load.hi * r3Share.hi}));
    }

    // Whether a build the bound kept is out at some point of the accuracy grid: looked at before its
    // full evaluation, which costs several times as much as the whole grid's discs, and most often
    // out at one of the few points that put the builds before it out. Those are tried first.
    bool outOnGrid(const Pick& build) const {
        if (gridEnclosures_.empty()) return false;
        const double enoughRatio = std::pow(10.0, (threshold() + kRoundingMarginDb) / 10);
        const PartIntervals parts = intervalsOfBuild(build);
        const std::optional<Span> reference = referenceOf(PowerSpan(*referenceEnclosure_, parts), Span{1, 1});
        if (!reference) return true;
        thread_local std::vector<std::uint16_t> order;
        if (order.size() != gridEnclosures_.size()) {
            order.resize(gridEnclosures_.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint16_t>(i);
        }
        for (std::size_t k = 0; k < order.size(); ++k) {
            const BoundFrequency& f = gridEnclosures_[order[k]].first;
            if (LeastRatio(PowerSpan(gridEnclosures_[order[k]].second, parts), f.targetInverse, *reference) > enoughRatio) {
                std::rotate(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(k), order.begin() + static_cast<std::ptrdiff_t>(k) + 1);
                return true;
            }
        }
        return false;
    }

    // The span of the power's share RL/(R3 + RL) squared over the box where R3 and C3 are one time
    // constant with a load: what the bounds of the shape leave out of the level.
    Span levelShare(const Box& box) const {
        if (!lowPass_) return {1, 1};
        const auto [d, load] = *lowPass_;
        const Candidates& c = candidates_[d];
        const auto [least, most] = c.r3Extremes->over(c.members[box.lo[d]], c.members[box.hi[d] + 1] - 1);
        return LoadShare(load, least, most);
    }

    // (RL/(R3 + RL))² for R3 from r3Least to r3Most: the power's share a load of RL takes behind R3.
    static Span LoadShare(double load, double r3Least, double r3Most) {
        const double high = load / (load + r3Least);
        const double low = load / (load + r3Most);
        return {low * low, high * high};
    }

    // The span of |H(1 kHz)|² over the target there that the errors are normalised by; empty where
    // the gain rule leaves out every build: a build outside the gain window counts for nothing, so
    // only the levels at 1 kHz within it matter.
    // share: the span of the power's share that a load takes of the level, which at1k leaves out.
    std::optional<Span> referenceOf(Span at1k, Span share) const {
        if (gain_) {
            if (!(at1k.hi * share.hi >= gainLow_ && at1k.lo * share.lo <= gainHigh_)) return std::nullopt;
            at1k = {std::max(at1k.lo, gainLow_ / share.hi), std::min(at1k.hi, gainHigh_ / share.lo)};
        }
        return Span{at1k.lo * referenceTargetInverse_, at1k.hi * referenceTargetInverse_};
    }

    // The least power ratio away from 1 that the error at a frequency may take: p is the span of |H|²
    // there, targetInverse the target's there, reference what referenceOf gives.
    static double LeastRatio(Span p, double targetInverse, Span reference) {
        const double low = p.lo * targetInverse / reference.hi;
        const double high = p.hi * targetInverse / reference.lo;
        return low > 1 ? low : (high < 1 ? 1 / high : 1);
    }

    // From the span of |H|² at 1 kHz and a function giving it at each bound frequency, looked at in
    // turn; stops once the bound passes enoughRatio (a power ratio): the box is then out whatever the
    // other frequencies say, and its bound kProvedOut.
    template <typename PowerAt>
    double boundOfSpans(Span at1k, Span share, const PowerAt& powerAt, double enoughRatio) const {
        const std::optional<Span> reference = referenceOf(at1k, share);
        if (!reference) return std::numeric_limits<double>::infinity();
        // Worked in power ratios, one logarithm at the end. A build's level over the target at each
        // frequency, L(f), lies within [lowest(f), highest(f)], and its error is L(f)/N for its own
        // level N at 1 kHz: an error within R at every frequency needs an N within R of every L(f)
        // and within the reference, so R is at least each frequency's least ratio away from the
        // reference and at least √(max lowest / min highest), whatever N is. The second is what a
        // box whose levels tilt across the band is proved out by while its level at 1 kHz is still
        // wide: the normalisation is one for all frequencies of a build.
        double above = 0;  // the most of lowest(f) over the reference's highest
        double below = std::numeric_limits<double>::infinity();  // the least of highest(f) over its lowest
        double lowest = 0;
        double highest = std::numeric_limits<double>::infinity();
        const double overReferenceHigh = 1 / reference->hi;
        const double overReferenceLow = 1 / reference->lo;
        const double enoughSquared = enoughRatio * enoughRatio;
        // The frequency that proved the last box out is tried first: neighbouring boxes most often
        // fail at the same end of the band.
        thread_local std::size_t proving = 0;
        const std::size_t n = frequencies_.size();
        const std::size_t first = proving < n ? proving : 0;
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = k == 0 ? first : (k - 1 < first ? k - 1 : k);
            const Span p = powerAt(i);
            const double low = p.lo * frequencies_[i].targetInverse;
            const double high = p.hi * frequencies_[i].targetInverse;
            // NaN (a 0/0 of a bound too wide to say anything) leaves each as it is.
            above = low * overReferenceHigh > above ? low * overReferenceHigh : above;
            below = high * overReferenceLow < below ? high * overReferenceLow : below;
            lowest = low > lowest ? low : lowest;
            highest = high < highest ? high : highest;
            if (above > enoughRatio || below * enoughRatio < 1 || lowest > enoughSquared * highest) {
                proving = i;
                return kProvedOut;
            }
        }
        const double tilt = std::sqrt(lowest / highest);
        return Decibels(std::max({1.0, above, 1 / below, tilt})) - kRoundingMarginDb;
    }

    // Every build of the box is a mirror image: R1·C1 below R2·C2 throughout.
    bool allMirrored(const Box& box) const {
        if (!mirror_) return false;
        const auto at = [&](std::size_t k, const Pick& end) { return candidates_[(*mirror_)[k]].values[end[(*mirror_)[k]]]; };
        return at(0, box.hi) * at(1, box.hi) < at(2, box.lo) * at(3, box.lo);
    }

    // One build's parts, each at its value.
    PartIntervals intervalsOfBuild(const Pick& build) const {
        PartIntervals parts = designedIntervals_;
        const auto at = [&](ElementKind e, double value) { parts[e] = PartInterval{value, value}; };
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            const Candidates& c = candidates_[d];
            const std::size_t i = build[d];
            if (c.r3Run) continue;
            if (c.lowPass) {
                at(ElementKind::R3, c.r3[i]);
                at(ElementKind::C3, c.c3[i]);
            } else {
                parts[c.element] = PartInterval{c.values[i], c.values[i], inverses_[d][i], inverses_[d][i]};
            }
        }
        return parts;
    }

    // Downhill from a point: each element but the gain resistor moved by 1, 4, 16 or 64 candidates
    // either way while that lowers the largest error at the bound's frequencies, the gain resistor
    // refitted after each move. It ends, as each move lowers the error.
    Pick descend(Pick point) const {
        point = withGainFitted(point);
        double least = errorOfPoint(point, std::numeric_limits<double>::infinity());
        for (bool better = true; better;) {
            better = false;
            for (std::size_t d = 0; d < candidates_.size(); ++d) {
                const Candidates& c = candidates_[d];
                if (c.r3Run || d == gainDimension_) continue;
                for (const int step : {-64, -16, -4, -1, 1, 4, 16, 64}) {
                    const std::int64_t to = std::int64_t{point[d]} + step;
                    if (to < 0 || to >= static_cast<std::int64_t>(c.values.size())) continue;
                    Pick next = point;
                    next[d] = static_cast<std::uint32_t>(to);
                    if (c.coupled) {
                        // The pair of the new time constant whose R3 is nearest the old one.
                        const std::vector<double>& r3 = candidates_[d + 1].values;
                        const double old = r3[point[d + 1]];
                        double nearest = c.r3[c.members[next[d]]];
                        for (std::uint32_t pair = c.members[next[d]]; pair < c.members[next[d] + 1]; ++pair) {
                            if (std::fabs(std::log(c.r3[pair] / old)) < std::fabs(std::log(nearest / old))) nearest = c.r3[pair];
                        }
                        next[d + 1] = static_cast<std::uint32_t>(std::lower_bound(r3.begin(), r3.end(), nearest) - r3.begin());
                    }
                    next = withGainFitted(next);
                    const double error = errorOfPoint(next, least);
                    if (error < least) {
                        least = error;
                        point = next;
                        better = true;
                    }
                }
            }
        }
        return point;
    }

    // The point with its gain resistor at the candidate nearest to the gain asked, taken as falling
    // as the resistor's inverse: twice, as that holds only nearly.
    Pick withGainFitted(Pick point) const {
        if (!gain_ || gainDimension_ >= candidates_.size()) return point;
        const std::vector<double>& values = candidates_[gainDimension_].values;
        for (int pass = 0; pass < 2; ++pass) {
            const std::optional<Pick> build = buildOf(point);
            if (!build) break;
            const MagnitudeBounds h = (*referenceEnclosure_)(intervalsOfBuild(*build));
            point[gainDimension_] = Nearest(values, values[point[gainDimension_]] * h.most / std::pow(10.0, *gain_ / 20));
        }
        return point;
    }

    // The largest |error| at the bound's frequencies of a point's first build, from its response
    // there: at most its whole largest error; infinite outside the gain window or without a build.
    // Once it passes `than` (dB) it is some value above `than`: the rest is not looked at.
    double errorOfPoint(const Pick& point, double than) const {
        const std::optional<Pick> build = buildOf(point);
        if (!build) return std::numeric_limits<double>::infinity();
        const PartIntervals parts = intervalsOfBuild(*build);
        return boundOfSpans(PowerSpan(*referenceEnclosure_, parts), Span{1, 1}, [&](std::size_t i) { return PowerSpan(enclosures_[i], parts); },
                            std::pow(10.0, (than + kRoundingMarginDb) / 10));
    }

    // A point's first build: of a low-pass the first pair of its time constant, with Cout the first
    // whose R3 is R3's candidate; empty where no pair has it.
    std::optional<Pick> buildOf(const Pick& point) const {
        Pick build = point;
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            const Candidates& c = candidates_[d];
            if (!c.lowPass) continue;
            std::uint32_t pair = c.members[point[d]];
            while (c.coupled && pair < c.members[point[d] + 1] && c.r3[pair] != candidates_[d + 1].values[point[d + 1]]) ++pair;
            if (pair == c.members[point[d] + 1]) return std::nullopt;
            build[d] = pair;
        }
        return build;
    }

    // Every build of a point of the search: each pair of its time constant where R3 and C3 are one.
    // With Cout, only the pair whose R3 is R3's own candidate.
    void evaluate(const Pick& point) {
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            const Candidates& c = candidates_[d];
            if (!c.lowPass) continue;
            for (std::uint32_t pair = c.members[point[d]]; pair < c.members[point[d] + 1]; ++pair) {
                if (c.coupled && c.r3[pair] != candidates_[d + 1].values[point[d + 1]]) continue;
                Pick build = point;
                build[d] = pair;
                evaluateBuild(build);
            }
            return;
        }
        evaluateBuild(point);
    }

    // index: a candidate of each element, of a low-pass a pair.
    void evaluateBuild(const Pick& index) {
        if (outOnGrid(index)) return;
        BestBuild build;
        BuiltNetwork net = network_;
        for (std::size_t d = 0; d < candidates_.size(); ++d) {
            const Candidates& c = candidates_[d];
            const auto add = [&](ElementKind e, double value, const std::array<double, 2>& parts) {
                net.set(e, value);
                BestBuildPart part{e, value, {parts[0]}};
                if (parts[1] > 0) part.parts.push_back(parts[1]);
                build.parts.push_back(std::move(part));
            };
            const std::size_t i = index[d];
            if (c.r3Run) continue;
            if (c.lowPass) {
                add(ElementKind::R3, c.r3[i], c.parts[i]);
                add(ElementKind::C3, c.c3[i], c.c3Parts[i]);
            } else {
                add(c.element, c.values[i], c.parts[i]);
            }
        }
        if (mirror_ && IsMirroredFormA(net)) return;
        try {
            const AccuracyReport report = EvaluateAccuracy(net);
            build.largestErrorDb = report.largestErrorDb;
            build.gain1kHzDb = report.lossAt1kHzDb;
        } catch (const EngineError&) {
            return;  // parts that cannot be built are no build
        }
        if (gain_ && !(std::fabs(build.gain1kHzDb - *gain_) <= kBestBuildGainWindowDb)) return;
        insert({std::fabs(build.largestErrorDb), index, std::move(build)});
    }

    void insert(Found found) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (found_.size() == count_ && !Before(found, found_.back())) return;
        const auto at = std::lower_bound(found_.begin(), found_.end(), found, Before);
        if (at != found_.end() && at->index == found.index) return;  // a seed met again
        found_.insert(at, std::move(found));
        if (found_.size() > count_) found_.pop_back();
        if (found_.size() == count_) threshold_.store(found_.back().key, std::memory_order_relaxed);
    }

    const BuiltNetwork& network_;
    std::vector<Candidates> candidates_;
    std::vector<std::vector<double>> inverses_;  // 1/value of each candidate
    std::size_t count_;
    std::optional<double> gain_;
    const std::atomic<bool>& cancel_;
    RecordedTransfer recorded_;  // the design's rational function, of the chosen elements
    PartValues<Lanes> base_;
    std::vector<BoundFrequency> frequencies_;
    Frequency reference_;
    double referenceTargetInverse_ = 0;
    // An active stage's response over a box, at 1 kHz and at each bound frequency.
    PartIntervals designedIntervals_;
    std::optional<std::array<std::size_t, 4>> mirror_;  // the dimensions of R1, C1, R2, C2 where mirror images arise
    std::array<std::optional<std::size_t>, kPartCount> sectionPartner_{};  // of a part of form A's R ∥ C, the other's dimension
    std::optional<std::pair<std::size_t, double>> lowPass_;  // R3 and C3's dimension and RL, where that sets a share
    bool coupled_ = false;  // R3 and C3 are followed by Cout
    std::vector<std::size_t> amplifierDimensions_;  // the dimensions of the parts before the output network
    std::vector<std::size_t> outputDimensions_;  // those of the parts the output network's bounds look at
    std::size_t gainDimension_ = kPartCount;  // the gain resistor's, R0 or Rin; kPartCount where not searched
    std::optional<StageEnclosure> referenceEnclosure_;
    std::vector<StageEnclosure> enclosures_;
    std::vector<std::pair<BoundFrequency, StageEnclosure>> gridEnclosures_;  // at every point of the accuracy grid
    double gainLow_ = 0;  // the gain window at 1 kHz as power ratios
    double gainHigh_ = 0;
    std::atomic<double> threshold_{std::numeric_limits<double>::infinity()};
    std::atomic<bool> cut_{false};
    std::mutex mutex_;
    std::vector<Found> found_;
    std::vector<std::unique_ptr<BoundMemos>> memos_;  // those no thread is using
};

void CheckRequest(const BestBuildRequest& r) {
    if (r.capacitorSeries != SeriesKind::E6 && r.capacitorSeries != SeriesKind::E12 && r.capacitorSeries != SeriesKind::E24) {
        throw EngineError("The capacitors' series must be E6, E12 or E24");
    }
    if (r.resistorSeries == SeriesKind::E6) throw EngineError("The resistors' series must be one of E12 to E192");
    const auto checkRange = [](const PartRange& range, const char* message) {
        if (!(range.lowest > 0 && range.lowest < range.highest && std::isfinite(range.highest))) throw EngineError(message);
    };
    checkRange(r.capacitorRange, "The capacitor range's low end must be above zero and below its high end");
    checkRange(r.resistorRange, "The resistor range's low end must be above zero and below its high end");
    if (r.count < 1 || r.count > kLargestCount) {
        throw EngineError("The number of builds must be between 1 and " + std::to_string(kLargestCount));
    }
}

Candidates SingleParts(ElementKind element, const std::vector<double>& series) {
    Candidates c;
    c.element = element;
    c.values = series;
    for (const double v : series) c.parts.push_back({v, 0});
    return c;
}

// Time constants closer than this, relative to the least, are one candidate.
constexpr double kOneTimeConstant = 1e-9;

// Every candidate R3 with every candidate C3, by their time constant with a load of RL Ω (0:
// none); of equal ones the smaller R3 first. coupled: Cout follows C3 (the load then 0).
Candidates LowPassParts(const Candidates& resistors, const Candidates& capacitors, double load, bool coupled) {
    std::vector<std::tuple<double, std::size_t, std::size_t>> all;  // the time constant, R3's and C3's index
    for (std::size_t r = 0; r < resistors.values.size(); ++r) {
        for (std::size_t c = 0; c < capacitors.values.size(); ++c) all.emplace_back(LowPassTimeConstant(resistors.values[r], capacitors.values[c], load), r, c);
    }
    std::sort(all.begin(), all.end());
    Candidates candidates;
    candidates.element = ElementKind::R3;
    candidates.lowPass = true;
    candidates.load = load;
    candidates.coupled = coupled;
    for (const auto& [tau, r, c] : all) {
        if (candidates.values.empty() || tau > candidates.values.back() * (1 + kOneTimeConstant)) {
            candidates.values.push_back(tau);
            candidates.highs.push_back(tau);
            candidates.members.push_back(static_cast<std::uint32_t>(candidates.r3.size()));
        }
        candidates.highs.back() = tau;
        candidates.parts.push_back(resistors.parts[r]);
        candidates.r3.push_back(resistors.values[r]);
        candidates.c3.push_back(capacitors.values[c]);
        candidates.c3Parts.push_back(capacitors.parts[c]);
    }
    candidates.members.push_back(static_cast<std::uint32_t>(candidates.r3.size()));
    if (load > 0 || coupled) candidates.r3Extremes.emplace(candidates.r3);
    if (coupled) {
        candidates.c3Extremes.emplace(candidates.c3);
        candidates.c3Values = capacitors.values;
    }
    return candidates;
}

// One part or two of the series whose sum lies within kBestBuildPairSteps steps of the series'
// value at `at`; of equal sums the one with the larger first part, of sums closer than `spacing`
// the first.
Candidates PairParts(ElementKind element, const std::vector<double>& series, std::size_t at, double spacing) {
    const std::size_t steps = kBestBuildPairSteps;
    const double low = series[at >= steps ? at - steps : 0];
    const double high = series[std::min(at + steps, series.size() - 1)];
    std::vector<std::pair<double, std::array<double, 2>>> sums;
    for (std::size_t i = series.size(); i-- > 0;) {
        const double a = series[i];
        if (a >= low && a <= high) sums.push_back({a, {a, 0}});
        for (std::size_t j = 0; j <= i; ++j) {
            const double b = series[j];
            const double sum = a + b;
            if (b >= a * kBestBuildPairSmallestShare && sum >= low && sum <= high) sums.push_back({sum, {a, b}});
        }
    }
    // Stable: of equal sums the first kept is a single part, else the one with the larger first part.
    std::stable_sort(sums.begin(), sums.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    Candidates c;
    c.element = element;
    for (const auto& [sum, parts] : sums) {
        if (!c.values.empty() && c.values.back() == sum) continue;
        // Sums closer than the spacing are one value to a designer: the first stands for them all.
        // A single part always stays, so that every single-part build is in the pair space.
        if (parts[1] > 0 && !c.values.empty() && sum < c.values.back() * (1 + spacing)) continue;
        c.values.push_back(sum);
        c.parts.push_back(parts);
    }
    return c;
}

// The candidates just below and just above x; the first alone where none lies below it.
std::vector<std::uint32_t> Around(const std::vector<double>& values, double x) {
    const auto above = std::lower_bound(values.begin(), values.end(), x);
    const std::uint32_t high = static_cast<std::uint32_t>(std::min<std::ptrdiff_t>(above - values.begin(), static_cast<std::ptrdiff_t>(values.size()) - 1));
    if (high == 0) return {high};
    return {high - 1, high};
}

// Every build of the candidates just below and just above each element's value: near the design,
// so that the count-th best is low from the start and the bound prunes from the first box on. A
// low-pass by its time constant; with Cout by the pairs of R3 and C3 just below and above theirs.
std::vector<Pick> Neighbours(const std::vector<Candidates>& candidates, const BuiltNetwork& network) {
    using Choice = std::vector<std::pair<std::size_t, std::uint32_t>>;  // the candidates one choice sets
    std::vector<Pick> picks{Pick{}};
    for (std::size_t d = 0; d < candidates.size(); ++d) {
        const Candidates& c = candidates[d];
        if (c.r3Run) continue;  // set with its low-pass
        std::vector<Choice> choices;
        if (c.coupled) {
            const std::vector<double>& r3Values = candidates[d + 1].values;
            std::vector<double> c3Values = c.c3;
            std::sort(c3Values.begin(), c3Values.end());
            c3Values.erase(std::unique(c3Values.begin(), c3Values.end()), c3Values.end());
            for (const std::uint32_t r : Around(r3Values, network.value(ElementKind::R3))) {
                for (const std::uint32_t k : Around(c3Values, network.value(ElementKind::C3))) {
                    for (std::uint32_t pair = 0; pair < c.r3.size(); ++pair) {
                        if (c.r3[pair] != r3Values[r] || c.c3[pair] != c3Values[k]) continue;
                        const auto member = std::upper_bound(c.members.begin(), c.members.end(), pair) - c.members.begin() - 1;
                        choices.push_back({{d, static_cast<std::uint32_t>(member)}, {d + 1, r}});
                    }
                }
            }
        } else {
            const double designed = c.lowPass ? LowPassTimeConstant(network.value(ElementKind::R3), network.value(ElementKind::C3), c.load)
                                              : network.value(c.element);
            for (const std::uint32_t i : Around(c.values, designed)) choices.push_back({{d, i}});
        }
        if (choices.empty()) choices.push_back({{d, 0}});
        std::vector<Pick> next;
        for (const Pick& pick : picks) {
            for (const Choice& choice : choices) {
                next.push_back(pick);
                for (const auto& [dimension, index] : choice) next.back()[dimension] = index;
            }
        }
        picks = std::move(next);
    }
    return picks;
}

// The candidates with R3 and C3 as one time constant.
std::vector<Candidates> WithLowPass(std::vector<Candidates> perElement, const BuiltNetwork& network) {
    const bool coupled = network.has(ElementKind::Cout);
    const double load = coupled || !network.has(ElementKind::RL) ? 0 : network.value(ElementKind::RL);
    for (std::size_t d = 0; d + 1 < perElement.size(); ++d) {
        if (perElement[d].element == ElementKind::R3 && perElement[d + 1].element == ElementKind::C3) {
            Candidates r3 = std::move(perElement[d]);
            perElement[d] = LowPassParts(r3, perElement[d + 1], load, coupled);
            if (coupled) {
                r3.r3Run = true;
                r3.load = network.value(ElementKind::RL);
                perElement[d + 1] = std::move(r3);
            } else {
                perElement.erase(perElement.begin() + static_cast<std::ptrdiff_t>(d) + 1);
            }
        }
    }
    return perElement;
}

// The build of the candidates nearest to a build's values, each on a log scale; a low-pass's R3
// and C3 by the product of their ratios.
Pick NearestPick(const std::vector<Candidates>& candidates, const BestBuild& build) {
    Pick index{};
    std::size_t k = 0;  // build.parts run in the candidates' order, a low-pass's R3 and C3 both
    double lowPassR3 = 0;  // the R3 of the low-pass's pair chosen
    for (std::size_t d = 0; d < candidates.size(); ++d) {
        const Candidates& c = candidates[d];
        if (c.r3Run) {
            index[d] = Nearest(c.values, lowPassR3);
            continue;
        }
        if (!c.lowPass) {
            index[d] = Nearest(c.values, build.parts[k++].value);
            continue;
        }
        const double r3 = build.parts[k++].value;
        const double c3 = build.parts[k++].value;
        const auto apart = [](double a, double b) { return a > b ? a / b : b / a; };
        double closest = std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            for (std::uint32_t pair = c.members[i]; pair < c.members[i + 1]; ++pair) {
                const double distance = apart(c.r3[pair], r3) * apart(c.c3[pair], c3);
                if (distance < closest) {
                    closest = distance;
                    index[d] = static_cast<std::uint32_t>(i);
                    lowPassR3 = c.r3[pair];
                }
            }
        }
    }
    return index;
}

// downhill: seed the builds downhill of the seeds too.
std::optional<std::vector<Found>> RunSearch(Search& search, const std::vector<Pick>& seeds, bool downhill, std::size_t workItems,
                                            unsigned threads, const std::atomic<bool>& cancel, BestBuildProgress* progress) {
    for (const Pick& s : seeds) search.seed(s);
    // The seeds' walks share the threads: each is a few hundred evaluations at the bound's frequencies.
    if (downhill) RunShared(static_cast<int>(seeds.size()), threads, cancel, [&](int i) { search.seedDownhill(seeds[static_cast<std::size_t>(i)]); });
    const std::vector<Box> items = search.workItems(workItems);
    if (progress) progress->total += items.size();
    const bool whole = RunShared(static_cast<int>(items.size()), threads, cancel, [&](int i) {
        search.explore(items[static_cast<std::size_t>(i)]);
        if (progress) ++progress->done;
    });
    if (!whole || search.cut()) return std::nullopt;
    return search.results();
}

}  // namespace

std::vector<ElementKind> BestBuildElements(const BuiltNetwork& network) {
    std::vector<ElementKind> elements;
    for (const ElementKind e : kAllElements) {
        const bool fixed = e == ElementKind::Rs || e == ElementKind::RL || e == ElementKind::C0;
        if (network.has(e) && !fixed) elements.push_back(e);
    }
    return elements;
}

std::optional<std::vector<BestBuild>> FindBestBuilds(const BuiltNetwork& network, const BestBuildRequest& request,
                                                     const std::atomic<bool>& cancel, BestBuildProgress* progress) {
    CheckRequest(request);
    const AccuracyReport designed = EvaluateAccuracy(network);
    std::optional<double> gain;
    if (network.kind != DesignKind::Passive) gain = request.gain1kHzDb.value_or(designed.lossAt1kHzDb);

    const std::vector<double> capacitors = MakePartSeries(request.capacitorSeries, request.capacitorRange).values();
    const std::vector<double> resistors = MakePartSeries(request.resistorSeries, request.resistorRange).values();
    if (capacitors.empty()) throw EngineError("No capacitor of the series lies within the range");
    if (resistors.empty()) throw EngineError("No resistor of the series lies within the range");
    const auto seriesOf = [&](ElementKind e) -> const std::vector<double>& { return IsCapacitor(e) ? capacitors : resistors; };

    const std::vector<ElementKind> elements = BestBuildElements(network);
    std::vector<Candidates> perElement;
    for (const ElementKind e : elements) perElement.push_back(SingleParts(e, seriesOf(e)));
    const std::vector<Candidates> singles = WithLowPass(std::move(perElement), network);
    const unsigned threads = ThreadsToUse(request.threads);
    const std::vector<std::size_t> errorTurns = ErrorTurns(designed.errorCurve);
    // The builds about the design's own values are good seeds only where those lie within the series.
    const bool designInRange = std::all_of(elements.begin(), elements.end(), [&](ElementKind e) {
        const std::vector<double>& series = seriesOf(e);
        return network.value(e) >= series.front() && network.value(e) <= series.back();
    });
    std::optional<std::vector<Found>> found;
    {
        Search single(network, singles, request.count, gain, errorTurns, cancel);  // gone, with its memos, before the pairs'
        found = RunSearch(single, Neighbours(singles, network), !designInRange, kSingleWorkItems, threads, cancel, progress);
    }
    if (!found) return std::nullopt;

    if (request.pairs && !found->empty()) {
        // Each element's pairs about its value in the best build: the pair space is narrow.
        std::vector<Candidates> pairsPerElement;
        const BestBuild& best = found->front().build;
        const double spacing = network.kind == DesignKind::Passive ? kBestBuildPairSpacing : kBestBuildStagePairSpacing;
        for (std::size_t d = 0; d < elements.size(); ++d) {
            const std::vector<double>& series = seriesOf(elements[d]);
            const auto at = std::lower_bound(series.begin(), series.end(), best.parts[d].value);
            pairsPerElement.push_back(PairParts(elements[d], series, static_cast<std::size_t>(at - series.begin()), spacing));
        }
        const std::vector<Candidates> pairs = WithLowPass(std::move(pairsPerElement), network);
        // The single-part builds found lie in the pair space, the best one at least: the pair
        // search starts from them, or from the builds nearest to them.
        std::vector<Pick> seeds;
        for (const Found& f : *found) seeds.push_back(NearestPick(pairs, f.build));
        Search paired(network, pairs, request.count, gain, errorTurns, cancel);
        found = RunSearch(paired, seeds, false, kPairWorkItems, threads, cancel, progress);
        if (!found) return std::nullopt;
    }
    std::vector<BestBuild> builds;
    for (Found& f : *found) builds.push_back(std::move(f.build));
    return builds;
}

bool IsMirroredFormA(const BuiltNetwork& build) {
    using enum ElementKind;
    if (build.kind == DesignKind::Passive || FeedbackForm(build) != NetworkForm::A || !build.has(C2)) return false;
    const double first = build.value(R1) * build.value(C1);
    const double second = build.value(R2) * build.value(C2);
    return first < second || (first == second && build.value(R1) < build.value(R2));
}

BuiltNetwork WithBuild(BuiltNetwork network, const BestBuild& build) {
    for (const BestBuildPart& part : build.parts) network.set(part.element, part.value);
    return network;
}

}  // namespace riaa
