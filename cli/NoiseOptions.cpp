#include "NoiseOptions.h"
#include "OutputText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

#include "DesignRequest.h"
#include "engine/Formats.h"

namespace design {

namespace {

// The SI multipliers a noise option may end in ("3.5n", "0.4p", "5m", "1k"), as powers of ten.
constexpr std::array<std::pair<std::string_view, int>, 8> kMultipliers{
    {{"f", -15}, {"p", -12}, {"n", -9}, {"u", -6}, {"\u00B5", -6}, {"m", -3}, {"k", 3}, {"M", 6}}};

// The text in the engine's unit, 10^unitPower of the option's: the powers are added first, so that
// "3.5n" is exactly 3.5 nV/√Hz and the design file keeps the text as typed.
double ParseScaled(const std::string& option, const std::string& text, const std::string& example, int unitPower) {
    std::string number = text;
    int power = unitPower;
    for (const auto& [suffix, multiplier] : kMultipliers) {
        if (number.size() > suffix.size() && number.compare(number.size() - suffix.size(), suffix.size(), suffix) == 0) {
            number.resize(number.size() - suffix.size());
            power += multiplier;
            break;
        }
    }
    double value = 0;
    try {
        value = riaa::ParseNumber(number, kPointLocale);
    } catch (const riaa::EngineError&) {
        throw UsageError(option, "'" + text + "' is not a number, e.g. " + example);
    }
    const double scale = std::pow(10.0, std::abs(power));
    return power >= 0 ? value * scale : value / scale;
}

// Each setting's option, its example and the factor from the option's unit to the engine's.
struct FieldOption {
    riaa::NoiseField field;
    std::optional<std::string> NoiseTexts::*text;
    const char* option;
    const char* example;
    int toEngine;  // the engine's unit is 10^-toEngine of the option's
};
constexpr std::array<FieldOption, riaa::kNoiseFieldCount> kFieldOptions{{
    {riaa::NoiseField::En, &NoiseTexts::en, "--en", "3.5n", 9},
    {riaa::NoiseField::Fce, &NoiseTexts::fce, "--fce", "50", 0},
    {riaa::NoiseField::In, &NoiseTexts::in, "--in", "0.4p", 12},
    {riaa::NoiseField::Fci, &NoiseTexts::fci, "--fci", "200", 0},
    {riaa::NoiseField::Swing, &NoiseTexts::swing, "--swing", "9", 0},
    {riaa::NoiseField::Temperature, &NoiseTexts::temperature, "--temperature", "27", 0},
    {riaa::NoiseField::Reference, &NoiseTexts::reference, "--reference", "5m", 0},
}};

const char* OptionOf(riaa::NoiseField field) {
    for (const FieldOption& row : kFieldOptions) {
        if (row.field == field) return row.option;
    }
    return "--noise";
}

}  // namespace

std::string UserOpAmpsPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data != '\0') return std::string(data) + "/mirelund/opamps.json";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    return std::string(home) + "/.local/share/mirelund/opamps.json";
}

UserOpAmpTable ReadUserOpAmps(const std::string& path) {
    UserOpAmpTable table;
    if (path.empty()) return table;
    std::ifstream file(path, std::ios::binary);
    if (!file) return table;  // most users keep no table of their own
    std::stringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        table.problems.push_back(path + ": cannot be read");
        return table;
    }
    riaa::OpAmpFile parsed = riaa::ParseOpAmpFile(text.str());
    table.rows = std::move(parsed.rows);
    for (const riaa::OpAmpFileProblem& problem : parsed.problems) {
        table.problems.push_back(path + ", line " + std::to_string(problem.line) + ": " + problem.message +
                                 " (row skipped)");
    }
    return table;
}

