#include "graph/ButtonGlyphs.h"

#include <QPixmap>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kSide = 16;
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kDarkBlue = qRgb(0, 0, 128);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kSilver = qRgb(192, 192, 192);

// The disabled image greys the drawing out: outlines become grey, coloured parts silver and
// white stays white.
QRgb DisabledColour(QRgb colour) {
    if (colour == kGlyphTransparent || colour == kWhite) return colour;
    if (colour == kBlack) return kGrey;
    return kSilver;
}

template <class ColourAt>
QImage GlyphBitmap(ColourAt colourAt) {
    QImage bitmap(2 * kSide, kSide, QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const QRgb colour = colourAt(x, y);
            bitmap.setPixel(x, y, colour);
            bitmap.setPixel(kSide + x, y, DisabledColour(colour));
        }
    }
    return bitmap;
}

// The amplifier's triangle: base on column 3 over rows 1..13, tip at column 12 on row 7.
bool InsideTriangle(int x, int y) {
    if (x < 3 || x > 12) return false;
    const double halfHeight = 6.0 * (12 - x) / 9.0;
    return std::abs(y - 7) <= halfHeight + 1e-9;
}

QPixmap HalfOf(const QImage& bitmap, int half) {
    QImage image = bitmap.copy(half * kSide, 0, kSide, kSide).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) == (kGlyphTransparent & 0xFFFFFFu)) image.setPixel(x, y, 0);
        }
    }
    return QPixmap::fromImage(image);
}

}  // namespace

QImage AmplifierGlyphBitmap() {
    return GlyphBitmap([](int x, int y) {
        if (InsideTriangle(x, y)) {
            const bool edge = !InsideTriangle(x - 1, y) || !InsideTriangle(x + 1, y) ||
                              !InsideTriangle(x, y - 1) || !InsideTriangle(x, y + 1);
            return edge ? kBlack : kWhite;
        }
        // The input and output leads of the circuit symbol.
        if (y == 7 && (x < 3 || x > 12)) return kBlack;
        return kGlyphTransparent;
    });
}

QImage RecordGlyphBitmap() {
    return GlyphBitmap([](int x, int y) {
        const double dx = x + 0.5 - kSide / 2.0;
        const double dy = y + 0.5 - kSide / 2.0;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance <= 1.6) return kRed;
        if (distance <= 3.2) return kDarkBlue;
        if (distance <= 7.6) return kBlack;
        return kGlyphTransparent;
    });
}

QIcon GlyphIcon(const QImage& bitmap) {
    QIcon icon;
    if (bitmap.width() < 2 * kSide || bitmap.height() < kSide) return icon;
    icon.addPixmap(HalfOf(bitmap, 0), QIcon::Normal);
    icon.addPixmap(HalfOf(bitmap, 1), QIcon::Disabled);
    return icon;
}
