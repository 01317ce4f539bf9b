// The accuracy page's plot surface: draws the error plot at its own size and pixel ratio, reports the pointer.
#pragma once

#include <QImage>
#include <QWidget>

#include "ErrorPlot.h"

class ErrorPlotView : public QWidget {
    Q_OBJECT
public:
    explicit ErrorPlotView(const riaa::NumberLocale& locale, QWidget* parent = nullptr);

    // Shows new data, drawn at once at the surface's current size.
    void setData(ErrorPlotData data);
    const ErrorPlotData& data() const { return data_; }
    const QImage& picture() const { return picture_; }

signals:
    // Every move over the surface, in its own logical pixels.
    void pointerMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void redraw();

    riaa::NumberLocale locale_;
    ErrorPlotData data_;
    QImage picture_;
};
