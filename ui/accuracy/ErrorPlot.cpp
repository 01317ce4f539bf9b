#include "accuracy/ErrorPlot.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "common/Fonts.h"
#include "common/PlotParts.h"

namespace {

const QColor kBackground(255, 255, 255);
const QColor kMinorGrid(216, 216, 216);
const QColor kMajorGrid(150, 150, 150);
const QColor kZeroLine(0, 0, 0);
const QColor kCurve(220, 0, 0);
const QColor kBand(170, 200, 255);
const QColor kLabel(0, 0, 0);
const QColor kNotice(160, 0, 0);

// Room for the dB labels on the left and the frequency labels below; the right and top margins
// keep the outermost labels, centred on the grid's edges, inside the picture.
constexpr double kLeftMargin = 42;
constexpr double kRightMargin = 12;
constexpr double kTopMargin = 7;
constexpr double kBottomMargin = 17;
constexpr int kLabelPixels = 11;

const double kDecadesShown = std::log10(riaa::kErrorBandHighHz / riaa::kErrorBandLowHz);

// A decade narrower than this keeps only the decade labels, so that the 2 and 5 labels never touch.
constexpr double kRoomForSubDecadeLabels = 80;

// Scales up to 0.05 dB halve to three decimals (0.025); the others need fewer.
constexpr riaa::Pattern kScaleLabel{3, 0, true, false};

QString ScaleLabel(double db, const riaa::NumberLocale& locale) {
    if (db == 0) return QStringLiteral("0 dB");
    return QString::fromStdString(riaa::WithPlusSign(db, riaa::RenderNumber(db, kScaleLabel, locale)));
}

double Row(double db, double scale, const QRectF& area) {
    return area.center().y() - db / scale * area.height() / 2;
}

void DrawGrid(QPainter& painter, const QRectF& area, double scale, const riaa::NumberLocale& locale,
              qreal ratio) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font = PixelFont(QStringLiteral("Arial"), kLabelPixels);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double pixelsPerDecade = area.width() / kDecadesShown;

    // Vertical lines: every multiple 1..9 of each decade inside the band, its edges included.
    for (double decade = 10; decade <= riaa::kErrorBandHighHz; decade *= 10) {
        for (int multiple = 1; multiple <= 9; ++multiple) {
            const double hz = decade * multiple;
            if (hz < riaa::kErrorBandLowHz || hz > riaa::kErrorBandHighHz) continue;
            const double x = SnapToDevicePixel(ErrorPlotColumnOf(hz, area), ratio);
            const bool major = multiple == 1 || hz == riaa::kErrorBandLowHz || hz == riaa::kErrorBandHighHz;
            painter.setPen(QPen(major ? kMajorGrid : kMinorGrid, 0));
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));

