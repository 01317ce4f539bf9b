#include "engine/Tolerance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <utility>

#include "engine/MersenneTwister.h"
#include "engine/RecordedTransfer.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/TransferPolynomials.h"
#include "engine/Workers.h"

namespace riaa {

namespace {

// Builds per chunk: each chunk draws from its own generator, so the chunks may run on any thread in
// any order and still give the same parts; cancellation is looked at between chunks.
constexpr int kChunkBuilds = 256;
// The band holds the builds between these two fractions of the sorted errors.
constexpr double kBandLow = 0.025;
constexpr double kBandHigh = 0.975;

// --- The network with drawn parts ----------------------------------------------------------------

// A design's parts as a build has them: the element values and the cartridge's load.
using Parts = PartValues<double>;

// The toleranced parts beyond the four of the passive networks, drawn only where in circuit.
constexpr std::array<ElementKind, 6> kStageParts{ElementKind::R0, ElementKind::C0, ElementKind::R3,
                                                 ElementKind::C3, ElementKind::Rin, ElementKind::Cout};

double Decibels(double powerRatio) { return 10 * std::log10(powerRatio); }

// max(Decibels(highest), −Decibels(lowest)) with one logarithm where the product of the two tells
// which is larger: a margin of 1e-9 against 1 is far beyond the rounding of either logarithm.
double LargestErrorDb(double highest, double lowest) {
    const double product = highest * lowest;
    if (product > 1 + 1e-9) return Decibels(highest);
    if (product < 1 - 1e-9) return -Decibels(lowest);
    return std::max(Decibels(highest), -Decibels(lowest));
}

// --- Random parts --------------------------------------------------------------------------------

// SplitMix64: spreads a seed and a chunk number into an unrelated generator seed.
std::uint64_t MixSeed(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EB;
    return x ^ (x >> 31);
}

// Our own transforms of the generator's bits: the std distributions differ between libraries, and
// the figures must not.
class PartDrawer {
public:
    PartDrawer(std::uint64_t seed, ToleranceDistribution distribution)
        : generator_(seed), distribution_(distribution) {}

    // A factor around 1: uniform in [1 − t, 1 + t), or normal with σ = t/2. Box–Muller from 53-bit
    // uniforms reaches at most 8.6 σ, so up to the largest tolerance the factor stays positive.
    double factor(double tolerance) {
        if (distribution_ == ToleranceDistribution::Uniform) return 1 + tolerance * (2 * unit() - 1);
        if (!spare_) {
            const double radius = std::sqrt(-2 * std::log(1 - unit()));  // 1 − unit() is in (0, 1]
            const double angle = 2 * std::numbers::pi * unit();
            spare_ = radius * std::sin(angle);
            return 1 + tolerance / 2 * radius * std::cos(angle);
        }
        const double z = *spare_;
        spare_.reset();
        return 1 + tolerance / 2 * z;
    }

    // The factors of builds drawing one after the other, each the parts of tolerances in turn: as
    // many calls of factor would give them, the uniform ones made from one fill of the generator.
    void factors(const std::vector<double>& tolerances, std::size_t builds, std::vector<double>& out) {
        const std::size_t n = builds * tolerances.size();
        out.resize(n);
        if (distribution_ == ToleranceDistribution::Normal) {
            for (std::size_t j = 0; j < n; ++j) out[j] = factor(tolerances[j % tolerances.size()]);
            return;
        }
        bits_.resize(n);
        generator_.fill(bits_.data(), n);
        for (std::size_t b = 0; b < builds; ++b) {
            for (std::size_t d = 0; d < tolerances.size(); ++d) {
                const std::size_t j = b * tolerances.size() + d;
                out[j] = 1 + tolerances[d] * (2 * Unit(bits_[j]) - 1);
            }
        }
    }

private:
    static double Unit(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }  // [0, 1)
    double unit() { return Unit(generator_()); }

