#include "DesignRequest.h"
#include "OutputText.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

#include "AtomicFile.h"
#include "DesignFileOptions.h"
#include "engine/Circuits.h"
#include "engine/PartSums.h"
#include "engine/ReplayCurves.h"
#include "engine/Response.h"
#include "engine/StageInputs.h"
#include "engine/Tolerance.h"

namespace design {

namespace {

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

// option names the parts in messages: "--part", or the design file's key for its as-built fields.
std::vector<PartOverride> ParseParts(const std::vector<std::string>& texts, const std::string& option = "--part") {
    std::vector<PartOverride> parts;
    for (const std::string& text : texts) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) throw UsageError(option, "'" + text + "' must be NAME=VALUE, e.g. R1=27k+820");
        const std::string name = text.substr(0, equals);
        const std::optional<riaa::ElementKind> element = ElementNamed(name);
        if (!element) {
            std::string names;
            for (const riaa::ElementKind e : riaa::kAllElements) names += (names.empty() ? "" : ", ") + std::string(riaa::ElementName(e));
            throw UsageError(option, "'" + name + "' is no element: give one of " + names);
        }
        for (const PartOverride& earlier : parts) {
            if (earlier.element == *element) throw UsageError(option, name + " is given twice");
        }
        const bool capacitor = riaa::IsCapacitor(*element);
        const std::string value = text.substr(equals + 1);
        parts.push_back({*element, capacitor ? ParsePart(option, value, riaa::ParseCapacitorSum, true, name)
                                             : ParsePart(option, value, riaa::ParseResistorSum, false, name),
                         value, option != "--part"});
    }
    return parts;
}

// The command line as typed: each option's text where it was given.
struct Typed {
    std::optional<std::string> circuit, c1, rs, rl, round, c2, stage, network, gain, r0, rin, c0, hf, r3, a0, gbw,
        shelf, curve, against, cartridge, load, tolerance, toleranceCl, distribution;
    std::optional<std::string> opAmp, en, in, fce, fci, swing, temperature, reference;
    std::optional<std::string> best, bestRange, bestCount;
    std::optional<std::string> design, save, bom;
    std::vector<std::string> parts;
    std::vector<std::string> fileParts;  // the design file's as-built fields, under the typed --part
    int builds = ToleranceRequest{}.builds;
    bool iec = false, zero3_18us = false, curves = false, netlist = false, json = false;
    bool noise = false, opAmps = false, bestPairs = false;

    NoiseTexts noiseTexts() const { return {noise, opAmp, en, in, fce, fci, swing, temperature, reference}; }
    BestTexts bestTexts() const { return {best, bestRange, bestCount, bestPairs}; }
};

using Target = std::variant<std::optional<std::string> Typed::*, std::vector<std::string> Typed::*, int Typed::*,
                            bool Typed::*>;

// One option: CLI11 reads it into its target; the rule of its design input says which designs take it.
struct OptionRow {
    const char* name;
    Target target;
    std::string help;
    std::optional<riaa::DesignInput> input{};  // empty: every design takes it
    const char* refusal = "";                  // the reason a kind of stage that may not take it gives
};
using OptionTable = std::vector<OptionRow>;

template <typename... Ways>
struct Overloaded : Ways... {
    using Ways::operator()...;
};

void AddDesignOptions(OptionTable& table) {
    using riaa::DesignInput;
    table.insert(table.end(), {
        {"--circuit", &Typed::circuit, "Passive circuit 0 to 5 or its caption: " + CircuitList() + ". Example: --circuit 4",
         DesignInput::Circuit},
        {"--c1", &Typed::c1,
         "Capacitor C1 in \u00B5F, or with n, p or u: 0.01, 10n, 10000p. With --stage it sets the\n"
         "scale: capacitors first, everything else follows. Example: --c1 10n",
         DesignInput::C1},
        {"--rs", &Typed::rs,
         "Source resistance in \u03A9 (k, M), put in circuit and corrected for (passive).\nExample: --rs 1k",
         DesignInput::Rs},
        {"--rl", &Typed::rl,
         "Load resistance in \u03A9 (k, M): a passive network's load, put in circuit and corrected\n"
         "for; with --stage the next stage's input (two stages, --iec). Example: --rl 47k",
         DesignInput::RL},
        {"--round", &Typed::round,
         "Round every resistor but Rs and RL to the program's resistor list (list) or a standard\n"
         "series (" + SeriesNames(", ") + "). Example: --round E96"},
        {"--c2", &Typed::c2,
         "C2 as built instead of the calculated one; a sum is two capacitors in\n"
         "parallel (circuits 4 and 5). Example: --c2 3.3n+120p",
         DesignInput::C2},
    });
}

