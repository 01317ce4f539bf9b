#include "engine/BillOfMaterials.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/PartSums.h"

namespace riaa {

namespace {

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) row += (i ? "," : "") + CsvField(fields[i]);
    return row + "\r\n";
}

// "27 kΩ", "3.3 nF", "100 µF": a value as a parts list writes it, to `digits` significant digits.
std::string PartText(double value, bool capacitor, int digits) {
    struct Prefix {
        double factor;
        const char* name;
    };
    // Capacitances are in µF, so the factors are of µF.
    static constexpr std::array<Prefix, 4> kCapacitor{{{1e-6, "p"}, {1e-3, "n"}, {1, "\u00B5"}, {1e3, "m"}}};
    static constexpr std::array<Prefix, 4> kResistor{{{1, ""}, {1e3, "k"}, {1e6, "M"}, {1e9, "G"}}};
    const auto& prefixes = capacitor ? kCapacitor : kResistor;
    // Rounded first: 999.96 Ω to four digits is 1 kΩ, not "1000 Ω".
    std::array<char, 48> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*e", digits - 1, value);
    const double rounded = std::strtod(buffer.data(), nullptr);
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        if (rounded >= prefixes[i].factor) chosen = i;
    }
    std::snprintf(buffer.data(), buffer.size(), "%.*g", digits, rounded / prefixes[chosen].factor);
    return std::string(buffer.data()) + " " + prefixes[chosen].name + (capacitor ? "F" : "\u03A9");
}

std::string PartType(ElementKind element, double value) {
    if (!IsCapacitor(element)) return "Metal film resistor";
    const bool coupling = element == ElementKind::C0 || element == ElementKind::Cout;
    if (coupling && value >= kElectrolyticFromUf) return "Electrolytic capacitor";
    if (value < kCeramicBelowUf) return "C0G/NP0 ceramic capacitor";
    return "Film capacitor";
}

std::string Designator(ElementKind element, std::size_t part, std::size_t parts) {
    std::string name(ElementName(element));
    if (parts == 1) return name;
    return part < 26 ? name + static_cast<char>('a' + part) : name + "_" + std::to_string(part + 1);
}

// The parts an element is built from: the typed sum's, or the design's value alone.
std::vector<double> PartsOf(ElementKind e, double designed, const std::string& text, const NumberLocale& locale) {
    if (text.empty()) return {designed};
    std::vector<double> parts;
    try {
        for (const std::string_view part : SplitPartSum(text)) {
            parts.push_back(IsCapacitor(e) ? ParseCapacitorSum(part, locale) : ParseResistorSum(part, locale));
        }
    } catch (const EngineError& error) {
        throw EngineError(std::string(ElementName(e)) + ": " + error.what());
    }
    return parts;
}

}  // namespace

std::string BillOfMaterials(const BuiltNetwork& design, const std::array<std::string, kPartCount>& asBuilt,
                            const BomChoices& choices, const NumberLocale& locale) {
    if (choices.quantity < 1) throw EngineError("The quantity must be at least 1");
    const std::optional<PartSeries> resistorSeries =
        choices.resistorSeries ? std::optional(MakePartSeries(*choices.resistorSeries, kResistorRange)) : std::nullopt;
    const std::optional<PartSeries> capacitorSeries =
        choices.capacitorSeries ? std::optional(MakePartSeries(*choices.capacitorSeries, kCapacitorRange)) : std::nullopt;
    std::string csv = CsvRow({"Designator", "Value", "Exact", "Series", "Tolerance", "Type", "Quantity", "Note"});
    for (const ElementKind e : kAllElements) {
        if (!design.has(e) || e == ElementKind::Rs || e == ElementKind::RL) continue;
        const bool capacitor = IsCapacitor(e);
        const std::optional<PartSeries>& series = capacitor ? capacitorSeries : resistorSeries;
        const std::vector<double> parts = PartsOf(e, design.value(e), asBuilt[Index(e)], locale);
        std::string note;
        if (parts.size() > 1) {
            note = Designator(e, 0, parts.size()) + (parts.size() == 2 ? " and " : " to ") +
                   Designator(e, parts.size() - 1, parts.size()) +
                   (capacitor ? " in parallel" : " in series") + " make " + std::string(ElementName(e));
        }
        for (std::size_t i = 0; i < parts.size(); ++i) {
            // A part typed is what the designer buys; the design's own value is bought as the series' nearest.
            const bool typed = !asBuilt[Index(e)].empty();
            const double bought = series && !typed ? series->round(parts[i]) : parts[i];
            std::string partNote = note;
            // A series' values are mantissas times powers of ten, which a typed 120p may miss in the last bit.
            if (typed && series && std::abs(series->round(parts[i]) / parts[i] - 1) > 1e-9) {
                partNote += std::string(partNote.empty() ? "" : "; ") + "not in " + series->name();
            }
            // A part of a sum is exactly what was typed for it; a single part aims at the design's value.
            const double exact = parts.size() > 1 ? parts[i] : design.value(e);
            csv += CsvRow({Designator(e, i, parts.size()), PartText(bought, capacitor, 4), PartText(exact, capacitor, 6),
                           series ? series->name() : std::string("exact"),
                           (capacitor ? choices.capacitorTolerance : choices.resistorTolerance) + " %",
                           PartType(e, bought), std::to_string(choices.quantity), partNote});
        }
    }
    return csv;
}

}  // namespace riaa
