// A plot surface that keeps its picture until its data, size or pixel ratio changes.
#pragma once

#include <QImage>
#include <QWidget>

class CachedPlotView : public QWidget {
    Q_OBJECT
public:
    explicit CachedPlotView(QWidget* parent = nullptr);

    // The picture at the surface's current size and pixel ratio.
    const QImage& picture() const;

protected:
    // The picture drawn anew at this size and ratio; a null image leaves the window colour showing.
    virtual QImage drawPicture(int width, int height, qreal devicePixelRatio) const = 0;
    // New data: the picture is drawn when it is next painted or read, so a calculation made while
    // another page is shown costs no drawing.
    void invalidate();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    mutable QImage picture_;
    mutable bool stale_ = true;
};