    MersenneTwister64 generator_;  // std::mt19937_64's numbers
    ToleranceDistribution distribution_;
    std::optional<double> spare_;
    std::vector<std::uint64_t> bits_;
};

// --- The run -------------------------------------------------------------------------------------

// A chunk's polynomials coefficient by coefficient: [power of s][build].
using Coefficients = std::array<std::array<double, kChunkBuilds>, kPolynomialCoefficients>;

// Builds whose levels are worked out together over every frequency, their coefficients held in
// registers while the frequencies go by: one vector of the widest processor, and written as one so
// that every processor's build takes them alike (the operations are those on each build alone).
constexpr std::size_t kBlockBuilds = 8;
using Block = double __attribute__((vector_size(kBlockBuilds * sizeof(double))));

// By reference: a vector wider than the processor's own is no value to pass.
void LoadBlock(Block& block, const double* from) { std::memcpy(&block, from, sizeof block); }
void StoreBlock(double* to, const Block& block) { std::memcpy(to, &block, sizeof block); }

// What a chunk's levels are reckoned with: the frequencies, and the chunk's own polynomials.
struct ChunkSweep {
    const double* x;              // −ω² at each frequency
    const double* w2;             // ω²
    const double* targetInverse;  // 1 / |target|²
    std::size_t frequencies;
    const Coefficients* num;
    const Coefficients* den;
    int numDegree;
    int denDegree;
    double referenceX;                // −ω² at 1 kHz, where every error is taken as 0 dB
    double referenceW2;
    double referenceTargetInverse;  // 1 / |target|² there
    std::size_t count;  // the chunk's builds; the rest up to kChunkBuilds are padding
    float* rows;        // where the table of errors is kept: the chunk's first build at the first frequency
    std::size_t rowStride;
};

// A block's coefficients of one polynomial, s^0 to s^Top.
template <std::size_t Top>
using BlockPolynomial = std::array<Block, Top + 1>;

template <std::size_t Top>
[[gnu::always_inline]] inline void LoadPolynomial(BlockPolynomial<Top>& p, const Coefficients& c, std::size_t first) {
    for (std::size_t k = 0; k <= Top; ++k) LoadBlock(p[k], &c[k][first]);
}

// |p(jω)|² of a block of builds' polynomials of degree Top at most: Horner in −ω² on the even and
// the odd powers, as MagnitudeSquared does. Each half starts at its top coefficient, which is what
// its first step, 0·x + c with x = −ω² < 0, gives bit for bit; a polynomial of lower degree than Top
// only adds leading zeros, which change at most the sign of a zero sum, never its square.
template <std::size_t Top>
[[gnu::always_inline]] inline void PowerSum(const BlockPolynomial<Top>& p, double x, double w2, Block& sum) {
    Block re{};
    Block im{};
    const auto step = [&]<std::size_t K>() {
        Block& half = K % 2 == 0 ? re : im;
        if constexpr (K + 1 >= Top) {
            half = p[K];
        } else {
            half = half * x + p[K];
        }
    };
    [&]<std::size_t... J>(std::index_sequence<J...>) {
        (step.template operator()<Top - J>(), ...);
    }(std::make_index_sequence<Top + 1>{});
    sum = re * re + w2 * im * im;
}

// The extremes over every frequency of a block of builds' power ratios to the target, before the
// normalisation at 1 kHz, and the table's rows where they are kept. The divisions set the pace, and
// the rest of the arithmetic runs beside them.
template <std::size_t NumTop, std::size_t DenTop>
[[gnu::always_inline]] inline void SweepBlock(const ChunkSweep& sweep, std::size_t first, Block& highest,
                                              Block& lowest) {
    BlockPolynomial<NumTop> num;
    BlockPolynomial<DenTop> den;
    LoadPolynomial<NumTop>(num, *sweep.num, first);
    LoadPolynomial<DenTop>(den, *sweep.den, first);
    Block n;
    Block d;
    // Each build's level at 1 kHz, as PowerRatio gives it.
    PowerSum<NumTop>(num, sweep.referenceX, sweep.referenceW2, n);
    PowerSum<DenTop>(den, sweep.referenceX, sweep.referenceW2, d);
    const Block reference = 1 / (n / d * sweep.referenceTargetInverse);
    Block high{};
    Block low = Block{} + std::numeric_limits<double>::infinity();
    for (std::size_t f = 0; f < sweep.frequencies; ++f) {
        PowerSum<NumTop>(num, sweep.x[f], sweep.w2[f], n);
        PowerSum<DenTop>(den, sweep.x[f], sweep.w2[f], d);
        const Block ratio = n / d * sweep.targetInverse[f];
        high = high > ratio ? high : ratio;
        low = low < ratio ? low : ratio;
        if (sweep.rows != nullptr) {
            const Block normalised = ratio * reference;
            float* row = sweep.rows + f * sweep.rowStride + first;
            const std::size_t count = std::min(kBlockBuilds, sweep.count - first);
            for (std::size_t i = 0; i < count; ++i) row[i] = static_cast<float>(normalised[i]);
        }
    }
    highest = high * reference;
    lowest = low * reference;
}

// A numerator more than two degrees below the denominator is swept as one two below, and one above
// it as of the same degree as the numerator (leading zeros, as above): three sweeps a degree, not twelve.
template <std::size_t DenTop>
[[gnu::always_inline]] inline void SweepBlockOfDegree(const ChunkSweep& sweep, std::size_t first, Block& high,
                                                      Block& low) {
    const auto numDegree = static_cast<std::size_t>(sweep.numDegree);
    if constexpr (DenTop >= 2) {
        if (numDegree + 2 <= DenTop) return SweepBlock<DenTop - 2, DenTop>(sweep, first, high, low);
    }
    if constexpr (DenTop >= 1) {
        if (numDegree + 1 == DenTop) return SweepBlock<DenTop - 1, DenTop>(sweep, first, high, low);
    }
    SweepBlock<DenTop, DenTop>(sweep, first, high, low);
}

// Each build's highest and lowest power ratio to the target, normalised at 1 kHz, over every
// frequency, and the table of every one where it is kept. The normalisation by the build's level at
// 1 kHz is a product by a positive factor, whose rounding keeps the order of the values: the
// extremes before it, times the factor, are the extremes of the normalised ratios bit for bit.
// Where the processor has AVX-512 or AVX2 the loader picks a build of this function that works
// eight or four builds at a time instead of two; the arithmetic, and so every figure, is the same
// (no sum and product fused: see the engine's CMakeLists).
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
[[gnu::target_clones("avx512f", "avx2", "default")]]
#endif
void ChunkExtremes(const ChunkSweep& sweep, std::array<double, kChunkBuilds>& highest,
                   std::array<double, kChunkBuilds>& lowest) {
    static_assert(kPolynomialCoefficients == 12, "one case per degree the polynomials can have");
    for (std::size_t first = 0; first < sweep.count; first += kBlockBuilds) {
        Block high;
        Block low;
        switch (std::max(sweep.numDegree, sweep.denDegree)) {
            case 0: SweepBlockOfDegree<0>(sweep, first, high, low); break;
            case 1: SweepBlockOfDegree<1>(sweep, first, high, low); break;
            case 2: SweepBlockOfDegree<2>(sweep, first, high, low); break;
            case 3: SweepBlockOfDegree<3>(sweep, first, high, low); break;
            case 4: SweepBlockOfDegree<4>(sweep, first, high, low); break;
            case 5: SweepBlockOfDegree<5>(sweep, first, high, low); break;
            case 6: SweepBlockOfDegree<6>(sweep, first, high, low); break;
            case 7: SweepBlockOfDegree<7>(sweep, first, high, low); break;
            case 8: SweepBlockOfDegree<8>(sweep, first, high, low); break;
            case 9: SweepBlockOfDegree<9>(sweep, first, high, low); break;
            case 10: SweepBlockOfDegree<10>(sweep, first, high, low); break;
            default: SweepBlockOfDegree<11>(sweep, first, high, low); break;
        }
        StoreBlock(&highest[first], high);
        StoreBlock(&lowest[first], low);
    }
}

struct Run {
    const BuiltNetwork& network;
    const ToleranceSettings& settings;
    const RecordedTransfer& transfer;  // the network's rational function in the parts a build draws
    Parts nominal{};
    std::vector<Frequency> frequencies{};
    std::vector<double> targetInverse{};  // 1 / |target|² at each frequency
    std::vector<double> w2{};             // ω² at each frequency, and −ω² for Horner's steps
    std::vector<double> negativeW2{};
    Frequency reference{};              // 1 kHz, where every error is taken as 0 dB
    double referenceTargetInverse = 0;
    int builds = 0;
    std::vector<float> errors{};         // power ratios, frequency-major: errors[f * builds + b]
    std::vector<double> largest{};       // the largest |error| in dB of each build

