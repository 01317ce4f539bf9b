// What every part of mirelund-design writes its numbers with: a point whatever the locale, printf's formats.
#pragma once

#include <cstdio>
#include <string>

#include "engine/Formats.h"

namespace design {

// The command line reads and writes numbers with a decimal point, as scripts expect.
inline const riaa::NumberLocale kPointLocale{};

inline std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace design
