#include "engine/Tolerance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <utility>

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

private:
    double unit() { return static_cast<double>(generator_() >> 11) * 0x1.0p-53; }  // [0, 1)

    std::mt19937_64 generator_;
    ToleranceDistribution distribution_;
    std::optional<double> spare_;
};

// --- The run -------------------------------------------------------------------------------------

// A chunk's polynomials coefficient by coefficient: [power of s][build].
using Coefficients = std::array<std::array<double, kChunkBuilds>, kPolynomialCoefficients>;

// |num(jω)|² / |den(jω)|² of every build of a chunk whose polynomials are of degree Top at most:
// Horner in −ω² on the even and the odd powers, as MagnitudeSquared does, with the steps unrolled
// so that each build's four sums stay in registers while the loop runs over the builds.
template <std::size_t Top>
[[gnu::always_inline]] inline void PowerRatiosOfDegree(const Coefficients& num, const Coefficients& den, double w2,
                         std::array<double, kChunkBuilds>& out) {
    const double x = -w2;
    for (std::size_t b = 0; b < static_cast<std::size_t>(kChunkBuilds); ++b) {
        double nRe = 0, nIm = 0, dRe = 0, dIm = 0;
        const auto step = [&]<std::size_t K>() {
            if constexpr (K % 2 == 0) {
                nRe = nRe * x + num[K][b];
                dRe = dRe * x + den[K][b];
            } else {
                nIm = nIm * x + num[K][b];
                dIm = dIm * x + den[K][b];
            }
        };
        [&]<std::size_t... J>(std::index_sequence<J...>) {
            (step.template operator()<Top - J>(), ...);
        }(std::make_index_sequence<Top + 1>{});
        out[b] = (nRe * nRe + w2 * nIm * nIm) / (dRe * dRe + w2 * dIm * dIm);
    }
}

// The levels of every build of a chunk at one frequency, as power ratios to the target normalised at
// 1 kHz: into out, into row (the table of errors, for the first count builds) where one is kept, and
// into each build's extremes. Where the processor has AVX2 the loader picks a build of this function
// that works four builds at a time instead of two; the arithmetic, and so every figure, is the same.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
[[gnu::target_clones("avx2", "default")]]
#endif
void ChunkLevels(int degree, const Coefficients& num, const Coefficients& den, double w2, double targetInverse,
                 const std::array<double, kChunkBuilds>& referenceInverse, std::array<double, kChunkBuilds>& highest,
                 std::array<double, kChunkBuilds>& lowest, std::array<double, kChunkBuilds>& out, float* row,
                 std::size_t count) {
    static_assert(kPolynomialCoefficients == 12, "one case per degree the polynomials can have");
    switch (degree) {
        case 0: PowerRatiosOfDegree<0>(num, den, w2, out); break;
        case 1: PowerRatiosOfDegree<1>(num, den, w2, out); break;
        case 2: PowerRatiosOfDegree<2>(num, den, w2, out); break;
        case 3: PowerRatiosOfDegree<3>(num, den, w2, out); break;
        case 4: PowerRatiosOfDegree<4>(num, den, w2, out); break;
        case 5: PowerRatiosOfDegree<5>(num, den, w2, out); break;
        case 6: PowerRatiosOfDegree<6>(num, den, w2, out); break;
        case 7: PowerRatiosOfDegree<7>(num, den, w2, out); break;
        case 8: PowerRatiosOfDegree<8>(num, den, w2, out); break;
        case 9: PowerRatiosOfDegree<9>(num, den, w2, out); break;
        case 10: PowerRatiosOfDegree<10>(num, den, w2, out); break;
        default: PowerRatiosOfDegree<11>(num, den, w2, out); break;
    }
    // A loop of its own: folded into the one above it would keep the compiler from vectorising either.
    for (std::size_t b = 0; b < static_cast<std::size_t>(kChunkBuilds); ++b) {
        const double ratio = out[b] * targetInverse * referenceInverse[b];
        highest[b] = highest[b] > ratio ? highest[b] : ratio;
        lowest[b] = lowest[b] < ratio ? lowest[b] : ratio;
        out[b] = ratio;
    }
    if (row != nullptr) {
        for (std::size_t b = 0; b < count; ++b) row[b] = static_cast<float>(out[b]);
    }
}

