#include "engine/Response.h"

#include <algorithm>
#include <cmath>

#include "engine/ActiveStage.h"
#include "engine/Cartridge.h"
#include "engine/Circuits.h"
#include "engine/ReplayCurves.h"
#include "engine/TransferPolynomials.h"

namespace riaa {

namespace {

// A pole and a zero that coincide cancel: the network then does not show either.
void CancelCommonTimeConstants(std::vector<double>& poles, std::vector<double>& zeros) {
    for (auto p = poles.begin(); p != poles.end();) {
        const auto same = std::find_if(zeros.begin(), zeros.end(),
                                       [&](double z) { return std::fabs(z - *p) <= 1e-9 * std::max(z, *p); });
        if (same != zeros.end()) {
            zeros.erase(same);
            p = poles.erase(p);
        } else {
            ++p;
        }
    }
}

double ErrorDb(const Ratio& h, const Ratio& target, double hz) {
    const Frequency f = MakeFrequency(hz);
    return 10 * std::log10(PowerRatio(h, f) / PowerRatio(target, f));
}

double LevelDb(const Ratio& h, double hz) { return 10 * std::log10(PowerRatio(h, MakeFrequency(hz))); }

bool Finite(const Polynomial& p) {
    return std::all_of(p.c.begin(), p.c.end(), [](double x) { return std::isfinite(x); });
}

SourceFigures FiguresOf(const Cartridge& cartridge) {
    const Resonance resonance = CartridgeResonance(cartridge);
    const Ratio divider = CartridgeDivider(cartridge);
    const double reference = LevelDb(divider, kReferenceHz);
    return {resonance.hz, resonance.q, LevelDb(divider, 10'000) - reference, LevelDb(divider, 20'000) - reference};
}

}  // namespace

BuiltNetwork MakeBuiltNetwork(const NetworkState& state, CircuitKind circuit, const CalculationOptions& options) {
    const CircuitRow& row = Row(circuit);
    BuiltNetwork network;
    network.circuit = circuit;
    network.set(ElementKind::C1, state.C1);
    if (HasElement(row, ElementKind::C2)) network.set(ElementKind::C2, state.C2);
    network.set(ElementKind::R1, state.R1);
    if (HasElement(row, ElementKind::R2)) network.set(ElementKind::R2, state.R2);
    if (options.IncludeRs) network.set(ElementKind::Rs, state.Rs);
    if (options.IncludeRL) network.set(ElementKind::RL, state.RL);
    return network;
}

std::vector<double> ErrorBandFrequencies(int points) {
    const int n = std::max(points, 2);
    const double step = std::log(kErrorBandHighHz / kErrorBandLowHz) / (n - 1);
    std::vector<double> hz(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) hz[static_cast<std::size_t>(i)] = kErrorBandLowHz * std::exp(step * i);
    // exp of the last step lands a few ulps off; the band's end is pinned exactly.
    hz.back() = kErrorBandHighHz;
    return hz;
}

std::string NegativePartMessage(std::string_view element) {
    return "This network cannot be built: " + std::string(element) + " is negative";
}

void CheckBuildable(const BuiltNetwork& network) {
    for (const ElementKind e : kAllElements) {
        if (!network.has(e)) continue;
        const double value = network.value(e);
        const std::string name(ElementName(e));
        if (!std::isfinite(value)) throw EngineError(name + " must be a finite value");
        if (value < 0) throw EngineError(NegativePartMessage(name));
        if (value == 0 && ZeroOhmsFor(network, e) == ZeroOhms::Refused) {
            throw EngineError(name + " must be greater than zero");
        }
    }
    if (network.kind != DesignKind::Passive) CheckOpAmp(network.opAmp);
    if (network.source) CheckCartridge(*network.source);
}

AccuracyReport EvaluateAccuracy(const BuiltNetwork& network, int points) {
    CheckBuildable(network);
    const Ratio h = TransferFunction(network);
    const Ratio target = TargetFunction(network);

    // Parts far out of scale (1e300 Ω and the like) overflow the coefficients or the levels; say so
    // rather than hand the page a curve of NaN.
    if (!Finite(h.num) || !Finite(h.den)) throw OverflowError();

    AccuracyReport report;
    report.realisedPolesUs = TimeConstantsOf(h.den);
    report.realisedZerosUs = TimeConstantsOf(h.num);
    CancelCommonTimeConstants(report.realisedPolesUs, report.realisedZerosUs);
    report.targetPolesUs = TimeConstantsOf(target.den);
    report.targetZerosUs = TimeConstantsOf(target.num);

    report.lossAt1kHzDb = LevelDb(h, kReferenceHz);
    const double reference = ErrorDb(h, target, kReferenceHz);

    const std::vector<double> grid = ErrorBandFrequencies(points);
    report.errorCurve.resize(grid.size());
    std::size_t worst = 0;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        ErrorPoint& point = report.errorCurve[i];
        point.hz = grid[i];
        point.errorDb = ErrorDb(h, target, point.hz) - reference;
        if (std::fabs(point.errorDb) > std::fabs(report.errorCurve[worst].errorDb)) worst = i;
    }
    double sum = report.lossAt1kHzDb + reference;
    for (const ErrorPoint& point : report.errorCurve) sum += point.errorDb;
    for (const double tc : report.realisedPolesUs) sum += tc;
    for (const double tc : report.realisedZerosUs) sum += tc;
    if (!std::isfinite(sum)) throw OverflowError();

    report.largestErrorDb = report.errorCurve[worst].errorDb;
    report.largestErrorHz = report.errorCurve[worst].hz;

    // Between two samples the true peak can sit higher: take the vertex of the parabola through
    // the worst sample and its neighbours (in log frequency) when it reads larger.
    if (worst > 0 && worst + 1 < report.errorCurve.size()) {
        const double step = std::log(grid[worst + 1] / grid[worst]);
        const double before = report.errorCurve[worst - 1].errorDb;
        const double at = report.errorCurve[worst].errorDb;
        const double after = report.errorCurve[worst + 1].errorDb;
        const double curvature = before - 2 * at + after;
        if (curvature != 0) {
            const double offset = 0.5 * (before - after) / curvature;
            if (std::fabs(offset) < 1) {
                const double hz = report.largestErrorHz * std::exp(step * offset);
                const double error = ErrorDb(h, target, hz) - reference;
                if (std::fabs(error) > std::fabs(at)) {
                    report.largestErrorDb = error;
                    report.largestErrorHz = hz;
                }
            }
        }
    }

    if (network.kind != DesignKind::Passive) {
        const StageFigures stage = ActiveStageFigures(network);
        report.gainDcDb = stage.gainDcDb;
        report.extraZeroHz = stage.extraZeroHz;
    }
    if (network.source) report.source = FiguresOf(*network.source);
    return report;
}

}  // namespace riaa
