#include "DesignRequest.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "engine/Circuits.h"
#include "engine/PartSums.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"

namespace design {

namespace {

const riaa::NumberLocale kPointLocale{};

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The circuits as the help lists them, two to a line: 0 "Low-Pass 50Hz", 1 "Low-Pass 2122Hz", ...
std::string CircuitList() {
    std::string list;
    for (int index = 0; index < riaa::kCircuitCount; ++index) {
        if (index > 0) list += index % 2 == 0 ? ",\n" : ", ";
        list += std::to_string(index) + " \"" + std::string(riaa::Row(static_cast<riaa::CircuitKind>(index)).caption) + "\"";
    }
    return list;
}

// "0" to "5", or a circuit's caption in any letter case.
riaa::CircuitKind ParseCircuit(const std::string& text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + riaa::kCircuitCount) {
        return static_cast<riaa::CircuitKind>(text[0] - '0');
    }
    for (int index = 0; index < riaa::kCircuitCount; ++index) {
        const auto circuit = static_cast<riaa::CircuitKind>(index);
        if (Lowercase(std::string(riaa::Row(circuit).caption)) == Lowercase(text)) return circuit;
    }
    throw UsageError("--circuit", "'" + text + "' is no circuit: give 0 to 5 or a caption such as \"" +
                                      std::string(riaa::Row(riaa::CircuitKind::LowPass50Hz).caption) + "\"");
}

// "E6, E12, E24, E48, E96" and "E192" joined by last.
std::string SeriesNames(const std::string& last) {
    std::string names;
    for (riaa::SeriesKind kind : riaa::kAllSeries) {
        if (!names.empty()) names += kind == riaa::kAllSeries.back() ? last : ", ";
        names += riaa::SeriesName(kind);
    }
    return names;
}

// A part's value as typed for option, refused when no part could have it.
template <typename Parse>
double ParsePart(const std::string& option, const std::string& text, Parse parse, bool capacitor,
                 std::string_view name) {
    try {
        const double value = parse(text, kPointLocale);
        riaa::CheckPartValue(capacitor, value, name);
        return value;
    } catch (const riaa::EngineError& error) {
        throw UsageError(option, error.what());
    }
}

Rounding ParseRounding(const std::string& text) {
    if (Lowercase(text) == "list") return Rounding{true, {}};
    if (const auto series = riaa::SeriesNamed(text)) return Rounding{false, series};
    throw UsageError("--round", "'" + text + "' is no rounding: give list, " + SeriesNames(" or "));
}

// "1%", "1" or "0.5%" to a percentage from 0 to the largest the engine takes.
double ParsePercent(const std::string& option, const std::string& text) {
    std::string number = text;
    if (!number.empty() && number.back() == '%') number.pop_back();
    double percent = 0;
    try {
        percent = riaa::ParseNumber(number, kPointLocale);
    } catch (const riaa::EngineError& error) {
        throw UsageError(option, error.what());
    }
    if (!(percent >= 0 && percent <= riaa::kLargestTolerancePercent)) {
        throw UsageError(option, "'" + text + "' must lie between 0% and " +
                                     std::to_string(static_cast<int>(riaa::kLargestTolerancePercent)) + "%");
    }
    return percent;
}

ToleranceRequest ParseTolerance(const std::string& text, const std::string& distribution, int builds) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw UsageError("--tolerance", "'" + text + "' must be two percentages, resistors then capacitors, e.g. 1%,2%");
    }
    ToleranceRequest tolerance;
    tolerance.resistorPercent = ParsePercent("--tolerance", text.substr(0, comma));
    tolerance.capacitorPercent = ParsePercent("--tolerance", text.substr(comma + 1));
    const std::string lower = Lowercase(distribution);
    if (lower != "uniform" && lower != "normal") {
        throw UsageError("--distribution", "'" + distribution + "' is no distribution: give uniform or normal");
    }
    tolerance.normal = lower == "normal";
    if (builds < 1 || builds > riaa::kMaxToleranceBuilds) {
        throw UsageError("--builds", "must lie between 1 and " + std::to_string(riaa::kMaxToleranceBuilds));
    }
    tolerance.builds = builds;
    return tolerance;
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The text without the first of these units (lower case) it ends with in any letter case, and
// without the blanks before it; which unit went is told by its position, or -1 for none.
std::string WithoutUnit(const std::string& text, std::initializer_list<std::string_view> units, int* which = nullptr) {
    const std::string lower = Lowercase(text);
    std::string rest = text;
    int position = 0;
    if (which) *which = -1;
    for (const std::string_view unit : units) {
        if (EndsWith(lower, unit)) {
            rest.resize(rest.size() - unit.size());
            if (which) *which = position;
            break;
        }
        ++position;
    }
    while (!rest.empty() && rest.back() == ' ') rest.pop_back();
    return rest;
}