void AddStageOptions(OptionTable& table) {
    using riaa::DesignInput;
    table.insert(table.end(), {
        {"--stage", &Typed::stage,
         "An active stage instead of a passive circuit: non-inverting, inverting or two-stage.\n"
         "Example: --stage non-inverting"},
        {"--network", &Typed::network, "The stage's feedback network, form A, B, C or D (default A). Example: --network B",
         DesignInput::Form, "two stages have a network of their own: leave it out"},
        {"--gain", &Typed::gain, "The stage's gain at 1 kHz in dB (default 35). Example: --gain 40dB", DesignInput::Gain},
        {"--r0", &Typed::r0,
         "The scale: R0 in \u03A9 (k, M), from the - input to ground (non-inverting, two stages).\nExample: --r0 390",
         DesignInput::R0, "an inverting stage has no R0: give --rin or --c1 for the scale"},
        {"--rin", &Typed::rin, "The scale: Rin in \u03A9 (k, M), into an inverting stage. Example: --rin 10k",
         DesignInput::Rin, "only an inverting stage has Rin: give --r0 or --c1 for the scale"},
        {"--c0", &Typed::c0, "C0 in \u00B5F (n, p, u) in series with R0 or Rin: no gain at DC. Example: --c0 100u",
         DesignInput::C0},
        {"--hf", &Typed::hf,
         "What a non-inverting stage does with its extra zero: pole (default, a low-pass R3, C3\n"
         "cancels it), none (it stays) or 3.18us (it sets the gain). Example: --hf none",
         DesignInput::HighFrequencyZero, "only a non-inverting stage has the extra zero"},
        {"--r3", &Typed::r3, "R3 of the low-pass after the stage, in \u03A9 (default 1k). Example: --r3 2.2k",
         DesignInput::R3, "this design has no R3: the low-pass is for --hf pole and two stages"},
        {"--a0", &Typed::a0,
         "The op-amp's open-loop gain in dB; with it or --gbw a single-pole op-amp (default\n"
         "100 dB), without either an ideal one. Example: --a0 100dB",
         DesignInput::OpAmp},
        {"--gbw", &Typed::gbw, "The op-amp's gain-bandwidth product in Hz (k, M; default 10M). Example: --gbw 10M",
         DesignInput::OpAmp},
        {"--shelf", &Typed::shelf,
         "The shelf in \u00B5s that a stage gives a curve without one (default 15915, 10 Hz).\n"
         "Example: --shelf 31831 (with --curve \"RCA 45\")",
         DesignInput::Shelf},
    });
}

void AddCurveAndSourceOptions(OptionTable& table) {
    table.insert(table.end(), {
        {"--part", &Typed::parts,
         "An element as built, overriding the design: NAME=VALUE, a sum of parts in \u03A9 or\n"
         "\u00B5F; may be given for several elements. Example: --part R1=27k+820 --part C0=100u"},
        {"--curve", &Typed::curve,
         "The replay curve by any of its names (default RIAA; --curves lists them).\nExample: --curve \"NAB 1949\""},
        {"--iec", &Typed::iec, "The IEC amendment: a 7950 \u00B5s high-pass (a stage then needs --rl). Example: --iec"},
        {"--zero-3.18us", &Typed::zero3_18us, "A zero at 3.18 \u00B5s in the target curve. Example: --zero-3.18us"},
        {"--against", &Typed::against,
         "Measure the design against this curve instead of the one it is made for: a name of\n"
         "--curves, then +IEC or +3.18us if asked. Example: --against RIAA+IEC (or \"European 78\")"},
        {"--curves", &Typed::curves,
         "List the replay curves: names, time constants, what they were used for.\nExample: --curves"},
        {"--cartridge", &Typed::cartridge,
         "A moving-magnet cartridge at the input: L (mH, or H) and Rc (k), with --load.\nExample: --cartridge 500mH,1k"},
        {"--load", &Typed::load,
         "The input's load on the cartridge: RL (k, M) and CL (pF, or n), cable\nincluded. Example: --load 47k,200p"},
    });
}

