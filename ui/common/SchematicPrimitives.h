// The vector primitives of the schematic drawings, the symbol builder and the one painter that draws them.
#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <variant>
#include <vector>

class QPainter;

namespace schematic_colours {
inline const QColor kBackground{227, 227, 227};
inline const QColor kWire{41, 41, 41};
inline const QColor kSymbol{0, 0, 0};
inline const QColor kTerminalFill{255, 255, 255};
inline const QColor kText{0, 0, 0};
inline const QColor kCaption{0, 0, 255};
inline const QColor kCurve{255, 0, 0};
inline const QColor kMarker{0, 0, 255};
inline const QColor kLevelLabel{255, 0, 0};
}  // namespace schematic_colours

// An open line through the points, 1 px wide.
struct PolylinePrimitive {
    QList<QPointF> points;
    QColor colour;
};

// A filled area without outline: the masks that cut wires and the heads of span arrows.
struct FilledPolygonPrimitive {
    QList<QPointF> points;
    QColor colour;
};

// A filled circle with a 1 px outline: terminals and the junction dot.
struct CirclePrimitive {
    QPointF centre;
    double diameter = 0;
    QColor outline;
    QColor fill;
};

// A run of Arial text on a transparent background; topLeft is the corner of the text's cell.
struct TextPrimitive {
    QString text;
    QPointF topLeft;
    double pixelSize = 0;
    QColor colour;
};

using SchematicPrimitive = std::variant<PolylinePrimitive, FilledPolygonPrimitive, CirclePrimitive, TextPrimitive>;
using SchematicDrawing = std::vector<SchematicPrimitive>;

// Collects a schematic in its building order, whatever order the calls come in: all wires first, then the masks
// that cut them under the symbols, the symbol strokes, the terminals and dots, and the labels last.
class SchematicBuilder {
public:
    void wire(QList<QPointF> points);
    // A wire laid out as 8 px dashes and 4 px gaps from its first point; a dash runs on around a corner.
    void dashedWire(const QList<QPointF>& points);

    // A resistor in a horizontal wire at y from x = left to x = right; the first swing goes up.
    void horizontalResistor(double left, double right, double y);
    // A resistor in a vertical wire at x, drawn from its lower end upwards; the first swing goes left.
    void verticalResistor(double x, double lower, double upper);
    // A capacitor in a vertical wire at x: horizontal plates at y = topPlate and bottomPlate from left to right.
    void capacitorInVerticalWire(double x, double topPlate, double bottomPlate, double left, double right);
    // A capacitor in a horizontal wire at y: vertical plates at x = leftPlate and rightPlate from top to bottom.
    void capacitorInHorizontalWire(double y, double leftPlate, double rightPlate, double top, double bottom);
    // The ground lead at x from leadTop down to the first bar, and the four bars below it.
    void ground(double x, double leadTop, double firstBar);

    void terminal(QPointF centre);
    void junctionDot(QPointF centre);
    void label(const QString& text, QPointF topLeft, double pixelSize, const QColor& colour = schematic_colours::kText);

    SchematicDrawing build() const;

private:
    SchematicDrawing wires_;
    SchematicDrawing masks_;
    SchematicDrawing symbols_;
    SchematicDrawing terminals_;
    SchematicDrawing labels_;
};

// Cuts a path into 8 px dashes with 4 px gaps, measured from its first point; dashes bend around corners.
std::vector<QList<QPointF>> DashPieces(const QList<QPointF>& path, double dashLength = 8, double gapLength = 4);

// The same drawing moved by an offset: one overlay drawing serves the narrow and the wide frame.
SchematicDrawing Translated(const SchematicDrawing& drawing, QPointF offset);

// Paints the primitives in list order. Coordinate v names the centre of pixel v, so that a 1 px line at an
// integral coordinate lights exactly one row or column in the wire colour, without anti-aliasing grey.
void PaintDrawing(QPainter& painter, const SchematicDrawing& drawing);