// A number typed for option, k and M expanded where multipliers; refused as not `what` otherwise.
double ParseQuantity(const std::string& option, const std::string& text, const std::string& number, bool multipliers,
                     const std::string& what) {
    try {
        return riaa::ParseNumber(multipliers ? riaa::ExpandMultiplierSuffix(number, kPointLocale) : number,
                                 kPointLocale);
    } catch (const riaa::EngineError&) {
        throw UsageError(option, "'" + text + "' is not " + what);
    }
}

double ParsePositive(const std::string& option, const std::string& text, const std::string& number,
                     bool multipliers, const std::string& what) {
    const double value = ParseQuantity(option, text, number, multipliers, what);
    if (!(value > 0) || !std::isfinite(value)) throw UsageError(option, "'" + text + "' must be greater than zero");
    return value;
}

// One of a few names in any letter case, refused with all of them as the choice otherwise.
template <typename Value>
Value Named(const std::string& option, const std::string& text, const std::string& noun,
            std::initializer_list<std::pair<const char*, Value>> names) {
    std::string choices;
    std::size_t index = 0;
    for (const auto& [name, value] : names) {
        if (Lowercase(text) == Lowercase(name)) return value;
        choices += index == 0 ? "" : index + 1 == names.size() ? " or " : ", ";
        choices += name;
        ++index;
    }
    throw UsageError(option, "'" + text + "' is no " + noun + ": give " + choices);
}

// "A,B" split at its only comma; refused with an example otherwise.
std::pair<std::string, std::string> SplitPair(const std::string& option, const std::string& text,
                                              const std::string& example) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw UsageError(option, "'" + text + "' must be two values, e.g. " + example);
    }
    return {text.substr(0, comma), text.substr(comma + 1)};
}

// A resistance in Ω that may be 0: a cartridge whose Rc is left out of the reckoning.
double ParseOhms(const std::string& option, const std::string& text) {
    const double ohms =
        ParseQuantity(option, text, WithoutUnit(text, {"ohm", "\u03A9"}), true, "a resistance in \u03A9, e.g. 1k");
    if (!(ohms >= 0)) throw UsageError(option, "'" + text + "' must not be negative");
    return ohms;
}

// "500mH,1k" and "47k,200p": the cartridge's L (mH unless H) and Rc, the input's RL and CL (pF unless n).
riaa::Cartridge ParseCartridge(const std::string& cartridgeText, const std::string& loadText) {
    riaa::Cartridge cartridge;
    const auto [inductance, resistance] = SplitPair("--cartridge", cartridgeText, "500mH,1k");
    int unit = -1;
    const std::string henries = WithoutUnit(inductance, {"mh", "h"}, &unit);
    cartridge.inductanceMh =
        ParseQuantity("--cartridge", inductance, henries, false, "an inductance, e.g. 500mH") * (unit == 1 ? 1000 : 1);
    cartridge.resistance = ParseOhms("--cartridge", resistance);
    const auto check = [](const riaa::Cartridge& c, const char* option) {
        try {
            riaa::CheckCartridge(c);
        } catch (const riaa::EngineError& error) {
            throw UsageError(option, error.what());
        }
    };
    check(cartridge, "--cartridge");
    const auto [load, capacitance] = SplitPair("--load", loadText, "47k,200p");
    cartridge.loadResistance = ParseOhms("--load", load);
    const std::string farads = WithoutUnit(capacitance, {"pf", "nf", "p", "n"}, &unit);
    cartridge.loadCapacitancePf = ParseQuantity("--load", capacitance, farads, false, "a capacitance, e.g. 200p") *
                                  (unit == 1 || unit == 3 ? 1000 : 1);
    check(cartridge, "--load");
    return cartridge;
}

std::optional<riaa::ElementKind> ElementNamed(const std::string& name) {
    for (const riaa::ElementKind element : riaa::kAllElements) {
        if (riaa::ElementName(element) == name) return element;
    }
    return std::nullopt;
}

