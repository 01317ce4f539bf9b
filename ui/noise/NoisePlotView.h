// The Noise page's plot surface: draws the noise plot at its own size and pixel ratio.
#pragma once

#include <QImage>
#include <QWidget>

#include "noise/NoisePlot.h"

class NoisePlotView : public QWidget {
    Q_OBJECT
public:
    explicit NoisePlotView(QWidget* parent = nullptr);

    // Shows new data; the picture is drawn when next painted or read.
    void setData(NoisePlotData data);
    const NoisePlotData& data() const { return data_; }
    const QImage& picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    NoisePlotData data_;
    mutable QImage picture_;
    mutable bool stale_ = true;
};
