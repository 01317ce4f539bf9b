// The accuracy page's plot surface: draws the error plot at its own size and pixel ratio, reports the pointer.
#pragma once

#include "accuracy/ErrorPlot.h"
#include "common/CachedPlotView.h"

class ErrorPlotView : public CachedPlotView {
    Q_OBJECT
public:
    explicit ErrorPlotView(const riaa::NumberLocale& locale, QWidget* parent = nullptr);

    // Shows new data; the picture is drawn when next painted or read.
    void setData(ErrorPlotData data);
    const ErrorPlotData& data() const { return data_; }

signals:
    // Every move over the surface, in its own logical pixels.
    void pointerMoved(int x, int y);

protected:
    QImage drawPicture(int width, int height, qreal devicePixelRatio) const override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    riaa::NumberLocale locale_;
    ErrorPlotData data_;
};
