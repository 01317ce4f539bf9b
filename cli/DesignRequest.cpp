#include "DesignRequest.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "Circuits.h"
#include "PartSums.h"
#include "Response.h"
#include "Tolerance.h"

namespace design {

namespace {

const riaa::NumberLocale kPointLocale{};

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
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
    throw UsageError("--circuit", "'" + text + "' is no circuit: give 0 to 5 or a caption such as \"Low-Pass 50Hz\"");
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
double ParsePercent(const std::string& text) {
    std::string number = text;
    if (!number.empty() && number.back() == '%') number.pop_back();
    double percent = 0;
    try {
        percent = riaa::ParseNumber(number, kPointLocale);
    } catch (const riaa::EngineError& error) {
        throw UsageError("--tolerance", error.what());
    }
    if (!(percent >= 0 && percent <= riaa::kLargestTolerancePercent)) {
        throw UsageError("--tolerance", "'" + text + "' must lie between 0% and " +
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
    tolerance.resistorPercent = ParsePercent(text.substr(0, comma));
    tolerance.capacitorPercent = ParsePercent(text.substr(comma + 1));
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

}  // namespace

DesignRequest ParseDesignRequest(int argc, const char* const* argv) {
    CLI::App app{
        "Designs a passive RIAA equalisation network and tells how closely the network as built follows its\n"
        "target response.\n\n"
        "Example:\n"
        "  mirelund-design --circuit 4 --c1 10n --rs 1k --rl 47k --round E96 --tolerance 1%,2%\n",
        "mirelund-design"};
    app.get_formatter()->column_width(34);

    std::string circuit, c1, rs, rl, c2, rounding, tolerance, distribution = "uniform";
    int builds = ToleranceRequest{}.builds;
    const std::string defaultBuilds = riaa::RenderNumber(builds, riaa::patterns::GroupedWhole, kPointLocale);
    DesignRequest request;
    app.add_option("--circuit", circuit,
                   "Circuit 0 to 5 or its caption: 0 \"Low-Pass 50Hz\", 1 \"Low-Pass 2122Hz\",\n"
                   "2 \"Shelving 50Hz to 500Hz\", 3 \"Shelving 500Hz to 2122Hz\",\n"
                   "4 \"Complete RIAA Eq (version 1)\", 5 \"Complete RIAA Eq (version 2)\". Example: --circuit 4")
        ->required();
    app.add_option("--c1", c1, "Capacitor C1 in µF, or with n or p: 0.01, 10n, 10000p. Example: --c1 10n")->required();
    app.add_option("--rs", rs, "Source resistance in Ω (k, M), put in circuit and corrected for. Example: --rs 1k");
    app.add_option("--rl", rl, "Load resistance in Ω (k, M), put in circuit and corrected for. Example: --rl 47k");
    app.add_option("--round", rounding,
                   "Round R1 and R2 to the program's resistor list (list) or a standard series\n"
                   "(" + SeriesNames(", ") + "). Example: --round E96");
    app.add_option("--c2", c2, "C2 as built instead of the calculated one; a sum is two capacitors in\n"
                               "parallel (circuits 4 and 5). Example: --c2 3.3n+120p");
    app.add_option("--tolerance", tolerance,
                   "Resistor and capacitor tolerance; adds the 50th, 95th and 99th percentile of the\n"
                   "largest error over " + defaultBuilds + " builds. Example: --tolerance 1%,2%");
    app.add_option("--distribution", distribution,
                   "Spread of the parts within tolerance: uniform (default) or normal with\n"
                   "sigma = tolerance/2. Example: --distribution normal");
    app.add_option("--builds", builds,
                   "Builds in the tolerance run (default " + std::to_string(builds) + "). Example: --builds 2000");
    app.add_flag("--netlist", request.netlist, "Print a SPICE netlist of the network as built, nothing else.\nExample: --netlist > network.cir");
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

    request.circuit = ParseCircuit(circuit);
    request.c1 = ParsePart("--c1", c1, riaa::ParseCapacitorSum, true, "C1");
    if (!rs.empty()) request.rs = ParsePart("--rs", rs, riaa::ParseResistorSum, false, "Rs");
    if (!rl.empty()) request.rl = ParsePart("--rl", rl, riaa::ParseResistorSum, false, "RL");
    if (!c2.empty()) {
        if (!riaa::HasElement(riaa::Row(request.circuit), riaa::ElementKind::C2)) throw UsageError("--c2", "this circuit has no C2");
        request.c2 = ParsePart("--c2", c2, riaa::ParseCapacitorSum, true, "C2");
    }
    if (!rounding.empty()) request.rounding = ParseRounding(rounding);
    if (!tolerance.empty()) request.tolerance = ParseTolerance(tolerance, distribution, builds);
    if (request.netlist && request.json) throw UsageError("--netlist", "cannot be combined with --json");
    return request;
}

}  // namespace design