    // The power ratio of the built network to the target at frequency i, normalised at 1 kHz.
    double normalisedRatio(const Ratio& h, std::size_t i, double referenceRatio) const {
        return PowerRatio(h, frequencies[i]) * targetInverse[i] / referenceRatio;
    }

    void buildChunk(int chunk) {
        const int first = chunk * kChunkBuilds;
        const auto count = static_cast<std::size_t>(std::min(kChunkBuilds, builds - first));
        // The chunk's transfer functions coefficient by coefficient (structure of arrays), so that
        // the sweep over the builds is plain arithmetic on rows, which the compiler vectorises.
        // Every row and column the sweep reads is written: no need to clear them first.
        Coefficients num;
        Coefficients den;
        const auto [numDegree, denDegree] = transferFunctions(chunk, count, num, den);
        padChunk(count, num, den);
        float* rows = errors.empty() ? nullptr : errors.data() + static_cast<std::size_t>(first);
        const ChunkSweep sweep{negativeW2.data(), w2.data(), targetInverse.data(), frequencies.size(), &num, &den,
                               numDegree, denDegree, -reference.w2, reference.w2, referenceTargetInverse, count, rows,
                               static_cast<std::size_t>(builds)};
        std::array<double, kChunkBuilds> highest{};
        std::array<double, kChunkBuilds> lowest{};
        ChunkExtremes(sweep, highest, lowest);
        for (std::size_t b = 0; b < count; ++b) largest[static_cast<std::size_t>(first) + b] = LargestErrorDb(highest[b], lowest[b]);
    }