void AddRunOptions(OptionTable& table) {
    const int builds = ToleranceRequest{}.builds;
    table.insert(table.end(), {
        {"--tolerance", &Typed::tolerance,
         "Resistor and capacitor tolerance; adds the 50th, 95th and 99th percentile of the\nlargest error over " +
             riaa::RenderNumber(builds, riaa::patterns::GroupedWhole, kPointLocale) +
             " builds. Example: --tolerance 1%,2%"},
        {"--tolerance-cl", &Typed::toleranceCl,
         "Tolerance of the cartridge's load capacitance (cables vary) in the tolerance run.\nExample: --tolerance-cl 10%"},
        {"--distribution", &Typed::distribution,
         "Spread of the parts within tolerance: uniform (default) or normal with\n"
         "sigma = tolerance/2. Example: --distribution normal"},
        {"--builds", &Typed::builds,
         "Builds in the tolerance run (default " + std::to_string(builds) + "). Example: --builds 2000"},
        {"--netlist", &Typed::netlist,
         "Print a SPICE netlist of the design as built, nothing else.\nExample: --netlist > network.cir"},
        {"--json", &Typed::json, "Print the results as one JSON object. Example: --json"},
    });
}

void AddFileOptions(OptionTable& table) {
    table.insert(table.end(), {
        {"--design", &Typed::design,
         "Read a design file (saved by the window or --save); the options beside it change\n"
         "it as if typed after. Example: --design phono.mirelund --rl 100k"},
        {"--save", &Typed::save,
         "Write the design as run to a design file that the window and --design open.\n"
         "Example: --save phono.mirelund"},
        {"--bom", &Typed::bom,
         "Write the design's bill of materials as CSV, from the series of --round and the\n"
         "tolerances of --tolerance (or the file's). Example: --bom phono.csv"},
    });
}

void AddNoiseOptions(OptionTable& table) {
    table.insert(table.end(), {
        {"--noise", &Typed::noise,
         "Add the noise and headroom: output noise, EIN, SNR (flat and A-weighted), each source's\n"
         "share, the overload margin and the smallest load. Example: --noise --opamp NE5534A"},
        {"--opamp", &Typed::opAmp,
         "The op-amp by name in any case (--opamps lists them): its noise, swing, A0 and GBW\n"
         "(unless --a0, --gbw or a noise option is given too). Example: --opamp lm4562"},
        {"--opamps", &Typed::opAmps, "List the op-amps, yours (opamps.json in the data folder) first. Example: --opamps"},
        {"--en", &Typed::en, "The op-amp's voltage noise at 1 kHz in V/\u221AHz (n). Example: --en 3.5n"},
        {"--in", &Typed::in, "The op-amp's current noise at 1 kHz in A/\u221AHz (p, f). Example: --in 0.4p"},
        {"--fce", &Typed::fce, "The 1/f corner of the voltage noise in Hz (0: white). Example: --fce 50"},
        {"--fci", &Typed::fci, "The 1/f corner of the current noise in Hz (0: white). Example: --fci 200"},
        {"--swing", &Typed::swing, "The op-amp's output before it clips, V rms (the op-amp's, else 9). Example: --swing 9"},
        {"--temperature", &Typed::temperature, "The temperature of the resistors in \u00B0C (default 27). Example: --temperature 40"},
        {"--reference", &Typed::reference,
         "The source's level at 1 kHz for the SNR and the margin, V rms (m; default 5m).\nExample: --reference 5m"},
    });
}