std::vector<PartOverride> ParseParts(const std::vector<std::string>& texts) {
    std::vector<PartOverride> parts;
    for (const std::string& text : texts) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) throw UsageError("--part", "'" + text + "' must be NAME=VALUE, e.g. R1=27k+820");
        const std::string name = text.substr(0, equals);
        const std::optional<riaa::ElementKind> element = ElementNamed(name);
        if (!element) {
            std::string names;
            for (const riaa::ElementKind e : riaa::kAllElements) names += (names.empty() ? "" : ", ") + std::string(riaa::ElementName(e));
            throw UsageError("--part", "'" + name + "' is no element: give one of " + names);
        }
        for (const PartOverride& earlier : parts) {
            if (earlier.element == *element) throw UsageError("--part", name + " is given twice");
        }
        const bool capacitor = riaa::IsCapacitor(*element);
        const std::string value = text.substr(equals + 1);
        parts.push_back({*element, capacitor ? ParsePart("--part", value, riaa::ParseCapacitorSum, true, name)
                                             : ParsePart("--part", value, riaa::ParseResistorSum, false, name)});
    }
    return parts;
}

}  // namespace

namespace {

// Those of these options that were given, as "--rs, --c2".
std::string GivenOf(const CLI::App& app, std::initializer_list<const char*> names) {
    std::string given;
    for (const char* name : names) {
        if (app.get_option(name)->count() > 0) given += (given.empty() ? "" : ", ") + std::string(name);
    }
    return given;
}

// The options of an active stage, read into the engine's request; --c1 among them is the scale.
StageRequest ParseStage(const CLI::App& app, const std::string& stageText, const std::map<std::string, std::string>& text,
                        const riaa::CurveChoice& curve) {
    using riaa::DesignKind;
    StageRequest stage;
    riaa::ActiveStageRequest& d = stage.design;
    d.stage = Named<DesignKind>("--stage", stageText, "stage",
                                {{"non-inverting", DesignKind::NonInverting},
                                 {"inverting", DesignKind::Inverting},
                                 {"two-stage", DesignKind::TwoStage}});
    const auto given = [&](const char* name) { return app.get_option(name)->count() > 0; };
    d.curve = curve;

    if (given("--network")) {
        if (d.stage == DesignKind::TwoStage) throw UsageError("--network", "two stages have a network of their own: leave it out");
        using riaa::NetworkForm;
        d.form = Named<NetworkForm>("--network", text.at("--network"), "network",
                                    {{"A", NetworkForm::A}, {"B", NetworkForm::B}, {"C", NetworkForm::C}, {"D", NetworkForm::D}});
    }
    if (given("--hf")) {
        if (d.stage != DesignKind::NonInverting) throw UsageError("--hf", "only a non-inverting stage has the extra zero");
        using riaa::HighFrequencyZero;
        std::string hf = text.at("--hf");
        for (const char* micro : {"\u00B5", "\u03BC"}) {
            if (const std::size_t at = hf.find(micro); at != std::string::npos) hf.replace(at, 2, "u");
        }
        d.highFrequencyZero = Named<HighFrequencyZero>(
            "--hf", hf, "treatment of the extra zero",
            {{"pole", HighFrequencyZero::Pole}, {"none", HighFrequencyZero::None}, {"3.18us", HighFrequencyZero::At3_18us}});
    }
    if (given("--gain")) {
        // The zero at 3.18 µs fixes the stage's gain; a typed one would be silently ignored.
        if (d.highFrequencyZero == riaa::HighFrequencyZero::At3_18us) {
            throw UsageError("--gain", "a zero at 3.18 \u00B5s sets the stage's gain itself: leave --gain out");
        }
        const std::string& gain = text.at("--gain");
        d.gain1kHzDb = ParseQuantity("--gain", gain, WithoutUnit(gain, {"db"}), false, "a gain in dB, e.g. 35dB");
    }

    const bool inverting = d.stage == DesignKind::Inverting;
    const std::string resistorScale = inverting ? "--rin" : "--r0";
    const char* const other = inverting ? "--r0" : "--rin";
    if (given(other)) {
        throw UsageError(other, std::string(inverting ? "an inverting stage has no R0" : "only an inverting stage has Rin") +
                                    ": give " + resistorScale + " or --c1 for the scale");
    }
    const bool byResistor = given(resistorScale.c_str());
    d.scaleByC1 = given("--c1");
    if (byResistor == d.scaleByC1) {
        throw UsageError(byResistor ? resistorScale : "--stage",
                         byResistor ? "give " + resistorScale + " or --c1, not both: one of them sets the scale"
                                    : "give the scale, " + resistorScale + " or --c1 (capacitors first), e.g. " +
                                          resistorScale + " 1k");
    }
    stage.scaleOption = d.scaleByC1 ? "--c1" : resistorScale;
    d.scale = d.scaleByC1 ? ParsePart("--c1", text.at("--c1"), riaa::ParseCapacitorSum, true, "C1")
                          : ParsePart(resistorScale, text.at(resistorScale), riaa::ParseResistorSum, false,
                                      inverting ? "Rin" : "R0");
    if (given("--c0")) d.c0 = ParsePart("--c0", text.at("--c0"), riaa::ParseCapacitorSum, true, "C0");
    if (given("--r3")) {
        d.r3 = ParsePart("--r3", text.at("--r3"), riaa::ParseResistorSum, false, "R3");
        stage.r3Given = true;
    }
    if (given("--rl")) d.rl = ParsePart("--rl", text.at("--rl"), riaa::ParseResistorSum, false, "RL");
    if (d.curve.iecAmendment && !d.rl) {
        throw UsageError("--iec", "the coupling capacitor needs the next stage's input: give --rl, e.g. --rl 47k");
    }

    if (given("--a0") || given("--gbw")) {
        d.opAmp.ideal = false;
        // Far beyond any op-amp, and still short of where the stage's levels would overflow.
        if (given("--a0")) {
            const std::string& a0 = text.at("--a0");
            d.opAmp.openLoopGainDb = ParsePositive("--a0", a0, WithoutUnit(a0, {"db"}), false, "a gain in dB, e.g. 100dB");
            if (d.opAmp.openLoopGainDb > 300) throw UsageError("--a0", "'" + a0 + "' must lie between 0 dB and 300 dB");
        }
        if (given("--gbw")) {
            const std::string& gbw = text.at("--gbw");
            d.opAmp.gainBandwidthHz =
                ParsePositive("--gbw", gbw, WithoutUnit(gbw, {"hz"}), true, "a frequency in Hz, e.g. 10M");
            if (!(d.opAmp.gainBandwidthHz >= 1 && d.opAmp.gainBandwidthHz <= 1e12)) {
                throw UsageError("--gbw", "'" + gbw + "' must lie between 1 Hz and 1 THz");
            }
        }
    }
    if (given("--shelf")) {
        const riaa::ReplayCurve& row = riaa::CurveRow(d.curve);
        if (row.shelfUs > 0) throw UsageError("--shelf", std::string(row.name) + " has a shelf of its own");
        const std::string& shelf = text.at("--shelf");
        d.realisedShelfUs = ParsePositive("--shelf", shelf, WithoutUnit(shelf, {"us", "\u00B5s", "\u03BCs"}), false,
                                          "a time constant in \u00B5s, e.g. 15915");
    }
    return stage;
}

}  // namespace

