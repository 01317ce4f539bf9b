#include "engine/OpAmps.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include <nlohmann/json.hpp>

namespace riaa {

namespace {

// Typical figures (not limits) from each datasheet's electrical-characteristics table at ±15 V, or, where
// the table could not be read, from the sheet's own features and description, as each row says. The
// swing is the typical peak into 2 kΩ over √2. Where a datasheet gives the noise at 30 Hz or 10 Hz as
// well as at 1 kHz, the 1/f corner follows from the two spot figures, fc = f·((e_f/e_1k)² − 1); where it
// gives only the noise graph, the corner is read from the graph, where the 1/f slope meets the flat
// part, and is good to a factor of about 1.5. A corner of 0 means the datasheet shows no 1/f rise
// in the audio band (the JFET and CMOS inputs' current noise, which is femtoamperes and flat). The
// revision named is the one found; a later one may have moved a typical figure.
const std::array<OpAmpRow, 8> kBuiltIn{{
    // en 3.5 (30 Hz: 5.5), in 0.4 (30 Hz: 1.5) pA; AVD 100 V/mV; 10 MHz; ±13 V peak into 600 Ω and above.
    {"NE5534A", 3.5, 0.4, 44, 390, 10e6, 100, 9.2, "TI SLOS070D (NE5534, NE5534A), November 2014"},
    // en 5 (30 Hz: 8), in 0.7 (30 Hz: 2.7) pA; AVD 100 V/mV; 10 MHz; ±13 V peak into 2 kΩ.
    {"NE5532", 5.0, 0.7, 47, 420, 10e6, 100, 9.2, "TI SLOS075K (NE5532, NE5532A), December 2025"},
    // en 2.7, in 1.6 pA; AVOL 140 dB (into 600 Ω); GBW 55 MHz; ±14.0 V peak into 2 kΩ (±13.6 V is the
    // 600 Ω figure); corners read from the noise graphs.
    {"LM4562", 2.7, 1.6, 60, 300, 55e6, 140, 9.9, "TI SNAS326K (LM4562), December 2013"},
    // en 1.1, in 1.7 pA; AOL 130 dB; GBW 40 MHz; output to 0.6 V of the rails into 2 kΩ, the figure of
    // the sheet's description; corners read from the noise graph.
    {"OPA1612", 1.1, 1.7, 20, 200, 40e6, 130, 10.2, "TI SBOS450 (OPA1611, OPA1612), revision as found: C, August 2014"},
    // en 0.9 (10 Hz: 1.7), in 2.0 pA; AOL 20 V/µV; GBW 110 MHz; ±13 V peak into 2 kΩ; the current
    // noise's corner read from its graph.
    {"AD797", 0.9, 2.0, 26, 100, 110e6, 146, 9.2, "Analog Devices AD797 data sheet, revision as found: J"},
    // JFET input: en 8, in 3 fA; AOL 120 dB; GBW 8 MHz; ±13.5 V peak into 2 kΩ; en's corner from the graph.
    {"OPA2134", 8.0, 0.003, 100, 0, 8e6, 120, 9.5, "TI SBOS058B (OPA134, OPA2134, OPA4134), August 2024"},
    // JFET input: en 18, in 10 fA; AVD 200 V/mV; 3 MHz; ±13.5 V peak into 2 kΩ; en's corner from the graph.
    {"TL072", 18.0, 0.01, 200, 0, 3e6, 106, 9.5, "TI SLOS080V (TL071, TL072, TL074), April 2023"},
    // CMOS input: en 4.3 at 1 kHz (2.9 at 10 kHz), in 6 fA; AOL 150 dB; GBW 53 MHz; rail-to-rail
    // output to 0.25 V of the rails into 2 kΩ; en's corner from the graph.
    {"OPA1656", 4.3, 0.006, 300, 0, 53e6, 150, 10.4, "TI SBOS901C (OPA1655, OPA1656), September 2022"},
}};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The line on which each element of the top-level array starts: nlohmann-json keeps no positions of
// the values it reads, so the text is walked once, strings skipped, to find them.
std::vector<int> ElementLines(std::string_view text) {
    std::vector<int> lines;
    int line = 1;
    int depth = 0;
    bool inString = false;
    bool awaitingElement = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') ++line;
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (awaitingElement && c != ']') lines.push_back(line);
        awaitingElement = false;
        if (c == '"') inString = true;
        if (c == '[' || c == '{') {
            awaitingElement = depth == 0 && c == '[';
            ++depth;
        } else if (c == ']' || c == '}') {
            --depth;
        } else if (c == ',' && depth == 1) {
            awaitingElement = true;
        }
    }
    return lines;
}

int LineAt(std::string_view text, std::size_t byte) {
    const std::size_t end = std::min(byte, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
}

// One figure of a row; throws a sentence naming the key for what the row cannot use.
double Figure(const nlohmann::json& row, const char* key, bool required, bool positive) {
    const auto it = row.find(key);
    if (it == row.end()) {
        if (required) throw std::invalid_argument(std::string("\"") + key + "\" is missing");
        return 0;
    }
    if (!it->is_number()) throw std::invalid_argument(std::string("\"") + key + "\" is not a number");
    const double value = it->get<double>();
    if (!std::isfinite(value) || value < 0 || (positive && !(value > 0))) {
        throw std::invalid_argument(std::string("\"") + key + (positive ? "\" must be above 0" : "\" must not be negative"));
    }
    return value;
}

OpAmpRow ReadRow(const nlohmann::json& row) {
    if (!row.is_object()) throw std::invalid_argument("the row is not an object");
    const auto name = row.find("name");
    if (name == row.end() || !name->is_string() || name->get<std::string>().empty()) {
        throw std::invalid_argument("\"name\" is missing or not a text");
    }
    OpAmpRow r;
    r.name = name->get<std::string>();
    r.enNvRtHz = Figure(row, "enNvRtHz", true, false);
    r.inPaRtHz = Figure(row, "inPaRtHz", true, false);
    r.fceHz = Figure(row, "fceHz", false, false);
    r.fciHz = Figure(row, "fciHz", false, false);
    r.swingVrms = Figure(row, "swingVrms", true, true);
    r.gbwHz = Figure(row, "gbwHz", true, true);
    r.a0Db = Figure(row, "a0Db", true, true);
    const auto sheet = row.find("datasheet");
    if (sheet != row.end()) {
        if (!sheet->is_string()) throw std::invalid_argument("\"datasheet\" is not a text");
        r.datasheet = sheet->get<std::string>();
    }
    return r;
}

}  // namespace

std::span<const OpAmpRow> BuiltInOpAmps() { return kBuiltIn; }

const OpAmpRow* FindOpAmp(std::string_view name, std::span<const OpAmpRow> user) {
    // The user's rows come first, so that their own figures for a part of the table win.
    for (const std::span<const OpAmpRow> rows : {user, BuiltInOpAmps()}) {
        for (const OpAmpRow& row : rows) {
            if (SameName(row.name, name)) return &row;
        }
    }
    return nullptr;
}

NoiseSettings WithOpAmp(NoiseSettings settings, const OpAmpRow& row) {
    settings.enNvRtHz = row.enNvRtHz;
    settings.inPaRtHz = row.inPaRtHz;
    settings.fceHz = row.fceHz;
    settings.fciHz = row.fciHz;
    settings.swingVrms = row.swingVrms;
    return settings;
}

OpAmp StageOpAmp(const OpAmpRow& row) { return OpAmp{false, row.a0Db, row.gbwHz}; }

OpAmpFile ParseOpAmpFile(std::string_view text) {
    OpAmpFile file;
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::parse_error& e) {
        file.problems.push_back({LineAt(text, e.byte > 0 ? e.byte - 1 : 0), "not JSON: " + std::string(e.what())});
        return file;
    } catch (const nlohmann::json::exception& e) {
        // A number beyond any double ("7e58888") is refused as out of range, with no position.
        file.problems.push_back({1, "not JSON: " + std::string(e.what())});
        return file;
    }
    if (!document.is_array()) {
        file.problems.push_back({1, "the file must hold an array of op-amps, [ {...}, ... ]"});
        return file;
    }
    const std::vector<int> lines = ElementLines(text);
    for (std::size_t i = 0; i < document.size(); ++i) {
        const int line = i < lines.size() ? lines[i] : 1;
        try {
            file.rows.push_back(ReadRow(document[i]));
        } catch (const std::exception& e) {
            file.problems.push_back({line, std::string("op-amp skipped: ") + e.what()});
        }
    }
    return file;
}

}  // namespace riaa
