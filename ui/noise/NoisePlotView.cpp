#include "noise/NoisePlotView.h"

#include <QPainter>

NoisePlotView::NoisePlotView(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void NoisePlotView::setData(NoisePlotData data) {
    data_ = std::move(data);
    stale_ = true;
    update();
}

const QImage& NoisePlotView::picture() const {
    // Also drawn anew after a move to a screen of another pixel ratio.
    if (stale_ || (!picture_.isNull() && picture_.devicePixelRatio() != devicePixelRatioF())) {
        picture_ = drawNoisePlot(width(), height(), data_, devicePixelRatioF());
        stale_ = false;
    }
    return picture_;
}

void NoisePlotView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    stale_ = true;
}

void NoisePlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& image = picture();
    if (image.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPointF(0, 0), image);
}
