#include "graph/ResponseGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "engine/RiaaResponse.h"

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kGridColour = qRgb(0, 0, 0);
constexpr QRgb kInverseColour = qRgb(255, 0, 0);
constexpr QRgb kPlaybackColour = qRgb(0, 0, 255);
constexpr QRgb kRecordColour = qRgb(0, 128, 0);

// Nearest integer, halves to even, as the graph's geometry asks. Callers only pass values that a
// pixel coordinate can hold; anything else is pinned to `limit` so that no cast overflows.
int RoundToPixel(double value, int limit) {
    const double rounded = std::nearbyint(value);
    if (!(rounded > -limit)) return -limit;  // also catches NaN
    if (rounded > limit) return limit;
    return static_cast<int>(rounded);
}

// A bitmap with one pen, drawn to with move-to and line-to. The pen position may lie anywhere;
// only the pixels inside the bitmap are painted.
class PenCanvas {
public:
    explicit PenCanvas(QImage& image) : image_(image) {}

    void setPen(QRgb colour, int width) {
        colour_ = colour;
        width_ = width;
    }

    void moveTo(int x, int y) {
        x_ = x;
        y_ = y;
    }

    // A line from the pen position to (x, y); the end point itself is left for the next line.
    void lineTo(int x, int y) {
        const std::int64_t dx = std::llabs(std::int64_t{x} - x_);
        const std::int64_t dy = std::llabs(std::int64_t{y} - y_);
        const int stepX = x >= x_ ? 1 : -1;
        const int stepY = y >= y_ ? 1 : -1;
        const bool mostlyHorizontal = dx >= dy;
        std::int64_t error = (mostlyHorizontal ? dx : dy) / 2;
        std::int64_t px = x_;
        std::int64_t py = y_;
        const std::int64_t steps = std::max(dx, dy);
        for (std::int64_t i = 0; i < steps; ++i) {
            plotWithPen(px, py, mostlyHorizontal);
            if (mostlyHorizontal) {
                px += stepX;
                error -= dy;
                if (error < 0) {
                    py += stepY;
                    error += dx;
                }
            } else {
                py += stepY;
                error -= dx;
                if (error < 0) {
                    px += stepX;
                    error += dy;
                }
            }
        }
        moveTo(x, y);
    }

private:
    // A wide pen lays a run of pixels across the line, centred so that a 2-pixel pen on row y
    // covers rows y - 1 and y, as a pen centred on the line between those rows does.
    void plotWithPen(std::int64_t x, std::int64_t y, bool acrossIsVertical) {
        for (int offset = -(width_ / 2); offset <= (width_ - 1) / 2; ++offset) {
            if (acrossIsVertical) {
                plot(x, y + offset);
            } else {
                plot(x + offset, y);
            }
        }
    }

    void plot(std::int64_t x, std::int64_t y) {
        if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
        reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)))[x] = colour_;
    }

    QImage& image_;
    QRgb colour_ = kGridColour;
    int width_ = 1;
    int x_ = 0;
    int y_ = 0;
};

// Every point the graph computes lies within the bitmap or a few pixels off it; the limit only
// guards the conversion to int.
constexpr int kPixelLimit = std::numeric_limits<int>::max() / 4;

void DrawGrid(PenCanvas& canvas, int width, int height) {
    canvas.setPen(kGridColour, 1);
    // Decade lines and the multiples 2..10 inside each decade, from 20 Hz up to 10 kHz.
    for (int decade = 1; decade <= 3; ++decade) {
        for (int multiplier = 2; multiplier <= 10; ++multiplier) {
            const double frequency = std::nearbyint(riaa::Power(10, decade) * multiplier);
            const int x = RoundToPixel(std::log10(frequency / 10) * width / 2 / kGraphScale, kPixelLimit);
            canvas.moveTo(x, 0);
            canvas.lineTo(x, height);
        }
    }
    // Levels +15 dB to -15 dB in steps of 5 dB.
    for (int n = 1; n <= 7; ++n) {
        const int y = n * (height / 8);
        canvas.moveTo(0, y);
        canvas.lineTo(width, y);
    }
}