    // The parts of the chunk's builds, each drawn within its tolerance from the chunk's own
    // generator, put straight into the lanes of their group, Lanes::kCount builds at a time; the
    // transfer functions of each group, laid out build by build in num and den. A short last group
    // repeats the chunk's first build. Gives the largest degree of each polynomial.
    std::pair<int, int> transferFunctions(int chunk, std::size_t count, Coefficients& num, Coefficients& den) const {
        constexpr std::size_t kWidth = Lanes::kCount;
        static_assert(kChunkBuilds % kWidth == 0, "a chunk holds whole groups");
        PartDrawer drawer(MixSeed(settings.seed ^ MixSeed(static_cast<std::uint64_t>(chunk))), settings.distribution);
        const double rTolerance = settings.resistorPercent / 100;
        const double cTolerance = settings.capacitorPercent / 100;
        const double loadTolerance = settings.loadCapacitancePercent / 100;
        const auto tolerance = [&](ElementKind e) { return IsCapacitor(e) ? cTolerance : rTolerance; };
        // What each build draws, in order: always the four parts of the passive networks first,
        // whichever parts the circuit has, so that a passive network's builds stay the same whatever
        // else a design may hold; then the stage's parts in circuit.
        struct Draw {
            std::size_t part;
            double tolerance;
            bool inCircuit;
        };
        std::vector<Draw> draws;
        for (const ElementKind e : {ElementKind::C1, ElementKind::C2, ElementKind::R1, ElementKind::R2}) {
            draws.push_back({Index(e), tolerance(e), network.has(e)});
        }
        for (const ElementKind e : kStageParts) {
            if (network.has(e)) draws.push_back({Index(e), tolerance(e), true});
        }
        const bool loadDrawn = network.source && loadTolerance > 0;
        if (loadDrawn) draws.push_back({kPartCount, loadTolerance, true});  // the load capacitance, last
        std::vector<double> tolerances;
        for (const Draw& draw : draws) tolerances.push_back(draw.tolerance);
        const auto part = [](PartValues<Lanes>& parts, std::size_t index) -> Lanes& {
            return index < parts.values.size() ? parts.values[index] : parts.loadCapacitancePf;
        };
        const auto nominalPart = [&](std::size_t index) {
            return index < nominal.values.size() ? nominal.values[index] : nominal.loadCapacitancePf;
        };
        std::vector<double> factors;
        std::vector<double> firstBuild(draws.size());
        int numDegree = 0;
        int denDegree = 0;
        std::vector<Lanes> workspace;
        PartValues<Lanes> lanes;
        for (std::size_t g = 0; g * kWidth < count; ++g) {
            const std::size_t inGroup = std::min(kWidth, count - g * kWidth);
            drawer.factors(tolerances, inGroup, factors);
            for (std::size_t d = 0; d < draws.size(); ++d) {
                // A part out of circuit is 0 in every build, and its draw only keeps the order.
                const double value = draws[d].inCircuit ? nominalPart(draws[d].part) : 0;
                Lanes& lane = part(lanes, draws[d].part);
                for (std::size_t i = 0; i < inGroup; ++i) lane.v[i] = value * factors[i * draws.size() + d];
                // A short group is made up with the chunk's first build.
                if (g == 0) firstBuild[d] = lane.v[0];
                for (std::size_t i = inGroup; i < kWidth; ++i) lane.v[i] = firstBuild[d];
            }
            const BasicRatio<Lanes> h = transfer.Evaluate(lanes, workspace);
            numDegree = std::max(numDegree, h.num.Degree());
            denDegree = std::max(denDegree, h.den.Degree());
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                std::copy(h.num.c[k].v.begin(), h.num.c[k].v.end(), num[k].begin() + static_cast<std::ptrdiff_t>(g * kWidth));
                std::copy(h.den.c[k].v.begin(), h.den.c[k].v.end(), den[k].begin() + static_cast<std::ptrdiff_t>(g * kWidth));
            }
        }
        return {numDegree, denDegree};
    }

