// The Noise page's plot as a picture: the noise density referred to the input, or the overload margin, over frequency.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

struct NoisePlotCurve {
    QString name;
    std::vector<double> values;  // in step with NoisePlotData::hz: V/√Hz, or dB for the margin
};

struct NoisePlotData {
    bool margin = false;               // the overload margin in dB, else densities on log axes
    std::vector<double> hz;            // ascending, 20 Hz to 20 kHz
    std::vector<NoisePlotCurve> curves;  // the first is drawn heaviest: the total, or the margin
    QString notice;                    // written across the plot, e.g. why there is no curve
};

// A fresh picture of width x height logical pixels at the device pixel ratio: the grid and its
// labels, each curve in its colour with its name in the legend, the notice. A width or height
// below one gives a null image.
QImage drawNoisePlot(int width, int height, const NoisePlotData& data, qreal devicePixelRatio = 1.0);
