// The RIAA graph as a picture, the pointer readout and the placement of the level labels.
#pragma once

#include <QImage>
#include <QString>

#include "engine/Formats.h"

// Which curves the graph shows; each matches one toggle button of the graph page.
struct CurveSelection {
    bool inverse = false;   // the preamplifier's inverse RIAA curve, red
    bool playback = false;  // the flat overall playback response, blue
    bool record = false;    // the record's RIAA curve, green
};

// Half of log10(2000): the axis runs over two of these "exponent units" from 10 Hz to 20 kHz.
inline constexpr double kGraphScale = 1.650515;

// Frequency under column x of a graph `width` pixels wide: 10 Hz at 0, 20 kHz at width.
// Columns beyond the edges give frequencies beyond those ends; +inf when the double overflows.
double GraphFrequencyAt(double x, int width);

// Row of a level in dB on a graph `height` pixels high, rounded half to even; levels far off the
// graph are pinned a long way outside it rather than overflowing.
int GraphRowAt(double level, int height);

// Level in dB under row y of a graph `height` pixels high: +20 dB at 0, -20 dB at height.
double GraphLevelAt(double y, int height);

// A fresh white picture of width x height with the grid and the chosen curves. A width or height
// of zero or less (or a size too large to allocate) gives a null image.
QImage drawResponseGraph(int width, int height, CurveSelection curves);

// The same picture for a screen with devicePixelRatio device pixels to a logical one: drawn afresh
// at the device size, so that its lines stay one device pixel thin, and tagged with the ratio, so
// that it still covers width x height logical pixels. A ratio of 1 gives the picture above.
QImage drawResponseGraph(int width, int height, CurveSelection curves, double devicePixelRatio);

// The hint text for the pointer at (x, y) over a graph of width x height:
// "| " level "    " frequency " Hz". Empty when the graph has no area.
QString PointerReadout(int x, int y, int width, int height, const riaa::NumberLocale& locale);

// Tops of the "+10", "0", "-10" and "-20" labels, each centred on its level beside an image whose
// top is imageTop within the page and whose height is imageHeight.
struct LevelLabelTops {
    int plus10;
    int zero;
    int minus10;
    int minus20;
};
LevelLabelTops PlaceLevelLabels(int imageTop, int imageHeight);