    // A short last chunk repeats its first build, so that the sweep over the frequencies always runs
    // whole blocks, with no remainder to handle.
    static void padChunk(std::size_t count, Coefficients& num, Coefficients& den) {
        for (std::size_t b = count; b < static_cast<std::size_t>(kChunkBuilds); ++b) {
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                num[k][b] = num[k][0];
                den[k][b] = den[k][0];
            }
        }
    }
};

// The values of two ranks among n values: lowRank counted from the smallest, highRank from the
// largest, without reordering them. For ranks near the ends, as the band's tails are, a strided
// sample gives a threshold for each that admits a little more than its rank of values; one pass
// over the values gathers both sets of candidates, without a branch, and the selections run on
// those few only, several times quicker than on the whole row. Should the sample mislead, the
// whole row is used.
std::pair<float, float> TailValues(const float* values, std::size_t n, std::size_t lowRank, std::size_t highRank) {
    constexpr std::size_t kStride = 16;
    const auto select = [](std::vector<float>& v, std::size_t rank, auto before) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(rank), v.end(), before);
        return v[rank];
    };
    if (n >= 64 * kStride && lowRank < n / 8 && highRank < n / 8) {
        std::vector<float> sample;
        sample.reserve(n / kStride + 1);
        for (std::size_t i = 0; i < n; i += kStride) sample.push_back(values[i]);
        const auto sampleRank = [&](std::size_t rank) { return std::min(sample.size() - 1, rank / kStride * 3 / 2 + 8); };
        const float lowThreshold = select(sample, sampleRank(lowRank), std::less<>());
        const float highThreshold = select(sample, sampleRank(highRank), std::greater<>());
        // Each value is written to both sets and kept where it passes: a store is cheaper than a
        // branch the processor cannot foresee.
        std::vector<float> low(n);
        std::vector<float> high(n);
        std::size_t lows = 0;
        std::size_t highs = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const float v = values[i];
            low[lows] = v;
            lows += !(lowThreshold < v) ? 1 : 0;
            high[highs] = v;
            highs += !(highThreshold > v) ? 1 : 0;
        }
        // Every value up to the wanted one is a candidate once more than rank of them are.
        if (lows > lowRank && highs > highRank) {
            low.resize(lows);
            high.resize(highs);
            return {select(low, lowRank, std::less<>()), select(high, highRank, std::greater<>())};
        }
    }
    std::vector<float> all(values, values + n);
    const float lowest = select(all, lowRank, std::less<>());
    return {lowest, select(all, highRank, std::greater<>())};
}

// Nearest rank: the smallest value with at least the fraction p of all values at or below it.
std::size_t RankOf(double p, std::size_t n) {
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(n)));
    return std::clamp<std::size_t>(rank, 1, n) - 1;
}

// The values at several fractions, ascending: each selection leaves every value above its rank
// after it, so the next one looks at those only.
template <std::size_t N>
std::array<double, N> Percentiles(std::vector<double>& values, const std::array<double, N>& fractions) {
    std::array<double, N> result{};
    auto from = values.begin();
    for (std::size_t i = 0; i < N; ++i) {
        const auto rank = values.begin() + static_cast<std::ptrdiff_t>(RankOf(fractions[i], values.size()));
        if (rank >= from) {
            std::nth_element(from, rank, values.end());
            from = rank + 1;
        }
        result[i] = *rank;
    }
    return result;
}

