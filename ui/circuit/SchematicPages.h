// The six schematic pages as data: each page's layers, in painting order, built from the schematic symbols.
#pragma once

#include "common/SchematicPrimitives.h"

#include <QRectF>
#include <QString>

#include <vector>

inline constexpr int kSchematicPageCount = 6;

enum class SchematicLayerRole { Caption, Base, RsOverlay, RLOverlay, Sketch, Equations };

struct SchematicLayer {
    QString name;          // the component name the drawing is known by, e.g. "ImageRsa"
    SchematicLayerRole role;
    QRectF rectangle;      // where the layer sits on the page; its primitives stay inside it
    SchematicDrawing drawing;  // in page coordinates
};

struct SchematicPage {
    QString circuitName;
    std::vector<SchematicLayer> layers;  // first listed is painted first
};

// Built once on first use and never changed; index = circuit index.
const std::vector<SchematicPage>& SchematicPages();

// The object names of the overlays of a circuit's page ("ImageRsa" ... "ImageRsf", "ImageRLa" ... "ImageRLf").
QString RsOverlayName(int circuit);
QString RLOverlayName(int circuit);
