#include "accuracy/ErrorPlotView.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Far beyond any screen, and still far inside an int.
constexpr double kPointerLimit = 1e9;

int PointerCoordinate(double value) { return static_cast<int>(std::clamp(std::floor(value), -kPointerLimit, kPointerLimit)); }
}  // namespace

ErrorPlotView::ErrorPlotView(const riaa::NumberLocale& locale, QWidget* parent) : QWidget(parent), locale_(locale) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ErrorPlotView::setData(ErrorPlotData data) {
    data_ = std::move(data);
    invalidate();
}

void ErrorPlotView::invalidate() {
    pictureStale_ = true;
    update();
}

const QImage& ErrorPlotView::picture() const {
    // Also drawn anew after a move to a screen of another pixel ratio.
    if (pictureStale_ || (!picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF())) {
        picture_ = drawErrorPlot(width(), height(), data_, locale_, devicePixelRatioF());
        pictureStale_ = false;
    }
    return picture_;
}

void ErrorPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Drawn anew rather than stretched: the labels and lines keep their size as the plot grows.
    invalidate();
}

void ErrorPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& image = picture();
    if (image.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPointF(0, 0), image);
}

void ErrorPlotView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    if (!std::isfinite(position.x()) || !std::isfinite(position.y())) return;
    emit pointerMoved(PointerCoordinate(position.x()), PointerCoordinate(position.y()));
}
