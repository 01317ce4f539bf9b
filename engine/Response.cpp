#include "Response.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

#include "Circuits.h"
#include "TransferPolynomials.h"

namespace riaa {

namespace {

// Ω·µF = µs, so angular frequencies are in radians per microsecond throughout.
double RadiansPerMicrosecond(double hz) { return 2 * std::numbers::pi * hz * 1e-6; }

const char* ElementName(ElementKind element) {
    static constexpr std::array<const char*, kElementCount> kNames{"C1", "C2", "R1", "R2", "RL", "Rs"};
    return kNames[Index(element)];
}


bool IsCapacitor(ElementKind element) { return element == ElementKind::C1 || element == ElementKind::C2; }

// --- Poles and zeros ----------------------------------------------------------------------

// The time constants -1/root of p in µs, ascending. Every coefficient of a network of positive
// parts is positive, so p(0) > 0 and the roots of these RC ladders are real and negative.
std::vector<double> TimeConstantsOf(const Polynomial& p) {
    const double a0 = p.c[0];
    switch (p.Degree()) {
        case 0: return {};
        case 1: return {p.c[1] / a0};
        case 2: {
            // (1 + sτ1)(1 + sτ2): τ1 + τ2 = a1/a0 and τ1·τ2 = a2/a0. The larger root comes from the
            // sum and the smaller from the product, so neither suffers cancellation.
            const double sum = p.c[1] / a0;
            const double product = p.c[2] / a0;
            const double root = std::sqrt(std::max(0.0, sum * sum - 4 * product));
            const double larger = (sum + root) / 2;
            return {product / larger, larger};
        }
        default: break;
    }
    throw EngineError("This network is of too high an order to evaluate");
}

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

void CheckBuildable(const BuiltNetwork& network) {
    const CircuitRow& row = Row(network.circuit);
    // Where a resistor alone is the shunt, zero would short the output.
    const auto isWholeShunt = [&](ElementKind e) {
        return row.shunt.shape == BranchShape::Single && row.shunt.elements[0] == e;
    };
    using E = ElementKind;
    for (const E e : {E::C1, E::C2, E::R1, E::R2, E::Rs, E::RL}) {
        if ((e == E::Rs && !network.Rs) || (e == E::RL && !network.RL)) continue;
        if (!HasElement(row, e)) continue;
        const double value = ElementValue(network, e);
        const std::string name = ElementName(e);
        if (!std::isfinite(value)) throw EngineError(name + " must be a finite value");
        if (value < 0) throw EngineError("This network cannot be built: " + name + " is negative");
        if (value == 0 && (IsCapacitor(e) || e == E::RL || isWholeShunt(e))) {
            throw EngineError(name + " must be greater than zero");
        }
    }
}

double ErrorDb(const Ratio& h, const Ratio& target, double hz) {
    const Frequency f = MakeFrequency(hz);
    return 10 * std::log10(PowerRatio(h, f) / PowerRatio(target, f));
}

// --- Part sums ---------------------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Adds up the parts between the "+" signs; a "+" right after an exponent's "e" belongs to it.
template <typename PartValue>
double ParseSum(std::string_view text, PartValue partValue) {
    double total = 0;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool exponentSign = i > 0 && i < text.size() && (text[i - 1] == 'e' || text[i - 1] == 'E');
        if (i < text.size() && (text[i] != '+' || exponentSign)) continue;
        const std::string_view part = TrimBlanks(text.substr(begin, i - begin));
        // An empty part ("27k+", "+5", "1++2") has no text of its own to quote.
        if (part.empty()) throw ConversionError(text);
        const double value = partValue(part);
        if (!(value > 0)) throw EngineError("The value must be greater than zero");
        total += value;
        begin = i + 1;
    }
    if (!std::isfinite(total)) throw EngineError("The value is too large");
    return total;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// --- Netlist -----------------------------------------------------------------------------------

// The shortest text that reads back as exactly this double ("1e-08", not "1.0000000000000001e-08"),
// and with a point whatever the C library's locale, which a Qt program sets from the user's.
std::string Shortest(double value) {
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), written.ptr);
}

std::string SpiceValue(const BuiltNetwork& network, ElementKind element) {
    const double value = ElementValue(network, element);
    return Shortest(IsCapacitor(element) ? value / 1e6 : value);
}

struct NetlistWriter {
    const BuiltNetwork& network;
    std::string text;
    int internalNodes = 0;

    void Element(ElementKind e, const std::string& from, const std::string& to) {
        text += std::string(ElementName(e)) + " " + from + " " + to + " " + SpiceValue(network, e) + "\n";
    }

