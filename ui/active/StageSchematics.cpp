#include "active/StageSchematics.h"

#include <QFontMetricsF>

#include <algorithm>
#include <variant>
#include <type_traits>

#include "active/FormSchematics.h"
#include "common/Fonts.h"

namespace {

namespace colours = schematic_colours;
using riaa::BuiltNetwork;
using riaa::DesignKind;
using riaa::ElementKind;

constexpr int kNamePixels = 13;  // as the form drawings write R1 ... C2
constexpr int kValuePixels = 12;
constexpr int kCaptionPixels = 12;
constexpr double kNameToValueGap = 4;

// The op-amp: its inputs 20 px either side of the output row, the triangle 60 px long.
constexpr double kOutputRow = 150;
constexpr double kUpperInput = 130;
constexpr double kLowerInput = 170;
constexpr double kOpAmpLeft = 190;
constexpr double kOpAmpApex = 250;
constexpr double kInputTerminal = 20;
// The − input's node; the feedback network's left terminal sits above or below it.
constexpr double kMinusNode = 140;
// Below the stage (non-inverting: the + input takes the signal on the upper row) or above it (inverting).
constexpr double kFeedbackRowBelow = 238;
constexpr double kFeedbackRowAbove = 58;
// R0 and C0 hang from the − input, left of the feedback network's wire.
constexpr double kR0Column = 90;
// Each part after the op-amp takes this much of the output row, its shunt part at the node ending it.
constexpr double kSectionPitch = 100;
constexpr double kShuntLead = 205;  // where a shunt part's wire meets its ground symbol
constexpr double kGroundBar = 215;
constexpr double kOutputTerminalRun = 45;
constexpr double kMargin = 8;

double Advance(const QString& text, int pixels) {
    return QFontMetricsF(PixelFont(QStringLiteral("Arial"), pixels)).horizontalAdvance(text);
}

QString Name(ElementKind element) {
    const std::string_view name = riaa::ElementName(element);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// Collects the name labels and their values beside the builder's drawing, and how far right they reach.
struct Labels {
    const BuiltNetwork& stage;
    const riaa::NumberLocale& locale;
    SchematicDrawing texts;
    double right = 0;

    void add(ElementKind element, QPointF topLeft) {
        const TextPrimitive name{Name(element), topLeft, kNamePixels, colours::kText};
        const TextPrimitive value = ValueBeside(name, PartValueText(element, stage.value(element), locale));
        right = std::max(right, value.topLeft.x() + Advance(value.text, kValuePixels));
        texts.emplace_back(name);
        texts.emplace_back(value);
    }
    // A value that runs into the next name on its line pushes that name and its value to the right:
    // the form drawings leave room for the names alone.
    void separate() {
        const auto box = [](const SchematicPrimitive& p, int pixels) {
            const auto& t = std::get<TextPrimitive>(p);
            return QRectF(t.topLeft, QSizeF(Advance(t.text, pixels), pixels));
        };
        for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
            const QRectF value = box(texts[i + 1], kValuePixels);
            for (std::size_t j = 0; j + 1 < texts.size(); j += 2) {
                auto& name = std::get<TextPrimitive>(texts[j]);
                if (j == i || name.topLeft.x() < value.left() || !value.intersects(box(texts[j], kNamePixels))) continue;
                const double shift = value.right() + 2 * kNameToValueGap - name.topLeft.x();
                name.topLeft.rx() += shift;
                std::get<TextPrimitive>(texts[j + 1]).topLeft.rx() += shift;
            }
        }
    }
    // The name and value ending at x = rightEdge, for a part whose right side is taken.
    void addLeftOf(ElementKind element, double rightEdge, double top) {
        const QString name = Name(element);
        const double width = Advance(name, kNamePixels) + kNameToValueGap +
                             Advance(PartValueText(element, stage.value(element), locale), kValuePixels);
        add(element, {rightEdge - width, top});
    }
};

// The rows the drawing takes, its text cells included.
QRectF Extent(const SchematicDrawing& drawing) {
    double top = 1e9;
    double bottom = -1e9;
    for (const SchematicPrimitive& primitive : drawing) {
        std::visit(
            [&](const auto& p) {
                using T = std::decay_t<decltype(p)>;
                if constexpr (std::is_same_v<T, TextPrimitive>) {
                    top = std::min(top, p.topLeft.y());
                    bottom = std::max(bottom, p.topLeft.y() + p.pixelSize * 1.15);
                } else if constexpr (std::is_same_v<T, CirclePrimitive>) {
                    top = std::min(top, p.centre.y() - p.diameter / 2);
                    bottom = std::max(bottom, p.centre.y() + p.diameter / 2);
                } else {
                    for (const QPointF& point : p.points) {
                        top = std::min(top, point.y());
                        bottom = std::max(bottom, point.y());
                    }
                }
            },
            primitive);
    }
    return {QPointF(0, top), QPointF(1, bottom)};
}

void OpAmp(SchematicBuilder& b, bool minusOnTop) {
    const double top = kOutputRow - 40;
    const double bottom = kOutputRow + 40;
    b.wire({{kOpAmpLeft, top}, {kOpAmpApex, kOutputRow}, {kOpAmpLeft, bottom}, {kOpAmpLeft, top}});
    const double minusRow = minusOnTop ? kUpperInput : kLowerInput;
    const double plusRow = minusOnTop ? kLowerInput : kUpperInput;
    b.label(QStringLiteral("\u2212"), {kOpAmpLeft + 4, minusRow - 9}, kNamePixels);
    b.label(QStringLiteral("+"), {kOpAmpLeft + 4, plusRow - 9}, kNamePixels);
}

// The feedback network between the − input's node and the output node, moved to its row; its own
// terminals and formula give way to the stage's wires and the caption. Returns the output node's x.
double Feedback(const BuiltNetwork& stage, SchematicDrawing& into, Labels& labels, bool below) {
    const FormSchematic& form = FormSchematicOf(DrawingFor(stage.kind, stage.form, stage.has(ElementKind::C2)));
    QPointF left{1e9, 0};
    QPointF right{-1e9, 0};
    for (const SchematicPrimitive& p : form.drawing) {
        if (const auto* c = std::get_if<CirclePrimitive>(&p); c && c->fill == colours::kTerminalFill) {
            if (c->centre.x() < left.x()) left = c->centre;
            if (c->centre.x() > right.x()) right = c->centre;
        }
    }
    const QPointF offset{kMinusNode - left.x(), (below ? kFeedbackRowBelow : kFeedbackRowAbove) - left.y()};
    for (const SchematicPrimitive& p : Translated(form.drawing, offset)) {
        if (const auto* c = std::get_if<CirclePrimitive>(&p); c && c->fill == colours::kTerminalFill) continue;
        if (const auto* t = std::get_if<TextPrimitive>(&p)) {
            if (t->text == form.formula) continue;
            for (const ElementKind e : {ElementKind::R1, ElementKind::R2, ElementKind::C1, ElementKind::C2}) {
                if (t->text == Name(e) && stage.has(e)) labels.add(e, t->topLeft);
            }
            continue;
        }
        into.push_back(p);
    }
    labels.separate();
    return right.x() + offset.x();
}

// R0, and C0 below it, from the − input's node down to ground.
void GroundLeg(SchematicBuilder& b, Labels& labels, const BuiltNetwork& stage) {
    const double x = kR0Column;
    b.wire({{kMinusNode, kLowerInput}, {x, kLowerInput}, {x, 272}});
    b.junctionDot({kMinusNode, kLowerInput});
    b.verticalResistor(x, 229, 200);
    labels.addLeftOf(ElementKind::R0, x - 10, 207);
    if (stage.has(ElementKind::C0)) {
        b.capacitorInVerticalWire(x, 250, 257, x - 7, x + 7);
        labels.addLeftOf(ElementKind::C0, x - 12, 246);
    }
    b.ground(x, 272, 282);
}

// C0 and Rin in series from the input terminal to the − input's node.
void InputLeg(SchematicBuilder& b, Labels& labels, const BuiltNetwork& stage) {
    b.wire({{kInputTerminal, kUpperInput}, {kOpAmpLeft, kUpperInput}});
    double rinLeft = 70;
    if (stage.has(ElementKind::C0)) {
        b.capacitorInHorizontalWire(kUpperInput, 44, 51, kUpperInput - 7, kUpperInput + 7);
        labels.add(ElementKind::C0, {30, kUpperInput + 10});
        rinLeft = 82;
    }
    b.horizontalResistor(rinLeft, rinLeft + 29, kUpperInput);
    labels.add(ElementKind::Rin, {rinLeft + 2, kUpperInput - 21});
    b.junctionDot({kMinusNode, kUpperInput});
    // The + input to ground.
    b.wire({{kOpAmpLeft, kLowerInput}, {170, kLowerInput}});
    b.ground(170, kLowerInput, 184);
}

// A part from the output row to ground at x, its name and value to its right.
void Shunt(SchematicBuilder& b, Labels& labels, ElementKind element, double x) {
    b.wire({{x, kOutputRow}, {x, kShuntLead}});
    if (riaa::IsCapacitor(element)) {
        b.capacitorInVerticalWire(x, 175, 182, x - 7, x + 7);
    } else {
        b.verticalResistor(x, 194, 165);
    }
    b.ground(x, kShuntLead, kGroundBar);
    b.junctionDot({x, kOutputRow});
    labels.add(element, {x + 10, 171});
}

// R3 with C3, Cout and RL after the output node, each where the stage has it; returns the output terminal's x.
double OutputSection(SchematicBuilder& b, Labels& labels, const BuiltNetwork& stage, double node) {
    double x = node;
    if (stage.has(ElementKind::R3)) {
        b.horizontalResistor(x + 32, x + 61, kOutputRow);
        labels.add(ElementKind::R3, {x + 34, kOutputRow - 21});
        x += kSectionPitch;
        if (stage.has(ElementKind::C3)) Shunt(b, labels, ElementKind::C3, x);
    }
    if (stage.has(ElementKind::Cout)) {
        b.capacitorInHorizontalWire(kOutputRow, x + 40, x + 47, kOutputRow - 7, kOutputRow + 7);
        labels.add(ElementKind::Cout, {x + 30, kOutputRow - 24});
        x += kSectionPitch;
    }
    if (stage.has(ElementKind::RL)) {
        // RL straight after R3, C3 gets a node of its own; after Cout it hangs from Cout's.
        if (!stage.has(ElementKind::Cout)) x += kSectionPitch;
        Shunt(b, labels, ElementKind::RL, x);
    }
    const double terminal = x + kOutputTerminalRun;
    b.wire({{node, kOutputRow}, {terminal, kOutputRow}});
    return terminal;
}

}  // namespace

