// The schematic of any design for the report: the circuit page's drawing of a passive network or the whole active stage, each part with its value.
#pragma once

#include <QRectF>
#include <QString>

#include "common/SchematicPrimitives.h"
#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"

struct DesignSchematic {
    SchematicDrawing drawing;
    QRectF bounds;    // where the drawing lies, its labels included: what a picture of it shows
    QString caption;  // the feedback network's formula for a stage; empty for a passive network
    // How large a drawing pixel prints, so that the names come out near 10 pt: the circuit page's
    // drawings are small and their names large, the stage's the other way round.
    double millimetresPerPixel = 0.26;
};

// A passive network is the circuit page's base drawing with Rs and RL drawn where the network has
// them in circuit, "in" and "out" under its terminals, and every part's value beside its name; the
// page's response sketch and relations stay on the page. A stage is StageSchematicOf.
DesignSchematic DesignSchematicOf(const riaa::BuiltNetwork& network, const riaa::NumberLocale& locale);
