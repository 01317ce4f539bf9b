#include "common/PlotParts.h"

#include <QFontMetricsF>
#include <cmath>

#include "common/Fonts.h"

QImage NewPlotImage(int width, int height, qreal devicePixelRatio, const QColor& background) {
    if (width < 1 || height < 1 || !(devicePixelRatio > 0)) return {};
    const double deviceWidth = std::ceil(width * devicePixelRatio);
    const double deviceHeight = std::ceil(height * devicePixelRatio);
    // Far beyond any screen; QImage would fail on its own, but only after an overflowing multiply.
    constexpr double kLargestSide = 32767;
    if (deviceWidth > kLargestSide || deviceHeight > kLargestSide) return {};
    QImage image(static_cast<int>(deviceWidth), static_cast<int>(deviceHeight), QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(background);
    return image;
}

QString PlotFrequencyLabel(double hz) {
    if (hz >= 1000) return QString::number(hz / 1000) + QLatin1Char('k');
    return QString::number(hz);
}

void DrawPlotNotice(QPainter& painter, const QRectF& area, const QString& notice, const QColor& background,
                    const QColor& ink) {
    if (notice.isEmpty()) return;
    const QFont font = PixelFont(QStringLiteral("Arial"), 12, true);
    painter.setFont(font);
    const QRectF room = area.adjusted(10, 0, -10, 0);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    painter.fillRect(QFontMetricsF(font).boundingRect(room, flags, notice).adjusted(-4, -2, 4, 2), background);
    painter.setPen(ink);
    painter.drawText(room, flags, notice);
}