            const bool labelled = major || ((multiple == 2 || multiple == 5) && pixelsPerDecade >= kRoomForSubDecadeLabels);
            if (!labelled) continue;
            QString text = PlotFrequencyLabel(hz);
            if (hz == riaa::kErrorBandLowHz) text += QStringLiteral(" Hz");
            const double textWidth = metrics.horizontalAdvance(text);
            // The first label starts at the grid's edge, clear of the lowest dB label to its left.
            const double centred = hz == riaa::kErrorBandLowHz ? x + textWidth / 2 - 2 : x;
            const double left = std::clamp(centred - textWidth / 2, 0.0, area.right() + kRightMargin - textWidth);
            painter.setPen(kLabel);
            painter.drawText(QRectF(left, area.bottom() + 2, textWidth + 1, metrics.height()),
                             Qt::AlignLeft | Qt::AlignTop, text);
        }
    }

    // Horizontal lines at the scale's full and half height either side of 0 dB.
    for (int step = -2; step <= 2; ++step) {
        const double db = scale * step / 2;
        const double y = SnapToDevicePixel(Row(db, scale, area), ratio);
        painter.setPen(QPen(step == 0 ? kZeroLine : (step % 2 == 0 ? kMajorGrid : kMinorGrid), 0));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        painter.setPen(kLabel);
        const QString text = ScaleLabel(db, locale);
        painter.drawText(QRectF(0, y - metrics.height() / 2, area.left() - 4, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

void DrawBand(QPainter& painter, const ErrorBand& band, const QRectF& area, double scale) {
    const std::size_t count = std::min({band.hz.size(), band.lowDb.size(), band.highDb.size()});
    if (count < 2) return;
    QPolygonF outline;
    for (std::size_t i = 0; i < count; ++i) {
        outline << QPointF(ErrorPlotColumnOf(band.hz[i], area), Row(band.highDb[i], scale, area));
    }
    for (std::size_t i = count; i-- > 0;) {
        outline << QPointF(ErrorPlotColumnOf(band.hz[i], area), Row(band.lowDb[i], scale, area));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBand);
    painter.drawPolygon(outline);
    painter.setBrush(Qt::NoBrush);
}

void DrawCurve(QPainter& painter, const std::vector<riaa::ErrorPoint>& curve, const QRectF& area, double scale) {
    QPainterPath path;
    bool started = false;
    for (const riaa::ErrorPoint& point : curve) {
        if (!std::isfinite(point.errorDb) || !(point.hz > 0)) {
            started = false;
            continue;
        }
        const QPointF at(ErrorPlotColumnOf(point.hz, area), Row(point.errorDb, scale, area));
        if (started) {
            path.lineTo(at);
        } else {
            path.moveTo(at);
            started = true;
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Round joins cost the stroker a trigonometric call per point; at this width bevels look the same.
    painter.setPen(QPen(kCurve, 1.5, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    painter.drawPath(path);
}

}  // namespace

double ErrorScaleDb(const ErrorPlotData& data) {
    double largest = 0;
    const auto take = [&largest](double db) {
        if (std::isfinite(db)) largest = std::max(largest, std::fabs(db));
    };
    for (const riaa::ErrorPoint& point : data.curve) take(point.errorDb);
    if (data.band) {
        for (double db : data.band->lowDb) take(db);
        for (double db : data.band->highDb) take(db);
    }
    for (double scale : kErrorScalesDb) {
        if (largest <= scale) return scale;
    }
    return kErrorScalesDb[std::size(kErrorScalesDb) - 1];
}

QRectF ErrorPlotArea(int width, int height) {
    const double areaWidth = std::max(0.0, width - kLeftMargin - kRightMargin);
    const double areaHeight = std::max(0.0, height - kTopMargin - kBottomMargin);
    return {kLeftMargin, kTopMargin, areaWidth, areaHeight};
}

double ErrorPlotFrequencyAt(double x, const QRectF& area) {
    if (area.width() <= 0) return riaa::kErrorBandLowHz;
    return riaa::kErrorBandLowHz * std::pow(10.0, (x - area.left()) / area.width() * kDecadesShown);
}

double ErrorPlotColumnOf(double hz, const QRectF& area) {
    return area.left() + std::log10(hz / riaa::kErrorBandLowHz) / kDecadesShown * area.width();
}

std::optional<double> ErrorAt(const std::vector<riaa::ErrorPoint>& curve, double hz) {
    if (curve.empty() || !(hz >= curve.front().hz) || !(hz <= curve.back().hz)) return std::nullopt;
    const auto above = std::lower_bound(curve.begin(), curve.end(), hz,
                                        [](const riaa::ErrorPoint& point, double f) { return point.hz < f; });
    if (above->hz == hz || above == curve.begin()) return above->errorDb;
    const auto below = above - 1;
    const double share = std::log(hz / below->hz) / std::log(above->hz / below->hz);
    return below->errorDb + share * (above->errorDb - below->errorDb);
}

QImage drawErrorPlot(int width, int height, const ErrorPlotData& data, const riaa::NumberLocale& locale,
                     qreal devicePixelRatio) {
    QImage image = NewPlotImage(width, height, devicePixelRatio, kBackground);
    if (image.isNull()) return image;

    const QRectF area = ErrorPlotArea(width, height);
    const double scale = ErrorScaleDb(data);
    QPainter painter(&image);
    DrawGrid(painter, area, scale, locale, devicePixelRatio);

    painter.save();
    painter.setClipRect(area);
    if (data.band) DrawBand(painter, *data.band, area, scale);
    DrawCurve(painter, data.curve, area, scale);
    painter.restore();

    DrawPlotNotice(painter, area, data.notice, kBackground, kNotice);
    return image;
}

QString ErrorPointerReadout(int x, int width, int height, const ErrorPlotData& data,
                            const riaa::NumberLocale& locale) {
    const QRectF area = ErrorPlotArea(width, height);
    if (area.width() <= 0 || x < area.left() || x > area.right()) return {};
    const double hz = ErrorPlotFrequencyAt(x, area);
    QString readout = QStringLiteral("| ") +
                      QString::fromStdString(riaa::RenderNumber(hz, riaa::patterns::Whole, locale)) +
                      QStringLiteral(" Hz");
    if (const std::optional<double> error = ErrorAt(data.curve, hz)) {
        readout += QStringLiteral("    ") + FormatErrorDb(*error, locale);
    }
    return readout;
}
