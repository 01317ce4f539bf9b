#include "engine/ReplayCurves.h"

#include <cmath>
#include <string>

#include "engine/Formats.h"

namespace riaa {

namespace {

// The one place the program holds a curve's numbers. The order is the order of the lists the user
// picks from, and an index into it is what a saved design stores: add rows at the end.
constexpr std::array<ReplayCurve, 15> kCurves{{
    {"RIAA", {"RCA New Orthophonic", "IEC 98", ""},
     "The standard for microgroove records, adopted by the RIAA in 1954 and by the IEC in 1964.", 3180, 318, 75},
    {"NAB 1949", {"NARTB", "", ""},
     "The US broadcasters' recommendation for transcriptions, also cut on some early LPs.", 3180, 318, 100},
    {"Columbia LP", {"", "", ""},
     "Columbia's curve for its LP from 1948, followed by many US labels until about 1954.", 1590, 318, 100},
    {"London LP", {"Decca LP", "", ""},
     "Decca's LPs of the early 1950s, sold in the US under the London label.", 1590, 318, 50},
    {"TELDEC", {"", "", ""}, "Telefunken and Decca's German LPs of the 1950s.", 3180, 318, 50},
    {"AES 1951", {"", "", ""},
     "The Audio Engineering Society's proposal of 1951, taken up by some US labels.", 0, 398, 63.7},
    {"RCA Old Orthophonic", {"", "", ""}, "RCA Victor's LPs before the New Orthophonic curve of 1953.", 0, 318,
     75},
    {"RCA 45", {"", "", ""}, "RCA Victor's early 45 rpm singles, from 1949.", 0, 200, 75},
    {"NAB 1942", {"", "", ""}, "The US broadcasters' 1942 recommendation for lateral transcription discs.", 0, 318,
     100},
    {"Columbia 78", {"", "", ""}, "Columbia's 78 rpm records of the 1940s.", 0, 530, 100},
    {"Decca 78", {"FFRR 78", "", ""}, "Decca's full-frequency-range 78 rpm records, from the mid-1940s.", 0, 531,
     25},
    {"CCIR 78", {"", "", ""}, "The CCIR's recommendation for 78 rpm records of the early 1950s.", 0, 450, 50},
    {"IEC N78", {"BS 1928", "", ""}, "The British Standard of 1955 and the IEC's curve for 78 rpm records.", 3180,
     450, 50},
    {"European 78", {"", "", ""},
     "Electrical 78s of many European labels: a 250 Hz turnover and no treble cut.", 0, 636, 0},
    {"Blumlein 300 Hz", {"", "", ""},
     "EMI's 78s cut with Blumlein's system from the 1930s: a 300 Hz turnover and no treble cut.", 0, 531, 0},
}};

// Letters in one case and no blanks, hyphens or underscores, so "nab_1949" and "NAB-1949" typed
// in a shell find "NAB 1949" without quotes, and a name read from a file keeps no line ending.
std::string Folded(std::string_view text) {
    std::string folded;
    for (const char c : text) {
        if (c == ' ' || (c >= '\t' && c <= '\r') || c == '-' || c == '_') continue;
        folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

// Both without a constant term: an s factor on either side, which Evaluate would meet as 0/0 at 0 Hz.
void CancelCommonOrigin(Ratio& h) {
    while (h.num.c[0] == 0 && h.den.c[0] == 0 && (h.num.Degree() > 0 || h.den.Degree() > 0)) {
        for (Polynomial* p : {&h.num, &h.den}) {
            for (std::size_t k = 0; k + 1 < p->c.size(); ++k) p->c[k] = p->c[k + 1];
            p->c.back() = 0;
        }
    }
}

// Where a curve that keeps rising towards 0 Hz is read for its bass.
constexpr double kLowHz = 20;

}  // namespace

std::span<const ReplayCurve> ReplayCurves() { return kCurves; }

const ReplayCurve& CurveRow(const CurveChoice& choice) {
    // The index may come from a saved design, so a bad one is the user's to see, not a crash.
    if (choice.curve >= kCurves.size()) {
        throw EngineError("There is no replay curve number " + std::to_string(choice.curve) + "; the curves are 0 to " +
                          std::to_string(kCurves.size() - 1));
    }
    return kCurves[choice.curve];
}

std::optional<std::size_t> FindCurve(std::string_view name) {
    const std::string wanted = Folded(name);
    if (wanted.empty()) return std::nullopt;
    for (std::size_t i = 0; i < kCurves.size(); ++i) {
        if (Folded(kCurves[i].name) == wanted) return i;
        for (const std::string_view other : kCurves[i].otherNames) {
            if (!other.empty() && Folded(other) == wanted) return i;
        }
    }
    return std::nullopt;
}

Ratio CurveFunction(const CurveChoice& choice) {
    const ReplayCurve& row = CurveRow(choice);
    Ratio h;
    h.num = Polynomial{1, row.turnoverUs};
    if (row.shelfUs != 0) {
        h.den = TimeConstantProduct({row.shelfUs, row.trebleUs});
    } else {
        // s·Tz rather than s keeps the curve at 1 far above the turnover, as the shelved ones are.
        h.den = Polynomial{0, row.turnoverUs} * TimeConstantProduct({row.trebleUs});
    }
    if (choice.iecAmendment) h = h * Ratio{{0, kIecAmendmentUs}, {1, kIecAmendmentUs}};
    if (choice.zero3_18us) h.num = h.num * Polynomial{1, kZero3_18Us};
    CancelCommonOrigin(h);
    return h;
}

double CurveLevelDb(const CurveChoice& choice, double hz) {
    const Ratio h = CurveFunction(choice);
    return 10 * std::log10(PowerRatio(h, MakeFrequency(hz)) / PowerRatio(h, MakeFrequency(kReferenceHz)));
}

double CurveLowToMidRatio(const CurveChoice& choice) {
    const bool flatAtZero = CurveRow(choice).shelfUs != 0 && !choice.iecAmendment;
    const Ratio h = CurveFunction(choice);
    return std::sqrt(PowerRatio(h, MakeFrequency(flatAtZero ? 0 : kLowHz)) / PowerRatio(h, MakeFrequency(kReferenceHz)));
}

}  // namespace riaa
