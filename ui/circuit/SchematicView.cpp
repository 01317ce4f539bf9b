#include "circuit/SchematicView.h"

#include "circuit/SchematicPages.h"

#include <QPainter>

SchematicOverlay::SchematicOverlay(const QString& name, QObject* parent) : QObject(parent) { setObjectName(name); }

void SchematicOverlay::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    emit visibleChanged(visible);
}

SchematicView::SchematicView(QWidget* parent) : QWidget(parent) {
    static_assert(std::tuple_size_v<decltype(rsOverlays_)> == kSchematicPageCount);
    setObjectName(QStringLiteral("Notebook2"));
    setFixedSize(kWidth, kHeight);
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int circuit = 0; circuit < kSchematicPageCount; ++circuit) {
        rsOverlays_[static_cast<std::size_t>(circuit)] = new SchematicOverlay(RsOverlayName(circuit), this);
        rlOverlays_[static_cast<std::size_t>(circuit)] = new SchematicOverlay(RLOverlayName(circuit), this);
    }
}

void SchematicView::showCircuit(int circuit) {
    if (circuit < 0 || circuit >= kSchematicPageCount || circuit == currentCircuit_)
        return;
    currentCircuit_ = circuit;
    update();
}

void SchematicView::setRsOverlaysVisible(bool visible) {
    for (auto* overlay : rsOverlays_)
        overlay->setVisible(visible);
    update();
}

void SchematicView::setRLOverlaysVisible(bool visible) {
    for (auto* overlay : rlOverlays_)
        overlay->setVisible(visible);
    update();
}

void SchematicView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), schematic_colours::kBackground);
    const auto index = static_cast<std::size_t>(currentCircuit_);
    for (const auto& layer : SchematicPages()[index].layers) {
        if (layer.role == SchematicLayerRole::RsOverlay && !rsOverlays_[index]->isVisible())
            continue;
        if (layer.role == SchematicLayerRole::RLOverlay && !rlOverlays_[index]->isVisible())
            continue;
        PaintDrawing(painter, layer.drawing);
    }
}