void AddBestOptions(OptionTable& table) {
    table.insert(table.end(), {
        {"--best", &Typed::best,
         "Search the standard parts that follow the curve most closely: the capacitor series\n"
         "(E6, E12, E24), then the resistors' (E12 to E192). Example: --best E12,E24"},
        {"--best-pairs", &Typed::bestPairs,
         "Let each element of --best be two parts (resistors in series, capacitors in\nparallel). Example: --best-pairs"},
        {"--best-range", &Typed::bestRange, "The capacitors' range for --best (default 1n,1u). Example: --best-range 1n,100n"},
        {"--best-count", &Typed::bestCount, "The builds --best lists, best first (default 10). Example: --best-count 3"},
    });
}

// Every option, in the order --help lists them.
OptionTable Options() {
    OptionTable table;
    AddDesignOptions(table);
    AddStageOptions(table);
    AddCurveAndSourceOptions(table);
    AddRunOptions(table);
    AddNoiseOptions(table);
    AddBestOptions(table);
    AddFileOptions(table);
    return table;
}

// A list may be given again and again (--part); any other option once.
void Declare(CLI::App& app, const OptionRow& row, Typed& typed) {
    std::visit(Overloaded{
                   [&](std::optional<std::string> Typed::*text) { app.add_option(row.name, typed.*text, row.help); },
                   [&](int Typed::*number) { app.add_option(row.name, typed.*number, row.help); },
                   [&](bool Typed::*flag) { app.add_flag(row.name, typed.*flag, row.help); },
                   [&](std::vector<std::string> Typed::*texts) {
                       app.add_option(row.name, typed.*texts, row.help)
                           ->expected(1)
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
                   },
               },
               row.target);
}

// Why a design of these kinds refuses an option that only others take.
std::string Refusal(const OptionRow& row, riaa::DesignKinds designs) {
    if (designs == riaa::kPassiveDesigns) return "only for an active stage: give --stage too";
    if (!riaa::RuleOf(*row.input).kinds.meets(riaa::kActiveStages)) return "only for a passive circuit, not with --stage";
    return *row.refusal != '\0' ? row.refusal : "not for this kind of stage";
}

// The options given that a design of these kinds cannot take, all of them named where they share a reason.
void RefuseOptionsNotFor(const CLI::App& app, const OptionTable& table, riaa::DesignKinds designs) {
    std::string names;
    std::string reason;
    for (const OptionRow& row : table) {
        if (!row.input || riaa::RuleOf(*row.input).kinds.meets(designs) || app.get_option(row.name)->count() == 0) {
            continue;
        }
        const std::string why = Refusal(row, designs);
        if (reason.empty()) reason = why;
        if (why == reason) names += (names.empty() ? "" : ", ") + std::string(row.name);
    }
    if (!names.empty()) throw UsageError(names, reason);
}

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    return text;
}

// "3.18µs" and "3.18μs" as "3.18us".
std::string WithMicroAsU(std::string text) {
    for (const char* micro : {"\u00B5", "\u03BC"}) {
        for (std::size_t at = text.find(micro); at != std::string::npos; at = text.find(micro, at)) text.replace(at, 2, "u");
    }
    return text;
}

// "RIAA+IEC", "Columbia LP+3.18us": a row of the curve table, then its options.
riaa::CurveChoice ParseAgainst(const std::string& text) {
    std::size_t plus = text.find('+');
    const std::string name = text.substr(0, plus);
    const std::optional<std::size_t> index = riaa::FindCurve(name);
    if (!index) throw UsageError("--against", "'" + (name.empty() ? text : name) + "' is no replay curve: --curves lists them");
    riaa::CurveChoice choice;
    choice.curve = *index;
    while (plus != std::string::npos) {
        const std::size_t next = text.find('+', plus + 1);
        const std::string option = Trimmed(text.substr(plus + 1, next == std::string::npos ? next : next - plus - 1));
        const std::string folded = Lowercase(WithMicroAsU(option));
        bool* const flag = folded == "iec" ? &choice.iecAmendment : folded == "3.18us" ? &choice.zero3_18us : nullptr;
        if (flag == nullptr) throw UsageError("--against", "'+" + option + "' is no option of a curve: give +IEC or +3.18us");
        if (*flag) throw UsageError("--against", "+" + option + " is given twice");
        *flag = true;
        plus = next;
    }
    return choice;
}

