// Every bit pattern of a double under every pattern and unit format.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/Formats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double)) return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    const riaa::NumberLocale locale{size % 2 ? "," : ".", size % 2 ? "." : ","};
    using namespace riaa::patterns;
    for (const riaa::Pattern& pattern : {Whole, WholeOrZero, UpToOne, ExactlyOne, UpToTwo, ExactlyTwo, UpToTwoWithZero,
                                         UpToThree, UpToFour, GroupedWhole, UpToTen}) {
        (void)riaa::RenderNumber(value, pattern, locale);
    }
    (void)riaa::FormatResistance(value, locale);
    (void)riaa::FormatCapacitance(value, locale);
    (void)riaa::FormatDecibels(value, locale);
    return 0;
}