NoiseRequest ParseNoise(const NoiseTexts& texts, std::span<const riaa::OpAmpRow> user, bool activeStage) {
    NoiseRequest request;
    request.texts = texts;
    if (texts.opAmp) {
        const riaa::OpAmpRow* row = riaa::FindOpAmp(*texts.opAmp, user);
        if (row == nullptr) throw UsageError("--opamp", "'" + *texts.opAmp + "' is no op-amp of the table: --opamps lists them");
        request.opAmp = *row;
        request.settings = riaa::WithOpAmp(request.settings, *row);
    } else if (activeStage && (!texts.en || !texts.in)) {
        throw UsageError(texts.en ? "--in" : "--en",
                         "a stage's noise needs its op-amp: give --opamp NAME (--opamps lists them), or --en and "
                         "--in, e.g. --en 3.5n --in 0.4p");
    }
    for (const FieldOption& row : kFieldOptions) {
        const std::optional<std::string>& text = texts.*row.text;
        if (!text) continue;
        const double value = ParseScaled(row.option, *text, row.example, row.toEngine);
        try {
            riaa::CheckNoiseField(row.field, value);
        } catch (const riaa::NoiseSettingError& error) {
            throw UsageError(row.option, error.what());
        }
        riaa::FieldOf(request.settings, row.field) = value;
    }
    try {
        riaa::CheckNoiseSettings(request.settings);
    } catch (const riaa::NoiseSettingError& error) {
        throw UsageError(OptionOf(error.field()), error.what());
    }
    return request;
}

std::string RenderOpAmps(std::span<const riaa::OpAmpRow> user) {
    std::ostringstream out;
    const auto column = [](std::string text, std::size_t width) {
        text.resize(std::max(text.size() + 2, width), ' ');
        return text;
    };
    out << column("Op-amp", 12) << column("en nV/\u221AHz", 12) << column("fce Hz", 8) << column("in pA/\u221AHz", 12)
        << column("fci Hz", 8) << column("GBW MHz", 9) << column("A0 dB", 7) << column("Swing V rms", 13)
        << "Datasheet\n";
    const auto rows = [&](std::span<const riaa::OpAmpRow> table, const char* mark) {
        for (const riaa::OpAmpRow& row : table) {
            out << column(row.name, 12) << column(Printf("%g", row.enNvRtHz), 12) << column(Printf("%g", row.fceHz), 8)
                << column(Printf("%g", row.inPaRtHz), 12) << column(Printf("%g", row.fciHz), 8)
                << column(Printf("%g", row.gbwHz / 1e6), 9) << column(Printf("%g", row.a0Db), 7)
                << column(Printf("%g", row.swingVrms), 13) << mark << row.datasheet << "\n";
        }
    };
    rows(user, "(yours) ");
    rows(riaa::BuiltInOpAmps(), "");
    out << "Your own op-amps go in " << (UserOpAmpsPath().empty() ? "$XDG_DATA_HOME/mirelund/opamps.json" : UserOpAmpsPath())
        << ", listed first.\n";
    return out.str();
}

