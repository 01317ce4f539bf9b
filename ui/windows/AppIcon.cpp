#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {

// Colours of the classic sixteen-colour palette; nothing is antialiased, so no other colour appears.
const QColor Teal(0, 128, 128);
const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor Yellow(255, 255, 0);
const QColor Olive(128, 128, 0);
const QColor Purple(128, 0, 128);
const QColor Maroon(128, 0, 0);
const QColor Black(0, 0, 0);

constexpr int IconSize = 32;

void drawDisc(QImage& image) {
    // Distances from the pixel centres to the disc's centre, squared and doubled to stay in integers.
    for (int y = 0; y < IconSize; ++y) {
        for (int x = 0; x < IconSize; ++x) {
            const int dx = 2 * x + 1 - IconSize;
            const int dy = 2 * y + 1 - IconSize;
            const int distance2 = dx * dx + dy * dy;
            if (distance2 < 26 * 26) {
                image.setPixelColor(x, y, Teal);
            } else if (distance2 < 31 * 31) {
                // The rim: grey dots on a silver ring.
                image.setPixelColor(x, y, (x + y) % 2 == 0 ? Grey : Silver);
            }
        }
    }
}

void drawBolt(QPainter& painter) {
    // From the lower left up to the upper right with a jog in the middle, where the column hides it; a
    // black edge first, the yellow body over it.
    const QPolygon bolt({QPoint(4, 27), QPoint(10, 20), QPoint(23, 18), QPoint(27, 5)});
    painter.setPen(QPen(Black, 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(bolt);
    painter.setPen(QPen(Yellow, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPolyline(bolt);
}

void drawColumn(QPainter& painter) {
    // Two-pixel stripes from left to right; the column stands in front of disc and bolt.
    const QColor stripes[] = {Olive, Purple, Yellow, Grey};
    constexpr int left = 12;
    constexpr int top = 8;
    constexpr int bottom = 24;
    painter.fillRect(QRect(left - 1, top, 10, bottom - top + 1), Black);
    for (int stripe = 0; stripe < 4; ++stripe) {
        painter.fillRect(QRect(left + 2 * stripe, top, 2, bottom - top + 1), stripes[stripe]);
    }
    painter.fillRect(QRect(left - 2, top - 3, 12, 3), Maroon);
    painter.fillRect(QRect(left - 3, bottom + 1, 14, 3), Maroon);
    painter.fillRect(QRect(left - 3, bottom + 4, 14, 1), Black);
}

}  // namespace

QImage MirelundIconImage() {
    QImage image(IconSize, IconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    drawDisc(image);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawBolt(painter);
    drawColumn(painter);
    return image;
}

QIcon MirelundIcon() { return QIcon(QPixmap::fromImage(MirelundIconImage())); }
