// How the pages write an error in dB: signed, four decimals below 1 dB, "exact" below the last one shown.
#pragma once

#include <QString>

#include "engine/Formats.h"

// Errors below this everywhere read as "exact".
inline constexpr double kExactErrorDb = 0.0005;

// A signed error for the user: "+0.0066 dB", "-1.38 dB", "0 dB".
QString FormatErrorDb(double db, const riaa::NumberLocale& locale);
// The same, "exact" below the last decimal shown.
QString SignedErrorText(double db, const riaa::NumberLocale& locale);
// A largest error, which is a magnitude and carries no sign: "0.0066 dB", "exact".
QString MagnitudeText(double db, const riaa::NumberLocale& locale);
