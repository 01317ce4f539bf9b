#include "common/CachedPlotView.h"

#include <QPainter>

CachedPlotView::CachedPlotView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CachedPlotView::invalidate() {
    stale_ = true;
    update();
}

const QImage& CachedPlotView::picture() const {
    // Also drawn anew after a move to a screen of another pixel ratio.
    if (stale_ || (!picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF())) {
        picture_ = drawPicture(width(), height(), devicePixelRatioF());
        stale_ = false;
    }
    return picture_;
}

void CachedPlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Drawn anew rather than stretched: the labels and lines keep their size as the plot grows.
    invalidate();
}

void CachedPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& image = picture();
    if (image.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPointF(0, 0), image);
}
