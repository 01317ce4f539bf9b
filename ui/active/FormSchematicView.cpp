#include "active/FormSchematicView.h"

#include <QPainter>

FormSchematicView::FormSchematicView(QWidget* parent) : QWidget(parent) {
    setFixedSize(kFormSchematicSize);
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Feedback network"));
    setAccessibleDescription(FormSchematicOf(drawing_).formula);
}

void FormSchematicView::showDrawing(FormDrawing drawing) {
    if (drawing == drawing_) return;
    drawing_ = drawing;
    setAccessibleDescription(FormSchematicOf(drawing_).formula);
    update();
}

void FormSchematicView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), schematic_colours::kBackground);
    PaintDrawing(painter, FormSchematicOf(drawing_).drawing);
}
