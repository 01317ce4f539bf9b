#include "common/SchematicPrimitives.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <array>
#include <cmath>

namespace {

// The zigzag of every resistor: eight points over 29 px along the wire, three peaks to each side.
constexpr double kResistorLength = 29;
constexpr std::array<double, 8> kHorizontalZigzagAlong{0, 2.3, 7.1, 11.9, 16.8, 21.6, 26.4, 29};
constexpr std::array<double, 8> kVerticalZigzagAlong{0, 2.6, 7.4, 12.2, 17.0, 21.8, 26.6, 29};
constexpr std::array<double, 8> kZigzagAcross{0, -4.8, 4.8, -4.8, 4.8, -4.8, 4.8, 0};
constexpr double kMaskHalfWidth = 2;

// Ground bars below the end of the lead: widths and their distance below the first bar.
constexpr std::array<double, 4> kGroundBarWidth{14.5, 10.5, 6, 2.3};
constexpr std::array<double, 4> kGroundBarOffset{0, 2.5, 5, 7};

constexpr double kTerminalDiameter = 3.9;
constexpr double kDotDiameter = 4;

PolylinePrimitive Line(QList<QPointF> points, const QColor& colour) { return {std::move(points), colour}; }

FilledPolygonPrimitive Rectangle(double left, double top, double right, double bottom) {
    return {{{left, top}, {right, top}, {right, bottom}, {left, bottom}}, schematic_colours::kBackground};
}

double Distance(QPointF a, QPointF b) { return std::hypot(b.x() - a.x(), b.y() - a.y()); }

QPointF Along(QPointF a, QPointF b, double t) { return a + (b - a) * t; }

// Fonts are rasterised at whole pixel heights, yet the level labels and equations are 12.5 and 13.5 px high. Such
// a text is set in a font four times its size and drawn at a quarter scale, which keeps Arial's widths: the longest
// equations need them to fit inside the area.
constexpr int kFractionalTextOversampling = 4;

void DrawText(QPainter& painter, const TextPrimitive& text) {
    const bool whole = text.pixelSize == std::floor(text.pixelSize);
    const int oversampling = whole ? 1 : kFractionalTextOversampling;
    const double scaledSize = text.pixelSize * oversampling;
    if (!(scaledSize >= 1 && scaledSize <= 1000))
        return;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(static_cast<int>(std::lround(scaledSize)));
    painter.save();
    painter.setFont(font);
    painter.setPen(text.colour);
    painter.translate(text.topLeft - QPointF(0.5, 0.5));
    painter.scale(1.0 / oversampling, 1.0 / oversampling);
    // Text is placed by its cell's top-left corner, as the drawings were laid out.
    painter.drawText(QPointF(0, QFontMetricsF(font).ascent()), text.text);
    painter.restore();
}

}  // namespace

void SchematicBuilder::wire(QList<QPointF> points) {
    wires_.emplace_back(Line(std::move(points), schematic_colours::kWire));
}

void SchematicBuilder::dashedWire(const QList<QPointF>& points) {
    for (auto& piece : DashPieces(points))
        wires_.emplace_back(Line(std::move(piece), schematic_colours::kWire));
}

void SchematicBuilder::horizontalResistor(double left, double right, double y) {
    // A span a little off 29 px (the source resistor's is 29.5) stretches the zigzag rather than leaving a stub.
    const double scale = (right - left) / kResistorLength;
    masks_.emplace_back(Rectangle(left, y - kMaskHalfWidth, right, y + kMaskHalfWidth));
    QList<QPointF> zigzag;
    for (std::size_t i = 0; i < kHorizontalZigzagAlong.size(); ++i)
        zigzag.append({left + kHorizontalZigzagAlong[i] * scale, y + kZigzagAcross[i]});
    symbols_.emplace_back(Line(std::move(zigzag), schematic_colours::kSymbol));
}

void SchematicBuilder::verticalResistor(double x, double lower, double upper) {
    const double scale = (lower - upper) / kResistorLength;
    masks_.emplace_back(Rectangle(x - kMaskHalfWidth, upper, x + kMaskHalfWidth, lower));
    QList<QPointF> zigzag;
    for (std::size_t i = 0; i < kVerticalZigzagAlong.size(); ++i)
        zigzag.append({x + kZigzagAcross[i], lower - kVerticalZigzagAlong[i] * scale});
    symbols_.emplace_back(Line(std::move(zigzag), schematic_colours::kSymbol));
}

void SchematicBuilder::capacitorInVerticalWire(double x, double topPlate, double bottomPlate, double left,
                                               double right) {
    masks_.emplace_back(Rectangle(x - kMaskHalfWidth, topPlate, x + kMaskHalfWidth, bottomPlate));
    symbols_.emplace_back(Line({{left, topPlate}, {right, topPlate}}, schematic_colours::kSymbol));
    symbols_.emplace_back(Line({{left, bottomPlate}, {right, bottomPlate}}, schematic_colours::kSymbol));
}

