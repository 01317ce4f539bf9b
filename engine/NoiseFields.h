// The noise settings as a page types them: one text a field, in the units the page shows, to NoiseSettings.
#pragma once

#include <array>
#include <string>

#include "engine/Formats.h"
#include "engine/Noise.h"

namespace riaa {

// Indexed by NoiseField: en in nV/√Hz, fce in Hz, in in pA/√Hz, fci in Hz, the swing in V rms, the
// temperature in °C, the reference in mV. A multiplier suffix is taken ("4.7k").
using NoiseFieldTexts = std::array<std::string, kNoiseFieldCount>;

// Throws NoiseSettingError for the first field that is no number or out of range, naming it.
NoiseSettings ParseNoiseFields(const NoiseFieldTexts& texts, const NumberLocale& locale);

// The settings as those texts, for fields the program fills in.
NoiseFieldTexts NoiseFieldTextsOf(const NoiseSettings& settings, const NumberLocale& locale);

}  // namespace riaa
