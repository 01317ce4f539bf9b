#include "graph/GraphImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Far beyond any screen, and still far inside an int.
constexpr double kPointerLimit = 1e9;

int PointerCoordinate(double value) {
    return static_cast<int>(std::clamp(std::floor(value), -kPointerLimit, kPointerLimit));
}
}  // namespace

GraphImage::GraphImage(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphImage::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void GraphImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Stretched pixel for pixel, without smoothing, like the picture it stands for.
    painter.drawImage(rect(), picture_);
}

void GraphImage::mouseMoveEvent(QMouseEvent* event) {
    const QPointF position = event->position();
    // A NaN would slip through the clamp; no real pointer reports one.
    if (std::isnan(position.x()) || std::isnan(position.y())) return;
    emit pointerMoved(PointerCoordinate(position.x()), PointerCoordinate(position.y()));
}
