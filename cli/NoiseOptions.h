// The command line's noise and headroom: the options read into the engine's settings, the user's op-amps, the figures shown.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "engine/Noise.h"
#include "engine/OpAmps.h"

namespace design {

// The noise options as typed; any of them asks for the figures.
struct NoiseTexts {
    bool noise = false;
    std::optional<std::string> opAmp, en, in, fce, fci, swing, temperature, reference;
    bool any() const { return noise || opAmp || en || in || fce || fci || swing || temperature || reference; }
};

struct NoiseRequest {
    riaa::NoiseSettings settings;
    std::optional<riaa::OpAmpRow> opAmp;  // the row --opamp named
    NoiseTexts texts;                     // as typed, for the design file
};

// The user's own op-amps and a line for each row of their file that was skipped.
struct UserOpAmpTable {
    std::vector<riaa::OpAmpRow> rows;
    std::vector<std::string> problems;
};

// $XDG_DATA_HOME/mirelund/opamps.json, or ~/.local/share/mirelund/opamps.json where XDG_DATA_HOME is
// not set (the window's rule); empty where neither that nor HOME is set.
std::string UserOpAmpsPath();
// No file is no table and no problem; a file that cannot be read is one problem.
UserOpAmpTable ReadUserOpAmps(const std::string& path = UserOpAmpsPath());

// Throws UsageError naming the option: an unknown op-amp, a value no figure can come from, and an active
// stage without --opamp that lacks --en or --in.
NoiseRequest ParseNoise(const NoiseTexts& texts, std::span<const riaa::OpAmpRow> user, bool activeStage);

// --opamps: the user's rows, then the built-in table, a row each.
std::string RenderOpAmps(std::span<const riaa::OpAmpRow> user);

void NoiseLines(std::ostream& out, const NoiseRequest& request, const riaa::NoiseFigures& figures);
// The figures as top-level keys; op is the stage's op-amp (empty for a passive network).
void NoiseJson(nlohmann::ordered_json& json, const NoiseRequest& request, const riaa::NoiseFigures& figures,
               const std::optional<riaa::OpAmp>& op);

}  // namespace design