QString PartValueText(riaa::ElementKind element, double value, const riaa::NumberLocale& locale) {
    return QString::fromStdString(riaa::IsCapacitor(element) ? riaa::FormatCapacitance(value, locale)
                                                             : riaa::FormatResistance(value, locale));
}

TextPrimitive ValueBeside(const TextPrimitive& name, const QString& value) {
    const int namePixels = static_cast<int>(std::clamp(name.pixelSize, 1.0, 200.0));
    // The smaller text moves down by the difference of the ascents, so that both stand on one baseline.
    const QFontMetricsF nameMetrics(PixelFont(QStringLiteral("Arial"), namePixels));
    const QFontMetricsF valueMetrics(PixelFont(QStringLiteral("Arial"), kValuePixels));
    const QPointF at = name.topLeft + QPointF(nameMetrics.horizontalAdvance(name.text) + kNameToValueGap,
                                              nameMetrics.ascent() - valueMetrics.ascent());
    return {value, at, static_cast<double>(kValuePixels), colours::kValue};
}

StageSchematic StageSchematicOf(const riaa::BuiltNetwork& stage, const riaa::NumberLocale& locale) {
    if (stage.kind == DesignKind::Passive) return {};
    const bool inverting = stage.kind == DesignKind::Inverting;
    SchematicBuilder b;
    Labels labels{stage, locale, {}, 0};
    SchematicDrawing feedback;
    const double outputNode = Feedback(stage, feedback, labels, !inverting);
    const double feedbackRow = inverting ? kFeedbackRowAbove : kFeedbackRowBelow;
    const double minusRow = inverting ? kUpperInput : kLowerInput;

    OpAmp(b, inverting);
    b.wire({{kMinusNode, feedbackRow}, {kMinusNode, minusRow}, {kOpAmpLeft, minusRow}});
    b.wire({{kOpAmpApex, kOutputRow}, {outputNode, kOutputRow}, {outputNode, feedbackRow}});
    b.junctionDot({outputNode, kOutputRow});
    if (inverting) {
        InputLeg(b, labels, stage);
    } else {
        b.wire({{kInputTerminal, kUpperInput}, {kOpAmpLeft, kUpperInput}});
        GroundLeg(b, labels, stage);
    }
    const double outputTerminal = OutputSection(b, labels, stage, outputNode);
    b.terminal({kInputTerminal, kUpperInput});
    b.terminal({outputTerminal, kOutputRow});
    b.label(QStringLiteral("in"), {kInputTerminal - 6, kUpperInput - 20}, kCaptionPixels, colours::kCaption);
    b.label(QStringLiteral("out"), {outputTerminal - 8, kOutputRow - 20}, kCaptionPixels, colours::kCaption);

    // The network's wires and symbols go under the stage's terminals and dots, the labels over everything.
    SchematicDrawing drawing = std::move(feedback);
    const SchematicDrawing own = b.build();
    drawing.insert(drawing.end(), own.begin(), own.end());
    drawing.insert(drawing.end(), labels.texts.begin(), labels.texts.end());
    const FormSchematic& form = FormSchematicOf(DrawingFor(stage.kind, stage.form, stage.has(ElementKind::C2)));
    // Moved up to a margin's distance from the top: the stage's rows leave room above for the
    // inverting stage's network, which the other stages draw below.
    const QRectF extent = Extent(drawing);
    const double width = std::max(outputTerminal + 20, labels.right + 10);
    return {Translated(drawing, {0, kMargin - extent.top()}), QSizeF(width, extent.height() + 2 * kMargin), form.formula};
}
