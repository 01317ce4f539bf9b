// The replay curves as data: RIAA, the curves before it and the options any curve may take.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "engine/BuiltNetwork.h"
#include "engine/Rational.h"

namespace riaa {

struct ReplayCurve {
    std::string_view name;
    std::array<std::string_view, 3> otherNames;  // empty entries unused
    std::string_view usedFor;                    // where and when it was used
    double shelfUs;                              // the bass shelf; 0 where the curve has none
    double turnoverUs;                           // the zero
    double trebleUs;                             // the treble pole; 0 where the curve has none
};

// Where every curve, gain and error is referred to: levels are read against 1 kHz.
inline constexpr double kReferenceHz = 1000;
inline constexpr double kIecAmendmentUs = 7950;
inline constexpr double kZero3_18Us = 3.18;
// Where an active stage puts the shelf of a curve that has none: 10 Hz.
inline constexpr double kRealisedShelfUs = 15915;

// Row 0 is RIAA, the default.
std::span<const ReplayCurve> ReplayCurves();
// Throws EngineError for an index beyond the table, as a saved design may hold.
const ReplayCurve& CurveRow(const CurveChoice& choice);

// The row whose name or other name is this text, in any letter case and with blanks, hyphens and
// underscores ignored ("nab_1949", "Columbia-LP"); empty when none is.
std::optional<std::size_t> FindCurve(std::string_view name);

// The replay response with its options as a ratio in s (its scale is arbitrary: every use
// normalises at 1 kHz). A curve without a shelf rises towards 0 Hz: a pole at the origin, which
// the IEC option's s cancels.
Ratio CurveFunction(const CurveChoice& choice);
// The level at hz against 1 kHz, in dB. At 0 Hz a curve without a shelf is at +∞ and one with the
// IEC option at −∞; with both, the two cancel and the level is finite.
double CurveLevelDb(const CurveChoice& choice, double hz);
// |H| at 0 Hz (without a shelf, or with the IEC option: at 20 Hz) over |H| at 1 kHz, as a ratio.
double CurveLowToMidRatio(const CurveChoice& choice);

}  // namespace riaa
