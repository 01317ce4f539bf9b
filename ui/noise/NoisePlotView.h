// The Noise page's plot surface: draws the noise plot at its own size and pixel ratio.
#pragma once

#include "common/CachedPlotView.h"
#include "noise/NoisePlot.h"

class NoisePlotView : public CachedPlotView {
    Q_OBJECT
public:
    explicit NoisePlotView(QWidget* parent = nullptr);

    // Shows new data; the picture is drawn when next painted or read.
    void setData(NoisePlotData data);
    const NoisePlotData& data() const { return data_; }

protected:
    QImage drawPicture(int width, int height, qreal devicePixelRatio) const override;

private:
    NoisePlotData data_;
};