riaa::CurveChoice ParseCurve(const Typed& typed) {
    riaa::CurveChoice choice;
    if (typed.curve) {
        const std::optional<std::size_t> index = riaa::FindCurve(*typed.curve);
        if (!index) throw UsageError("--curve", "'" + *typed.curve + "' is no replay curve: --curves lists them");
        choice.curve = *index;
    }
    choice.iecAmendment = typed.iec;
    choice.zero3_18us = typed.zero3_18us;
    return choice;
}

riaa::HighFrequencyZero ParseHighFrequencyZero(const std::string& text) {
    using riaa::HighFrequencyZero;
    return Named<HighFrequencyZero>(
        "--hf", WithMicroAsU(text), "treatment of the extra zero",
        {{"pole", HighFrequencyZero::Pole}, {"none", HighFrequencyZero::None}, {"3.18us", HighFrequencyZero::At3_18us}});
}

// Far beyond any op-amp, and still short of where the stage's levels would overflow.
// A row of the op-amp table gives its A0 and GBW; a typed one replaces the row's.
riaa::OpAmp ParseOpAmp(const Typed& typed, const riaa::OpAmpRow* row) {
    riaa::OpAmp opAmp = row ? riaa::StageOpAmp(*row) : riaa::OpAmp{};
    opAmp.ideal = !row && !typed.a0 && !typed.gbw;
    if (const auto& a0 = typed.a0) {
        opAmp.openLoopGainDb = ParsePositive("--a0", *a0, WithoutUnit(*a0, {"db"}), false, "a gain in dB, e.g. 100dB");
        if (opAmp.openLoopGainDb > riaa::kLargestOpenLoopGainDb) throw UsageError("--a0", "'" + *a0 + "' must lie between 0 dB and 300 dB");
    }
    if (const auto& gbw = typed.gbw) {
        opAmp.gainBandwidthHz = ParsePositive("--gbw", *gbw, WithoutUnit(*gbw, {"hz"}), true, "a frequency in Hz, e.g. 10M");
        if (!(opAmp.gainBandwidthHz >= riaa::kSmallestGainBandwidthHz && opAmp.gainBandwidthHz <= riaa::kLargestGainBandwidthHz)) {
            throw UsageError("--gbw", "'" + *gbw + "' must lie between 1 Hz and 1 THz");
        }
    }
    return opAmp;
}

// One scale, R0 (Rin) or C1: every other value follows from it.
void ParseScale(const Typed& typed, StageRequest& stage) {
    riaa::ActiveStageRequest& d = stage.design;
    const bool inverting = d.stage == riaa::DesignKind::Inverting;
    const std::string resistorScale = inverting ? "--rin" : "--r0";
    const std::optional<std::string>& resistor = inverting ? typed.rin : typed.r0;
    d.scaleByC1 = typed.c1.has_value();
    if (resistor.has_value() == d.scaleByC1) {
        throw UsageError(resistor ? resistorScale : "--stage",
                         resistor ? "give " + resistorScale + " or --c1, not both: one of them sets the scale"
                                  : "give the scale, " + resistorScale + " or --c1 (capacitors first), e.g. " +
                                        resistorScale + " 1k");
    }
    stage.scaleOption = d.scaleByC1 ? "--c1" : resistorScale;
    d.scale = d.scaleByC1 ? ParsePart("--c1", *typed.c1, riaa::ParseCapacitorSum, true, "C1")
                          : ParsePart(resistorScale, *resistor, riaa::ParseResistorSum, false, inverting ? "Rin" : "R0");
}

