// One run of mirelund-design: the calculation and evaluation it asks for, and its output as a table or JSON.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "DesignRequest.h"
#include "engine/BestBuild.h"
#include "engine/Noise.h"
#include "engine/Response.h"
#include "engine/Tolerance.h"

namespace design {

struct DesignOutcome {
    riaa::BuiltNetwork network;
    riaa::BuiltNetwork designed;  // before the parts as built: the values the bill of materials aims at
    std::array<std::string, riaa::kElementCount> texts;  // a passive network's, as the window's result fields show them
    riaa::AccuracyReport report;
    std::optional<riaa::ToleranceResult> tolerance;
    std::optional<riaa::NoiseFigures> noise;
    std::optional<std::vector<riaa::BestBuild>> best;
};

// Throws UsageError, naming the option to blame, for a network that cannot be built.
DesignOutcome RunDesign(const DesignRequest& request);

std::string RenderTable(const DesignRequest& request, const DesignOutcome& outcome);
std::string RenderJson(const DesignRequest& request, const DesignOutcome& outcome);
// --curves: the table of replay curves, a row each.
std::string RenderCurves();

}  // namespace design
