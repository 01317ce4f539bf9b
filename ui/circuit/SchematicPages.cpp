#include "circuit/SchematicPages.h"

#include "engine/Circuits.h"

#include <utility>

namespace {

// The page's name is the circuit's caption, as the circuit table states it.
QString CircuitCaption(int circuit) {
    return QString::fromUtf8(riaa::Row(static_cast<riaa::CircuitKind>(circuit)).caption.data(),
                             static_cast<qsizetype>(riaa::Row(static_cast<riaa::CircuitKind>(circuit)).caption.size()));
}

namespace colours = schematic_colours;

constexpr double kElementLabelPixels = 16;
constexpr double kSubscriptPixels = 9;
constexpr double kFrequencyLabelPixels = 16;
constexpr double kLevelLabelPixels = 12.5;
constexpr double kCaptionPixels = 12;
constexpr double kNarrowEquationPixels = 13;
constexpr double kWideEquationPixels = 13.5;

// Arial's text cell is about 1.15 em high; the span arrow breaks for that height around its level label.
constexpr double kCellHeightPerPixel = 1.15;

// Pages 0 to 3 draw in a narrow frame, pages 4 and 5 in a wide one; the overlays are drawn once for the narrow
// frame and moved to the wide one.
const QPointF kWideRsOffset{-9, -1};
const QPointF kWideRLOffset{20, -1};

// ---- Captions -------------------------------------------------------------------------------------------------

SchematicDrawing Caption(int blanks, QPointF at) {
    SchematicBuilder builder;
    builder.label(QStringLiteral("in") + QString(blanks, QLatin1Char(' ')) + QStringLiteral("out"), at,
                  kCaptionPixels, colours::kCaption);
    return builder.build();
}

// ---- Base schematics ------------------------------------------------------------------------------------------

void ElementLabel(SchematicBuilder& builder, const char* text, QPointF at) {
    builder.label(QString::fromLatin1(text), at, kElementLabelPixels);
}

// Pages 0 and 1: R1 in series, C1 to ground.
SchematicDrawing LowPassSchematic() {
    SchematicBuilder b;
    b.wire({{154, 29}, {231.5, 29}});
    b.wire({{217, 29}, {217, 104}});
    b.horizontalResistor(174, 203, 29);
    b.capacitorInVerticalWire(217, 70, 77, 210, 224);
    b.ground(217, 104, 118);
    b.terminal({154, 29});
    b.terminal({231.5, 29});
    ElementLabel(b, "R1", {178.5, 6});
    ElementLabel(b, "C1", {185.5, 62.5});
    return b.build();
}

// Page 2: R1 in series; R2 and C1 in series to ground.
SchematicDrawing FallingShelfSchematic() {
    SchematicBuilder b;
    b.wire({{154, 29}, {232.5, 29}});
    b.wire({{218, 29}, {218, 104}});
    b.horizontalResistor(174, 203, 29);
    b.verticalResistor(218, 75, 46);
    b.capacitorInVerticalWire(218, 89.5, 96.5, 210.5, 225);
    b.ground(218, 104, 118);
    b.terminal({154, 29});
    b.terminal({232.5, 29});
    ElementLabel(b, "R1", {179, 6});
    ElementLabel(b, "R2", {188.5, 55.5});
    ElementLabel(b, "C1", {186, 84});
    return b.build();
}

// Page 3: R2 in series, bypassed by C1 in a loop below it; R1 to ground.
SchematicDrawing RisingShelfSchematic() {
    SchematicBuilder b;
    b.wire({{154, 29}, {232.5, 29}});
    b.wire({{164, 29}, {164, 53}, {218, 53}, {218, 29}});
    b.wire({{218, 29}, {218, 103.5}});
    b.horizontalResistor(174, 203, 29);
    b.capacitorInHorizontalWire(53, 186, 193.5, 46, 60);
    b.verticalResistor(218, 103.5, 74.5);
    b.ground(218, 103.5, 118);
    b.terminal({154, 29});
    b.terminal({232.5, 29});
    // Only the right junction carries a dot: there three wires meet the signal wire.
    b.junctionDot({217, 29});
    ElementLabel(b, "R2", {179, 7});
    ElementLabel(b, "C1", {181, 60});
    ElementLabel(b, "R1", {188.5, 82.5});
    return b.build();
}

// Page 4: R1 in series; to ground R2 with C1 in series, and C2 alone.
SchematicDrawing CompleteVersion1Schematic() {
    SchematicBuilder b;
    b.wire({{145, 28}, {251, 28}});
    b.wire({{208.5, 28}, {208.5, 110}, {237.5, 110}});
    b.wire({{237.5, 28}, {237.5, 103}});
    b.horizontalResistor(165, 194, 28);
    b.verticalResistor(208.5, 74, 45);
    b.capacitorInVerticalWire(208.5, 88.5, 95.5, 201, 216);
    b.capacitorInVerticalWire(237.5, 64.5, 71.5, 230, 245);
    b.ground(237.5, 103, 117);
    b.terminal({145, 28});
    b.terminal({251, 28});
    ElementLabel(b, "R1", {170, 5});
    ElementLabel(b, "R2", {177, 50});
    ElementLabel(b, "C1", {177, 83});
    ElementLabel(b, "C2", {247, 58.5});
    return b.build();
}

// Page 5: R1 in series; to ground R2 parallel to C2, then C1.
SchematicDrawing CompleteVersion2Schematic() {
    SchematicBuilder b;
    b.wire({{145, 28}, {250.5, 28}});
    b.wire({{208, 28}, {208, 81}, {237, 81}});
    b.wire({{237, 28}, {237, 103}});
    b.horizontalResistor(165, 194, 28);
    b.verticalResistor(208, 74, 45);
    b.capacitorInVerticalWire(237, 55, 62, 229.5, 244);
    b.capacitorInVerticalWire(237, 90.5, 98, 229.5, 244);
    b.ground(237, 103, 117);
    b.terminal({145, 28});
    b.terminal({250.5, 28});
    ElementLabel(b, "R1", {169.5, 5});
    ElementLabel(b, "R2", {176.5, 50});
    ElementLabel(b, "C2", {246.5, 49});
    ElementLabel(b, "C1", {208, 85.5});
    return b.build();
}

// ---- Overlays -------------------------------------------------------------------------------------------------

// The source resistance in front of the input terminal; its far end stays open.
SchematicDrawing RsOverlay() {
    SchematicBuilder b;
    b.dashedWire({{155, 28.5}, {74.5, 28.5}});
    b.horizontalResistor(84, 113.5, 28.5);
    b.label(QStringLiteral("R"), {91.5, 37}, kElementLabelPixels);
    b.label(QStringLiteral("S"), {103, 46.5}, kSubscriptPixels);
    return b.build();
}

// The load from the output terminal round to the ground lead, above the ground bars.
SchematicDrawing RLOverlay() {
    SchematicBuilder b;
    b.dashedWire({{231.5, 29}, {265, 29}, {265, 110}, {217, 110}});
    b.verticalResistor(265, 86, 57.5);
    b.label(QStringLiteral("R"), {274.5, 63}, kElementLabelPixels);
    b.label(QStringLiteral("L"), {286, 72.5}, kSubscriptPixels);
    return b.build();
}

// ---- Response sketches ----------------------------------------------------------------------------------------

struct SketchMarker {
    double x;
    double top;
    double bottom;
    const char* label;
    QPointF labelAt;
};

struct HorizontalReference {
    double y;
    double left;
    double right;
};

struct SketchDescription {
    QList<QPointF> curve;
    std::vector<SketchMarker> markers;
    HorizontalReference top;
    HorizontalReference bottom;
    double arrowX;
    double arrowTopApex;
    double arrowBottomApex;
    const char* level;
    QPointF levelAt;
};

constexpr double kArrowHeadWidth = 6;
constexpr double kArrowHeadHeight = 6;

SchematicDrawing Sketch(const SketchDescription& s) {
    SchematicDrawing d;
    for (const auto& line : {s.top, s.bottom})
        d.emplace_back(PolylinePrimitive{{{line.left, line.y}, {line.right, line.y}}, colours::kWire});

    // The span arrow's shaft breaks for the level label written across it.
    const double gapTop = s.levelAt.y() - 1;
    const double gapBottom = s.levelAt.y() + kLevelLabelPixels * kCellHeightPerPixel + 1;
    const double x = s.arrowX;
    // The shaft stops at the heads' bases, so that a head's apex is its own point and not the line's end.
    d.emplace_back(PolylinePrimitive{{{x, s.arrowTopApex + kArrowHeadHeight}, {x, gapTop}}, colours::kWire});
    d.emplace_back(PolylinePrimitive{{{x, gapBottom}, {x, s.arrowBottomApex - kArrowHeadHeight}}, colours::kWire});
    const double half = kArrowHeadWidth / 2;
    d.emplace_back(FilledPolygonPrimitive{{{x, s.arrowTopApex},
                                           {x + half, s.arrowTopApex + kArrowHeadHeight},
                                           {x - half, s.arrowTopApex + kArrowHeadHeight}},
                                          colours::kWire});
    d.emplace_back(FilledPolygonPrimitive{{{x, s.arrowBottomApex},
                                           {x + half, s.arrowBottomApex - kArrowHeadHeight},
                                           {x - half, s.arrowBottomApex - kArrowHeadHeight}},
                                          colours::kWire});

    for (const auto& marker : s.markers)
        d.emplace_back(PolylinePrimitive{{{marker.x, marker.top}, {marker.x, marker.bottom}}, colours::kMarker});
    d.emplace_back(PolylinePrimitive{s.curve, colours::kCurve});

    for (const auto& marker : s.markers)
        d.emplace_back(
            TextPrimitive{QString::fromLatin1(marker.label), marker.labelAt, kFrequencyLabelPixels, colours::kText});
    d.emplace_back(TextPrimitive{QString::fromLatin1(s.level), s.levelAt, kLevelLabelPixels, colours::kLevelLabel});
    return d;
}

const QList<QPointF> kLowPassCurve{{8, 143},     {24, 143.5},  {37, 144.5},   {47, 146},     {57, 148},
                                   {63.5, 150.5}, {84.5, 160},  {105, 170},    {124.5, 181},  {143.5, 192},
                                   {181, 215},    {200, 226.5}, {219.5, 237.5}};

const QList<QPointF> kFallingShelfCurve{{8, 145.5},   {24, 146.5},   {36.5, 148},  {46.5, 151},   {54, 154},
                                        {61.5, 159},  {66.5, 163},   {73.5, 171},  {79, 180.5},   {85, 190},
                                        {92.5, 198},  {100, 204.5},  {112, 209},   {124.5, 211.5}, {142.5, 212.5},
                                        {157, 213},   {174, 213}};

const QList<QPointF> kCompleteRiaaCurve{{8, 145.5},   {24, 146},    {37, 147.5},   {46.5, 149},   {54, 150.5},
                                        {62.5, 154.5}, {76, 162},    {87.5, 169},   {99, 176},     {113.5, 182},
                                        {125, 183.5},  {143, 185},   {154.5, 186.5}, {167, 189.5}, {180, 196},
                                        {193.5, 203.5}, {208, 211},  {219.5, 217},  {226.5, 220.5}};

QList<QPointF> Shifted(QList<QPointF> curve, QPointF by) {
    for (auto& point : curve)
        point += by;
    return curve;
}

// The rising shelf is the falling one seen in a mirror about x = 91.
QList<QPointF> MirroredAbout91(const QList<QPointF>& curve) {
    QList<QPointF> mirrored;
    for (auto it = curve.crbegin(); it != curve.crend(); ++it)
        mirrored.append({182 - it->x(), it->y()});
    return mirrored;
}

SchematicDrawing LowPass50HzSketch() {
    return Sketch({kLowPassCurve,
                   {{75, 136, 220, "50Hz", {56, 224.5}}, {171, 136, 220, "500Hz", {147.5, 222}}},
                   {143, 61, 268},
                   {211, 179, 268},
                   229, 146, 208.5, "20dB", {217, 171}});
}

SchematicDrawing LowPass2122HzSketch() {
    return Sketch({Shifted(kLowPassCurve, {-4, 0.3}),
                   {{76, 136, 220.5, "2122Hz", {50, 224.5}}, {172.5, 136, 220.5, "21kHz", {148.5, 224.5}}},
                   {143.5, 62, 269},
                   {211, 180, 269},
                   230, 146, 208.5, "20dB", {218.5, 171}});
}

SchematicDrawing FallingShelfSketch() {
    return Sketch({kFallingShelfCurve,
                   {{54, 136, 220, "50Hz", {34.5, 226.5}}, {128, 138.5, 222.5, "500Hz", {111.5, 226.5}}},
                   {145.5, 46.5, 253},
                   {213, 188, 253},
                   214.5, 148, 210.5, "20dB", {202.5, 173}});
}

SchematicDrawing RisingShelfSketch() {
    return Sketch({MirroredAbout91(kFallingShelfCurve),
                   {{54, 136, 220, "500Hz", {34.5, 226.5}}, {128, 138.5, 222.5, "2122Hz", {111.5, 226.5}}},
                   {145.5, 186, 253},
                   {213, 80, 253},
                   214.5, 148, 210.5, "12.55dB", {202.5, 173}});
}

SchematicDrawing CompleteRiaaSketch() {
    return Sketch({kCompleteRiaaCurve,
                   {{54, 136, 220.5, "50Hz", {25, 224.5}},
                    {128, 136, 220.5, "500Hz", {102, 224.5}},
                    {171, 136, 220.5, "2122Hz", {159.5, 224.5}}},
                   {145.5, 46.5, 255.5},
                   {220.5, 234, 255.5},
                   241, 145.5, 220.5, "40dB", {224, 175.5}});
}

// ---- Formula panels -------------------------------------------------------------------------------------------

struct EquationLine {
    const char* text;  // UTF-8
    QPointF at;
};

SchematicDrawing Equations(std::initializer_list<EquationLine> lines, double pixelSize) {
    SchematicBuilder b;
    for (const auto& line : lines)
        b.label(QString::fromUtf8(line.text), line.at, pixelSize);
    return b.build();
}

// ---- Pages ----------------------------------------------------------------------------------------------------

SchematicLayer Layer(const char* name, SchematicLayerRole role, QRectF rectangle, SchematicDrawing drawing) {
    return {QString::fromLatin1(name), role, rectangle, std::move(drawing)};
}

using Role = SchematicLayerRole;

std::vector<SchematicPage> BuildPages() {
    const SchematicDrawing narrowRs = RsOverlay();
    const SchematicDrawing wideRs = Translated(narrowRs, kWideRsOffset);
    const SchematicDrawing narrowRL = RLOverlay();
    const SchematicDrawing wideRL = Translated(narrowRL, kWideRLOffset);
    const QRectF narrowRsRect(72, 24, 83, 34);
    const QRectF wideRsRect = narrowRsRect.translated(kWideRsOffset);
    const QRectF narrowRLRect(217, 29, 75, 82);
    const QRectF wideRLRect = narrowRLRect.translated(kWideRLOffset);
    const SchematicDrawing lowPass = LowPassSchematic();
    const SchematicDrawing completeSketch = CompleteRiaaSketch();

    std::vector<SchematicPage> pages;
    pages.push_back(
        {CircuitCaption(0),
         {Layer("Label1", Role::Caption, {148, 8, 100, 15}, Caption(22, {148, 8})),
          Layer("ImageRsa", Role::RsOverlay, narrowRsRect, narrowRs),
          Layer("Image3", Role::Sketch, {8, 136, 260, 107}, LowPass50HzSketch()),
          Layer("ImageRLa", Role::RLOverlay, narrowRLRect, narrowRL),
          Layer("Image2", Role::Base, {152, 6, 82, 120}, lowPass),
          Layer("Image24", Role::Equations, {296, 176, 96, 15},
                Equations({{"R1C1 = 3180µS", {296, 176}}}, kNarrowEquationPixels))}});
    pages.push_back(
        {CircuitCaption(1),
         {Layer("Label2", Role::Caption, {147, 8, 100, 15}, Caption(22, {147, 8})),
          Layer("ImageRLb", Role::RLOverlay, narrowRLRect, narrowRL),
          Layer("Image13", Role::Sketch, {4, 136, 265, 107}, LowPass2122HzSketch()),
          Layer("Image25", Role::Equations, {304, 184, 81, 15},
                Equations({{"R1C1 = 75µS", {304, 184}}}, kNarrowEquationPixels)),
          Layer("ImageRsb", Role::RsOverlay, narrowRsRect, narrowRs),
          Layer("Image14", Role::Base, {152, 6, 82, 120}, lowPass)}});
    pages.push_back(
        {CircuitCaption(2),
         {Layer("Label3", Role::Caption, {147, 8, 100, 15}, Caption(22, {147, 8})),
          Layer("ImageRLc", Role::RLOverlay, narrowRLRect, narrowRL),
          Layer("ImageRsc", Role::RsOverlay, narrowRsRect, narrowRs),
          Layer("Image10", Role::Equations, {264, 160, 137, 44},
                Equations({{"R1 = 9R2", {264, 160}},
                           {"R2C1 = 318µS", {264, 174.5}},
                           {"(R1 + R2)C1 = 3180µS", {264, 188.5}}},
                          kWideEquationPixels)),
          Layer("Image11", Role::Sketch, {8, 136, 246, 109}, FallingShelfSketch()),
          Layer("Image15", Role::Base, {152, 6, 83, 120}, FallingShelfSchematic())}});
    pages.push_back(
        {CircuitCaption(3),
         {Layer("Label4", Role::Caption, {147, 8, 100, 15}, Caption(22, {147, 8})),
          Layer("ImageRLd", Role::RLOverlay, narrowRLRect, narrowRL),
          Layer("ImageRsd", Role::RsOverlay, narrowRsRect, narrowRs),
          Layer("Image8", Role::Base, {152, 7, 83, 119}, RisingShelfSchematic()),
          Layer("Image9", Role::Sketch, {8, 136, 246, 109}, RisingShelfSketch()),
          Layer("Image27", Role::Equations, {272, 168, 121, 54},
                Equations({{"R2/R1 = 3.244", {272, 168}},
                           {"(R1 || R2)C1 = 75µS", {272, 187.5}},
                           {"C1R2 = 318", {272, 206.5}}},
                          kWideEquationPixels))}});
    pages.push_back(
        {CircuitCaption(4),
         {Layer("Label5", Role::Caption, {140, 8, 128, 15}, Caption(30, {140, 8})),
          Layer("ImageRLe", Role::RLOverlay, wideRLRect, wideRL),
          Layer("ImageRse", Role::RsOverlay, wideRsRect, wideRs),
          Layer("Image7", Role::Sketch, {8, 136, 248, 107}, completeSketch),
          Layer("Image6", Role::Base, {143, 5, 125, 120}, CompleteVersion1Schematic()),
          Layer("Image31", Role::Equations, {280, 144, 107, 95},
                Equations({{"R1C1 = 2187µS", {280, 144}},
                           {"R1C2 = 750µS", {280, 164}},
                           {"R2C1 = 318µS", {280, 184}},
                           {"R2C2 = 109.05µS", {280, 204}},
                           {"C1/C2 = 2.916", {280, 224}}},
                          kWideEquationPixels))}});
    // Version 2 is designed by exact rules: R1·C1 and R2·C1 are fixed directly, and 318 µs falls on R2 with both
    // capacitors, so the panel states those rules rather than the rounded 3180/75 µs pair.
    pages.push_back(
        {CircuitCaption(5),
         {Layer("Label6", Role::Caption, {140, 8, 128, 15}, Caption(30, {140, 8})),
          Layer("Image5", Role::Sketch, {8, 136, 248, 107}, completeSketch),
          Layer("ImageRLf", Role::RLOverlay, wideRLRect, wideRL),
          Layer("ImageRsf", Role::RsOverlay, wideRsRect, wideRs),
          Layer("Image4", Role::Base, {143, 5, 124, 120}, CompleteVersion2Schematic()),
          Layer("Image30", Role::Equations, {264, 149, 137, 73},
                Equations({{"R1C1 = 2937µS", {264, 149}},
                           {"R2C1 = 236.8µS", {264, 168}},
                           {"R2(C1 + C2) = 318µS", {264, 187.5}},
                           {"C1/C2 = 2.916", {264, 206.5}}},
                          kWideEquationPixels))}});
    return pages;
}

QString OverlayName(const char* prefix, int circuit) {
    if (circuit < 0 || circuit >= kSchematicPageCount)
        return {};
    return QString::fromLatin1(prefix) + QChar(QLatin1Char('a').unicode() + circuit);
}

}  // namespace

const std::vector<SchematicPage>& SchematicPages() {
    static const std::vector<SchematicPage> pages = BuildPages();
    return pages;
}

QString RsOverlayName(int circuit) { return OverlayName("ImageRs", circuit); }

QString RLOverlayName(int circuit) { return OverlayName("ImageRL", circuit); }