// The options of an active stage of this kind, read into the engine's request.
StageRequest ParseStage(const Typed& typed, riaa::DesignKind kind, const riaa::CurveChoice& curve,
                        const riaa::OpAmpRow* row) {
    StageRequest stage;
    riaa::ActiveStageRequest& d = stage.design;
    d.stage = kind;
    d.curve = curve;
    if (typed.network) {
        using riaa::NetworkForm;
        d.form = Named<NetworkForm>("--network", *typed.network, "network",
                                    {{"A", NetworkForm::A}, {"B", NetworkForm::B}, {"C", NetworkForm::C}, {"D", NetworkForm::D}});
    }
    if (typed.hf) d.highFrequencyZero = ParseHighFrequencyZero(*typed.hf);
    if (const auto& gain = typed.gain) {
        // The zero at 3.18 µs fixes the stage's gain; a typed one would be silently ignored.
        if (d.highFrequencyZero == riaa::HighFrequencyZero::At3_18us) {
            throw UsageError("--gain", "a zero at 3.18 \u00B5s sets the stage's gain itself: leave --gain out");
        }
        d.gain1kHzDb = ParseQuantity("--gain", *gain, WithoutUnit(*gain, {"db"}), false, "a gain in dB, e.g. 35dB");
    }
    ParseScale(typed, stage);
    if (typed.c0) d.c0 = ParsePart("--c0", *typed.c0, riaa::ParseCapacitorSum, true, "C0");
    if (typed.r3) {
        d.r3 = ParsePart("--r3", *typed.r3, riaa::ParseResistorSum, false, "R3");
        stage.r3Given = true;
    }
    if (typed.rl && !typed.rl->empty()) d.rl = ParsePart("--rl", *typed.rl, riaa::ParseResistorSum, false, "RL");
    if (d.curve.iecAmendment && !d.rl) {
        throw UsageError("--iec", "the coupling capacitor needs the next stage's input: give --rl, e.g. --rl 47k");
    }
    d.opAmp = ParseOpAmp(typed, row);
    if (const auto& shelf = typed.shelf) {
        const riaa::ReplayCurve& row = riaa::CurveRow(d.curve);
        if (row.shelfUs > 0) throw UsageError("--shelf", std::string(row.name) + " has a shelf of its own");
        d.realisedShelfUs = ParsePositive("--shelf", *shelf, WithoutUnit(*shelf, {"us", "\u00B5s", "\u03BCs"}), false,
                                          "a time constant in \u00B5s, e.g. 15915");
    }
    return stage;
}

// A passive circuit's options; only circuits 4 and 5 aim at a replay curve.
void ParsePassive(const Typed& typed, DesignRequest& request) {
    if (!typed.circuit) throw UsageError("", "--circuit is required, or --stage for an active stage");
    if (!typed.c1) throw UsageError("", "--c1 is required");
    request.circuit = ParseCircuit(*typed.circuit);
    const bool complete = riaa::Row(request.circuit).aimsAtCurve;
    if ((request.curveAsked || typed.against) && !complete) {
        std::string curveOptions;
        for (const auto& [name, given] : {std::pair{"--curve", typed.curve.has_value()}, std::pair{"--iec", typed.iec},
                                          std::pair{"--zero-3.18us", typed.zero3_18us},
                                          std::pair{"--against", typed.against.has_value()}}) {
            if (given) curveOptions += (curveOptions.empty() ? "" : ", ") + std::string(name);
        }
        throw UsageError(curveOptions, "a section is measured against its own target: a curve is for circuits 4 and 5");
    }
    request.c1 = ParsePart("--c1", *typed.c1, riaa::ParseCapacitorSum, true, "C1");
    if (typed.rs && !typed.rs->empty()) request.rs = ParsePart("--rs", *typed.rs, riaa::ParseResistorSum, false, "Rs");
    if (typed.rl && !typed.rl->empty()) request.rl = ParsePart("--rl", *typed.rl, riaa::ParseResistorSum, false, "RL");
    if (typed.c2 && !typed.c2->empty()) {
        if (!riaa::HasElement(riaa::Row(request.circuit), riaa::ElementKind::C2)) throw UsageError("--c2", "this circuit has no C2");
        request.c2 = ParsePart("--c2", *typed.c2, riaa::ParseCapacitorSum, true, "C2");
        request.c2Text = *typed.c2;
    }
}

