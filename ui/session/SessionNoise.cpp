#include "session/SessionNoise.h"

#include "engine/OpAmps.h"

namespace {

const char* const kFirstOpAmp = "NE5534A";

riaa::NoiseFieldTexts StdTexts(const std::array<QString, riaa::kNoiseFieldCount>& texts) {
    riaa::NoiseFieldTexts out;
    for (std::size_t f = 0; f < texts.size(); ++f) out[f] = texts[f].toStdString();
    return out;
}

}  // namespace

NoiseInputs FirstNoiseInputs(const riaa::NumberLocale& locale) {
    riaa::NoiseSettings settings;
    NoiseInputs inputs;
    if (const riaa::OpAmpRow* row = riaa::FindOpAmp(kFirstOpAmp)) {
        settings = riaa::WithOpAmp(settings, *row);
        inputs.opAmp = QString::fromLatin1(kFirstOpAmp);
    }
    const riaa::NoiseFieldTexts texts = riaa::NoiseFieldTextsOf(settings, locale);
    for (std::size_t f = 0; f < texts.size(); ++f) inputs.texts[f] = QString::fromStdString(texts[f]);
    return inputs;
}

SessionNoise::SessionNoise(const riaa::NumberLocale& locale) : locale_(locale) { setInputs(NoiseInputs{}); }

void SessionNoise::setInputs(const NoiseInputs& given) {
    const NoiseInputs inputs = given == NoiseInputs{} ? FirstNoiseInputs(locale_) : given;
    inputs_ = inputs;
    try {
        settings_ = riaa::ParseNoiseFields(StdTexts(inputs.texts), locale_);
        problemField_.reset();
        problem_.clear();
    } catch (const riaa::NoiseSettingError& error) {
        problemField_ = error.field();
        problem_ = QString::fromUtf8(error.what());
    }
}

void SessionNoise::evaluate(const std::optional<riaa::BuiltNetwork>& network, int points) {
    if (!network) {
        network_.reset();
        figures_.reset();
        spectrum_.reset();
        evaluationProblem_ = QStringLiteral("No design yet: calculate one on the circuit or the active stage page.");
        return;
    }
    const bool same = network_ == network && evaluatedSettings_ == settings_;
    if (same && (points == 0 || points == points_)) return;
    try {
        // The figures once for each network and settings; the spectrum where a plot asks for it.
        std::optional<riaa::NoiseFigures> figures;
        if (!same) figures = riaa::EvaluateNoise(*network, settings_);
        std::optional<riaa::NoiseSpectrum> spectrum;
        if (points > 0) spectrum = riaa::EvaluateNoiseSpectrum(*network, settings_, points);
        if (figures) figures_ = std::move(figures);
        spectrum_ = std::move(spectrum);
        points_ = points;
        network_ = network;
        evaluatedSettings_ = settings_;
        evaluationProblem_.clear();
    } catch (const riaa::EngineError& error) {
        evaluationProblem_ = QString::fromUtf8(error.what());
    }
}

const std::optional<riaa::NoiseFigures>& SessionNoise::figures(const std::optional<riaa::BuiltNetwork>& network) {
    evaluate(network, 0);
    return figures_;
}

const std::optional<riaa::NoiseSpectrum>& SessionNoise::spectrum(const std::optional<riaa::BuiltNetwork>& network,
                                                                 int points) {
    evaluate(network, points);
    return spectrum_;
}