void CheckSettings(const ToleranceSettings& s) {
    for (double percent : {s.resistorPercent, s.capacitorPercent, s.loadCapacitancePercent}) {
        if (!(percent >= 0 && percent <= kLargestTolerancePercent)) {
            throw EngineError("The tolerance must be between 0 % and 20 %");
        }
    }
    if (s.builds < 1 || s.builds > kMaxToleranceBuilds) {
        throw EngineError("The number of builds must be between 1 and " + std::to_string(kMaxToleranceBuilds));
    }
    if (s.frequencies < 2 || s.frequencies > kMaxToleranceFrequencies) {
        throw EngineError("The number of frequencies must be between 2 and " + std::to_string(kMaxToleranceFrequencies));
    }
}

}  // namespace

std::optional<ToleranceResult> RunTolerance(const BuiltNetwork& network, const ToleranceSettings& settings,
                                            const std::atomic<bool>& cancel) {
    CheckSettings(settings);
    EvaluateAccuracy(network, 2);  // throws, with the user's message, for a network that cannot be built

    // Every part a build may draw; those not in circuit the recording leaves out.
    std::vector<ElementKind> drawn{ElementKind::C1, ElementKind::C2, ElementKind::R1, ElementKind::R2};
    drawn.insert(drawn.end(), kStageParts.begin(), kStageParts.end());
    const RecordedTransfer transfer(network, drawn, settings.loadCapacitancePercent > 0);
    Run run{network, settings, transfer};
    run.nominal = DesignedValues(network);

    const Ratio target = TargetFunction(network);

    const int n = settings.frequencies;
    for (const double hz : ErrorBandFrequencies(n)) {
        run.frequencies.push_back(MakeFrequency(hz));
        run.targetInverse.push_back(1 / PowerRatio(target, run.frequencies.back()));
        run.w2.push_back(run.frequencies.back().w2);
        run.negativeW2.push_back(-run.frequencies.back().w2);
    }
    run.reference = MakeFrequency(kReferenceHz);
    run.referenceTargetInverse = 1 / PowerRatio(target, run.reference);
    run.builds = settings.builds;
    if (settings.band) run.errors.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(run.builds));
    run.largest.resize(static_cast<std::size_t>(run.builds));

    const unsigned threads = ThreadsToUse(settings.threads);
    const int chunks = (run.builds + kChunkBuilds - 1) / kChunkBuilds;
    const bool built = RunShared(chunks, threads, cancel, [&run](int chunk) { run.buildChunk(chunk); });

    ToleranceResult result;
    const Ratio nominal = TransferFunction(network, run.nominal);
    const double nominalReference = PowerRatio(nominal, run.reference) * run.referenceTargetInverse;
    for (std::size_t f = 0; f < run.frequencies.size(); ++f) {
        const double nominalDb = Decibels(run.normalisedRatio(nominal, f, nominalReference));
        result.nominalLargestErrorDb = std::max(result.nominalLargestErrorDb, std::fabs(nominalDb));
        if (settings.band) result.band.push_back({run.frequencies[f].hz, nominalDb, 0, 0});
    }
    bool gathered = built;
    if (settings.band && built) {
        gathered = RunShared(n, threads, cancel, [&](int f) {
            const auto n = static_cast<std::size_t>(run.builds);
            const float* row = run.errors.data() + static_cast<std::size_t>(f) * n;
            ToleranceBandPoint& point = result.band[static_cast<std::size_t>(f)];
            const auto [lower, upper] = TailValues(row, n, RankOf(kBandLow, n), n - 1 - RankOf(kBandHigh, n));
            point.lowerDb = Decibels(lower);
            point.upperDb = Decibels(upper);
        });
    }
    // Only a whole run has figures: a band partly gathered would show its missing points at 0 dB.
    if (!gathered) return std::nullopt;

    const std::array<double, 3> percentiles = Percentiles(run.largest, std::array{0.50, 0.95, 0.99});
    result.p50Db = percentiles[0];
    result.p95Db = percentiles[1];
    result.p99Db = percentiles[2];
    return result;
}

}  // namespace riaa