    void BranchLines(const Branch& branch, const std::string& from, const std::string& to) {
        const auto& e = branch.elements;
        switch (branch.shape) {
            case BranchShape::Single: Element(e[0], from, to); return;
            case BranchShape::Parallel:
                Element(e[0], from, to);
                Element(e[1], from, to);
                return;
            default: break;
        }
        const std::string mid = "n" + std::to_string(++internalNodes);
        switch (branch.shape) {
            case BranchShape::Series:
                Element(e[0], from, mid);
                Element(e[1], mid, to);
                break;
            case BranchShape::SeriesBesideThird:
                Element(e[0], from, mid);
                Element(e[1], mid, to);
                Element(e[2], from, to);
                break;
            case BranchShape::ParallelThenThird:
                Element(e[0], from, mid);
                Element(e[1], from, mid);
                Element(e[2], mid, to);
                break;
            default: break;
        }
    }
};

}  // namespace

double ElementValue(const BuiltNetwork& network, ElementKind element) {
    switch (element) {
        case ElementKind::C1: return network.C1;
        case ElementKind::C2: return network.C2;
        case ElementKind::R1: return network.R1;
        case ElementKind::R2: return network.R2;
        case ElementKind::RL: return network.RL.value_or(0);
        case ElementKind::Rs: return network.Rs.value_or(0);
    }
    return 0;
}

BuiltNetwork MakeBuiltNetwork(const NetworkState& state, CircuitKind circuit, const CalculationOptions& options) {
    const CircuitRow& row = Row(circuit);
    BuiltNetwork network;
    network.circuit = circuit;
    network.C1 = state.C1;
    network.C2 = HasElement(row, ElementKind::C2) ? state.C2 : 0;
    network.R1 = state.R1;
    network.R2 = HasElement(row, ElementKind::R2) ? state.R2 : 0;
    if (options.IncludeRs) network.Rs = state.Rs;
    if (options.IncludeRL) network.RL = state.RL;
    return network;
}

std::complex<double> NetworkTransfer(const BuiltNetwork& network, double hz) {
    // Evaluated from the impedances directly rather than through the polynomials, so that the
    // two ways of reading the network check each other in the tests.
    const std::complex<double> s(0, RadiansPerMicrosecond(hz));
    const auto z = [&](ElementKind e) -> std::complex<double> {
        const double value = ElementValue(network, e);
        return IsCapacitor(e) ? 1.0 / (s * value) : std::complex<double>(value);
    };
    const auto beside = [](std::complex<double> a, std::complex<double> b) { return a * b / (a + b); };
    const auto branch = [&](const Branch& b) {
        const auto& e = b.elements;
        switch (b.shape) {
            case BranchShape::Single: return z(e[0]);
            case BranchShape::Series: return z(e[0]) + z(e[1]);
            case BranchShape::Parallel: return beside(z(e[0]), z(e[1]));
            case BranchShape::SeriesBesideThird: return beside(z(e[0]) + z(e[1]), z(e[2]));
            case BranchShape::ParallelThenThird: return beside(z(e[0]), z(e[1])) + z(e[2]);
        }
        return z(e[0]);
    };
    const CircuitRow& row = Row(network.circuit);
    std::complex<double> series = branch(row.series);
    std::complex<double> shunt = branch(row.shunt);
    if (network.Rs) series += *network.Rs;
    if (network.RL) shunt = beside(shunt, *network.RL);
    return shunt / (series + shunt);
}

std::complex<double> TargetTransfer(CircuitKind circuit, double hz) {
    const CircuitRow& row = Row(circuit);
    const std::complex<double> s(0, RadiansPerMicrosecond(hz));
    std::complex<double> h = 1;
    for (std::size_t i = 0; i < row.targetZeros.count; ++i) h *= 1.0 + s * row.targetZeros.us[i];
    for (std::size_t i = 0; i < row.targetPoles.count; ++i) h /= 1.0 + s * row.targetPoles.us[i];
    return h;
}

