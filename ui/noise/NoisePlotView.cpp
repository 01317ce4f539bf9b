#include "noise/NoisePlotView.h"

NoisePlotView::NoisePlotView(QWidget* parent) : CachedPlotView(parent) {}

void NoisePlotView::setData(NoisePlotData data) {
    data_ = std::move(data);
    invalidate();
}

QImage NoisePlotView::drawPicture(int width, int height, qreal devicePixelRatio) const {
    return drawNoisePlot(width, height, data_, devicePixelRatio);
}
