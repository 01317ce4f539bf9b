#include "BestBuildOptions.h"
#include "OutputText.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <utility>

#include "DesignRequest.h"
#include "engine/Formats.h"
#include "engine/PartSums.h"
#include "engine/PreferredNumbers.h"

namespace design {

namespace {

std::pair<std::string, std::string> Halves(const std::string& option, const std::string& text, const std::string& example) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) {
        throw UsageError(option, "'" + text + "' must be two values, e.g. " + example);
    }
    return {text.substr(0, comma), text.substr(comma + 1)};
}

riaa::SeriesKind Series(const std::string& text, bool capacitors) {
    const std::optional<riaa::SeriesKind> series = riaa::SeriesNamed(text);
    const bool allowed = series && (capacitors ? *series <= riaa::SeriesKind::E24 : *series >= riaa::SeriesKind::E12);
    if (!allowed) {
        throw UsageError("--best", "'" + text + "' is no " + (capacitors ? "capacitor series: give E6, E12 or E24"
                                                                          : "resistor series: give E12, E24, E48, E96 or E192"));
    }
    return *series;
}

double Capacitance(const std::string& text) {
    try {
        const double value = riaa::ParseCapacitorSum(text, kPointLocale);
        riaa::CheckPartValue(true, value, "the range's end");
        return value;
    } catch (const riaa::EngineError& error) {
        throw UsageError("--best-range", "'" + text + "': " + error.what());
    }
}

}  // namespace

std::optional<riaa::BestBuildRequest> ParseBest(const BestTexts& texts) {
    if (!texts.series) {
        const char* stray = texts.range ? "--best-range" : texts.count ? "--best-count" : texts.pairs ? "--best-pairs" : nullptr;
        if (stray != nullptr) throw UsageError(stray, "give --best too, e.g. --best E12,E24");
        return std::nullopt;
    }
    riaa::BestBuildRequest request;
    const auto [capacitors, resistors] = Halves("--best", *texts.series, "E12,E24 (capacitors, then resistors)");
    request.capacitorSeries = Series(capacitors, true);
    request.resistorSeries = Series(resistors, false);
    request.pairs = texts.pairs;
    if (texts.range) {
        const auto [low, high] = Halves("--best-range", *texts.range, "1n,100n");
        request.capacitorRange = {Capacitance(low), Capacitance(high)};
        if (!(request.capacitorRange.lowest < request.capacitorRange.highest)) {
            throw UsageError("--best-range", "'" + *texts.range + "': the low end must be below the high end, e.g. 1n,100n");
        }
    }
    if (texts.count) {
        double count = 0;
        try {
            count = riaa::ParseNumber(*texts.count, kPointLocale);
        } catch (const riaa::EngineError&) {
            throw UsageError("--best-count", "'" + *texts.count + "' is not a whole number, e.g. 10");
        }
        if (!(count >= 1 && count <= 1000) || count != std::floor(count)) {
            throw UsageError("--best-count", "'" + *texts.count + "' must be a whole number from 1 to 1000");
        }
        request.count = static_cast<int>(count);
    }
    return request;
}

std::vector<riaa::BestBuild> RunBest(const riaa::BuiltNetwork& network, const riaa::BestBuildRequest& request) {
    const std::atomic<bool> neverCancelled{false};
    try {
        return riaa::FindBestBuilds(network, request, neverCancelled).value_or(std::vector<riaa::BestBuild>{});
    } catch (const riaa::EngineError& error) {
        throw UsageError("--best", error.what());
    }
}

namespace {

std::string BuildText(const riaa::BestBuildPart& part) {
    std::string text;
    for (const double value : part.parts) {
        text += (text.empty() ? "" : "+") + riaa::FormatPartValueWithUnit(part.element, value, kPointLocale);
    }
    return std::string(riaa::ElementName(part.element)) + " " + text;
}

}  // namespace

void BestBuildLines(std::ostream& out, const std::vector<riaa::BestBuild>& builds) {
    if (builds.empty()) out << "Best builds      none in the range\n";
    int rank = 0;
    for (const riaa::BestBuild& build : builds) {
        char head[64];
        std::snprintf(head, sizeof head, "Best build %-4d  ", ++rank);
        std::string parts;
        for (const riaa::BestBuildPart& part : build.parts) parts += (parts.empty() ? "" : ", ") + BuildText(part);
        out << head << riaa::FixedSignedDecibels(build.largestErrorDb, 4) << ", gain "
            << riaa::FixedDecibels(build.gain1kHzDb, 2) << ": " << parts << "\n";
    }
}

nlohmann::ordered_json BestBuildsJson(const std::vector<riaa::BestBuild>& builds) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const riaa::BestBuild& build : builds) {
        nlohmann::ordered_json parts = nlohmann::ordered_json::object();
        nlohmann::ordered_json made = nlohmann::ordered_json::object();
        for (const riaa::BestBuildPart& part : build.parts) {
            const std::string name(riaa::ElementName(part.element));
            parts[name] = part.value;
            made[name] = part.parts;
        }
        list.push_back({{"parts", parts}, {"build", made}, {"largestErrorDb", build.largestErrorDb},
                        {"gain1kHzDb", build.gain1kHzDb}});
    }
    return list;
}

}  // namespace design
