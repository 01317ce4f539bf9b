#include "ErrorPlotView.h"

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
    redraw();
}

void ErrorPlotView::redraw() {
    picture_ = drawErrorPlot(width(), height(), data_, locale_, devicePixelRatioF());
    update();
}

void ErrorPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Drawn anew rather than stretched: the labels and lines keep their size as the plot grows.
    redraw();
}

void ErrorPlotView::paintEvent(QPaintEvent*) {
    // Moved to a screen of another pixel ratio since the last drawing.
    if (!picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF()) {
        picture_ = drawErrorPlot(width(), height(), data_, locale_, devicePixelRatioF());
    }
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPointF(0, 0), picture_);
}

void ErrorPlotView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    if (!std::isfinite(position.x()) || !std::isfinite(position.y())) return;
    emit pointerMoved(PointerCoordinate(position.x()), PointerCoordinate(position.y()));
}
