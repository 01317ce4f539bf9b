#include "engine/NoiseFields.h"

namespace riaa {

namespace {

constexpr std::array<const char*, kNoiseFieldCount> kNames{"en", "fce", "in", "fci", "The swing", "The temperature",
                                                           "The reference level"};
// The page shows the reference in mV, the settings hold volts.
constexpr double kMillivolts = 1e-3;

}  // namespace

NoiseSettings ParseNoiseFields(const NoiseFieldTexts& texts, const NumberLocale& locale) {
    NoiseSettings settings;
    for (int f = 0; f < kNoiseFieldCount; ++f) {
        const auto field = static_cast<NoiseField>(f);
        const std::string& text = texts[static_cast<std::size_t>(f)];
        double value = 0;
        try {
            value = ParseNumber(ExpandMultiplierSuffix(text, locale), locale);
        } catch (const EngineError&) {
            throw NoiseSettingError(field, std::string(kNames[static_cast<std::size_t>(f)]) + ": \"" + text + "\" is not a number");
        }
        CheckNoiseField(field, value);
        FieldOf(settings, field) = field == NoiseField::Reference ? value * kMillivolts : value;
    }
    return settings;
}

NoiseFieldTexts NoiseFieldTextsOf(const NoiseSettings& settings, const NumberLocale& locale) {
    NoiseFieldTexts texts;
    NoiseSettings copy = settings;
    for (int f = 0; f < kNoiseFieldCount; ++f) {
        const auto field = static_cast<NoiseField>(f);
        const double value = FieldOf(copy, field);
        texts[static_cast<std::size_t>(f)] =
            RenderNumber(field == NoiseField::Reference ? value / kMillivolts : value, patterns::UpToFourWithZero, locale);
    }
    return texts;
}

}  // namespace riaa