void NoiseLines(std::ostream& out, const NoiseRequest& request, const riaa::NoiseFigures& figures) {
    const riaa::NoiseSettings& s = request.settings;
    out << "Noise            " << Printf("%#.3g", figures.outputUv) << " \u00B5V, A-weighted "
        << Printf("%#.3g", figures.outputAUv) << " \u00B5V (at the output, 20 Hz to 20 kHz, "
        << Printf("%g", s.temperatureC) << " \u00B0C)\n";
    out << "EIN              " << Printf("%#.3g", figures.einUv) << " \u00B5V, " << Printf("%.1f", figures.einDbu)
        << " dBu; A-weighted " << Printf("%#.3g", figures.einAUv) << " \u00B5V, " << Printf("%.1f", figures.einADbu)
        << " dBu\n";
    out << "SNR              " << Printf("%.1f", figures.snrDb) << " dB, A-weighted " << Printf("%.1f", figures.snrADb)
        << " dB (against " << Printf("%g", s.referenceV * 1e3) << " mV at 1 kHz)\n";
    std::string shares;
    for (const riaa::NoiseShare& share : figures.shares) {
        shares += (shares.empty() ? "" : ", ") + share.name + " " + Printf("%.1f%%", share.share * 100);
    }
    out << "Noise shares     " << shares << "\n";
    if (const auto& h = figures.headroom) {
        out << "Overload margin  " << Printf("%.1f", h->margin20HzDb) << " dB at 20 Hz, " << Printf("%.1f", h->margin1kHzDb)
            << " dB at 1 kHz, " << Printf("%.1f", h->margin20kHzDb) << " dB at 20 kHz; smallest "
            << Printf("%.1f", h->minMarginDb) << " dB at " << Printf("%.0f", h->minMarginHz) << " Hz (swing "
            << Printf("%g", s.swingVrms) << " V rms)\n";
        out << "Smallest load    " << riaa::FormatPartValueWithUnit(riaa::ElementKind::R1, h->minLoadOhm, kPointLocale) << " at "
            << Printf("%.0f", h->minLoadHz) << " Hz\n";
    }
    if (!figures.headroom) return;  // a passive network has no op-amp
    out << "Op-amp noise     " << (request.opAmp ? request.opAmp->name + ": " : std::string()) << "en "
        << Printf("%g", s.enNvRtHz) << " nV/\u221AHz (fce " << Printf("%g", s.fceHz) << " Hz), in "
        << Printf("%g", s.inPaRtHz) << " pA/\u221AHz (fci " << Printf("%g", s.fciHz) << " Hz)\n";
}

void NoiseJson(nlohmann::ordered_json& json, const NoiseRequest& request, const riaa::NoiseFigures& figures,
               const std::optional<riaa::OpAmp>& op) {
    using nlohmann::ordered_json;
    const riaa::NoiseSettings& s = request.settings;
    json["noiseOutputUv"] = figures.outputUv;
    json["noiseOutputAUv"] = figures.outputAUv;
    json["einUv"] = figures.einUv;
    json["einAUv"] = figures.einAUv;
    json["einDbu"] = figures.einDbu;
    json["einADbu"] = figures.einADbu;
    json["snrDb"] = figures.snrDb;
    json["snrADb"] = figures.snrADb;
    ordered_json shares = ordered_json::object();
    for (const riaa::NoiseShare& share : figures.shares) shares[share.name] = share.share;
    json["noiseContributions"] = shares;
    const auto& h = figures.headroom;
    json["overloadMarginDb"] =
        h ? ordered_json{{"20", h->margin20HzDb}, {"1000", h->margin1kHzDb}, {"20000", h->margin20kHzDb}} : ordered_json(nullptr);
    const auto headroom = [&](double riaa::Headroom::*member) { return h ? ordered_json((*h).*member) : ordered_json(nullptr); };
    json["minOverloadMarginDb"] = headroom(&riaa::Headroom::minMarginDb);
    json["minOverloadMarginHz"] = headroom(&riaa::Headroom::minMarginHz);
    json["minLoadOhm"] = headroom(&riaa::Headroom::minLoadOhm);
    json["minLoadHz"] = headroom(&riaa::Headroom::minLoadHz);
    json["temperatureC"] = s.temperatureC;
    json["referenceV"] = s.referenceV;
    const bool single = op && !op->ideal;
    json["opAmp"] = {
        {"name", request.opAmp ? ordered_json(request.opAmp->name) : ordered_json(nullptr)},
        {"enNvRtHz", s.enNvRtHz},
        {"inPaRtHz", s.inPaRtHz},
        {"fceHz", s.fceHz},
        {"fciHz", s.fciHz},
        {"swingVrms", s.swingVrms},
        {"gbwHz", single ? ordered_json(op->gainBandwidthHz) : ordered_json(nullptr)},
        {"a0Db", single ? ordered_json(op->openLoopGainDb) : ordered_json(nullptr)},
    };
}

}  // namespace design