DesignRequest ParseDesignRequest(int argc, const char* const* argv) {
    CLI::App app{
        "Designs a passive RIAA equalisation network or an active equalisation stage for a replay curve, and\n"
        "tells how closely the design as built follows its target response.\n\n"
        "Examples:\n"
        "  mirelund-design --circuit 4 --c1 10n --rs 1k --rl 47k --round E96 --tolerance 1%,2%\n"
        "  mirelund-design --stage non-inverting --network A --gain 35dB --r0 390 --c0 100u --cartridge 500mH,1k\n"
        "                  --load 47k,200p --tolerance 1%,2% --tolerance-cl 10%\n",
        "mirelund-design"};
    app.get_formatter()->column_width(34);

    std::string circuit, rs, c2, rounding, tolerance, distribution = "uniform", stage, curveName, cartridge, load,
        toleranceCl;
    std::vector<std::string> partTexts;
    // The options whose text is read only once it is known which design they belong to.
    std::map<std::string, std::string> text;
    int builds = ToleranceRequest{}.builds;
    const std::string defaultBuilds = riaa::RenderNumber(builds, riaa::patterns::GroupedWhole, kPointLocale);
    DesignRequest request;
    app.add_option("--circuit", circuit, "Passive circuit 0 to 5 or its caption: " + CircuitList() + ". Example: --circuit 4");
    app.add_option("--c1", text["--c1"],
                   "Capacitor C1 in \u00B5F, or with n, p or u: 0.01, 10n, 10000p. With --stage it sets the\n"
                   "scale: capacitors first, everything else follows. Example: --c1 10n");
    app.add_option("--rs", rs, "Source resistance in \u03A9 (k, M), put in circuit and corrected for (passive).\n"
                               "Example: --rs 1k");
    app.add_option("--rl", text["--rl"],
                   "Load resistance in \u03A9 (k, M): a passive network's load, put in circuit and corrected\n"
                   "for; with --stage the next stage's input (two stages, --iec). Example: --rl 47k");
    app.add_option("--round", rounding,
                   "Round every resistor but Rs and RL to the program's resistor list (list) or a standard\n"
                   "series (" + SeriesNames(", ") + "). Example: --round E96");
    app.add_option("--c2", c2, "C2 as built instead of the calculated one; a sum is two capacitors in\n"
                               "parallel (circuits 4 and 5). Example: --c2 3.3n+120p");
    app.add_option("--stage", stage,
                   "An active stage instead of a passive circuit: non-inverting, inverting or two-stage.\n"
                   "Example: --stage non-inverting");
    app.add_option("--network", text["--network"],
                   "The stage's feedback network, form A, B, C or D (default A). Example: --network B");
    app.add_option("--gain", text["--gain"], "The stage's gain at 1 kHz in dB (default 35). Example: --gain 40dB");
    app.add_option("--r0", text["--r0"],
                   "The scale: R0 in \u03A9 (k, M), from the - input to ground (non-inverting, two stages).\n"
                   "Example: --r0 390");
    app.add_option("--rin", text["--rin"], "The scale: Rin in \u03A9 (k, M), into an inverting stage. Example: --rin 10k");
    app.add_option("--c0", text["--c0"], "C0 in \u00B5F (n, p, u) in series with R0 or Rin: no gain at DC. Example: --c0 100u");
    app.add_option("--hf", text["--hf"],
                   "What a non-inverting stage does with its extra zero: pole (default, a low-pass R3, C3\n"
                   "cancels it), none (it stays) or 3.18us (it sets the gain). Example: --hf none");
    app.add_option("--r3", text["--r3"], "R3 of the low-pass after the stage, in \u03A9 (default 1k). Example: --r3 2.2k");
    app.add_option("--a0", text["--a0"],
                   "The op-amp's open-loop gain in dB; with it or --gbw a single-pole op-amp (default\n"
                   "100 dB), without either an ideal one. Example: --a0 100dB");
    app.add_option("--gbw", text["--gbw"],
                   "The op-amp's gain-bandwidth product in Hz (k, M; default 10M). Example: --gbw 10M");
    app.add_option("--shelf", text["--shelf"],
                   "The shelf in \u00B5s that a stage gives a curve without one (default 15915, 10 Hz).\n"
                   "Example: --shelf 31831 (with --curve \"RCA 45\")");
    app.add_option("--part", partTexts,
                   "An element as built, overriding the design: NAME=VALUE, a sum of parts in \u03A9 or\n"
                   "\u00B5F; may be given for several elements. Example: --part R1=27k+820 --part C0=100u")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--curve", curveName, "The replay curve by any of its names (default RIAA; --curves lists them).\n"
                                         "Example: --curve \"NAB 1949\"");
    bool iec = false;
    bool zero3_18 = false;
    app.add_flag("--iec", iec, "The IEC amendment: a 7950 \u00B5s high-pass (a stage then needs --rl). Example: --iec");
    app.add_flag("--zero-3.18us", zero3_18, "A zero at 3.18 \u00B5s in the target curve. Example: --zero-3.18us");
    app.add_flag("--curves", request.listCurves,
                 "List the replay curves: names, time constants, what they were used for.\nExample: --curves");
    app.add_option("--cartridge", cartridge,
                   "A moving-magnet cartridge at the input: L (mH, or H) and Rc (k), with --load.\n"
                   "Example: --cartridge 500mH,1k");
    app.add_option("--load", load, "The input's load on the cartridge: RL (k, M) and CL (pF, or n), cable\n"
                                   "included. Example: --load 47k,200p");
    app.add_option("--tolerance", tolerance,
                   "Resistor and capacitor tolerance; adds the 50th, 95th and 99th percentile of the\n"
                   "largest error over " + defaultBuilds + " builds. Example: --tolerance 1%,2%");
    app.add_option("--tolerance-cl", toleranceCl,
                   "Tolerance of the cartridge's load capacitance (cables vary) in the tolerance run.\n"
                   "Example: --tolerance-cl 10%");
    app.add_option("--distribution", distribution,
                   "Spread of the parts within tolerance: uniform (default) or normal with\n"
                   "sigma = tolerance/2. Example: --distribution normal");
    app.add_option("--builds", builds,
                   "Builds in the tolerance run (default " + std::to_string(builds) + "). Example: --builds 2000");
    app.add_flag("--netlist", request.netlist, "Print a SPICE netlist of the design as built, nothing else.\nExample: --netlist > network.cir");
    app.add_flag("--json", request.json, "Print the results as one JSON object. Example: --json");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        request.help = true;
        request.helpText = app.help();
        return request;
    } catch (const CLI::ParseError& error) {
        throw UsageError("", error.what());
    }
    if (request.listCurves) return request;

    const auto given = [&](const char* name) { return app.get_option(name)->count() > 0; };
    if (given("--curve")) {
        const std::optional<std::size_t> index = riaa::FindCurve(curveName);
        if (!index) throw UsageError("--curve", "'" + curveName + "' is no replay curve: --curves lists them");
        request.curve.curve = *index;
    }
    request.curve.iecAmendment = iec;
    request.curve.zero3_18us = zero3_18;
    request.curveAsked = given("--curve") || iec || zero3_18;

    if (given("--stage")) {
        if (const std::string passive = GivenOf(app, {"--circuit", "--rs", "--c2"}); !passive.empty()) {
            throw UsageError(passive, "only for a passive circuit, not with --stage");
        }
        request.stage = ParseStage(app, stage, text, request.curve);
    } else {
        if (const std::string active = GivenOf(app, {"--network", "--gain", "--r0", "--rin", "--c0", "--hf", "--r3",
                                                     "--a0", "--gbw", "--shelf"});
            !active.empty()) {
            throw UsageError(active, "only for an active stage: give --stage too");
        }
        if (!given("--circuit")) throw UsageError("", "--circuit is required, or --stage for an active stage");
        if (!given("--c1")) throw UsageError("", "--c1 is required");
        request.circuit = ParseCircuit(circuit);
        const bool complete = request.circuit == riaa::CircuitKind::CompleteRiaaVersion1 ||
                              request.circuit == riaa::CircuitKind::CompleteRiaaVersion2;
        if (request.curveAsked && !complete) {
            throw UsageError(GivenOf(app, {"--curve", "--iec", "--zero-3.18us"}),
                             "a section is measured against its own target: a curve is for circuits 4 and 5");
        }
        request.c1 = ParsePart("--c1", text["--c1"], riaa::ParseCapacitorSum, true, "C1");
        if (!rs.empty()) request.rs = ParsePart("--rs", rs, riaa::ParseResistorSum, false, "Rs");
        if (given("--rl")) request.rl = ParsePart("--rl", text["--rl"], riaa::ParseResistorSum, false, "RL");
        if (!c2.empty()) {
            if (!riaa::HasElement(riaa::Row(request.circuit), riaa::ElementKind::C2)) throw UsageError("--c2", "this circuit has no C2");
            request.c2 = ParsePart("--c2", c2, riaa::ParseCapacitorSum, true, "C2");
        }
    }
    request.parts = ParseParts(partTexts);
    if (given("--cartridge") != given("--load")) {
        throw UsageError(given("--cartridge") ? "--cartridge" : "--load",
                         "give --cartridge and --load together, e.g. --cartridge 500mH,1k --load 47k,200p");
    }
    if (given("--cartridge")) request.cartridge = ParseCartridge(cartridge, load);
    if (!rounding.empty()) request.rounding = ParseRounding(rounding);
    if (!tolerance.empty()) request.tolerance = ParseTolerance(tolerance, distribution, builds);
    if (given("--tolerance-cl")) {
        if (!request.cartridge) throw UsageError("--tolerance-cl", "there is no load capacitance without --cartridge and --load");
        if (!request.tolerance) throw UsageError("--tolerance-cl", "give --tolerance too, e.g. --tolerance 1%,2%");
        request.tolerance->loadCapacitancePercent = ParsePercent("--tolerance-cl", toleranceCl);
    }
    if (request.netlist && request.json) throw UsageError("--netlist", "cannot be combined with --json");
    return request;
}

}  // namespace design
