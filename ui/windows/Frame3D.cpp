#include "windows/Frame3D.h"

#include <QPainter>
#include <algorithm>

namespace {

// Filled spans rather than pen lines: the end pixels of each edge are then exactly the ones meant, and an
// edge whose end lies before its start (a ring one pixel high or wide) draws nothing.
void fillSpan(QPainter& painter, QPoint from, QPoint to, const QColor& color) {
    if (from.x() > to.x() || from.y() > to.y()) {
        return;
    }
    painter.fillRect(QRect(from, to), color);
}

}  // namespace

QRect DrawFrame3D(QPainter& painter, QRect rect, const QColor& topColor, const QColor& bottomColor, int width) {
    if (width <= 0) {
        return rect;
    }
    // Once the rings meet in the middle there is nothing left to draw, so the loop stops there whatever
    // width a caller asks for; the rest of the shrinking is done at once, bounded to keep clear of overflow.
    const int rings = std::min(width, std::max(rect.width(), rect.height()) / 2 + 1);
    for (int ring = 0; ring < rings; ++ring) {
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.right();
        const int bottom = rect.bottom();
        if (left <= right && top <= bottom) {
            fillSpan(painter, QPoint(left, top + 1), QPoint(left, bottom), topColor);
            fillSpan(painter, QPoint(left, top), QPoint(right - 1, top), topColor);
            fillSpan(painter, QPoint(right, top), QPoint(right, bottom - 1), bottomColor);
            fillSpan(painter, QPoint(left, bottom), QPoint(right, bottom), bottomColor);
        }
        rect.adjust(1, 1, -1, -1);
    }
    const int rest = std::min(width - rings, 1 << 16);
    return rect.adjusted(rest, rest, -rest, -rest);
}
