// The accuracy page's error plot as a picture, its dB scale and the pointer readout over it.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "common/ErrorTexts.h"
#include "engine/Formats.h"
#include "engine/Response.h"

// A spread of the error drawn behind the curve, such as the one part tolerances give; the three
// vectors run in step, with frequencies ascending.
struct ErrorBand {
    std::vector<double> hz;
    std::vector<double> lowDb;
    std::vector<double> highDb;
};

struct ErrorPlotData {
    std::vector<riaa::ErrorPoint> curve;  // empty: the grid alone
    std::optional<ErrorBand> band;
    QString notice;  // written across the plot, e.g. why there is no curve
};

// The half-heights the dB axis may take; the plot uses the smallest that holds curve and band.
inline constexpr double kErrorScalesDb[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20};

// The smallest scale of kErrorScalesDb holding every finite value of curve and band; 20 dB when
// none does (the plot then clips), 0.01 dB for an empty plot.
double ErrorScaleDb(const ErrorPlotData& data);

// Where the grid lies inside a picture of width x height (logical pixels): the rest holds the labels.
QRectF ErrorPlotArea(int width, int height);

// Frequency at a column of the grid (20 Hz at its left edge, 20 kHz at its right) and back.
double ErrorPlotFrequencyAt(double x, const QRectF& area);
double ErrorPlotColumnOf(double hz, const QRectF& area);

// The curve's error at a frequency, interpolated on the log axis; nothing outside the curve's span.
std::optional<double> ErrorAt(const std::vector<riaa::ErrorPoint>& curve, double hz);

// A fresh picture of width x height logical pixels at the given device pixel ratio: the grid, its
// labels in the locale's decimal separator, the band, the curve and the notice. A width or height
// below one gives a null image.
QImage drawErrorPlot(int width, int height, const ErrorPlotData& data, const riaa::NumberLocale& locale,
                     qreal devicePixelRatio = 1.0);

// The status-bar hint for the pointer at column x of a picture of width x height:
// "| " frequency " Hz    " error. Empty off the grid's columns; without a curve the frequency alone.
QString ErrorPointerReadout(int x, int width, int height, const ErrorPlotData& data,
                            const riaa::NumberLocale& locale);