// What every design takes: its parts as built, its source, the rounding, the tolerance run and the output.
void ParseRunOptions(const Typed& typed, DesignRequest& request) {
    request.parts = ParseParts(typed.parts);
    // The file's parts yield to the typed ones, and its C2 to --c2.
    for (const PartOverride& part : ParseParts(typed.fileParts, request.designPath.value_or("") + ": asBuilt")) {
        const bool typedToo = std::any_of(request.parts.begin(), request.parts.end(),
                                          [&](const PartOverride& p) { return p.element == part.element; });
        if (!typedToo && !(part.element == riaa::ElementKind::C2 && typed.c2)) request.parts.push_back(part);
    }
    if (typed.cartridge.has_value() != typed.load.has_value()) {
        throw UsageError(typed.cartridge ? "--cartridge" : "--load",
                         "give --cartridge and --load together, e.g. --cartridge 500mH,1k --load 47k,200p");
    }
    // An empty --cartridge takes a design file's cartridge away.
    if (typed.cartridge && !typed.cartridge->empty()) request.cartridge = ParseCartridge(*typed.cartridge, *typed.load);
    if (typed.round && !typed.round->empty()) request.rounding = ParseRounding(*typed.round);
    if (typed.tolerance && !typed.tolerance->empty()) {
        request.tolerance = ParseTolerance(*typed.tolerance, typed.distribution.value_or("uniform"), typed.builds);
    }
    if (const auto& toleranceCl = typed.toleranceCl) {
        if (!request.cartridge) throw UsageError("--tolerance-cl", "there is no load capacitance without --cartridge and --load");
        if (!request.tolerance) throw UsageError("--tolerance-cl", "give --tolerance too, e.g. --tolerance 1%,2%");
        request.tolerance->loadCapacitancePercent = ParsePercent("--tolerance-cl", *toleranceCl);
    }
    request.netlist = typed.netlist;
    request.json = typed.json;
    if (request.netlist && request.json) throw UsageError("--netlist", "cannot be combined with --json");
}

riaa::DesignKind StageKind(const std::string& text) {
    using riaa::DesignKind;
    return Named<DesignKind>("--stage", text, "stage",
                             {{"non-inverting", DesignKind::NonInverting},
                              {"inverting", DesignKind::Inverting},
                              {"two-stage", DesignKind::TwoStage}});
}

// The design the options, typed and taken from a file, describe.
void ReadDesign(const CLI::App& app, const OptionTable& table, const Typed& typed, DesignRequest& request) {
    if (typed.noiseTexts().any()) request.noise = ParseNoise(typed.noiseTexts(), request.userOpAmps, typed.stage.has_value());
    request.best = ParseBest(typed.bestTexts());
    request.curve = ParseCurve(typed);
    request.curveAsked = typed.curve || typed.iec || typed.zero3_18us;
    if (typed.stage) {
        RefuseOptionsNotFor(app, table, riaa::kActiveStages);
        const riaa::DesignKind kind = StageKind(*typed.stage);
        RefuseOptionsNotFor(app, table, riaa::DesignKinds{kind});
        const riaa::OpAmpRow* row = request.noise && request.noise->opAmp ? &*request.noise->opAmp : nullptr;
        request.stage = ParseStage(typed, kind, request.curve, row);
    } else {
        RefuseOptionsNotFor(app, table, riaa::kPassiveDesigns);
        ParsePassive(typed, request);
    }
    if (typed.against && !typed.against->empty()) request.against = ParseAgainst(*typed.against);
    ParseRunOptions(typed, request);
}

// Options that replace each other as a whole: a typed curve replaces the file's with its options, a
// typed scale of a stage the file's scale, whichever element that was.
struct TypedGroups {
    bool curve = false;
    bool scale = false;
    bool opAmp = false;  // a typed --opamp brings its own noise, swing, A0 and GBW
    bool replaces(const std::string& option) const {
        return (curve && (option == "--curve" || option == "--iec" || option == "--zero-3.18us")) ||
               (scale && (option == "--c1" || option == "--r0" || option == "--rin")) ||
               (opAmp && (option == "--a0" || option == "--gbw" || option == "--en" || option == "--in" ||
                          option == "--fce" || option == "--fci" || option == "--swing"));
    }
};

