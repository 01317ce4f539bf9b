// The accuracy page's plot surface: draws the error plot at its own size and pixel ratio, reports the pointer.
#pragma once

#include <QImage>
#include <QWidget>

#include "accuracy/ErrorPlot.h"

class ErrorPlotView : public QWidget {
    Q_OBJECT
public:
    explicit ErrorPlotView(const riaa::NumberLocale& locale, QWidget* parent = nullptr);

    // Shows new data. The picture is drawn when it is next painted or read, so a calculation made
    // while another page is shown costs no drawing.
    void setData(ErrorPlotData data);
    const ErrorPlotData& data() const { return data_; }
    // The picture at the surface's current size and pixel ratio.
    const QImage& picture() const;

signals:
    // Every move over the surface, in its own logical pixels.
    void pointerMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void invalidate();

    riaa::NumberLocale locale_;
    ErrorPlotData data_;
    mutable QImage picture_;
    mutable bool pictureStale_ = true;
};
