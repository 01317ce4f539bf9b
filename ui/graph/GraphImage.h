// The graph page's drawing surface: shows its picture stretched and reports pointer moves.
#pragma once

#include <QImage>
#include <QWidget>

class GraphImage : public QWidget {
    Q_OBJECT
public:
    explicit GraphImage(QWidget* parent = nullptr);

    // The picture is kept at the size and pixel ratio it was drawn with and stretched to the
    // surface when painted; one drawn for this screen's ratio and size maps pixel for pixel.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

signals:
    // Every move over the surface, and moves anywhere while a button pressed on it is held;
    // coordinates are the surface's own pixels.
    void pointerMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};