// One curve sampled at every column; the start point joins its first sample by a short stroke.
template <class LevelFunction>
void DrawCurve(PenCanvas& canvas, int width, int height, int startY, LevelFunction level) {
    canvas.moveTo(0, startY);
    for (int x = 0; x <= width; ++x) {
        canvas.lineTo(x, GraphRowAt(level(GraphFrequencyAt(x, width)), height));
    }
}

}  // namespace

double GraphFrequencyAt(double x, int width) {
    const double perUnit = width / kGraphScale;
    const double scale = riaa::Power(10, x / perUnit);
    return 10 * (scale * scale);
}

int GraphRowAt(double level, int height) {
    return RoundToPixel((level - 20) * (-static_cast<double>(height)) / 40, kPixelLimit);
}

double GraphLevelAt(double y, int height) { return (-y / height) * 40 + 20; }

QImage drawResponseGraph(int width, int height, CurveSelection curves) {
    if (width <= 0 || height <= 0) return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(kWhite);

    PenCanvas canvas(image);
    DrawGrid(canvas, width, height);
    if (curves.inverse) {
        canvas.setPen(kInverseColour, 1);
        DrawCurve(canvas, width, height, 1, riaa::InverseCurveLevel);
    }
    if (curves.playback) {
        canvas.setPen(kPlaybackColour, 2);
        canvas.moveTo(0, height / 2);
        canvas.lineTo(width, height / 2);
    }
    if (curves.record) {
        canvas.setPen(kRecordColour, 1);
        DrawCurve(canvas, width, height, height, riaa::RecordCurveLevel);
    }
    return image;
}

QImage drawResponseGraph(int width, int height, CurveSelection curves, double devicePixelRatio) {
    if (width <= 0 || height <= 0) return {};
    // A ratio the screen cannot mean is taken as the plain one rather than as no picture at all.
    if (!(devicePixelRatio > 0) || !std::isfinite(devicePixelRatio)) devicePixelRatio = 1;
    // Even a screen coarser than its logical pixels keeps at least one device pixel of picture.
    const double deviceWidth = std::max(1.0, std::nearbyint(width * devicePixelRatio));
    const double deviceHeight = std::max(1.0, std::nearbyint(height * devicePixelRatio));
    if (deviceWidth > kPixelLimit || deviceHeight > kPixelLimit) return {};
    QImage image =
        drawResponseGraph(static_cast<int>(deviceWidth), static_cast<int>(deviceHeight), curves);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QString PointerReadout(int x, int y, int width, int height, const riaa::NumberLocale& locale) {
    if (width <= 0 || height <= 0) return {};
    const std::string level = riaa::FormatDecibels(GraphLevelAt(y, height), locale);
    // Dragged far to the right the frequency outgrows every integer type and, at last, the double
    // itself; it stays a whole number written from the double, pinned to the largest one.
    double frequency = std::nearbyint(GraphFrequencyAt(x, width));
    if (!std::isfinite(frequency)) frequency = std::numeric_limits<double>::max();
    // Far to the left the frequency rounds to 0, which is still written as a digit.
    const std::string hertz = riaa::RenderNumber(frequency, riaa::patterns::WholeOrZero, locale);
    return QStringLiteral("| ") + QString::fromStdString(level) + QStringLiteral("    ") +
           QString::fromStdString(hertz) + QStringLiteral(" Hz");
}

LevelLabelTops PlaceLevelLabels(int imageTop, int imageHeight) {
    // Half the labels' height of 14 puts each label's middle on its level.
    constexpr int kHalfLabel = 7;
    const int quarter = imageHeight / 4;
    return {imageTop + quarter - kHalfLabel, imageTop + 2 * quarter - kHalfLabel,
            imageTop + 3 * quarter - kHalfLabel, imageTop + imageHeight - kHalfLabel};
}
