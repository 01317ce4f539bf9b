// An active stage whole as drawing data: op-amp, input and ground legs, its feedback network and the section after it, every part with its value.
#pragma once

#include <QSizeF>
#include <QString>

#include "common/SchematicPrimitives.h"
#include "engine/BuiltNetwork.h"
#include "engine/Formats.h"

namespace schematic_colours {
// The values written beside the part names: a darker blue than the captions, so that a name and its value read apart.
inline const QColor kValue{0, 0, 150};
}  // namespace schematic_colours

// Every primitive lies inside (0, 0)-size; a view or the report scales it to its room.
struct StageSchematic {
    SchematicDrawing drawing;
    QSizeF size;
    QString formula;  // the feedback network's, "Zf = (R1 ∥ C1) + (R2 ∥ C2)": a caption for the drawing
};

// The value of an element as the pages write it: FormatResistance or FormatCapacitance (µF in).
QString PartValueText(riaa::ElementKind element, double value, const riaa::NumberLocale& locale);

// A value label to the right of a part's name label, on the same line, in the value colour.
TextPrimitive ValueBeside(const TextPrimitive& name, const QString& value);

// The stage as built: the op-amp with + and − marked; R0 (and C0) from the − input to ground, or Rin
// (and C0) into it; the feedback network of its form as the Active stage page draws it; then R3 with
// C3 to ground, Cout and RL, each where the design has it. A passive network gives an empty drawing.
StageSchematic StageSchematicOf(const riaa::BuiltNetwork& stage, const riaa::NumberLocale& locale);
