// Typed texts inserted into both lists, then rounding on the grown resistor list.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/ValueLists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const riaa::NumberLocale locale;
    riaa::ValueList resistors = riaa::MakeResistorList();
    riaa::ValueList capacitors = riaa::MakeCapacitorList();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    // Newline-separated typed values.
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view typed = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        for (riaa::ValueList* list : {&resistors, &capacitors}) {
            try {
                riaa::InsertTypedValue(*list, typed, locale);
            } catch (const riaa::ConversionError&) {
            }
        }
        try {
            const double ohms = riaa::ParseNumber(typed, locale);
            const double rounded = riaa::ClosestStandardResistor(ohms, resistors, locale);
            if (!std::isfinite(rounded)) std::abort();
            // The rounding picks an entry of the grown list, never a value of its own making.
            bool isEntry = rounded == 0 && ohms == 0;
            for (std::size_t i = 0; i < resistors.size() && !isEntry; ++i) isEntry = resistors.value(i) == rounded;
            if (!isEntry) std::abort();
        } catch (const riaa::ConversionError&) {
        }
    }
    for (std::size_t i = 0; i < resistors.size(); ++i) {
        if (resistors.value(i) == 0 || std::isnan(resistors.value(i))) std::abort();
    }
    return 0;
}
