// The pieces every plot picture is made of: its blank image, sharp lines, frequency labels, its notice.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <cmath>

// A blank picture of width × height logical pixels at the ratio, filled with the background; a null image
// when the size or ratio cannot be drawn.
QImage NewPlotImage(int width, int height, qreal devicePixelRatio, const QColor& background);

// A logical coordinate moved to a device-pixel centre, so that a one-pixel line covers one row of pixels
// and stays sharp at any ratio.
inline double SnapToDevicePixel(double logical, qreal ratio) { return (std::floor(logical * ratio) + 0.5) / ratio; }

// 20, 500, 1k, 20k: the frequency axis's labels.
QString PlotFrequencyLabel(double hz);

// The notice centred over the area on a clear patch, so that no grid line runs through the words.
void DrawPlotNotice(QPainter& painter, const QRectF& area, const QString& notice, const QColor& background,
                    const QColor& ink);
