#include "active/StageSchematicView.h"

#include <QPainter>

#include <algorithm>

StageSchematicView::StageSchematicView(const QSize& size, QWidget* parent) : QWidget(parent) {
    setFixedSize(size);
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Stage"));
}

void StageSchematicView::showStage(const riaa::BuiltNetwork& stage, const riaa::NumberLocale& locale) {
    schematic_ = StageSchematicOf(stage, locale);
    setAccessibleDescription(schematic_.formula);
    update();
}

void StageSchematicView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), schematic_colours::kBackground);
    if (schematic_.drawing.empty()) return;
    // The whole stage, centred, never larger than drawn: a smaller view scales it down as vectors.
    const double scale = std::min({1.0, width() / schematic_.size.width(), height() / schematic_.size.height()});
    painter.translate((width() - schematic_.size.width() * scale) / 2, (height() - schematic_.size.height() * scale) / 2);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintDrawing(painter, schematic_.drawing);
}
