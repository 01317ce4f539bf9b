#include "report/DesignSchematic.h"

#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <optional>

#include "active/StageSchematics.h"
#include "circuit/SchematicPages.h"
#include "common/Fonts.h"

namespace {

namespace colours = schematic_colours;
using riaa::ElementKind;

constexpr double kCaptionPixels = 12;

// Where a value goes: after the name, or with the name before it, ending where the name ended, for
// a name that sits left of an upright part and so has the part on its right.
enum class Side { AfterName, BeforeName };

struct ValuePlace {
    ElementKind element;
    Side side;
};

// Per circuit, the names written left of an upright part; every other name takes its value after it.
const std::array<std::vector<ValuePlace>, riaa::kCircuitCount>& NamesLeftOfParts() {
    static const std::array<std::vector<ValuePlace>, riaa::kCircuitCount> places{{
        {{ElementKind::C1, Side::BeforeName}},
        {{ElementKind::C1, Side::BeforeName}},
        {{ElementKind::R2, Side::BeforeName}, {ElementKind::C1, Side::BeforeName}},
        {{ElementKind::C1, Side::BeforeName}, {ElementKind::R1, Side::BeforeName}},
        {{ElementKind::R2, Side::BeforeName}, {ElementKind::C1, Side::BeforeName}},
        {{ElementKind::R2, Side::BeforeName}, {ElementKind::C1, Side::BeforeName}},
    }};
    return places;
}

Side SideOf(riaa::CircuitKind circuit, ElementKind element) {
    for (const ValuePlace& place : NamesLeftOfParts()[riaa::Index(circuit)]) {
        if (place.element == element) return place.side;
    }
    return Side::AfterName;
}

double Advance(const TextPrimitive& text) {
    return QFontMetricsF(PixelFont(QStringLiteral("Arial"), static_cast<int>(text.pixelSize))).horizontalAdvance(text.text);
}

QRectF TextBox(const TextPrimitive& text) {
    return {text.topLeft, QSizeF(Advance(text), text.pixelSize * 1.15)};
}

// The element a name label stands for: "R1" ... "C2", or "R" with the subscript after it ("S", "L").
std::optional<ElementKind> ElementOf(const SchematicDrawing& drawing, std::size_t i) {
    const auto* text = std::get_if<TextPrimitive>(&drawing[i]);
    if (!text) return std::nullopt;
    for (const ElementKind e : {ElementKind::R1, ElementKind::R2, ElementKind::C1, ElementKind::C2}) {
        const std::string_view name = riaa::ElementName(e);
        if (text->text == QLatin1String(name.data(), static_cast<qsizetype>(name.size()))) return e;
    }
    const auto* subscript = i + 1 < drawing.size() ? std::get_if<TextPrimitive>(&drawing[i + 1]) : nullptr;
    if (text->text == QLatin1String("R") && subscript) {
        if (subscript->text == QLatin1String("S")) return ElementKind::Rs;
        if (subscript->text == QLatin1String("L")) return ElementKind::RL;
    }
    return std::nullopt;
}

// How far right a value written after C2 reaches; nothing for a page without C2 beside an upright part.
std::optional<double> C2ValueEnd(const SchematicDrawing& parts, const riaa::BuiltNetwork& network,
                                 const riaa::NumberLocale& locale) {
    if (!network.has(ElementKind::C2) || SideOf(network.circuit, ElementKind::C2) != Side::AfterName) return std::nullopt;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (ElementOf(parts, i) != ElementKind::C2) continue;
        const TextPrimitive value =
            ValueBeside(std::get<TextPrimitive>(parts[i]), PartValueText(ElementKind::C2, network.value(ElementKind::C2), locale));
        return value.topLeft.x() + Advance(value);
    }
    return std::nullopt;
}

// The RL overlay, moved right where C2's value would run into RL, its dashed wires drawn on to where
// they met the page's drawing: the wide pages have C2 on the right, where RL goes.
SchematicDrawing MovedClearOf(const SchematicDrawing& overlay, const SchematicDrawing& parts,
                              const riaa::BuiltNetwork& network, const riaa::NumberLocale& locale) {
    const std::optional<double> valueEnd = C2ValueEnd(parts, network, locale);
    double uprightX = -1e9;
    QPointF top{1e9, 1e9};
    QPointF bottom{1e9, -1e9};
    for (const SchematicPrimitive& p : overlay) {
        const auto* line = std::get_if<PolylinePrimitive>(&p);
        if (!line || line->colour != colours::kWire) continue;
        for (const QPointF& point : line->points) {
            uprightX = std::max(uprightX, point.x());
            if (point.y() < top.y() || (point.y() == top.y() && point.x() < top.x())) top = point;
            if (point.y() > bottom.y() || (point.y() == bottom.y() && point.x() < bottom.x())) bottom = point;
        }
    }
    constexpr double kClearance = 14;
    const double shift = valueEnd ? std::max(0.0, *valueEnd + kClearance - uprightX) : 0;
    if (shift == 0) return overlay;
    SchematicBuilder joins;
    joins.dashedWire({top, top + QPointF(shift, 0)});
    joins.dashedWire({bottom, bottom + QPointF(shift, 0)});
    SchematicDrawing moved = joins.build();
    const SchematicDrawing shifted = Translated(overlay, {shift, 0});
    moved.insert(moved.end(), shifted.begin(), shifted.end());
    return moved;
}

