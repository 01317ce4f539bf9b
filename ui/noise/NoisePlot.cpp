#include "noise/NoisePlot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

#include "common/Fonts.h"
#include "common/PlotParts.h"

namespace {

const QColor kBackground(255, 255, 255);
const QColor kMinorGrid(222, 222, 222);
const QColor kMajorGrid(150, 150, 150);
const QColor kLabel(0, 0, 0);
const QColor kNotice(160, 0, 0);
// The total in black; the contributions in colours that stay apart on white.
const std::array<QColor, 9> kColours{QColor(0, 0, 0),      QColor(220, 0, 0),   QColor(0, 110, 220),
                                     QColor(0, 150, 60),   QColor(230, 130, 0), QColor(140, 60, 180),
                                     QColor(0, 160, 170),  QColor(170, 110, 60), QColor(220, 80, 160)};

constexpr double kLeftMargin = 44;
constexpr double kRightMargin = 10;
constexpr double kTopMargin = 7;
constexpr double kBottomMargin = 17;
constexpr int kLabelPixels = 11;
constexpr double kLowHz = 20;
constexpr double kHighHz = 20000;
// Contributions this far below the total's peak are left to the bottom edge, not given decades.
constexpr double kDecadesBelowPeak = 3;

double Column(double hz, const QRectF& area) {
    return area.left() + std::log10(hz / kLowHz) / std::log10(kHighHz / kLowHz) * area.width();
}

struct Scale {
    double low = 0;   // decades (log10 of V/√Hz), or dB
    double high = 1;
    double step = 1;  // a labelled line every step
};

Scale DensityScale(const NoisePlotData& d) {
    double peak = -300;
    double floor = 300;
    for (std::size_t c = 0; c < d.curves.size(); ++c) {
        for (const double v : d.curves[c].values) {
            if (!(v > 0) || !std::isfinite(v)) continue;
            peak = std::max(peak, std::log10(v));
            floor = std::min(floor, std::log10(v));
        }
    }
    if (peak < floor) return {-9, -8, 1};
    const double high = std::ceil(peak + 0.05);
    const double low = std::max(std::floor(floor), high - kDecadesBelowPeak - 1);
    return {low, std::max(high, low + 1), 1};
}

Scale MarginScale(const NoisePlotData& d) {
    double low = 300;
    double high = -300;
    for (const NoisePlotCurve& c : d.curves) {
        for (const double v : c.values) {
            if (!std::isfinite(v)) continue;
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (low > high) return {0, 40, 10};
    const double step = high - low > 60 ? 20 : 10;
    low = std::floor(low / step) * step;
    high = std::max(std::ceil(high / step) * step, low + step);
    return {low, high, step};
}

double RowOf(double value, const Scale& s, const QRectF& area, bool logarithmic) {
    const double v = logarithmic ? std::log10(std::max(value, 1e-300)) : value;
    return area.bottom() - (v - s.low) / (s.high - s.low) * area.height();
}

QString DensityLabel(double decade) {
    // nV/√Hz on the axis: 1e-9 V is 1.
    const double nv = std::pow(10.0, decade + 9);
    if (nv >= 1) return QString::number(nv, 'g', 4);
    return QString::number(nv, 'g', 2);
}

void DrawGrid(QPainter& p, const QRectF& area, const Scale& s, bool density, qreal ratio) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(PixelFont(QStringLiteral("Arial"), kLabelPixels));
    const QFontMetricsF metrics(p.font());
    for (double decade = 10; decade <= kHighHz; decade *= 10) {
        for (int k = 1; k <= 9; ++k) {
            const double hz = decade * k;
            if (hz < kLowHz || hz > kHighHz) continue;
            const double x = SnapToDevicePixel(Column(hz, area), ratio);
            p.setPen(k == 1 ? kMajorGrid : kMinorGrid);
            p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
    }
    p.setPen(kLabel);
    for (const double hz : {20.0, 100.0, 1000.0, 10000.0, 20000.0}) {
        const QString text = PlotFrequencyLabel(hz);
        const double w = metrics.horizontalAdvance(text);
        const double x = std::clamp(Column(hz, area) - w / 2, 0.0, area.right() + kRightMargin - w);
        p.drawText(QPointF(x, area.bottom() + metrics.ascent() + 2), text);
    }
    for (double v = s.low; v <= s.high + 1e-9; v += s.step) {
        const double y = SnapToDevicePixel(RowOf(density ? std::pow(10.0, v) : v, s, area, density), ratio);
        p.setPen(kMajorGrid);
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        if (density && v < s.high) {
            p.setPen(kMinorGrid);
            for (int k = 2; k <= 9; ++k) {
                const double minor = SnapToDevicePixel(RowOf(k * std::pow(10.0, v), s, area, true), ratio);
                p.drawLine(QPointF(area.left(), minor), QPointF(area.right(), minor));
            }
        }
        const QString text = density ? DensityLabel(v) : QString::number(v) + QStringLiteral(" dB");
        p.setPen(kLabel);
        p.drawText(QPointF(area.left() - 4 - metrics.horizontalAdvance(text), y + metrics.ascent() / 2 - 1), text);
    }
    if (density) {
        p.save();
        p.translate(9, area.center().y());
        p.rotate(-90);
        const QString unit = QStringLiteral("nV/\u221AHz");
        p.drawText(QPointF(-metrics.horizontalAdvance(unit) / 2, 0), unit);
        p.restore();
    }
    p.setPen(kMajorGrid);
    p.drawRect(QRectF(SnapToDevicePixel(area.left(), ratio), SnapToDevicePixel(area.top(), ratio), area.width(),
                      area.height()));
}

void DrawCurves(QPainter& p, const NoisePlotData& d, const QRectF& area, const Scale& s) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.save();
    p.setClipRect(area.adjusted(0, -1, 0, 1));
    // The contributions first, the total over them.
    for (std::size_t c = d.curves.size(); c-- > 0;) {
        p.setPen(QPen(kColours[c % kColours.size()], c == 0 ? 2.0 : 1.25));
        // A polyline a run, broken where a value cannot be drawn: far cheaper to stroke than a path.
        QPolygonF run;
        const auto flush = [&] {
            if (run.size() > 1) p.drawPolyline(run);
            run.clear();
        };
        for (std::size_t k = 0; k < d.hz.size() && k < d.curves[c].values.size(); ++k) {
            const double v = d.curves[c].values[k];
            if (!std::isfinite(v) || (!d.margin && !(v > 0))) {
                flush();
                continue;
            }
            run << QPointF(Column(d.hz[k], area), std::clamp(RowOf(v, s, area, !d.margin), area.top() - 2, area.bottom() + 2));
        }
        flush();
    }
    p.restore();
}

// The names in columns at the top right, each after a stroke of its colour, on a clear patch: three
// columns for many curves, so that the legend stays in the top decade, above the curves.
void DrawLegend(QPainter& p, const NoisePlotData& d, const QRectF& area) {
    if (d.curves.size() < 2) return;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(PixelFont(QStringLiteral("Arial"), kLabelPixels));
    const QFontMetricsF metrics(p.font());
    double nameWidth = 0;
    for (const NoisePlotCurve& c : d.curves) nameWidth = std::max(nameWidth, metrics.horizontalAdvance(c.name));
    const double columnWidth = 16 + nameWidth + 8;
    const std::size_t columns = d.curves.size() > 6 ? 3 : 2;
    const std::size_t rows = (d.curves.size() + columns - 1) / columns;
    const double lineHeight = metrics.height();
    const QRectF box(area.right() - columns * columnWidth - 4, area.top() + 3, columns * columnWidth + 2,
                     rows * lineHeight + 2);
    p.fillRect(box, QColor(255, 255, 255, 235));
    for (std::size_t c = 0; c < d.curves.size(); ++c) {
        const double x = box.left() + 3 + (c / rows) * columnWidth;
        const double y = box.top() + 1 + (c % rows) * lineHeight;
        p.fillRect(QRectF(x, y + lineHeight / 2 - 1, 12, c == 0 ? 3 : 2), kColours[c % kColours.size()]);
        p.setPen(kLabel);
        p.drawText(QPointF(x + 16, y + metrics.ascent()), d.curves[c].name);
    }
}

}  // namespace

QImage drawNoisePlot(int width, int height, const NoisePlotData& data, qreal devicePixelRatio) {
    QImage image = NewPlotImage(width, height, devicePixelRatio, kBackground);
    if (image.isNull()) return image;
    const QRectF area(kLeftMargin, kTopMargin, std::max(1.0, width - kLeftMargin - kRightMargin),
                      std::max(1.0, height - kTopMargin - kBottomMargin));
    const Scale scale = data.margin ? MarginScale(data) : DensityScale(data);
    QPainter painter(&image);
    DrawGrid(painter, area, scale, !data.margin, devicePixelRatio);
    DrawCurves(painter, data, area, scale);
    DrawLegend(painter, data, area);
    DrawPlotNotice(painter, area, data.notice, kBackground, kNotice);
    return image;
}
