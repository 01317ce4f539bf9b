// The 3D frame of the bevelled panels: one-pixel rings in a top and a bottom colour.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// Draws `width` rings inward from the edge of `rect`, each ring's left and top edges in `topColor` and its
// right and bottom edges in `bottomColor`; the top-right and bottom-left corner pixels take the bottom
// colour. Returns `rect` shrunk by `width` on every side. A width of 0 or less draws nothing.
QRect DrawFrame3D(QPainter& painter, QRect rect, const QColor& topColor, const QColor& bottomColor, int width);
