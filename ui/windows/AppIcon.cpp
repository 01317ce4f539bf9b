#include "windows/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include "windows/ClassicColours.h"

namespace {

using namespace classic_colours;

constexpr QPointF DiscCentre(16, 16);
constexpr double DiscRadius = 13;
constexpr double RimRadius = 15.5;

QPainterPath circle(double radius) {
    QPainterPath path;
    path.addEllipse(DiscCentre, radius, radius);
    return path;
}

void drawDisc(QPainter& painter) {
    // Filled as paths: the raster engine's own aliased ellipse is not symmetric at this size, a path is.
    // A silver disc lies under the teal one, rather than a ring beside it, so that no seam opens between.
    painter.fillPath(circle(RimRadius), kSilver);

    // The rim's grey dots: every other cell of the design grid, cut to the ring so that the scaled-up
    // picture keeps a round edge.
    QPainterPath cells;
    for (int y = 0; y < MirelundIconDesignSize; ++y) {
        for (int x = y % 2; x < MirelundIconDesignSize; x += 2) {
            cells.addRect(x, y, 1, 1);
        }
    }
    painter.fillPath(cells.intersected(circle(RimRadius).subtracted(circle(DiscRadius))), kGrey);

    painter.fillPath(circle(DiscRadius), kTeal);
}

void drawBolt(QPainter& painter) {
    // From the lower left up to the upper right with a jog in the middle, where the column hides it; a
    // black edge first, the yellow body over it. The points lie on grid lines, so that the even pen widths
    // end on pixel boundaries.
    const QPolygonF bolt({QPointF(4, 27), QPointF(10, 20), QPointF(23, 18), QPointF(27, 5)});
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kBlack, 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(bolt);
    painter.setPen(QPen(kYellow, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(bolt);
}

void drawColumn(QPainter& painter) {
    // Two-unit stripes from left to right; the column stands in front of disc and bolt.
    const QColor stripes[] = {kOlive, kPurple, kYellow, kGrey};
    constexpr int left = 12;
    constexpr int top = 8;
    constexpr int bottom = 24;
    painter.fillRect(QRectF(left - 1, top, 10, bottom - top + 1), kBlack);
    for (int stripe = 0; stripe < 4; ++stripe) {
        painter.fillRect(QRectF(left + 2 * stripe, top, 2, bottom - top + 1), stripes[stripe]);
    }
    painter.fillRect(QRectF(left - 2, top - 3, 12, 3), kMaroon);
    painter.fillRect(QRectF(left - 3, bottom + 1, 14, 3), kMaroon);
    painter.fillRect(QRectF(left - 3, bottom + 4, 14, 1), kBlack);
}

}  // namespace

void PaintMirelundIcon(QPainter& painter) {
    painter.save();
    drawDisc(painter);
    drawBolt(painter);
    drawColumn(painter);
    painter.restore();
}

QImage MirelundIconImage(int size) {
    if (size < 1) {
        return {};
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, size % MirelundIconDesignSize != 0);
    painter.scale(double(size) / MirelundIconDesignSize, double(size) / MirelundIconDesignSize);
    PaintMirelundIcon(painter);
    return image;
}

QIcon MirelundIcon() {
    QIcon icon;
    for (const int size : MirelundIconSizes) {
        icon.addPixmap(QPixmap::fromImage(MirelundIconImage(size)));
    }
    return icon;
}
