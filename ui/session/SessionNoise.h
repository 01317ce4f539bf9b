// The noise settings of the session's design as typed, and its noise and headroom figures, worked out when asked for.
#pragma once

#include <QString>
#include <array>
#include <optional>

#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"
#include "engine/Noise.h"
#include "engine/NoiseFields.h"

// The Noise page's inputs: the op-amp picked (empty: Custom) and the seven fields, in the page's units.
// Left as they start (no texts), they are the inputs a new design starts with.
struct NoiseInputs {
    QString opAmp;
    std::array<QString, riaa::kNoiseFieldCount> texts{};

    bool operator==(const NoiseInputs&) const = default;
};

// What a new design starts with: the NE5534A, the op-amp most phono stages were built with, and its figures.
NoiseInputs FirstNoiseInputs(const riaa::NumberLocale& locale);

class SessionNoise {
public:
    explicit SessionNoise(const riaa::NumberLocale& locale);

    // Reads the texts; a field that does not read keeps the last settings that did and is named in problem().
    void setInputs(const NoiseInputs& inputs);
    const NoiseInputs& inputs() const { return inputs_; }
    const riaa::NoiseSettings& settings() const { return settings_; }
    // The field that does not read and why; empty when all do.
    const std::optional<riaa::NoiseField>& problemField() const { return problemField_; }
    const QString& problem() const { return problem_; }

    // The figures of this network with the settings, worked out once for each network and settings;
    // the last good ones stay while a field is bad or the network cannot be evaluated (evaluationProblem()).
    const std::optional<riaa::NoiseFigures>& figures(const std::optional<riaa::BuiltNetwork>& network);
    const std::optional<riaa::NoiseSpectrum>& spectrum(const std::optional<riaa::BuiltNetwork>& network, int points);
    const QString& evaluationProblem() const { return evaluationProblem_; }

private:
    void evaluate(const std::optional<riaa::BuiltNetwork>& network, int points);

    riaa::NumberLocale locale_;
    NoiseInputs inputs_;
    riaa::NoiseSettings settings_;
    std::optional<riaa::NoiseField> problemField_;
    QString problem_;
    QString evaluationProblem_;
    // What the figures were worked out for.
    std::optional<riaa::BuiltNetwork> network_;
    riaa::NoiseSettings evaluatedSettings_;
    int points_ = 0;
    std::optional<riaa::NoiseFigures> figures_;
    std::optional<riaa::NoiseSpectrum> spectrum_;
};
