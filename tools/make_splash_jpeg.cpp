// Draws the splash picture, a small glass valve on white, and writes it as ui/windows/resources/splash.jpg.
// Usage: make_splash_jpeg [output.jpg]
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

constexpr int PictureWidth = 105;
constexpr int PictureHeight = 207;

// The valve's outline: envelope from x = 24 to 70, domed top at y = 10, glass down to the base band.
constexpr double GlassLeft = 24;
constexpr double GlassRight = 70;
constexpr double GlassTop = 10;
constexpr double DomeDepth = 24;
constexpr double BandTop = 158;
constexpr double BandBottom = 176;
constexpr double PinBottom = 197;

QPainterPath envelopePath() {
    QPainterPath path;
    path.moveTo(GlassLeft, BandTop);
    path.lineTo(GlassLeft, GlassTop + DomeDepth);
    path.cubicTo(GlassLeft, GlassTop + 2, GlassRight, GlassTop + 2, GlassRight, GlassTop + DomeDepth);
    path.lineTo(GlassRight, BandTop);
    path.closeSubpath();
    return path;
}

// A soft shadow: the valve's silhouette leaning to the right, blurred by repeated box passes.
QImage shadowLayer() {
    QImage mask(PictureWidth, PictureHeight, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath silhouette;
        silhouette.moveTo(GlassRight - 6, PinBottom - 2);
        silhouette.lineTo(GlassRight + 14, PinBottom - 2);
        silhouette.lineTo(GlassRight + 22, GlassTop + 60);
        silhouette.cubicTo(GlassRight + 20, GlassTop + 40, GlassRight + 6, GlassTop + 40, GlassRight + 2,
                           GlassTop + 60);
        silhouette.closeSubpath();
        painter.fillPath(silhouette, QColor(150, 150, 150));
    }
    for (int pass = 0; pass < 4; ++pass) {
        QImage blurred = mask;
        for (int y = 0; y < PictureHeight; ++y) {
            for (int x = 0; x < PictureWidth; ++x) {
                int sum = 0;
                int count = 0;
                for (int dy = -2; dy <= 2; ++dy) {
                    for (int dx = -2; dx <= 2; ++dx) {
                        const int sx = x + dx;
                        const int sy = y + dy;
                        if (sx >= 0 && sx < PictureWidth && sy >= 0 && sy < PictureHeight) {
                            sum += mask.constScanLine(sy)[sx];
                            ++count;
                        }
                    }
                }
                blurred.scanLine(y)[x] = static_cast<uchar>(sum / count);
            }
        }
        mask = blurred;
    }
    return mask;
}

QImage drawValve() {
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);

    const QImage shadow = shadowLayer();
    for (int y = 0; y < PictureHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < PictureWidth; ++x) {
            const int darkening = shadow.constScanLine(y)[x];
            const int level = 255 - darkening * 3 / 4;
            line[x] = qRgb(level, level, level);
        }
    }

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    // Pins: a row of six metal legs, lit from the left.
    const double pinXs[] = {29, 36, 43, 51, 58, 65};
    for (double pinX : pinXs) {
        QLinearGradient metal(pinX, 0, pinX + 2.5, 0);
        metal.setColorAt(0.0, QColor(120, 120, 120));
        metal.setColorAt(0.4, QColor(235, 235, 235));
        metal.setColorAt(1.0, QColor(90, 90, 90));
        painter.fillRect(QRectF(pinX, BandBottom - 1, 2.5, PinBottom - BandBottom), metal);
    }

    // Glass: lit from the upper left, a cylinder shaded from white to grey across its width.
    QLinearGradient glass(GlassLeft, 0, GlassRight, 0);
    glass.setColorAt(0.0, QColor(170, 170, 172));
    glass.setColorAt(0.25, QColor(255, 255, 255));
    glass.setColorAt(0.55, QColor(222, 222, 224));
    glass.setColorAt(1.0, QColor(132, 132, 136));
    const QPainterPath envelope = envelopePath();
    painter.fillPath(envelope, glass);

    // The electrodes seen through the glass: the grey plate, its mica spacers and the silvered getter.
    painter.save();
    painter.setClipPath(envelope);
    QLinearGradient plate(GlassLeft + 9, 0, GlassRight - 9, 0);
    plate.setColorAt(0.0, QColor(95, 95, 98));
    plate.setColorAt(0.35, QColor(150, 150, 152));
    plate.setColorAt(1.0, QColor(70, 70, 72));
    painter.fillRect(QRectF(GlassLeft + 9, 62, GlassRight - GlassLeft - 18, 70), plate);
    painter.fillRect(QRectF(GlassLeft + 4, 58, GlassRight - GlassLeft - 8, 3), QColor(205, 200, 185));
    painter.fillRect(QRectF(GlassLeft + 4, 133, GlassRight - GlassLeft - 8, 3), QColor(205, 200, 185));
    painter.setPen(QPen(QColor(110, 110, 110), 1));
    painter.drawLine(QPointF(GlassLeft + 14, 136), QPointF(GlassLeft + 14, BandTop));
    painter.drawLine(QPointF(GlassRight - 14, 136), QPointF(GlassRight - 14, BandTop));
    QRadialGradient getter(QPointF(GlassLeft + 19, GlassTop + 14), 22);
    getter.setColorAt(0.0, QColor(235, 235, 238));
    getter.setColorAt(1.0, QColor(140, 140, 150, 0));
    painter.fillRect(QRectF(GlassLeft, GlassTop, GlassRight - GlassLeft, 36), getter);
    painter.restore();

    // A narrow highlight down the lit side of the glass.
    QLinearGradient highlight(GlassLeft + 5, 0, GlassLeft + 11, 0);
    highlight.setColorAt(0.0, QColor(255, 255, 255, 0));
    highlight.setColorAt(0.5, QColor(255, 255, 255, 230));
    highlight.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(GlassLeft + 5, GlassTop + 16, 6, BandTop - GlassTop - 24), highlight);

    painter.setPen(QPen(QColor(120, 120, 124), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(envelope);

    // The exhaust tip on top of the dome.
    const double middle = (GlassLeft + GlassRight) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(175, 175, 178));
    painter.drawRoundedRect(QRectF(middle - 2.5, GlassTop - 4, 5, 8), 2, 2);

    // The black base band with a faint sheen.
    QLinearGradient band(GlassLeft - 1, 0, GlassRight + 1, 0);
    band.setColorAt(0.0, QColor(10, 10, 10));
    band.setColorAt(0.3, QColor(70, 70, 70));
    band.setColorAt(0.6, QColor(20, 20, 20));
    band.setColorAt(1.0, QColor(0, 0, 0));
    painter.setBrush(band);
    painter.drawRoundedRect(QRectF(GlassLeft - 1, BandTop, GlassRight - GlassLeft + 2, BandBottom - BandTop), 2, 2);
    painter.end();
    return picture.convertToFormat(QImage::Format_RGB888);
}

QByteArray encodeJpeg(const QImage& picture, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // a developer tool: libjpeg's own report-and-exit is enough
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(picture.width());
    info.image_height = JDIMENSION(picture.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("ui/windows/resources/splash.jpg");
    const QByteArray jpeg = encodeJpeg(drawValve(), 92);
    QFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s: %d x %d, %lld bytes\n", qPrintable(output), PictureWidth, PictureHeight,
                static_cast<long long>(jpeg.size()));
    return 0;
}