AccuracyReport EvaluateAccuracy(const BuiltNetwork& network, int points) {
    CheckBuildable(network);
    const CircuitRow& row = Row(network.circuit);
    const Ratio h = TransferFunction(network);
    const Ratio target = TargetFunction(network.circuit);

    // Parts far out of scale (1e300 Ω and the like) overflow the coefficients or the levels; say so
    // rather than hand the page a curve of NaN.
    const auto finite = [](const Polynomial& p) {
        return std::all_of(p.c.begin(), p.c.end(), [](double x) { return std::isfinite(x); });
    };
    if (!finite(h.num) || !finite(h.den)) throw OverflowError();

    AccuracyReport report;
    report.realisedPolesUs = TimeConstantsOf(h.den);
    report.realisedZerosUs = TimeConstantsOf(h.num);
    CancelCommonTimeConstants(report.realisedPolesUs, report.realisedZerosUs);
    report.targetPolesUs.assign(row.targetPoles.us.begin(), row.targetPoles.us.begin() + row.targetPoles.count);
    report.targetZerosUs.assign(row.targetZeros.us.begin(), row.targetZeros.us.begin() + row.targetZeros.count);

    report.lossAt1kHzDb = 10 * std::log10(PowerRatio(h, MakeFrequency(1000)));
    const double reference = ErrorDb(h, target, 1000);

    const int n = std::max(points, 2);
    const double step = std::log(kErrorBandHighHz / kErrorBandLowHz) / (n - 1);
    report.errorCurve.resize(static_cast<std::size_t>(n));
    const double ratio = std::exp(step);
    std::size_t worst = 0;
    double hz = kErrorBandLowHz;
    for (std::size_t i = 0; i < report.errorCurve.size(); ++i, hz *= ratio) {
        ErrorPoint& point = report.errorCurve[i];
        // A running product drifts by a few ulps over the curve; the band's end is pinned exactly.
        point.hz = i + 1 == report.errorCurve.size() ? kErrorBandHighHz : hz;
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
    return report;
}

double ParseResistorSum(std::string_view text, const NumberLocale& locale) {
    return ParseSum(text, [&](std::string_view part) {
        try {
            return ParseNumber(ExpandMultiplierSuffix(part, locale), locale);
        } catch (const ConversionError&) {
            throw ConversionError(part);
        }
    });
}

double ParseCapacitorSum(std::string_view text, const NumberLocale& locale) {
    return ParseSum(text, [&](std::string_view part) {
        std::string_view number = part;
        // An "F" is welcome after a prefix ("3.3nF") but not alone, where it would read as farads.
        if (EndsWith(number, "F") || EndsWith(number, "f")) {
            const std::string_view before = number.substr(0, number.size() - 1);
            if (EndsWith(before, "n") || EndsWith(before, "p") || EndsWith(before, "u") ||
                EndsWith(before, "\u00B5") || EndsWith(before, "\u03BC")) {
                number = before;
            }
        }
        double factor = 1;
        if (EndsWith(number, "n")) {
            factor = 1e-3;
            number.remove_suffix(1);
        } else if (EndsWith(number, "p")) {
            factor = 1e-6;
            number.remove_suffix(1);
        } else if (EndsWith(number, "u")) {
            number.remove_suffix(1);
        } else if (EndsWith(number, "\u00B5") || EndsWith(number, "\u03BC")) {
            number.remove_suffix(2);
        }
        // A blank between the number and its suffix ("3.3 n") is fine, but a lone suffix is no number.
        if (TrimBlanks(number).empty()) throw ConversionError(part);
        try {
            return ParseNumber(number, locale) * factor;
        } catch (const ConversionError&) {
            throw ConversionError(part);
        }
    });
}

std::string SpiceNetlist(const BuiltNetwork& network) {
    const CircuitRow& row = Row(network.circuit);
    NetlistWriter writer{network, {}, 0};
    std::string& text = writer.text;
    text += "* Mirelund: " + std::string(row.caption) + "\n";
    text += "* C1 = " + Shortest(network.C1) + " uF";
    if (HasElement(row, ElementKind::C2)) text += ", C2 = " + Shortest(network.C2) + " uF";
    text += ", R1 = " + Shortest(network.R1) + " ohm";
    if (HasElement(row, ElementKind::R2)) text += ", R2 = " + Shortest(network.R2) + " ohm";
    text += "\n";
    if (network.Rs) text += "* source resistance Rs = " + Shortest(*network.Rs) + " ohm\n";
    if (network.RL) text += "* load resistance RL = " + Shortest(*network.RL) + " ohm\n";

    if (network.Rs) {
        text += "V1 src 0 AC 1\n";
        writer.Element(ElementKind::Rs, "src", "in");
    } else {
        text += "V1 in 0 AC 1\n";
    }
    writer.BranchLines(row.series, "in", "out");
    writer.BranchLines(row.shunt, "out", "0");
    if (network.RL) writer.Element(ElementKind::RL, "out", "0");
    // Without an output request ngspice's batch mode simulates nothing and fails.
    text += ".ac dec 100 10 100k\n.print ac vdb(out)\n.end\n";
    return text;
}

}  // namespace riaa
