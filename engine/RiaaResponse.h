// The RIAA playback model (time constants 3180 µs, 318 µs, 75 µs) and its two curves, in dB.
#pragma once

namespace riaa {

// 8.68589 × ln |H(j2πf)|: 0 dB at 0 Hz, falling with frequency; f and -f give the same level.
double PlaybackLevel(double hz);
// The preamplifier's inverse RIAA curve, PlaybackLevel + 19.911 (about 0 dB at 1 kHz).
double InverseCurveLevel(double hz);
// The record's RIAA curve, -PlaybackLevel - 19.822.
double RecordCurveLevel(double hz);

}  // namespace riaa
