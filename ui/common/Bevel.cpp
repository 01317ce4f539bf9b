#include "common/Bevel.h"

#include <QPainter>

Bevel::Bevel(Shape shape, QWidget* parent) : QWidget(parent), shape_(shape) {
    // A frame only draws lines: the pointer and the controls inside it belong to what lies beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents, shape_ != Shape::RaisedBars);
}

void Bevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const int right = width() - 1;
    const int bottom = height() - 1;
    switch (shape_) {
        case Shape::EtchedFrame:
            // A groove: shadow rectangle, with a highlight rectangle one pixel down and right.
            painter.setPen(light);
            painter.drawRect(1, 1, right - 1, bottom - 1);
            painter.setPen(shadow);
            painter.drawRect(0, 0, right - 1, bottom - 1);
            break;
        case Shape::LoweredBox:
            painter.setPen(shadow);
            painter.drawLine(0, 0, right, 0);
            painter.drawLine(0, 0, 0, bottom);
            painter.setPen(light);
            painter.drawLine(0, bottom, right, bottom);
            painter.drawLine(right, 0, right, bottom);
            break;
        case Shape::RaisedBars:
            painter.fillRect(rect(), palette().color(QPalette::Button));
            painter.setPen(light);
            painter.drawLine(0, 0, right, 0);
            painter.setPen(shadow);
            painter.drawLine(0, bottom, right, bottom);
            break;
    }
}
