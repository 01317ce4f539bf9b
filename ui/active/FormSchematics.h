// The feedback networks of the active stages as small schematics, one drawing per form, as data.
#pragma once

#include <QSize>
#include <QString>

#include "engine/BuiltNetwork.h"
#include "common/SchematicPrimitives.h"

// Form A without C2 is also the two-stage network: (R1 ∥ C1) in series with R2.
enum class FormDrawing { A, B, C, D, AWithoutC2 };
inline constexpr int kFormDrawingCount = 5;

// The drawing area; every primitive of every drawing lies inside it.
inline constexpr QSize kFormSchematicSize{280, 120};

struct FormSchematic {
    QString formula;  // "Zf = (R1 ∥ C1) + (R2 ∥ C2)": the drawing's caption and what a screen reader says
    SchematicDrawing drawing;
};

// Built once on first use and never changed.
const FormSchematic& FormSchematicOf(FormDrawing drawing);

// The drawing of a stage's network: two stages draw their own, and a curve without a treble pole leaves out C2.
FormDrawing DrawingFor(riaa::DesignKind stage, riaa::NetworkForm form, bool curveHasTreblePole);