void SchematicBuilder::capacitorInHorizontalWire(double y, double leftPlate, double rightPlate, double top,
                                                 double bottom) {
    masks_.emplace_back(Rectangle(leftPlate, y - kMaskHalfWidth, rightPlate, y + kMaskHalfWidth));
    symbols_.emplace_back(Line({{leftPlate, top}, {leftPlate, bottom}}, schematic_colours::kSymbol));
    symbols_.emplace_back(Line({{rightPlate, top}, {rightPlate, bottom}}, schematic_colours::kSymbol));
}

void SchematicBuilder::ground(double x, double leadTop, double firstBar) {
    symbols_.emplace_back(Line({{x, leadTop}, {x, firstBar}}, schematic_colours::kSymbol));
    for (std::size_t i = 0; i < kGroundBarWidth.size(); ++i) {
        const double half = kGroundBarWidth[i] / 2;
        const double y = firstBar + kGroundBarOffset[i];
        symbols_.emplace_back(Line({{x - half, y}, {x + half, y}}, schematic_colours::kSymbol));
    }
}

void SchematicBuilder::terminal(QPointF centre) {
    terminals_.emplace_back(
        CirclePrimitive{centre, kTerminalDiameter, schematic_colours::kSymbol, schematic_colours::kTerminalFill});
}

void SchematicBuilder::junctionDot(QPointF centre) {
    terminals_.emplace_back(
        CirclePrimitive{centre, kDotDiameter, schematic_colours::kSymbol, schematic_colours::kSymbol});
}

void SchematicBuilder::label(const QString& text, QPointF topLeft, double pixelSize, const QColor& colour) {
    labels_.emplace_back(TextPrimitive{text, topLeft, pixelSize, colour});
}

SchematicDrawing SchematicBuilder::build() const {
    SchematicDrawing drawing;
    for (const auto* part : {&wires_, &masks_, &symbols_, &terminals_, &labels_})
        drawing.insert(drawing.end(), part->begin(), part->end());
    return drawing;
}

std::vector<QList<QPointF>> DashPieces(const QList<QPointF>& path, double dashLength, double gapLength) {
    std::vector<QList<QPointF>> pieces;
    if (path.size() < 2 || !(dashLength > 0) || !(gapLength >= 0))
        return pieces;
    bool drawing = true;
    double left = dashLength;  // what remains of the current dash or gap
    QList<QPointF> current{path.front()};
    for (qsizetype i = 1; i < path.size(); ++i) {
        QPointF from = path[i - 1];
        const QPointF to = path[i];
        double segment = Distance(from, to);
        if (!std::isfinite(segment))
            continue;
        while (segment > 0) {
            const double step = std::min(left, segment);
            const QPointF reached = Along(from, to, step / segment);
            if (drawing)
                current.append(reached);
            left -= step;
            segment -= step;
            from = reached;
            if (left <= 0) {
                if (drawing && current.size() > 1)
                    pieces.push_back(current);
                drawing = !drawing;
                left = drawing ? dashLength : gapLength;
                current = {from};
            }
        }
        // A dash that runs on around the corner keeps the corner as one of its points.
    }
    if (drawing && current.size() > 1)
        pieces.push_back(current);
    return pieces;
}

SchematicDrawing Translated(const SchematicDrawing& drawing, QPointF offset) {
    SchematicDrawing moved = drawing;
    for (auto& primitive : moved) {
        std::visit(
            [&](auto& p) {
                using T = std::decay_t<decltype(p)>;
                if constexpr (std::is_same_v<T, CirclePrimitive>)
                    p.centre += offset;
                else if constexpr (std::is_same_v<T, TextPrimitive>)
                    p.topLeft += offset;
                else
                    for (auto& point : p.points)
                        point += offset;
            },
            primitive);
    }
    return moved;
}

void PaintDrawing(QPainter& painter, const SchematicDrawing& drawing) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(0.5, 0.5);
    for (const auto& primitive : drawing) {
        std::visit(
            [&](const auto& p) {
                using T = std::decay_t<decltype(p)>;
                if constexpr (std::is_same_v<T, PolylinePrimitive>) {
                    painter.setPen(QPen(p.colour, 1));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawPolyline(p.points.constData(), static_cast<int>(p.points.size()));
                } else if constexpr (std::is_same_v<T, FilledPolygonPrimitive>) {
                    painter.setPen(Qt::NoPen);
                    painter.setBrush(p.colour);
                    painter.drawPolygon(p.points.constData(), static_cast<int>(p.points.size()));
                } else if constexpr (std::is_same_v<T, CirclePrimitive>) {
                    painter.setPen(QPen(p.outline, 1));
                    painter.setBrush(p.fill);
                    painter.drawEllipse(p.centre, p.diameter / 2, p.diameter / 2);
                } else {
                    DrawText(painter, p);
                }
            },
            primitive);
    }
    painter.restore();
}
