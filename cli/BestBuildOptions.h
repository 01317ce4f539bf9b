// The command line's best build: --best and its options read into the engine's search, the builds shown.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/BestBuild.h"

namespace design {

// The --best options as typed.
struct BestTexts {
    std::optional<std::string> series, range, count;
    bool pairs = false;
};

// Nothing where --best is not given. Throws UsageError naming the option: an unknown series, one series
// only, a range whose low end is not below its high end, a count below 1, the others without --best.
std::optional<riaa::BestBuildRequest> ParseBest(const BestTexts& texts);

// Throws UsageError("--best") for a design the search cannot take.
std::vector<riaa::BestBuild> RunBest(const riaa::BuiltNetwork& network, const riaa::BestBuildRequest& request);

void BestBuildLines(std::ostream& out, const std::vector<riaa::BestBuild>& builds);
nlohmann::ordered_json BestBuildsJson(const std::vector<riaa::BestBuild>& builds);

}  // namespace design
