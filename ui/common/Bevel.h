// Frames of the pages: an etched rectangle, or a lowered or raised box, drawn in the palette's 3D colours.
#pragma once

#include <QWidget>

class Bevel : public QWidget {
    Q_OBJECT
public:
    enum class Shape { EtchedFrame, LoweredBox, RaisedBars };
    explicit Bevel(Shape shape, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape shape_;
};