// The page's base layer and the overlays of what is in circuit, "in" and "out" under the terminals
// (the page's own caption above them would crowd the values), and a value beside every name.
SchematicDrawing PassiveDrawing(const riaa::BuiltNetwork& network, const riaa::NumberLocale& locale) {
    SchematicDrawing parts;
    const SchematicDrawing* rl = nullptr;
    for (const SchematicLayer& layer : SchematicPages()[riaa::Index(network.circuit)].layers) {
        const bool shown = layer.role == SchematicLayerRole::Base ||
                           (layer.role == SchematicLayerRole::RsOverlay && network.has(ElementKind::Rs));
        if (shown) parts.insert(parts.end(), layer.drawing.begin(), layer.drawing.end());
        if (layer.role == SchematicLayerRole::RLOverlay && network.has(ElementKind::RL)) rl = &layer.drawing;
    }
    if (rl) {
        const SchematicDrawing moved = MovedClearOf(*rl, parts, network, locale);
        parts.insert(parts.end(), moved.begin(), moved.end());
    }
    SchematicDrawing drawing;
    SchematicDrawing texts;
    QPointF in{1e9, 0};
    QPointF out{-1e9, 0};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (const auto* c = std::get_if<CirclePrimitive>(&parts[i]); c && c->fill == colours::kTerminalFill) {
            if (c->centre.x() < in.x()) in = c->centre;
            if (c->centre.x() > out.x()) out = c->centre;
        }
        const std::optional<ElementKind> element = ElementOf(parts, i);
        if (!element || !network.has(*element)) {
            (std::holds_alternative<TextPrimitive>(parts[i]) ? texts : drawing).push_back(parts[i]);
            continue;
        }
        TextPrimitive name = std::get<TextPrimitive>(parts[i]);
        const QString value = PartValueText(*element, network.value(*element), locale);
        // Rs and RL: the subscript comes along, and the value follows it.
        std::optional<TextPrimitive> subscript;
        if (*element == ElementKind::Rs || *element == ElementKind::RL) subscript = std::get<TextPrimitive>(parts[++i]);
        const double nameEnd = subscript ? TextBox(*subscript).right() : TextBox(name).right();
        TextPrimitive placed = ValueBeside(name, value);
        placed.topLeft.rx() = nameEnd + (placed.topLeft.x() - TextBox(name).right());
        if (SideOf(network.circuit, *element) == Side::BeforeName) {
            // A little short of where the name ended, so that the value stays clear of the part.
            const double shift = placed.topLeft.x() + Advance(placed) - nameEnd + 3;
            name.topLeft.rx() -= shift;
            placed.topLeft.rx() -= shift;
            if (subscript) subscript->topLeft.rx() -= shift;
        }
        texts.push_back(name);
        if (subscript) texts.push_back(*subscript);
        texts.push_back(placed);
    }
    SchematicBuilder ends;
    ends.label(QStringLiteral("in"), in + QPointF(-6, 8), kCaptionPixels, colours::kCaption);
    ends.label(QStringLiteral("out"), out + QPointF(-8, 8), kCaptionPixels, colours::kCaption);
    const SchematicDrawing endLabels = ends.build();
    drawing.insert(drawing.end(), texts.begin(), texts.end());
    drawing.insert(drawing.end(), endLabels.begin(), endLabels.end());
    return drawing;
}

// Every point and text cell of the drawing, with a margin round it.
QRectF Bounds(const SchematicDrawing& drawing) {
    QRectF box;
    const auto extend = [&](const QRectF& r) { box = box.isNull() ? r : box.united(r); };
    for (const SchematicPrimitive& primitive : drawing) {
        std::visit(
            [&](const auto& p) {
                using T = std::decay_t<decltype(p)>;
                if constexpr (std::is_same_v<T, TextPrimitive>) {
                    extend(TextBox(p));
                } else if constexpr (std::is_same_v<T, CirclePrimitive>) {
                    extend(QRectF(p.centre - QPointF(p.diameter, p.diameter) / 2, QSizeF(p.diameter, p.diameter)));
                } else {
                    for (const QPointF& point : p.points) extend(QRectF(point, QSizeF(1, 1)));
                }
            },
            primitive);
    }
    return box.adjusted(-8, -8, 8, 8);
}

}  // namespace

DesignSchematic DesignSchematicOf(const riaa::BuiltNetwork& network, const riaa::NumberLocale& locale) {
    if (network.kind == riaa::DesignKind::Passive) {
        SchematicDrawing drawing = PassiveDrawing(network, locale);
        const QRectF bounds = Bounds(drawing);
        return {std::move(drawing), bounds, {}, 0.34};
    }
    StageSchematic stage = StageSchematicOf(network, locale);
    const QRectF bounds = Bounds(stage.drawing);
    return {std::move(stage.drawing), bounds, stage.formula, 0.26};
}