struct Run {
    const BuiltNetwork& network;
    const ToleranceSettings& settings;
    Parts nominal{};
    std::vector<Frequency> frequencies{};
    std::vector<double> targetInverse{};  // 1 / |target|² at each frequency
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
        std::array<Parts, kChunkBuilds> drawn;
        drawParts(chunk, drawn, count);
        // The chunk's transfer functions coefficient by coefficient (structure of arrays), so that
        // the loop over the builds below is plain arithmetic on rows, which the compiler vectorises.
        Coefficients num{};
        Coefficients den{};
        const int degree = transferFunctions(drawn, count, num, den);
        std::array<double, kChunkBuilds> referenceInverse{};
        for (std::size_t b = 0; b < count; ++b) referenceInverse[b] = 1 / (referenceRatio(num, den, b) * referenceTargetInverse);
        padChunk(count, num, den, referenceInverse);
        // Frequency outside, builds inside: each frequency's row of the table is written in one run.
        std::array<double, kChunkBuilds> highest{};
        std::array<double, kChunkBuilds> lowest{};
        lowest.fill(std::numeric_limits<double>::infinity());
        std::array<double, kChunkBuilds> powers{};
        for (std::size_t f = 0; f < frequencies.size(); ++f) {
            // The table of every error only where the band is asked for; the extremes always.
            float* row = errors.empty() ? nullptr
                                        : errors.data() + f * static_cast<std::size_t>(builds) + static_cast<std::size_t>(first);
            ChunkLevels(degree, num, den, frequencies[f].w2, targetInverse[f], referenceInverse, highest, lowest, powers,
                        row, count);
        }
        for (std::size_t b = 0; b < count; ++b) {
            largest[static_cast<std::size_t>(first) + b] = std::max(Decibels(highest[b]), -Decibels(lowest[b]));
        }
    }

    // The parts of the chunk's builds, each drawn within its tolerance from the chunk's own generator.
    void drawParts(int chunk, std::array<Parts, kChunkBuilds>& drawn, std::size_t count) const {
        PartDrawer drawer(MixSeed(settings.seed ^ MixSeed(static_cast<std::uint64_t>(chunk))), settings.distribution);
        const double rTolerance = settings.resistorPercent / 100;
        const double cTolerance = settings.capacitorPercent / 100;
        const double loadTolerance = settings.loadCapacitancePercent / 100;
        const auto tolerance = [&](ElementKind e) { return IsCapacitor(e) ? cTolerance : rTolerance; };
        for (std::size_t b = 0; b < count; ++b) {
            Parts& parts = drawn[b];
            parts = nominal;
            // Always these four draws first, in this order, whichever parts the circuit has, so
            // that a passive network's builds stay the same whatever else a design may hold.
            for (const ElementKind e : {ElementKind::C1, ElementKind::C2, ElementKind::R1, ElementKind::R2}) {
                parts.values[Index(e)] *= drawer.factor(tolerance(e));
            }
            for (const ElementKind e : kStageParts) {
                if (network.has(e)) parts.values[Index(e)] *= drawer.factor(tolerance(e));
            }
            if (network.source && loadTolerance > 0) parts.loadCapacitancePf *= drawer.factor(loadTolerance);
        }
    }

    // The transfer functions of Lanes::kCount builds at a time, laid out build by build in num and
    // den; a short last group repeats the chunk's first build. Gives the largest degree.
    int transferFunctions(const std::array<Parts, kChunkBuilds>& drawn, std::size_t count, Coefficients& num,
                          Coefficients& den) const {
        constexpr std::size_t kWidth = Lanes::kCount;
        static_assert(kChunkBuilds % kWidth == 0, "a chunk holds whole groups");
        int degree = 0;
        const std::size_t groups = (count + kWidth - 1) / kWidth;
        for (std::size_t g = 0; g < groups; ++g) {
            PartValues<Lanes> lanes;
            for (std::size_t i = 0; i < kWidth; ++i) {
                const std::size_t b = g * kWidth + i < count ? g * kWidth + i : 0;
                for (std::size_t e = 0; e < static_cast<std::size_t>(kPartCount); ++e) lanes.values[e].v[i] = drawn[b].values[e];
                lanes.loadCapacitancePf.v[i] = drawn[b].loadCapacitancePf;
            }
            const BasicRatio<Lanes> h = TransferFunction(network, lanes);
            degree = std::max({degree, h.num.Degree(), h.den.Degree()});
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                for (std::size_t i = 0; i < kWidth; ++i) {
                    num[k][g * kWidth + i] = h.num.c[k].v[i];
                    den[k][g * kWidth + i] = h.den.c[k].v[i];
                }
            }
        }
        return degree;
    }

    // Build b's power ratio at 1 kHz, through the one evaluation every design's level goes through.
    double referenceRatio(const Coefficients& num, const Coefficients& den, std::size_t b) const {
        Ratio h;
        h.num.bound = h.den.bound = kPolynomialCoefficients - 1;
        for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
            h.num.c[k] = num[k][b];
            h.den.c[k] = den[k][b];
        }
        return PowerRatio(h, reference);
    }

    // A short last chunk repeats its first build, so the loop over the frequencies always runs the
    // whole chunk: a fixed count of a few vectors' widths, with no remainder to handle.
    static void padChunk(std::size_t count, Coefficients& num, Coefficients& den,
                         std::array<double, kChunkBuilds>& referenceInverse) {
        for (std::size_t b = count; b < static_cast<std::size_t>(kChunkBuilds); ++b) {
            for (std::size_t k = 0; k < kPolynomialCoefficients; ++k) {
                num[k][b] = num[k][0];
                den[k][b] = den[k][0];
            }
            referenceInverse[b] = referenceInverse[0];
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

double Percentile(std::vector<double>& values, double p) {
    const auto rank = static_cast<std::ptrdiff_t>(RankOf(p, values.size()));
    std::nth_element(values.begin(), values.begin() + rank, values.end());
    return values[static_cast<std::size_t>(rank)];
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

    Run run{network, settings};
    run.nominal = DesignedValues(network);

    const Ratio target = TargetFunction(network);

    const int n = settings.frequencies;
    for (const double hz : ErrorBandFrequencies(n)) {
        run.frequencies.push_back(MakeFrequency(hz));
        run.targetInverse.push_back(1 / PowerRatio(target, run.frequencies.back()));
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

    result.p50Db = Percentile(run.largest, 0.50);
    result.p95Db = Percentile(run.largest, 0.95);
    result.p99Db = Percentile(run.largest, 0.99);
    return result;
}

}  // namespace riaa
