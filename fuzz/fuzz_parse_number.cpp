// Any text through the one number conversion, in both locales: a number or a ConversionError.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const riaa::NumberLocale& locale : {riaa::NumberLocale{}, riaa::NumberLocale{",", "."}}) {
        try {
            const double value = riaa::ParseNumber(text, locale);
            if (!std::isfinite(value)) std::abort();
        } catch (const riaa::ConversionError&) {
        }
    }
    return 0;
}
