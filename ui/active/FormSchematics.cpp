#include "active/FormSchematics.h"

#include <array>

namespace {

namespace colours = schematic_colours;

constexpr double kLabelPixels = 13;
constexpr double kFormulaPixels = 12;
const QPointF kFormulaAt{8, 2};

// Each network is a two-terminal impedance between the op-amp's output and its − input; either end may be either.
constexpr double kLeftTerminal = 12;
constexpr double kRightTerminal = 268;

// A horizontal resistor 29 px long from `left`, its name above it.
void Resistor(SchematicBuilder& b, const char* name, double left, double y, QPointF labelAt) {
    b.horizontalResistor(left, left + 29, y);
    b.label(QString::fromLatin1(name), labelAt, kLabelPixels);
}

// A capacitor across a horizontal wire, plates 7 px apart and 14 px tall.
void Capacitor(SchematicBuilder& b, const char* name, double leftPlate, double y, QPointF labelAt) {
    b.capacitorInHorizontalWire(y, leftPlate, leftPlate + 7, y - 7, y + 7);
    b.label(QString::fromLatin1(name), labelAt, kLabelPixels);
}

void Terminals(SchematicBuilder& b, double y) {
    b.terminal({kLeftTerminal, y});
    b.terminal({kRightTerminal, y});
}

// R1 ∥ C1 between rails at x = 52 and 122, on the line at y = 60: forms A and A without C2 begin with it.
void R1BesideC1(SchematicBuilder& b) {
    b.wire({{52, 42}, {122, 42}, {122, 78}, {52, 78}, {52, 42}});
    b.wire({{kLeftTerminal, 60}, {52, 60}});
    Resistor(b, "R1", 73, 42, {79, 21});
    Capacitor(b, "C1", 84, 78, {79, 87});
    b.junctionDot({52, 60});
    b.junctionDot({122, 60});
}

// (R1 ∥ C1) + (R2 ∥ C2).
SchematicDrawing FormA() {
    SchematicBuilder b;
    R1BesideC1(b);
    b.wire({{122, 60}, {158, 60}});
    b.wire({{158, 42}, {228, 42}, {228, 78}, {158, 78}, {158, 42}});
    b.wire({{228, 60}, {kRightTerminal, 60}});
    Resistor(b, "R2", 179, 42, {185, 21});
    Capacitor(b, "C2", 190, 78, {185, 87});
    b.junctionDot({158, 60});
    b.junctionDot({228, 60});
    Terminals(b, 60);
    return b.build();
}

// (R1 ∥ C1) + R2: the two-stage network, and form A for a curve without a treble pole.
SchematicDrawing FormAWithoutC2() {
    SchematicBuilder b;
    R1BesideC1(b);
    b.wire({{122, 60}, {kRightTerminal, 60}});
    Resistor(b, "R2", 181, 60, {188, 39});
    Terminals(b, 60);
    return b.build();
}

// Forms B and C: one element across the top between rails at x = 40 and 240, and below it a series
// element followed by R2 ∥ C2 between inner rails at x = 124 and 204.
constexpr double kUpper = 42;
constexpr double kLower = 72;
constexpr double kInner = 94;
constexpr double kMiddle = (kUpper + kLower) / 2;

void OuterRailsWithInnerPair(SchematicBuilder& b) {
    b.wire({{124, kLower}, {40, kLower}, {40, kUpper}, {240, kUpper}, {240, kLower}, {204, kLower}});
    b.wire({{124, kLower}, {204, kLower}, {204, kInner}, {124, kInner}, {124, kLower}});
    b.wire({{kLeftTerminal, kMiddle}, {40, kMiddle}});
    b.wire({{240, kMiddle}, {kRightTerminal, kMiddle}});
    Resistor(b, "R2", 150, kLower, {157, 51});
    Capacitor(b, "C2", 161, kInner, {157, 102});
    for (const QPointF dot : {QPointF{40, kMiddle}, QPointF{240, kMiddle}, QPointF{124, kLower}, QPointF{204, kLower}})
        b.junctionDot(dot);
    Terminals(b, kMiddle);
}

// R1 ∥ (C1 + (R2 ∥ C2)).
SchematicDrawing FormB() {
    SchematicBuilder b;
    OuterRailsWithInnerPair(b);
    Resistor(b, "R1", 126, kUpper, {133, 21});
    Capacitor(b, "C1", 79, kLower, {75, 49});
    return b.build();
}

// C1 ∥ (R1 + (R2 ∥ C2)).
SchematicDrawing FormC() {
    SchematicBuilder b;
    OuterRailsWithInnerPair(b);
    Capacitor(b, "C1", 137, kUpper, {133, 18});
    Resistor(b, "R1", 62, kLower, {69, 51});
    return b.build();
}

// R2 ∥ C2 ∥ (R1 + C1): three branches between rails at x = 40 and 240, the terminals on the middle one.
SchematicDrawing FormD() {
    SchematicBuilder b;
    b.wire({{40, 42}, {240, 42}, {240, 98}, {40, 98}, {40, 42}});
    b.wire({{kLeftTerminal, 70}, {kRightTerminal, 70}});
    Resistor(b, "R2", 126, 42, {133, 21});
    // C2 sits left of centre, so that its name clears R2 above it.
    Capacitor(b, "C2", 97, 70, {93, 47});
    Resistor(b, "R1", 70, 98, {77, 77});
    Capacitor(b, "C1", 164, 98, {160, 74});
    b.junctionDot({40, 70});
    b.junctionDot({240, 70});
    Terminals(b, 70);
    return b.build();
}

FormSchematic Make(const QString& formula, SchematicDrawing drawing) {
    SchematicBuilder caption;
    caption.label(formula, kFormulaAt, kFormulaPixels, colours::kCaption);
    SchematicDrawing withCaption = caption.build();
    withCaption.insert(withCaption.begin(), drawing.begin(), drawing.end());
    return {formula, std::move(withCaption)};
}

const std::array<FormSchematic, kFormDrawingCount>& Schematics() {
    static const std::array<FormSchematic, kFormDrawingCount> schematics{
        Make(QStringLiteral("Zf = (R1 \u2225 C1) + (R2 \u2225 C2)"), FormA()),
        Make(QStringLiteral("Zf = R1 \u2225 (C1 + (R2 \u2225 C2))"), FormB()),
        Make(QStringLiteral("Zf = C1 \u2225 (R1 + (R2 \u2225 C2))"), FormC()),
        Make(QStringLiteral("Zf = R2 \u2225 C2 \u2225 (R1 + C1)"), FormD()),
        Make(QStringLiteral("Zf = (R1 \u2225 C1) + R2"), FormAWithoutC2()),
    };
    return schematics;
}

}  // namespace

const FormSchematic& FormSchematicOf(FormDrawing drawing) {
    const auto index = static_cast<std::size_t>(drawing);
    return Schematics()[index < Schematics().size() ? index : 0];
}

FormDrawing DrawingFor(riaa::DesignKind stage, riaa::NetworkForm form, bool curveHasTreblePole) {
    if (stage == riaa::DesignKind::TwoStage) return FormDrawing::AWithoutC2;
    switch (form) {
        case riaa::NetworkForm::A: return curveHasTreblePole ? FormDrawing::A : FormDrawing::AWithoutC2;
        case riaa::NetworkForm::B: return FormDrawing::B;
        case riaa::NetworkForm::C: return FormDrawing::C;
        case riaa::NetworkForm::D: return FormDrawing::D;
    }
    return FormDrawing::A;
}