// --design: every option the command line did not give is taken from the file, for the page the
// command line chose (--circuit, --stage) or else the file's; the file's keys are blamed for them.
void TakeDesignFile(const CLI::App& app, const OptionTable& table, Typed& typed, DesignRequest& request) {
    const std::string& path = *typed.design;
    request.designPath = path;
    const std::string text = ReadWholeFile(path);
    riaa::DesignDocument asChanged;
    FileOptions options;
    TypedGroups groups{typed.curve || typed.iec || typed.zero3_18us, false, typed.opAmp.has_value()};
    try {
        request.document = riaa::ReadDesignFile(text);
        asChanged = request.document;
        if (typed.stage) {
            asChanged.activeStage = true;
            asChanged.stage.stage = StageKind(*typed.stage);
        } else if (typed.circuit) {
            asChanged.activeStage = false;
        }
        if (groups.curve) asChanged.curve.choice = ParseCurve(typed);
        groups.scale = asChanged.activeStage && (typed.c1 || typed.r0 || typed.rin);
        options = OptionsOfDocument(asChanged);
    } catch (const riaa::EngineError& error) {
        throw UsageError("", path + ": " + error.what());
    }
    for (const OptionRow& row : table) {
        const auto found = options.texts.find(row.name);
        if (found == options.texts.end() || app.get_option(row.name)->count() > 0 || groups.replaces(row.name)) {
            continue;
        }
        std::visit(Overloaded{
                       [&](std::optional<std::string> Typed::*target) { typed.*target = found->second; },
                       [&](int Typed::*number) { typed.*number = std::stoi(found->second); },
                       [&](bool Typed::*flag) { typed.*flag = true; },
                       [&](std::vector<std::string> Typed::*) {},
                   },
                   row.target);
        request.fileKeys[row.name] = path + ": " + options.keys.at(row.name);
    }
    typed.fileParts = options.parts;
}

}  // namespace

UsageError BlamedOnFile(const UsageError& error, const DesignRequest& request) {
    const auto found = request.fileKeys.find(error.option());
    return found == request.fileKeys.end() ? error : UsageError(found->second, error.reason());
}

std::string CurveChoiceName(const riaa::CurveChoice& choice) {
    return std::string(riaa::CurveRow(choice).name) + (choice.iecAmendment ? "+IEC" : "") +
           (choice.zero3_18us ? "+3.18us" : "");
}

DesignRequest ParseDesignRequest(int argc, const char* const* argv) {
    CLI::App app{
        "Designs a passive RIAA equalisation network or an active equalisation stage for a replay curve, and\n"
        "tells how closely the design as built follows its target response.\n\n"
        "Examples:\n"
        "  mirelund-design --circuit 4 --c1 10n --rs 1k --rl 47k --round E96 --tolerance 1%,2%\n"
        "  mirelund-design --stage non-inverting --network A --gain 35dB --r0 390 --c0 100u --cartridge 500mH,1k\n"
        "                  --load 47k,200p --tolerance 1%,2% --tolerance-cl 10%\n"
        "  mirelund-design --design phono.mirelund --rl 100k --save phono-100k.mirelund --bom phono-100k.csv\n",
        "mirelund-design"};
    app.get_formatter()->column_width(34);
    const OptionTable table = Options();
    Typed typed;
    for (const OptionRow& row : table) Declare(app, row, typed);
    DesignRequest request;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        request.help = true;
        request.helpText = app.help();
        return request;
    } catch (const CLI::ParseError& error) {
        throw UsageError("", error.what());
    }
    request.listCurves = typed.curves;
    if (request.listCurves) return request;
    request.listOpAmps = typed.opAmps;
    if (!request.listOpAmps && typed.design) TakeDesignFile(app, table, typed, request);
    // Only a run that names an op-amp reads the user's table: every other run starts as fast as before.
    if (request.listOpAmps || typed.opAmp) {
        UserOpAmpTable user = ReadUserOpAmps();
        request.userOpAmps = std::move(user.rows);
        request.opAmpProblems = std::move(user.problems);
    }
    if (request.listOpAmps) return request;
    request.savePath = typed.save;
    request.bomPath = typed.bom;
    try {
        ReadDesign(app, table, typed, request);
    } catch (const UsageError& error) {
        throw BlamedOnFile(error, request);
    }
    return request;
}

}  // namespace design
