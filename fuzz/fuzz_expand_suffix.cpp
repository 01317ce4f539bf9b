// Typed resistor texts through the multiplier expansion and the zero-like test.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const riaa::NumberLocale locale;
    (void)riaa::IsZeroLikeText(text);
    try {
        const std::string expanded = riaa::ExpandMultiplierSuffix(text, locale);
        // A letter that was expanded leaves a whole number, which reads back without error.
        if (expanded != text && !expanded.empty()) (void)riaa::ParseNumber(expanded, locale);
    } catch (const riaa::ConversionError&) {
    }
    return 0;
}
