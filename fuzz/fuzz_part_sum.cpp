// Any text through the as-built fields' part sums, in both locales: a positive finite total or an EngineError.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/PartSums.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const riaa::NumberLocale& locale : {riaa::NumberLocale{}, riaa::NumberLocale{",", "."}}) {
        for (const auto parse : {riaa::ParseResistorSum, riaa::ParseCapacitorSum}) {
            try {
                const double total = parse(text, locale);
                if (!(total > 0) || !std::isfinite(total)) std::abort();
            } catch (const riaa::EngineError&) {
            }
        }
    }
    return 0;
}
