// Tests of the schematic area: pixels of the rendered pages, the overlay switches and the drawings' data.
#include "common/Fonts.h"
#include "circuit/SchematicPages.h"
#include "circuit/SchematicView.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <climits>
#include <cmath>
#include <map>
#include <set>

namespace {

const QRgb kBackground = qRgb(227, 227, 227);
const QRgb kWire = qRgb(41, 41, 41);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// A coordinate on a half pixel may land on either neighbouring pixel; both count as its place.
std::set<int> PixelsOf(double v) { return {static_cast<int>(std::floor(v)), static_cast<int>(std::ceil(v))}; }

bool AnyPixelIs(const QImage& image, double x, double y, QRgb colour) {
    for (int px : PixelsOf(x))
        for (int py : PixelsOf(y))
            if (image.pixel(px, py) == colour)
                return true;
    return false;
}

QImage Render(SchematicView& view, int circuit, bool rs, bool rl) {
    view.showCircuit(circuit);
    view.setRsOverlaysVisible(rs);
    view.setRLOverlaysVisible(rl);
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of a rectangle differ from the page background.
int DrawnPixels(const QImage& image, const QRect& area, QRgb colour = 0, bool onlyColour = false) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (onlyColour ? pixel == colour : pixel != kBackground)
                ++count;
        }
    return count;
}

const SchematicLayer* FindLayer(int page, SchematicLayerRole role) {
    for (const auto& layer : SchematicPages()[static_cast<std::size_t>(page)].layers)
        if (layer.role == role)
            return &layer;
    return nullptr;
}

std::vector<TextPrimitive> Texts(const SchematicDrawing& drawing) {
    std::vector<TextPrimitive> texts;
    for (const auto& primitive : drawing)
        if (const auto* text = std::get_if<TextPrimitive>(&primitive))
            texts.push_back(*text);
    return texts;
}

// The place of a primitive in the building order: wires, masks, symbol strokes, terminals and dots, labels.
int BuildingStep(const SchematicPrimitive& primitive) {
    if (const auto* line = std::get_if<PolylinePrimitive>(&primitive))
        return line->colour == QColor(kWire) ? 0 : 2;
    if (std::holds_alternative<FilledPolygonPrimitive>(primitive))
        return 1;
    if (std::holds_alternative<CirclePrimitive>(primitive))
        return 3;
    return 4;
}

// The pixels that switching one overlay on changes, with the colour each then shows.
using PixelMap = std::map<std::pair<int, int>, QRgb>;
PixelMap OverlayPixels(SchematicView& view, int circuit, bool rs) {
    const QImage off = Render(view, circuit, false, false);
    const QImage on = Render(view, circuit, rs, !rs);
    PixelMap changed;
    for (int y = 0; y < on.height(); ++y)
        for (int x = 0; x < on.width(); ++x)
            if (on.pixel(x, y) != off.pixel(x, y))
                changed[{x, y}] = on.pixel(x, y);
    return changed;
}

// The curve as the page description gives it, drawn alone on the background by the pixel-centre convention.
QImage ReferenceCurve(const QList<QPointF>& points) {
    QImage image(SchematicView::kWidth, SchematicView::kHeight, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(QColor(255, 0, 0), 1));
    painter.drawPolyline(points.constData(), static_cast<int>(points.size()));
    return image;
}

}  // namespace

class SchematicTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void widgetIdentity() {
        SchematicView view;
        QCOMPARE(view.objectName(), QStringLiteral("Notebook2"));
        QCOMPARE(view.size(), QSize(405, 250));
        QCOMPARE(view.minimumSize(), view.maximumSize());
        QCOMPARE(view.currentCircuit(), 0);
    }

    void backgroundOnEveryPage_data() {
        QTest::addColumn<int>("circuit");
        for (int c = 0; c < kSchematicPageCount; ++c)
            QTest::addRow("page %d", c) << c;
    }
    void backgroundOnEveryPage() {
        QFETCH(int, circuit);
        SchematicView view;
        const QImage image = Render(view, circuit, true, true);
        for (const QPoint corner : {QPoint(0, 0), QPoint(404, 0), QPoint(0, 249), QPoint(404, 249), QPoint(5, 60)})
            QCOMPARE(image.pixel(corner), kBackground);
    }

    // The divider bar of the circuit page lies over rows 127 to 133: nothing may be drawn under it.
    void dividerBandLeftFree_data() { backgroundOnEveryPage_data(); }
    void dividerBandLeftFree() {
        QFETCH(int, circuit);
        SchematicView view;
        const QImage image = Render(view, circuit, true, true);
        QCOMPARE(DrawnPixels(image, QRect(0, 127, 405, 7)), 0);
        for (const auto& layer : SchematicPages()[static_cast<std::size_t>(circuit)].layers)
            QVERIFY2(layer.rectangle.bottom() <= 127 || layer.rectangle.top() >= 134, qPrintable(layer.name));
    }

    void terminalsAreWhiteWithBlackOutline_data() { backgroundOnEveryPage_data(); }
    void terminalsAreWhiteWithBlackOutline() {
        QFETCH(int, circuit);
        SchematicView view;
        const QImage image = Render(view, circuit, true, true);
        int terminals = 0;
        for (const auto& primitive : FindLayer(circuit, SchematicLayerRole::Base)->drawing) {
            const auto* circle = std::get_if<CirclePrimitive>(&primitive);
            if (circle == nullptr || circle->fill != QColor(kWhite))
                continue;
            ++terminals;
            const QPointF c = circle->centre;
            QVERIFY(AnyPixelIs(image, c.x(), c.y(), kWhite));
            // The outline closes the circle above and below its centre, over the wire and the overlays' dashes.
            QVERIFY(AnyPixelIs(image, c.x(), c.y() - 2, kBlack));
            QVERIFY(AnyPixelIs(image, c.x(), c.y() + 2, kBlack));
            QVERIFY(!AnyPixelIs(image, c.x(), c.y(), kWire));
        }
        QCOMPARE(terminals, 2);
    }

    // Each signal wire: samples outside the series resistor carry the wire colour; inside its span none does.
    void signalWireAndResistorSpan_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<int>("y");
        QTest::addColumn<QList<int>>("wireXs");
        QTest::addColumn<int>("spanLeft");
        QTest::addColumn<int>("spanRight");
        const QList<int> narrow{158, 165, 172, 205, 212, 226};
        QTest::addRow("page 0") << 0 << 29 << narrow << 174 << 203;
        QTest::addRow("page 1") << 1 << 29 << narrow << 174 << 203;
        QTest::addRow("page 2") << 2 << 29 << (narrow + QList<int>{229}) << 174 << 203;
        QTest::addRow("page 3") << 3 << 29 << QList<int>{158, 163, 165, 172, 205, 212, 222, 229} << 174 << 203;
        QTest::addRow("page 4") << 4 << 28 << QList<int>{149, 156, 163, 196, 220, 247} << 165 << 194;
        QTest::addRow("page 5") << 5 << 28 << QList<int>{149, 156, 163, 196, 220, 246} << 165 << 194;
    }
    void signalWireAndResistorSpan() {
        QFETCH(int, circuit);
        QFETCH(int, y);
        QFETCH(QList<int>, wireXs);
        QFETCH(int, spanLeft);
        QFETCH(int, spanRight);
        SchematicView view;
        for (const bool overlays : {false, true}) {
            const QImage image = Render(view, circuit, overlays, overlays);
            for (int x : wireXs)
                QVERIFY2(image.pixel(x, y) == kWire, qPrintable(QStringLiteral("x %1").arg(x)));
            for (int x = spanLeft + 1; x < spanRight; ++x)
                QVERIFY2(image.pixel(x, y) != kWire, qPrintable(QStringLiteral("x %1").arg(x)));
            QVERIFY(DrawnPixels(image, QRect(spanLeft, y - 5, spanRight - spanLeft, 11), kBlack, true) > 20);
        }
    }

    // Resistors in vertical wires, the load's included: the wire stops at the zigzag's ends.
    void verticalResistorSpans_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("withLoad");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<QRgb>("below");  // what the resistor's lower end leads into
        QTest::addRow("page 2 R2") << 2 << false << 218.0 << 75.0 << 46.0 << kWire;
        QTest::addRow("page 3 R1, onto the ground lead") << 3 << false << 218.0 << 103.5 << 74.5 << kBlack;
        QTest::addRow("page 4 R2") << 4 << false << 208.5 << 74.0 << 45.0 << kWire;
        QTest::addRow("page 5 R2") << 5 << false << 208.0 << 74.0 << 45.0 << kWire;
        QTest::addRow("page 0 RL") << 0 << true << 265.0 << 86.0 << 57.5 << kWire;
        QTest::addRow("page 5 RL") << 5 << true << 285.0 << 85.0 << 56.5 << kWire;
    }
    void verticalResistorSpans() {
        QFETCH(int, circuit);
        QFETCH(bool, withLoad);
        QFETCH(double, x);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(QRgb, below);
        SchematicView view;
        const QImage image = Render(view, circuit, false, withLoad);
        for (int y = static_cast<int>(std::ceil(upper)) + 1; y < static_cast<int>(lower); ++y)
            QVERIFY2(!AnyPixelIs(image, x, y, kWire), qPrintable(QStringLiteral("y %1").arg(y)));
        if (!withLoad) {
            QVERIFY(AnyPixelIs(image, x, upper - 3, kWire));
            QVERIFY(AnyPixelIs(image, x, lower + 3, below));
        }
    }

    // Between a capacitor's plates the wire is cut; beyond them it goes on.
    void capacitorGaps_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("wire");
        QTest::addColumn<double>("plateA");
        QTest::addColumn<double>("plateB");
        QTest::addRow("page 0 C1") << 0 << true << 217.0 << 70.0 << 77.0;
        QTest::addRow("page 1 C1") << 1 << true << 217.0 << 70.0 << 77.0;
        QTest::addRow("page 2 C1") << 2 << true << 218.0 << 89.5 << 96.5;
        QTest::addRow("page 3 C1") << 3 << false << 53.0 << 186.0 << 193.5;
        QTest::addRow("page 4 C1") << 4 << true << 208.5 << 88.5 << 95.5;
        QTest::addRow("page 4 C2") << 4 << true << 237.5 << 64.5 << 71.5;
        QTest::addRow("page 5 C2") << 5 << true << 237.0 << 55.0 << 62.0;
        QTest::addRow("page 5 C1") << 5 << true << 237.0 << 90.5 << 98.0;
    }
    void capacitorGaps() {
        QFETCH(int, circuit);
        QFETCH(bool, vertical);
        QFETCH(double, wire);
        QFETCH(double, plateA);
        QFETCH(double, plateB);
        SchematicView view;
        const QImage image = Render(view, circuit, false, false);
        auto at = [&](double along) { return vertical ? QPointF(wire, along) : QPointF(along, wire); };
        for (int along = static_cast<int>(std::floor(plateA)) + 2; along <= static_cast<int>(plateB) - 1; ++along) {
            for (int px : PixelsOf(wire)) {
                const QPoint p = vertical ? QPoint(px, along) : QPoint(along, px);
                QVERIFY2(image.pixel(p) == kBackground, qPrintable(QStringLiteral("at %1").arg(along)));
            }
        }
        QVERIFY(AnyPixelIs(image, at(plateA).x(), at(plateA).y(), kBlack));
        QVERIFY(AnyPixelIs(image, at(plateB).x(), at(plateB).y(), kBlack));
        QVERIFY(AnyPixelIs(image, at(plateA - 3).x(), at(plateA - 3).y(), kWire));
        QVERIFY(AnyPixelIs(image, at(plateB + 3).x(), at(plateB + 3).y(), kWire));
    }

    // Page 3 alone marks a junction; the same place on page 2 is a plain wire crossing.
    void junctionDot_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<bool>("dot");
        QTest::addRow("page 3 right junction") << 3 << QPoint(217, 29) << true;
        QTest::addRow("page 3 left junction") << 3 << QPoint(164, 29) << false;
        QTest::addRow("page 2 junction") << 2 << QPoint(218, 29) << false;
        QTest::addRow("page 0 junction") << 0 << QPoint(217, 29) << false;
    }
    void junctionDot() {
        QFETCH(int, circuit);
        QFETCH(QPoint, place);
        QFETCH(bool, dot);
        SchematicView view;
        const QImage image = Render(view, circuit, false, false);
        const int black = DrawnPixels(image, QRect(place - QPoint(1, 1), QSize(3, 3)), kBlack, true);
        QCOMPARE(black >= 6, dot);
        if (!dot)
            QCOMPARE(image.pixel(place), kWire);
    }

    // Each overlay shows on every page exactly when switched on, whichever page was shown when it was switched.
    void overlaysFollowTheirSwitch_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("rs");
        QTest::addColumn<bool>("rl");
        for (int c = 0; c < kSchematicPageCount; ++c)
            for (int both = 0; both < 4; ++both)
                QTest::addRow("page %d rs %d rl %d", c, both & 1, both >> 1) << c << bool(both & 1) << bool(both >> 1);
    }
    void overlaysFollowTheirSwitch() {
        QFETCH(int, circuit);
        QFETCH(bool, rs);
        QFETCH(bool, rl);
        SchematicView view;
        // Switched while another page is shown: the hidden pages follow too.
        view.showCircuit((circuit + 3) % kSchematicPageCount);
        view.setRsOverlaysVisible(rs);
        view.setRLOverlaysVisible(rl);
        view.showCircuit(circuit);
        const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const bool wide = circuit >= 4;
        const QRect rsArea = wide ? QRect(63, 18, 68, 40) : QRect(72, 19, 68, 40);
        const QRect rlArea = wide ? QRect(275, 28, 37, 82) : QRect(255, 29, 37, 82);
        QCOMPARE(DrawnPixels(image, rsArea, kWire, true) > 15, rs);
        QCOMPARE(DrawnPixels(image, rsArea, kBlack, true) > 20, rs);
        QCOMPARE(DrawnPixels(image, rlArea, kWire, true) > 40, rl);
        QCOMPARE(DrawnPixels(image, rlArea, kBlack, true) > 20, rl);
        if (!rs)
            QCOMPARE(DrawnPixels(image, rsArea), 0);
        if (!rl)
            QCOMPARE(DrawnPixels(image, rlArea), 0);

        // The load's return run ends on the ground lead, above the bars.
        const auto* base = FindLayer(circuit, SchematicLayerRole::Base);
        QVERIFY(base != nullptr);
        const int returnRow = wide ? 109 : 110;
        const int lead = wide ? 237 : 217;
        QCOMPARE(DrawnPixels(image, QRect(lead + 1, returnRow, 4, 1), kWire, true) >= 3, rl);

        for (int c = 0; c < kSchematicPageCount; ++c) {
            const auto* rsOverlay = view.findChild<SchematicOverlay*>(RsOverlayName(c));
            const auto* rlOverlay = view.findChild<SchematicOverlay*>(RLOverlayName(c));
            QVERIFY(rsOverlay != nullptr && rlOverlay != nullptr);
            QCOMPARE(rsOverlay->isVisible(), rs);
            QCOMPARE(rlOverlay->property("visible").toBool(), rl);
        }
    }

    void overlayObjectsByName() {
        SchematicView view;
        const QStringList expected{"ImageRsa", "ImageRsb", "ImageRsc", "ImageRsd", "ImageRse", "ImageRsf",
                                   "ImageRLa", "ImageRLb", "ImageRLc", "ImageRLd", "ImageRLe", "ImageRLf"};
        for (const auto& name : expected) {
            auto* overlay = view.findChild<SchematicOverlay*>(name);
            QVERIFY2(overlay != nullptr, qPrintable(name));
            QCOMPARE(overlay->property("visible").toBool(), false);
            // Visibility is the view's to set: the property cannot be written from outside.
            QVERIFY(!overlay->setProperty("visible", true));
            QCOMPARE(overlay->isVisible(), false);
        }
        QCOMPARE(view.findChildren<SchematicOverlay*>().size(), expected.size());
        QCOMPARE(RsOverlayName(-1), QString());
        QCOMPARE(RLOverlayName(6), QString());

        auto* first = view.findChild<SchematicOverlay*>("ImageRLa");
        QSignalSpy spy(first, &SchematicOverlay::visibleChanged);
        view.setRLOverlaysVisible(true);
        view.setRLOverlaysVisible(true);
        QCOMPARE(spy.size(), 1);
    }

    void showCircuitIgnoresOutOfRange_data() {
        QTest::addColumn<int>("circuit");
        for (int c : {-1, 6, 7, 100, INT_MIN, INT_MAX})
            QTest::addRow("%d", c) << c;
    }
    void showCircuitIgnoresOutOfRange() {
        QFETCH(int, circuit);
        SchematicView view;
        view.showCircuit(4);
        const QImage before = view.grab().toImage();
        view.showCircuit(circuit);
        QCOMPARE(view.currentCircuit(), 4);
        QCOMPARE(view.grab().toImage(), before);
    }

    void everyPageLooksDifferent() {
        SchematicView view;
        QList<QImage> images;
        for (int c = 0; c < kSchematicPageCount; ++c) {
            view.showCircuit(c);
            QCOMPARE(view.currentCircuit(), c);
            images.append(view.grab().toImage());
        }
        for (int a = 0; a < images.size(); ++a)
            for (int b = a + 1; b < images.size(); ++b)
                QVERIFY(images[a] != images[b]);
    }

    // The Rs overlay's wire row on page 0, pixel by pixel: seven dashes of 8 px and 4 px gaps from the input
    // terminal (x = 155 down to 74.5), cut by the resistor from 84 to 113.5, whose zigzag crosses the row at
    // every swing; the terminal (152 to 156) covers the first dash's end.
    void rsOverlayWireRow() {
        SchematicView view;
        const PixelMap rs = OverlayPixels(view, 0, true);
        std::set<int> wire, zigzag;
        for (const auto& [place, colour] : rs) {
            if (place.second != 29)
                continue;
            if (colour == kWire)
                wire.insert(place.first);
            else if (colour == kBlack)
                zigzag.insert(place.first);
        }
        std::set<int> expectedWire;
        for (const auto& [from, to] : {std::pair{75, 83}, {115, 119}, {123, 131}, {135, 143}, {147, 151}})
            for (int x = from; x <= to; ++x)
                expectedWire.insert(x);
        QCOMPARE(wire, expectedWire);
        QCOMPARE(zigzag, (std::set<int>{84, 89, 94, 99, 104, 109, 114}));
        // Nothing of the overlay right of the terminal or left of the open end.
        for (const auto& entry : rs)
            QVERIFY(entry.first.first >= 75 && entry.first.first <= 151);
    }

    // The RL overlay's wires keep to the path of the page description: along the signal wire (y = 29), down at
    // x = 265 and back along y = 110, ending on the ground lead; every wire pixel lies on it, and the path's
    // corners are drawn.
    void rlOverlayWirePath() {
        SchematicView view;
        const PixelMap rl = OverlayPixels(view, 0, false);
        for (const auto& [place, colour] : rl) {
            if (colour != kWire)
                continue;
            const auto [x, y] = place;
            const bool onPath = (y == 29 && x >= 232 && x <= 265) || (x == 265 && y >= 29 && y <= 110) ||
                                (y == 110 && x >= 218 && x <= 265);
            QVERIFY2(onPath, qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
        }
        for (const auto& corner : {std::pair{265, 110}, std::pair{218, 110}, std::pair{234, 29}})
            QCOMPARE(rl.count(corner), std::size_t{1});
        // The descending run, row by row: the dashes continue the layout from the output terminal (33.5 px
        // before the corner), and the resistor from 86 up to 57.5 masks the wire between its ends.
        std::set<int> runRows;
        for (const auto& [place, colour] : rl)
            if (place.first == 265 && colour == kWire && place.second > 29)
                runRows.insert(place.second);
        std::set<int> expectedRows;
        for (const auto& [from, to] : {std::pair{32, 40}, {44, 52}, {56, 57}, {87, 88}, {92, 100}, {104, 110}})
            for (int y = from; y <= to; ++y)
                expectedRows.insert(y);
        QCOMPARE(runRows, expectedRows);
    }

    // Each overlay is one drawing, placed per frame: on every page it changes exactly the pixels it changes on
    // page 0, moved by that page's offset. Near the base's terminal and ground lead, which the base paints over
    // the overlay and which stand half a pixel apart between pages, the comparison leaves out a margin.
    void overlayPlacedPixelForPixel_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("rs");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QRect>("compared");  // on page 0
        const QRect rsArea(60, 20, 100, 45);
        const QRect rlArea(236, 20, 70, 86);
        for (int c = 0; c < kSchematicPageCount; ++c) {
            const bool wide = c >= 4;
            QTest::addRow("Rs, page %d", c) << c << true << (wide ? QPoint(-9, -1) : QPoint(0, 0)) << rsArea;
            QTest::addRow("RL, page %d", c) << c << false << (wide ? QPoint(20, -1) : QPoint(0, 0)) << rlArea;
        }
    }
    void overlayPlacedPixelForPixel() {
        QFETCH(int, circuit);
        QFETCH(bool, rs);
        QFETCH(QPoint, offset);
        QFETCH(QRect, compared);
        SchematicView view;
        const PixelMap reference = OverlayPixels(view, 0, rs);
        const PixelMap placed = OverlayPixels(view, circuit, rs);
        int comparedPixels = 0;
        for (int y = compared.top(); y <= compared.bottom(); ++y)
            for (int x = compared.left(); x <= compared.right(); ++x) {
                const auto expected = reference.find({x, y});
                const auto actual = placed.find({x + offset.x(), y + offset.y()});
                const QString where = QStringLiteral("page 0 at %1, %2").arg(x).arg(y);
                QVERIFY2((expected == reference.end()) == (actual == placed.end()), qPrintable(where));
                if (expected != reference.end()) {
                    QVERIFY2(expected->second == actual->second, qPrintable(where));
                    ++comparedPixels;
                }
            }
        QVERIFY(comparedPixels > 100);
        // Outside its own rectangle, moved along, the overlay changes nothing.
        const QRectF rectangle = FindLayer(circuit, rs ? SchematicLayerRole::RsOverlay : SchematicLayerRole::RLOverlay)
                                     ->rectangle.adjusted(-1, -1, 1, 1);
        for (const auto& entry : placed)
            QVERIFY(rectangle.contains(entry.first.first, entry.first.second));
    }

    // The red curve of each sketch, pixel for pixel against the page description's points drawn alone. Text
    // painted after the curve (the labels) may hide some of it; the red level label is left out.
    void sketchCurvePixelForPixel_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QList<QPointF>>("curve");
        const QList<QPointF> lowPass{{8, 143},     {24, 143.5}, {37, 144.5},  {47, 146},     {57, 148},
                                     {63.5, 150.5}, {84.5, 160}, {105, 170},   {124.5, 181}, {143.5, 192},
                                     {181, 215},    {200, 226.5}, {219.5, 237.5}};
        const QList<QPointF> fallingShelf{{8, 145.5},  {24, 146.5},  {36.5, 148},  {46.5, 151},   {54, 154},
                                          {61.5, 159}, {66.5, 163},  {73.5, 171},  {79, 180.5},   {85, 190},
                                          {92.5, 198}, {100, 204.5}, {112, 209},   {124.5, 211.5}, {142.5, 212.5},
                                          {157, 213},  {174, 213}};
        const QList<QPointF> completeRiaa{{8, 145.5},    {24, 146},    {37, 147.5},  {46.5, 149},   {54, 150.5},
                                          {62.5, 154.5}, {76, 162},    {87.5, 169},  {99, 176},     {113.5, 182},
                                          {125, 183.5},  {143, 185},   {154.5, 186.5}, {167, 189.5}, {180, 196},
                                          {193.5, 203.5}, {208, 211},  {219.5, 217}, {226.5, 220.5}};
        // Page 1: page 0's curve 4 px left and 0.3 px down. Page 3: page 2's mirrored about x = 91.
        QList<QPointF> shifted, mirrored;
        for (const QPointF p : lowPass)
            shifted << p + QPointF(-4, 0.3);
        for (auto it = fallingShelf.crbegin(); it != fallingShelf.crend(); ++it)
            mirrored << QPointF(182 - it->x(), it->y());
        QCOMPARE(shifted.back(), QPointF(215.5, 237.8));
        QCOMPARE(mirrored.front(), QPointF(8, 213));
        QTest::addRow("page 0") << 0 << lowPass;
        QTest::addRow("page 1") << 1 << shifted;
        QTest::addRow("page 2") << 2 << fallingShelf;
        QTest::addRow("page 3") << 3 << mirrored;
        QTest::addRow("page 4") << 4 << completeRiaa;
        QTest::addRow("page 5") << 5 << completeRiaa;
    }
    void sketchCurvePixelForPixel() {
        QFETCH(int, circuit);
        QFETCH(QList<QPointF>, curve);
        SchematicView view;
        const QImage page = Render(view, circuit, false, false);
        const QImage reference = ReferenceCurve(curve);
        const SchematicLayer* sketch = FindLayer(circuit, SchematicLayerRole::Sketch);
        QRectF levelLabel;
        for (const auto& text : Texts(sketch->drawing))
            if (text.colour == QColor(255, 0, 0))
                levelLabel = QRectF(text.topLeft, QSizeF(60, 20)).adjusted(-1, -1, 0, 0);
        QVERIFY(!levelLabel.isNull());
        const QRgb red = qRgb(255, 0, 0);
        int matched = 0;
        const QRect area = sketch->rectangle.toAlignedRect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) {
                if (levelLabel.contains(x, y))
                    continue;
                const QRgb shown = page.pixel(x, y);
                const bool hiddenByText = shown != red && shown != kBackground && shown != kWire &&
                                          shown != qRgb(0, 0, 255);
                const QString where = QStringLiteral("%1, %2").arg(x).arg(y);
                if (reference.pixel(x, y) == red) {
                    QVERIFY2(shown == red || hiddenByText, qPrintable(where));
                    matched += shown == red;
                } else {
                    QVERIFY2(shown != red, qPrintable(where));
                }
            }
        QVERIFY(matched > 150);
    }

    // ---- The drawings as data -------------------------------------------------------------------------------

    void layerOrder_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QStringList>("names");
        QTest::addRow("page 0") << 0 << QStringList{"Label1", "ImageRsa", "Image3", "ImageRLa", "Image2", "Image24"};
        QTest::addRow("page 1") << 1 << QStringList{"Label2", "ImageRLb", "Image13", "Image25", "ImageRsb", "Image14"};
        QTest::addRow("page 2") << 2 << QStringList{"Label3", "ImageRLc", "ImageRsc", "Image10", "Image11", "Image15"};
        QTest::addRow("page 3") << 3 << QStringList{"Label4", "ImageRLd", "ImageRsd", "Image8", "Image9", "Image27"};
        QTest::addRow("page 4") << 4 << QStringList{"Label5", "ImageRLe", "ImageRse", "Image7", "Image6", "Image31"};
        QTest::addRow("page 5") << 5 << QStringList{"Label6", "Image5", "ImageRLf", "ImageRsf", "Image4", "Image30"};
    }
    void layerOrder() {
        QFETCH(int, circuit);
        QFETCH(QStringList, names);
        QStringList actual;
        for (const auto& layer : SchematicPages()[static_cast<std::size_t>(circuit)].layers)
            actual << layer.name;
        QCOMPARE(actual, names);
    }

    void primitivesStayInsideTheirLayer_data() { backgroundOnEveryPage_data(); }
    void primitivesStayInsideTheirLayer() {
        QFETCH(int, circuit);
        for (const auto& layer : SchematicPages()[static_cast<std::size_t>(circuit)].layers) {
            const QRectF allowed = layer.rectangle.adjusted(-1, -1, 1, 1);
            for (const auto& primitive : layer.drawing) {
                QList<QPointF> points;
                if (const auto* line = std::get_if<PolylinePrimitive>(&primitive))
                    points = line->points;
                else if (const auto* area = std::get_if<FilledPolygonPrimitive>(&primitive))
                    points = area->points;
                else if (const auto* circle = std::get_if<CirclePrimitive>(&primitive))
                    points = {circle->centre};
                else
                    points = {std::get<TextPrimitive>(primitive).topLeft};
                for (const QPointF p : points)
                    QVERIFY2(allowed.contains(p), qPrintable(QStringLiteral("%1 at %2, %3")
                                                                 .arg(layer.name)
                                                                 .arg(p.x())
                                                                 .arg(p.y())));
            }
        }
    }

    // Wires first, then masks, symbols, terminals and dots, labels last, in every schematic and overlay.
    void buildingOrder() {
        for (const auto& page : SchematicPages())
            for (const auto& layer : page.layers) {
                if (layer.role != SchematicLayerRole::Base && layer.role != SchematicLayerRole::RsOverlay &&
                    layer.role != SchematicLayerRole::RLOverlay)
                    continue;
                int step = 0;
                for (const auto& primitive : layer.drawing) {
                    QVERIFY2(BuildingStep(primitive) >= step, qPrintable(layer.name));
                    step = BuildingStep(primitive);
                }
                QCOMPARE(step, 4);
            }
    }

    void formulaPanels_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<QPointF>>("positions");
        QTest::addColumn<double>("pixels");
        QTest::addRow("page 0") << 0 << QStringList{"R1C1 = 3180µS"} << QList<QPointF>{{296, 176}} << 13.0;
        QTest::addRow("page 1") << 1 << QStringList{"R1C1 = 75µS"} << QList<QPointF>{{304, 184}} << 13.0;
        QTest::addRow("page 2") << 2 << QStringList{"R1 = 9R2", "R2C1 = 318µS", "(R1 + R2)C1 = 3180µS"}
                                << QList<QPointF>{{264, 160}, {264, 174.5}, {264, 188.5}} << 13.5;
        QTest::addRow("page 3") << 3 << QStringList{"R2/R1 = 3.244", "(R1 || R2)C1 = 75µS", "C1R2 = 318"}
                                << QList<QPointF>{{272, 168}, {272, 187.5}, {272, 206.5}} << 13.5;
        QTest::addRow("page 4") << 4
                                << QStringList{"R1C1 = 2187µS", "R1C2 = 750µS", "R2C1 = 318µS", "R2C2 = 109.05µS",
                                               "C1/C2 = 2.916"}
                                << QList<QPointF>{{280, 144}, {280, 164}, {280, 184}, {280, 204}, {280, 224}} << 13.5;
        // Version 2 states its exact design rules.
        QTest::addRow("page 5") << 5
                                << QStringList{"R1C1 = 2937µS", "R2C1 = 236.8µS", "R2(C1 + C2) = 318µS",
                                               "C1/C2 = 2.916"}
                                << QList<QPointF>{{264, 149}, {264, 168}, {264, 187.5}, {264, 206.5}} << 13.5;
    }
    void formulaPanels() {
        QFETCH(int, circuit);
        QFETCH(QStringList, lines);
        QFETCH(QList<QPointF>, positions);
        QFETCH(double, pixels);
        const auto texts = Texts(FindLayer(circuit, SchematicLayerRole::Equations)->drawing);
        QCOMPARE(static_cast<qsizetype>(texts.size()), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto& text = texts[static_cast<std::size_t>(i)];
            QCOMPARE(text.text, lines[i]);
            QCOMPARE(text.topLeft, positions[i]);
            QCOMPARE(text.pixelSize, pixels);
            QCOMPARE(text.colour, QColor(Qt::black));
        }
    }

    // The longest equation lines still end inside the area at their fractional size.
    void equationsFitInsideTheArea_data() { backgroundOnEveryPage_data(); }
    void equationsFitInsideTheArea() {
        QFETCH(int, circuit);
        SchematicView view;
        const QImage image = Render(view, circuit, false, false);
        const QRectF panel = FindLayer(circuit, SchematicLayerRole::Equations)->rectangle;
        const int firstFreeColumn = static_cast<int>(std::ceil(panel.right())) + 1;
        if (firstFreeColumn < image.width())
            QCOMPARE(DrawnPixels(image, QRect(firstFreeColumn, static_cast<int>(panel.top()),
                                              image.width() - firstFreeColumn, static_cast<int>(panel.height()))),
                     0);
        QVERIFY(DrawnPixels(image, panel.toAlignedRect(), kBlack, true) > 0);
    }

    void captionsAndLabels_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QPointF>("captionAt");
        QTest::addColumn<int>("blanks");
        QTest::addColumn<QStringList>("labels");
        QTest::addRow("page 0") << 0 << QPointF(148, 8) << 22 << QStringList{"R1", "C1"};
        QTest::addRow("page 1") << 1 << QPointF(147, 8) << 22 << QStringList{"R1", "C1"};
        QTest::addRow("page 2") << 2 << QPointF(147, 8) << 22 << QStringList{"R1", "R2", "C1"};
        QTest::addRow("page 3") << 3 << QPointF(147, 8) << 22 << QStringList{"R2", "C1", "R1"};
        QTest::addRow("page 4") << 4 << QPointF(140, 8) << 30 << QStringList{"R1", "R2", "C1", "C2"};
        QTest::addRow("page 5") << 5 << QPointF(140, 8) << 30 << QStringList{"R1", "R2", "C2", "C1"};
    }
    void captionsAndLabels() {
        QFETCH(int, circuit);
        QFETCH(QPointF, captionAt);
        QFETCH(int, blanks);
        QFETCH(QStringList, labels);
        const auto caption = Texts(FindLayer(circuit, SchematicLayerRole::Caption)->drawing);
        QCOMPARE(caption.size(), std::size_t{1});
        QCOMPARE(caption[0].text, QStringLiteral("in") + QString(blanks, ' ') + QStringLiteral("out"));
        QCOMPARE(caption[0].topLeft, captionAt);
        QCOMPARE(caption[0].pixelSize, 12.0);
        QCOMPARE(caption[0].colour, QColor(0, 0, 255));
        QStringList actual;
        for (const auto& text : Texts(FindLayer(circuit, SchematicLayerRole::Base)->drawing)) {
            actual << text.text;
            QCOMPARE(text.pixelSize, 16.0);
        }
        QCOMPARE(actual, labels);
    }

    // Dashes of 8 px with 4 px gaps from the first point; a dash bends round a corner.
    void dashLayout_data() {
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<QList<double>>("lengths");
        QTest::addRow("source path, seven dashes") << QList<QPointF>{{155, 28.5}, {74.5, 28.5}}
                                                   << QList<double>{8, 8, 8, 8, 8, 8, 8};
        QTest::addRow("exactly one dash") << QList<QPointF>{{0, 0}, {8, 0}} << QList<double>{8};
        QTest::addRow("short tail") << QList<QPointF>{{0, 0}, {14, 0}} << QList<double>{8, 2};
        QTest::addRow("round a corner") << QList<QPointF>{{0, 0}, {5, 0}, {5, 10}} << QList<double>{8, 3};
        QTest::addRow("repeated point") << QList<QPointF>{{0, 0}, {0, 0}, {10, 0}} << QList<double>{8};
        QTest::addRow("single point") << QList<QPointF>{{3, 3}} << QList<double>{};
        QTest::addRow("empty") << QList<QPointF>{} << QList<double>{};
        QTest::addRow("infinite segment") << QList<QPointF>{{0, 0}, {INFINITY, 0}} << QList<double>{};
        QTest::addRow("not a number") << QList<QPointF>{{0, 0}, {NAN, 0}} << QList<double>{};
    }
    void dashLayout() {
        QFETCH(QList<QPointF>, path);
        QFETCH(QList<double>, lengths);
        const auto pieces = DashPieces(path);
        QCOMPARE(static_cast<qsizetype>(pieces.size()), lengths.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            double length = 0;
            for (qsizetype k = 1; k < pieces[i].size(); ++k)
                length += std::hypot(pieces[i][k].x() - pieces[i][k - 1].x(), pieces[i][k].y() - pieces[i][k - 1].y());
            QVERIFY2(std::abs(length - lengths[static_cast<qsizetype>(i)]) < 1e-9, qPrintable(QString::number(i)));
        }
        if (!pieces.empty())
            QCOMPARE(pieces.front().front(), path.front());
    }

    // The load's path starts at the output terminal and ends on the ground lead with a shorter piece.
    void loadPathEndsOnTheLead() {
        const auto* overlay = FindLayer(0, SchematicLayerRole::RLOverlay);
        QList<QPointF> ends;
        for (const auto& primitive : overlay->drawing)
            if (const auto* line = std::get_if<PolylinePrimitive>(&primitive); line && line->colour == QColor(kWire))
                ends << line->points.back();
        QVERIFY(!ends.isEmpty());
        QCOMPARE(ends.back(), QPointF(217, 110));
        const auto* wide = FindLayer(4, SchematicLayerRole::RLOverlay);
        QVERIFY(std::any_of(wide->drawing.begin(), wide->drawing.end(), [](const SchematicPrimitive& p) {
            const auto* line = std::get_if<PolylinePrimitive>(&p);
            return line && line->points.back() == QPointF(237, 109);
        }));
    }

    // The painter leaves pixels outside a small target alone and copes with a zero-sized one.
    void paintingIntoTinyImages() {
        for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(10, 3)}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(kBackground);
            if (!image.isNull()) {
                QPainter painter(&image);
                for (const auto& layer : SchematicPages()[3].layers)
                    PaintDrawing(painter, layer.drawing);
            }
            QCOMPARE(image.size(), size);
        }
    }
};

QTEST_MAIN(SchematicTest)
#include "tst_schematic.moc"
