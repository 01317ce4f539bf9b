#include "accuracy/ErrorPlotView.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>

namespace {
// Far beyond any screen, and still far inside an int.
constexpr double kPointerLimit = 1e9;

int PointerCoordinate(double value) { return static_cast<int>(std::clamp(std::floor(value), -kPointerLimit, kPointerLimit)); }
}  // namespace

ErrorPlotView::ErrorPlotView(const riaa::NumberLocale& locale, QWidget* parent)
    : CachedPlotView(parent), locale_(locale) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

void ErrorPlotView::setData(ErrorPlotData data) {
    data_ = std::move(data);
    invalidate();
}

QImage ErrorPlotView::drawPicture(int width, int height, qreal devicePixelRatio) const {
    return drawErrorPlot(width, height, data_, locale_, devicePixelRatio);
}

void ErrorPlotView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    if (!std::isfinite(position.x()) || !std::isfinite(position.y())) return;
    emit pointerMoved(PointerCoordinate(position.x()), PointerCoordinate(position.y()));
}
