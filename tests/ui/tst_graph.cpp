// The graph page: the drawn pixels, the pointer and attenuation readouts, the buttons and anchors.
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "common/Fonts.h"
#include "common/Hints.h"
#include "graph/GraphImage.h"
#include "graph/GraphPage.h"
#include "graph/ResponseGraph.h"
#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "engine/RiaaResponse.h"

namespace {

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kGreen = qRgb(0, 128, 0);

riaa::NumberLocale PointLocale() { return {".", ","}; }
riaa::NumberLocale CommaLocale() { return {",", "."}; }

QRgb Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }
QRgb Rgb(QRgb colour) { return colour & 0xFFFFFFu; }

QList<int> FullBlackColumns(const QImage& image) {
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        bool black = true;
        for (int y = 0; y < image.height() && black; ++y) black = Pixel(image, x, y) == Rgb(kBlack);
        if (black) columns.append(x);
    }
    return columns;
}

QList<int> FullBlackRows(const QImage& image) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        bool black = true;
        for (int x = 0; x < image.width() && black; ++x) black = Pixel(image, x, y) == Rgb(kBlack);
        if (black) rows.append(y);
    }
    return rows;
}

QSet<QRgb> ColoursIn(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) colours.insert(Pixel(image, x, y));
    }
    return colours;
}

QList<int> RowsOfColour(const QImage& image, int x, QRgb colour) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (Pixel(image, x, y) == Rgb(colour)) rows.append(y);
    }
    return rows;
}

}  // namespace

class GraphTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void gridLines_data();
    void gridLines();
    void curveEnds_data();
    void curveEnds();
    void playbackLineIsTwoPixelsOnTheMiddleRow();
    void curvesPaintInOrder();
    void emptySizesGiveNoPicture_data();
    void emptySizesGiveNoPicture();
    void drawnAtDeviceResolution_data();
    void drawnAtDeviceResolution();

    void pointerReadout_data();
    void pointerReadout();
    void pointerFarOutsideIsAWholeNumber_data();
    void pointerFarOutsideIsAWholeNumber();

    void startsWithGridOnly();
    void mainWindowDrawsTheGridAtStartUp();
    void pageAtTwiceTheDensity();
    void buttonsToggleTheirCurves_data();
    void buttonsToggleTheirCurves();
    void hintsOfTheControls_data();
    void hintsOfTheControls();
    void mouseMoveWritesImageHint();
    void readoutColours();
    void accessibleNames_data();
    void accessibleNames();
    void keyboardAlone();
    void dragBeyondTheImageKeepsReading();

    void typedFrequency_data();
    void typedFrequency();
    void pickedFrequency_data();
    void pickedFrequency();
    void conversionErrorKeepsReadout_data();
    void conversionErrorKeepsReadout();

    void anchorsAndLevelLabels_data();
    void anchorsAndLevelLabels();
    void redrawAfterResizeUsesNewSize();
    void zeroSizedPageIsSafe();
};

// ---- the picture -------------------------------------------------------------------------------

void GraphTest::gridLines_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("design size 600 x 273")
        << 600 << 273
        << QList<int>{55,  87,  109, 127, 141, 154, 164, 173, 182, 236, 268, 291, 309, 323,
                      335, 346, 355, 364, 418, 450, 473, 491, 505, 517, 528, 537, 545}
        << QList<int>{34, 68, 102, 136, 170, 204, 238};
    // Too short for H div 8 to leave a gap: all seven rows fall on row 0.
    QTest::newRow("7 rows high") << 600 << 7
                                 << QList<int>{55,  87,  109, 127, 141, 154, 164, 173, 182,
                                               236, 268, 291, 309, 323, 335, 346, 355, 364,
                                               418, 450, 473, 491, 505, 517, 528, 537, 545}
                                 << QList<int>{0};
}

void GraphTest::gridLines() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QList<int>, columns);
    QFETCH(QList<int>, rows);
    const QImage image = drawResponseGraph(width, height, {});
    QCOMPARE(image.size(), QSize(width, height));
    if (height > 7) {
        QCOMPARE(FullBlackColumns(image), columns);
        QCOMPARE(FullBlackRows(image), rows);
    } else {
        QCOMPARE(FullBlackRows(image), rows);
        for (int x : columns) QCOMPARE(RowsOfColour(image, x, kBlack).size(), height);
    }
    const QSet<QRgb> colours = ColoursIn(image);
    QCOMPARE(colours, (QSet<QRgb>{Rgb(kBlack), qRgb(255, 255, 255) & 0xFFFFFFu}));
}

void GraphTest::curveEnds_data() {
    QTest::addColumn<bool>("inverse");
    QTest::addColumn<int>("column");
    QTest::addColumn<QList<int>>("pixels");
    QTest::addColumn<int>("curveRow");
    // Column 0 also carries the stroke from the start point to the first sample. The sample at
    // x = W (20 kHz) lies just off the bitmap; column W - 1 shows where the last segment starts.
    QTest::newRow("red at 10 Hz") << true << 0 << QList<int>{1, 2} << 2;
    QTest::newRow("red at 20 kHz") << true << 600 << QList<int>{} << 270;
    QTest::newRow("red, last column") << true << 599 << QList<int>{270} << 270;
    QTest::newRow("green at 10 Hz") << false << 0 << QList<int>{271, 272} << 271;
    QTest::newRow("green at 20 kHz") << false << 600 << QList<int>{} << 2;
    QTest::newRow("green, last column") << false << 599 << QList<int>{3} << 3;
}

void GraphTest::curveEnds() {
    QFETCH(bool, inverse);
    QFETCH(int, column);
    QFETCH(QList<int>, pixels);
    QFETCH(int, curveRow);
    const double frequency = GraphFrequencyAt(column, 600);
    const double level = inverse ? riaa::InverseCurveLevel(frequency) : riaa::RecordCurveLevel(frequency);
    QCOMPARE(GraphRowAt(level, 273), curveRow);
    if (column >= 600) return;
    CurveSelection curves;
    curves.inverse = inverse;
    curves.record = !inverse;
    const QImage image = drawResponseGraph(600, 273, curves);
    QCOMPARE(RowsOfColour(image, column, inverse ? kRed : kGreen), pixels);
}

void GraphTest::playbackLineIsTwoPixelsOnTheMiddleRow() {
    const QImage image = drawResponseGraph(600, 273, {false, true, false});
    for (int x = 0; x < image.width(); ++x) {
        QCOMPARE(RowsOfColour(image, x, kBlue), (QList<int>{135, 136}));
    }
}

void GraphTest::curvesPaintInOrder() {
    // Near 1 kHz all three cross: the green curve, drawn last, covers the red one and the blue line.
    const QImage all = drawResponseGraph(600, 273, {true, true, true});
    const QImage redOnly = drawResponseGraph(600, 273, {true, false, false});
    const QImage greenOnly = drawResponseGraph(600, 273, {false, false, true});
    int greenOverBlue = 0;
    for (int y = 0; y < 273; ++y) {
        for (int x = 0; x < 600; ++x) {
            if (Pixel(greenOnly, x, y) == Rgb(kGreen)) {
                QCOMPARE(Pixel(all, x, y), Rgb(kGreen));
                if (y == 135 || y == 136) ++greenOverBlue;
            } else if (Pixel(redOnly, x, y) == Rgb(kRed) && y != 135 && y != 136) {
                QCOMPARE(Pixel(all, x, y), Rgb(kRed));
            }
        }
    }
    QVERIFY(greenOverBlue > 0);
}

void GraphTest::emptySizesGiveNoPicture_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("0 x 0") << 0 << 0;
    QTest::newRow("no width") << 0 << 273;
    QTest::newRow("no height") << 600 << 0;
    QTest::newRow("negative width") << -5 << 273;
    QTest::newRow("negative height") << 600 << -1;
}

void GraphTest::emptySizesGiveNoPicture() {
    QFETCH(int, width);
    QFETCH(int, height);
    QVERIFY(drawResponseGraph(width, height, {true, true, true}).isNull());
    QVERIFY(drawResponseGraph(width, height, {true, true, true}, 2.0).isNull());
    QVERIFY(PointerReadout(0, 0, width, height, PointLocale()).isEmpty());
    QVERIFY(PointerReadout(10, 10, width, height, PointLocale()).isEmpty());
}

void GraphTest::drawnAtDeviceResolution_data() {
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QSize>("deviceSize");
    QTest::addColumn<double>("taggedRatio");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QList<int>>("blueRows");
    QTest::newRow("ratio 1") << 1.0 << QSize(600, 273) << 1.0 << QList<int>{34, 68, 102, 136, 170, 204, 238}
                             << QList<int>{135, 136};
    // Twice the pixels: the grid and the curves stay one device pixel thin, the playback line two.
    QTest::newRow("ratio 2") << 2.0 << QSize(1200, 546) << 2.0 << QList<int>{68, 136, 204, 272, 340, 408, 476}
                             << QList<int>{272, 273};
    QTest::newRow("ratio 1.5") << 1.5 << QSize(900, 410) << 1.5 << QList<int>{51, 102, 153, 204, 255, 306, 357}
                               << QList<int>{204, 205};
    QTest::newRow("ratio 0 stands for 1") << 0.0 << QSize(600, 273) << 1.0
                                          << QList<int>{34, 68, 102, 136, 170, 204, 238} << QList<int>{135, 136};
    QTest::newRow("NaN stands for 1") << std::nan("") << QSize(600, 273) << 1.0
                                      << QList<int>{34, 68, 102, 136, 170, 204, 238} << QList<int>{135, 136};
}

void GraphTest::drawnAtDeviceResolution() {
    QFETCH(double, ratio);
    QFETCH(QSize, deviceSize);
    QFETCH(double, taggedRatio);
    QFETCH(QList<int>, rows);
    QFETCH(QList<int>, blueRows);
    const QImage grid = drawResponseGraph(600, 273, {}, ratio);
    QCOMPARE(grid.size(), deviceSize);
    QCOMPARE(grid.devicePixelRatio(), taggedRatio);
    QCOMPARE(FullBlackRows(grid), rows);
    // Still the 27 frequency lines, each a single device column near its place on the plain picture.
    const QList<int> columns = FullBlackColumns(grid);
    const QList<int> designColumns = FullBlackColumns(drawResponseGraph(600, 273, {}));
    QCOMPARE(columns.size(), designColumns.size());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        QVERIFY2(std::abs(columns[i] - designColumns[i] * taggedRatio) <= 1, qPrintable(QString::number(columns[i])));
        if (i > 0) QVERIFY(columns[i] - columns[i - 1] > 1);
    }
    const QImage playback = drawResponseGraph(600, 273, {false, true, false}, ratio);
    QCOMPARE(RowsOfColour(playback, deviceSize.width() / 2, kBlue), blueRows);
    // The red curve is one device pixel thin wherever it runs flat (at the high end).
    const QImage red = drawResponseGraph(600, 273, {true, false, false}, ratio);
    QCOMPARE(RowsOfColour(red, deviceSize.width() - 1, kRed).size(), 1);
    // At a ratio of 1 it is today's picture, pixel for pixel.
    if (taggedRatio == 1.0) {
        const CurveSelection all{true, true, true};
        QVERIFY(drawResponseGraph(600, 273, all, ratio) == drawResponseGraph(600, 273, all));
    }
}

// ---- the pointer readout -----------------------------------------------------------------------

void GraphTest::pointerReadout_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("readout");
    QTest::newRow("top left") << 0 << 0 << 600 << 273 << false << "| 20.0 dB    10 Hz";
    QTest::newRow("last pixel") << 599 << 272 << 600 << 273 << false << "| -19.9 dB    19748 Hz";
    QTest::newRow("near 1 kHz, below 0 dB") << 364 << 137 << 600 << 273 << false << "| -0.07 dB    1006 Hz";
    QTest::newRow("just above 0 dB") << 0 << 136 << 600 << 273 << false << "| 0.07 dB    10 Hz";
    QTest::newRow("right edge is 20 kHz") << 600 << 273 << 600 << 273 << false << "| -20.0 dB    20000 Hz";
    QTest::newRow("comma locale") << 364 << 137 << 600 << 273 << true << "| -0,07 dB    1006 Hz";
    QTest::newRow("dragged below") << 0 << 1000000 << 600 << 273 << false << "| -146,500 dB    10 Hz";
    QTest::newRow("dragged far left") << -100000 << 0 << 600 << 273 << false << "| 20.0 dB    0 Hz";
    QTest::newRow("one pixel image") << 0 << 0 << 1 << 1 << false << "| 20.0 dB    10 Hz";
}

void GraphTest::pointerReadout() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, comma);
    QFETCH(QString, readout);
    QCOMPARE(PointerReadout(x, y, width, height, comma ? CommaLocale() : PointLocale()), readout);
}

void GraphTest::pointerFarOutsideIsAWholeNumber_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("minimumDigits");
    // 10^166 Hz: far past every integer type, still a double.
    QTest::newRow("beyond 64 bits") << 30000 << 600 << 160;
    // The double itself overflows: the largest one stands in.
    QTest::newRow("x = 1e6") << 1000000 << 600 << 300;
    QTest::newRow("one pixel wide image") << 2000000000 << 1 << 300;
}

void GraphTest::pointerFarOutsideIsAWholeNumber() {
    QFETCH(int, x);
    QFETCH(int, width);
    QFETCH(int, minimumDigits);
    const QString readout = PointerReadout(x, 0, width, 273, PointLocale());
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^\\| 20\\.0 dB    ([1-9][0-9]*) Hz$")).match(readout);
    QVERIFY2(match.hasMatch(), qPrintable(readout));
    QVERIFY(match.captured(1).size() >= minimumDigits);
}

// ---- the page ----------------------------------------------------------------------------------

namespace {

std::unique_ptr<GraphPage> ShownPage(const riaa::NumberLocale& locale = PointLocale()) {
    auto page = std::make_unique<GraphPage>(locale);
    page->show();
    if (!QTest::qWaitForWindowExposed(page.get())) return nullptr;
    page->SpdBtnInvRIAAEqClick();
    return page;
}

QPushButton* Button(GraphPage& page, const QString& name) { return page.findChild<QPushButton*>(name); }

const QImage& PictureOf(GraphPage& page) { return page.findChild<GraphImage*>("Image1")->picture(); }

// What a screen reader calls the control. Qt on X11 gives an editable box its text as the name and
// its caption through the label relation.
QString AccessibleName(QAccessibleInterface* control) {
    if (control->role() != QAccessible::ComboBox) return control->text(QAccessible::Name);
    const auto labels = control->relations(QAccessible::Label);
    return labels.size() == 1 ? labels.first().first->text(QAccessible::Name) : QString();
}

// A move to where the pointer already is raises no event; a step aside first makes sure one comes.
void MovePointer(QWidget* widget, QPoint to) {
    QTest::mouseMove(widget, to + QPoint(1, 1));
    QTest::mouseMove(widget, to);
}

}  // namespace

void GraphTest::startsWithGridOnly() {
    auto page = ShownPage();
    QVERIFY(page);
    const QImage& picture = PictureOf(*page);
    QCOMPARE(picture.size(), QSize(600, 273));
    QCOMPARE(FullBlackColumns(picture).size(), 27);
    QCOMPARE(FullBlackRows(picture).size(), 7);
    const QSet<QRgb> colours = ColoursIn(picture);
    QVERIFY(!colours.contains(Rgb(kRed)) && !colours.contains(Rgb(kBlue)) && !colours.contains(Rgb(kGreen)));

    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    QVERIFY(box && box->isEditable());
    QCOMPARE(box->currentText(), QStringLiteral("1000"));
    QCOMPARE(box->count(), 60);
    QCOMPARE(box->itemText(0), QStringLiteral("0"));
    QCOMPARE(box->itemText(59), QStringLiteral("100000"));
    QCOMPARE(page->findChild<QLabel*>("LMDLabelAtten")->text(), QStringLiteral("0 dB"));
}

void GraphTest::mainWindowDrawsTheGridAtStartUp() {
    // Built as the program builds it, with no test drawing the graph: its creation already did.
    StartupOptions options;
    options.locale = PointLocale();
    TRiaaForm form(options);
    auto* image = form.findChild<GraphImage*>("Image1");
    QVERIFY(image);
    const QImage picture = image->picture();
    QCOMPARE(picture.size(), QSize(600, 273));
    QCOMPARE(FullBlackColumns(picture).size(), 27);
    QCOMPARE(FullBlackRows(picture), (QList<int>{34, 68, 102, 136, 170, 204, 238}));
    QCOMPARE(ColoursIn(picture), (QSet<QRgb>{Rgb(kBlack), qRgb(255, 255, 255) & 0xFFFFFFu}));

    // Switching to the page shows that picture; it draws nothing anew.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QAction*>("Graph1")->trigger();
    QVERIFY(image->isVisible());
    QCOMPARE(image->picture().cacheKey(), picture.cacheKey());
    const QImage shown = image->grab().toImage();
    QCOMPARE(Pixel(shown, 364, 10), Rgb(kBlack));
    QCOMPARE(Pixel(shown, 10, 136), Rgb(kBlack));
    QCOMPARE(Pixel(shown, 10, 10), qRgb(255, 255, 255) & 0xFFFFFFu);
}

void GraphTest::pageAtTwiceTheDensity() {
    if (qApp->devicePixelRatio() == 1.0) {
        // Qt takes the scale factor once, at start-up: this case runs again in a process of its own.
        QVERIFY2(!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"), "QT_SCALE_FACTOR=2 gave no ratio of 2");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("pageAtTwiceTheDensity")});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : GraphTest::pageAtTwiceTheDensity()"), output.constData());
        return;
    }
    // The real window draws its graph while it is built, before it is shown: already for this screen.
    StartupOptions options;
    options.locale = PointLocale();
    const TRiaaForm form(options);
    QCOMPARE(form.findChild<GraphImage*>("Image1")->picture().size(), QSize(1200, 546));

    auto page = ShownPage();
    QVERIFY(page);
    QCOMPARE(page->devicePixelRatioF(), 2.0);
    auto* image = page->findChild<GraphImage*>("Image1");
    QCOMPARE(image->size(), QSize(600, 273));
    QCOMPARE(PictureOf(*page).size(), QSize(1200, 546));

    // On the screen every grid line is one device pixel wide, not a logical pixel stretched to two.
    const QImage shown = page->grab().toImage();
    QCOMPARE(shown.size(), QSize(2 * GraphPage::kDesignWidth, 2 * GraphPage::kDesignHeight));
    const QImage graph = shown.copy(QRect(2 * image->x(), 2 * image->y(), 1200, 546));
    const QList<int> columns = FullBlackColumns(graph);
    QCOMPARE(columns.size(), 27);
    for (qsizetype i = 1; i < columns.size(); ++i) QVERIFY(columns[i] - columns[i - 1] > 1);
    // The "0" label sits centred on the middle grid line, as at a ratio of 1.
    auto* zero = page->findChild<QLabel*>("Label14");
    const int middleRow = 2 * (zero->y() + zero->height() / 2) - 2 * image->y();
    QVERIFY(FullBlackRows(graph).contains(middleRow));

    // The readout still counts logical pixels. (The offscreen screen, 800 x 600 device pixels, now
    // ends at 400 x 300: the pointer cannot reach the image's far corner.)
    MovePointer(image, QPoint(364, 137));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| -0.07 dB    1006 Hz"));
    MovePointer(image, QPoint(0, 136));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| 0.07 dB    10 Hz"));
}

void GraphTest::buttonsToggleTheirCurves_data() {
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QList<QRgb>>("colours");
    QTest::newRow("inverse") << QStringList{"SpdBtnInvRIAAEq"} << QList<QRgb>{kRed};
    QTest::newRow("playback") << QStringList{"SpdBtnPlayBack"} << QList<QRgb>{kBlue};
    QTest::newRow("record") << QStringList{"SpdBtnRIAAEq"} << QList<QRgb>{kGreen};
    QTest::newRow("all three") << QStringList{"SpdBtnInvRIAAEq", "SpdBtnPlayBack", "SpdBtnRIAAEq"}
                               << QList<QRgb>{kRed, kBlue, kGreen};
}

void GraphTest::buttonsToggleTheirCurves() {
    QFETCH(QStringList, buttons);
    QFETCH(QList<QRgb>, colours);
    auto page = ShownPage();
    QVERIFY(page);
    for (const QString& name : buttons) QTest::mouseClick(Button(*page, name), Qt::LeftButton);
    QSet<QRgb> drawn = ColoursIn(PictureOf(*page));
    for (QRgb colour : colours) QVERIFY(drawn.contains(Rgb(colour)));
    QCOMPARE(drawn.size(), colours.size() + 2);  // and the grid's black and white

    // Released again, each button takes its curve away.
    for (const QString& name : buttons) {
        QVERIFY(Button(*page, name)->isChecked());
        QTest::mouseClick(Button(*page, name), Qt::LeftButton);
        QVERIFY(!Button(*page, name)->isChecked());
    }
    drawn = ColoursIn(PictureOf(*page));
    QCOMPARE(drawn, (QSet<QRgb>{Rgb(kBlack), qRgb(255, 255, 255) & 0xFFFFFFu}));
}

void GraphTest::hintsOfTheControls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("shown");
    QTest::newRow("frequency box") << "CmbBxRiaa" << "Enter frequency| Enter frequency or chose from dropdown list"
                                   << true;
    QTest::newRow("inverse button") << "SpdBtnInvRIAAEq"
                                    << "Press down to see the preamp's inverse RIAA equalazation curve" << true;
    QTest::newRow("playback button") << "SpdBtnPlayBack" << "Press down to see the playback frequency response"
                                     << true;
    QTest::newRow("record button") << "SpdBtnRIAAEq" << "Press down to see the record's RIAA equalazation curve"
                                   << true;
    QTest::newRow("image, before any move") << "Image1" << "" << false;
}

void GraphTest::hintsOfTheControls() {
    QFETCH(QString, name);
    QFETCH(QString, hint);
    QFETCH(bool, shown);
    GraphPage page(PointLocale());
    auto* control = page.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(HintOf(control), hint);
    QCOMPARE(ShowsHint(control), shown);
}

void GraphTest::mouseMoveWritesImageHint() {
    auto page = ShownPage();
    QVERIFY(page);
    auto* image = page->findChild<GraphImage*>("Image1");
    QTest::mouseMove(image, QPoint(364, 137));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| -0.07 dB    1006 Hz"));
    QTest::mouseMove(image, QPoint(599, 272));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| -19.9 dB    19748 Hz"));
}

void GraphTest::dragBeyondTheImageKeepsReading() {
    auto page = ShownPage();
    QVERIFY(page);
    auto* image = page->findChild<GraphImage*>("Image1");
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(10, 10));
    // Right of and below the image, and beyond the page itself: the image holds the mouse.
    QTest::mouseMove(image, QPoint(700, 300));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| -24.0 dB    70991 Hz"));
    QTest::mouseMove(image, QPoint(-20, -10));
    QTRY_COMPARE(HintOf(image), QStringLiteral("| 21.5 dB    8 Hz"));
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-20, -10));
}

void GraphTest::readoutColours() {
    auto page = ShownPage();
    QVERIFY(page);
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("10000"));  // a longer text to look at
    auto* readout = page->findChild<QLabel*>("LMDLabelAtten");
    QCOMPARE(readout->text(), QStringLiteral("-13.7 dB"));
    // Inside its sunken edge the display is black with aqua text, nothing else but the blends.
    const QImage shown = readout->grab().toImage();
    const QRect inside = QRect(QPoint(0, 0), shown.size()).adjusted(2, 2, -2, -2);
    int brightest = 0;
    int bright = 0;
    int black = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor colour(Pixel(shown, x, y));
            QVERIFY2(colour.red() == 0 && colour.green() == colour.blue(), qPrintable(colour.name()));
            brightest = std::max(brightest, colour.green());
            if (colour.green() >= 128) ++bright;
            if (colour.green() == 0) ++black;
        }
    }
    QCOMPARE(brightest, 255);
    QVERIFY(bright > 20);
    QVERIFY(black > inside.width() * inside.height() / 2);

    // Each curve button writes its caption in its curve's colour.
    for (const auto& [name, colour] : {std::pair{"SpdBtnInvRIAAEq", kRed}, std::pair{"SpdBtnPlayBack", kBlue},
                                       std::pair{"SpdBtnRIAAEq", kGreen}}) {
        QVERIFY2(ColoursIn(Button(*page, name)->grab().toImage()).contains(Rgb(colour)), name);
    }
}

void GraphTest::accessibleNames_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("value");  // after 1100 is typed and the pointer rests near 1 kHz
    QTest::newRow("frequency box") << "CmbBxRiaa" << "Frequency" << "Enter frequency or chose from dropdown list"
                                   << "1100";
    QTest::newRow("its edit field") << "CmbBxRiaa/edit" << "Frequency" << "Enter frequency or chose from dropdown list"
                                    << "1100";
    QTest::newRow("attenuation readout")
        << "LMDLabelAtten" << "Attenuation at frequency"
        << "Level of the preamp's inverse RIAA curve at the frequency entered" << "-0.31 dB";
    QTest::newRow("pointer readout") << "Image1" << "RIAA graph" << "Level and frequency under the mouse pointer"
                                     << "-0.07 dB    1006 Hz";
    QTest::newRow("inverse button") << "SpdBtnInvRIAAEq" << "Preamp's Inv. RIAA Eq"
                                    << "Press down to see the preamp's inverse RIAA equalazation curve" << "";
    QTest::newRow("playback button") << "SpdBtnPlayBack" << "Playback"
                                     << "Press down to see the playback frequency response" << "";
    // The caption's trailing blank is layout, not part of the name.
    QTest::newRow("record button") << "SpdBtnRIAAEq" << "Record's RIAA Eq"
                                   << "Press down to see the record's RIAA equalazation curve" << "";
}

void GraphTest::accessibleNames() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, value);
    auto page = ShownPage();
    QVERIFY(page);
    QWidget* widget = control == QLatin1String("CmbBxRiaa/edit") ? page->findChild<QComboBox*>("CmbBxRiaa")->lineEdit()
                                                                  : page->findChild<QWidget*>(control);
    QVERIFY(widget);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    QCOMPARE(AccessibleName(accessible), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
    if (value.isEmpty()) return;

    // Asked before and after: a readout tells what it shows now.
    const QString before = accessible->text(QAccessible::Value);
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("1100"));
    auto* image = page->findChild<GraphImage*>("Image1");
    MovePointer(image, QPoint(364, 137));
    QTRY_VERIFY(!HintOf(image).isEmpty());
    QCOMPARE(accessible->text(QAccessible::Value), value);
    QVERIFY(before != value);
    QCOMPARE(accessible->state().readOnly, !control.startsWith(QLatin1String("CmbBxRiaa")));
}

void GraphTest::keyboardAlone() {
    auto page = ShownPage();
    QVERIFY(page);
    page->activateWindow();
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    // Tab walks from the frequency box through the buttons, left to right, and back to the box.
    const QStringList order{"SpdBtnInvRIAAEq", "SpdBtnPlayBack", "SpdBtnRIAAEq", "CmbBxRiaa"};
    QStringList reached;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty()) focused = focused->parentWidget();
        reached << (focused ? focused->objectName() : QString());
    }
    QCOMPARE(reached, order);

    // Space on a button draws its curve, as a click does; a click leaves the focus where it was.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), Button(*page, "SpdBtnInvRIAAEq"));
    QTest::keyClick(Button(*page, "SpdBtnInvRIAAEq"), Qt::Key_Space);
    QVERIFY(Button(*page, "SpdBtnInvRIAAEq")->isChecked());
    QVERIFY(ColoursIn(PictureOf(*page)).contains(Rgb(kRed)));
    QTest::mouseClick(Button(*page, "SpdBtnPlayBack"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), Button(*page, "SpdBtnInvRIAAEq"));
    QVERIFY(ColoursIn(PictureOf(*page)).contains(Rgb(kBlue)));
}

// ---- the attenuation readout -------------------------------------------------------------------

void GraphTest::typedFrequency_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("readout");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("0") << "0" << false << "19.9 dB" << QStringList{};
    QTest::newRow("1000") << "1000" << false << "0 dB" << QStringList{};
    QTest::newRow("1100") << "1100" << false << "-0.31 dB" << QStringList{};
    QTest::newRow("20000") << "20000" << false << "-19.6 dB" << QStringList{};
    QTest::newRow("100000") << "100000" << false << "-33.6 dB" << QStringList{};
    // The lone minus sign is no number yet; once the digits follow, the level is that of 1000 Hz.
    QTest::newRow("-1000") << "-1000" << false << "0 dB"
                           << QStringList{"'-' is not a valid floating point value"};
    QTest::newRow("1100, comma locale") << "1100" << true << "-0,31 dB" << QStringList{};
    QTest::newRow("decimal comma") << "2000,0" << true << "-2,59 dB" << QStringList{};
}

void GraphTest::typedFrequency() {
    QFETCH(QString, typed);
    QFETCH(bool, comma);
    QFETCH(QString, readout);
    QFETCH(QStringList, errors);
    auto page = ShownPage(comma ? CommaLocale() : PointLocale());
    QVERIFY(page);
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    box->lineEdit()->clear();  // from the program: raises no readout
    ModalBoxWatcher watcher;
    QTest::keyClicks(box->lineEdit(), typed);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(page->findChild<QLabel*>("LMDLabelAtten")->text(), readout);
    QStringList seen;
    for (const SeenBox& box : watcher.boxes()) seen.append(box.text);
    QCOMPARE(seen, errors);
}

void GraphTest::pickedFrequency_data() {
    QTest::addColumn<QString>("picked");
    QTest::addColumn<QString>("readout");
    QTest::newRow("0") << "0" << "19.9 dB";
    QTest::newRow("1000") << "1000" << "0 dB";
    QTest::newRow("1100") << "1100" << "-0.31 dB";
    QTest::newRow("20000") << "20000" << "-19.6 dB";
    QTest::newRow("100000") << "100000" << "-33.6 dB";
}

void GraphTest::pickedFrequency() {
    QFETCH(QString, picked);
    QFETCH(QString, readout);
    auto page = ShownPage();
    QVERIFY(page);
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    // Start away from the pick, so that the readout shows it really came from the pick.
    QTest::keyClicks(box->lineEdit(), QStringLiteral("5"));
    QVERIFY(page->findChild<QLabel*>("LMDLabelAtten")->text() != readout);

    box->showPopup();
    QAbstractItemView* list = box->view();
    QTRY_VERIFY(list->isVisible());
    const QModelIndex entry = box->model()->index(box->findText(picked), 0);
    list->scrollTo(entry);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(entry).center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(box->currentText(), picked);
    QCOMPARE(page->findChild<QLabel*>("LMDLabelAtten")->text(), readout);
}

void GraphTest::conversionErrorKeepsReadout_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("message");
    QTest::newRow("minus alone") << "" << false << int(Qt::Key_Minus) << "'-' is not a valid floating point value";
    QTest::newRow("box cleared") << "1100" << true << int(Qt::Key_Backspace)
                                 << "'' is not a valid floating point value";
    QTest::newRow("letter after digits") << "1100" << false << int(Qt::Key_K)
                                         << "'1100k' is not a valid floating point value";
    QTest::newRow("second separator") << "1.5" << false << int(Qt::Key_Period)
                                      << "'1.5.' is not a valid floating point value";
}

void GraphTest::conversionErrorKeepsReadout() {
    QFETCH(QString, start);
    QFETCH(bool, selectAll);
    QFETCH(int, key);
    QFETCH(QString, message);
    auto page = ShownPage();
    QVERIFY(page);
    auto* box = page->findChild<QComboBox*>("CmbBxRiaa");
    auto* readout = page->findChild<QLabel*>("LMDLabelAtten");
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), start);
    const QString before = readout->text();

    ModalBoxWatcher watcher;
    if (selectAll) box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), static_cast<Qt::Key>(key));
    QCOMPARE(watcher.boxes().size(), 1);
    const SeenBox& seen = watcher.boxes().first();
    QCOMPARE(seen.title, QStringLiteral("Mirelund"));
    QCOMPARE(seen.text, message);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(readout->text(), before);
}

// ---- anchors and level labels ------------------------------------------------------------------

void GraphTest::anchorsAndLevelLabels_data() {
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QRect>("image");
    QTest::addColumn<QList<int>>("levelTops");  // +20, +10, 0, -10, -20
    QTest::addColumn<QList<int>>("frequencyLefts");  // 10Hz, 100Hz, 1kHz, 10kHz
    QTest::addColumn<int>("frequencyTop");
    QTest::addColumn<int>("levelLeft");
    QTest::newRow("design size") << QSize(634, 373) << QRect(11, 76, 600, 273)
                                 << QList<int>{69, 137, 205, 273, 342} << QList<int>{6, 175, 361, 540} << 354 << 613;
    QTest::newRow("image 400 high") << QSize(634, 500) << QRect(11, 76, 600, 400)
                                    << QList<int>{69, 76 + 93, 76 + 193, 76 + 293, 76 + 393}
                                    << QList<int>{6, 175, 361, 540} << 481 << 613;
    // Image heights with H mod 4 >= 2, where a quarter of the height rounded instead of truncated
    // would move each label down by one.
    QTest::newRow("image 274 high") << QSize(634, 374) << QRect(11, 76, 600, 274)
                                    << QList<int>{69, 76 + 68 - 7, 76 + 136 - 7, 76 + 204 - 7, 76 + 274 - 7}
                                    << QList<int>{6, 175, 361, 540} << 355 << 613;
    QTest::newRow("image 275 high") << QSize(634, 375) << QRect(11, 76, 600, 275)
                                    << QList<int>{69, 76 + 68 - 7, 76 + 136 - 7, 76 + 204 - 7, 76 + 275 - 7}
                                    << QList<int>{6, 175, 361, 540} << 356 << 613;
    QTest::newRow("page 274 high") << QSize(634, 274) << QRect(11, 76, 600, 174)
                                   << QList<int>{69, 76 + 43 - 7, 76 + 86 - 7, 76 + 129 - 7, 76 + 174 - 7}
                                   << QList<int>{6, 175, 361, 540} << 255 << 613;
    QTest::newRow("twice as wide") << QSize(1268, 373) << QRect(11, 76, 1234, 273)
                                   << QList<int>{69, 137, 205, 273, 342} << QList<int>{6, 368, 736, 1097} << 354
                                   << 1247;
    QTest::newRow("smaller than the design") << QSize(334, 200) << QRect(11, 76, 300, 100)
                                             << QList<int>{69, 94, 119, 144, 169} << QList<int>{6, 84, 184, 276}
                                             << 181 << 313;
}

void GraphTest::anchorsAndLevelLabels() {
    QFETCH(QSize, pageSize);
    QFETCH(QRect, image);
    QFETCH(QList<int>, levelTops);
    QFETCH(QList<int>, frequencyLefts);
    QFETCH(int, frequencyTop);
    QFETCH(int, levelLeft);
    auto page = ShownPage();
    QVERIFY(page);
    page->resize(pageSize);
    QCOMPARE(page->findChild<GraphImage*>("Image1")->geometry(), image);
    QList<int> tops;
    for (const char* name : {"Label11", "Label12", "Label14", "Label15", "Label13"}) {
        auto* label = page->findChild<QLabel*>(name);
        tops.append(label->y());
        QCOMPARE(label->x(), QString::fromLatin1(name) == QLatin1String("Label14") ? levelLeft + 6 : levelLeft);
        QVERIFY(label->height() >= 14);
    }
    QCOMPARE(tops, levelTops);
    QList<int> lefts;
    for (const char* name : {"Label10", "Label16", "Label17", "Label18"}) {
        auto* label = page->findChild<QLabel*>(name);
        lefts.append(label->x());
        QCOMPARE(label->y(), frequencyTop);
    }
    QCOMPARE(lefts, frequencyLefts);
    // The controls above the graph and its box do not move.
    QCOMPARE(page->findChild<QWidget*>("Bevel1")->geometry(), QRect(10, 75, 602, 275));
    QCOMPARE(page->findChild<QWidget*>("SpdBtnRIAAEq")->geometry(), QRect(471, 35, 128, 23));
}

void GraphTest::redrawAfterResizeUsesNewSize() {
    auto page = ShownPage();
    QVERIFY(page);
    page->resize(634, 500);
    // Until a button is clicked the old picture is only stretched.
    QCOMPARE(PictureOf(*page).size(), QSize(600, 273));
    QTest::mouseClick(Button(*page, "SpdBtnPlayBack"), Qt::LeftButton);
    const QImage& picture = PictureOf(*page);
    QCOMPARE(picture.size(), QSize(600, 400));
    QCOMPARE(RowsOfColour(picture, 300, kBlue), (QList<int>{199, 200}));
    QCOMPARE(FullBlackRows(picture), (QList<int>{50, 100, 150, 250, 300, 350}));
}

void GraphTest::zeroSizedPageIsSafe() {
    auto page = ShownPage();
    QVERIFY(page);
    auto* image = page->findChild<GraphImage*>("Image1");
    MovePointer(image, QPoint(364, 137));
    QTRY_VERIFY(!HintOf(image).isEmpty());
    const QString lastHint = HintOf(image);
    page->resize(0, 0);
    QCOMPARE(image->size(), QSize(0, 0));
    QTest::mouseClick(Button(*page, "SpdBtnInvRIAAEq"), Qt::LeftButton);
    page->SpdBtnInvRIAAEqClick();
    QVERIFY(PictureOf(*page).isNull());
    page->Image1MouseMove(5, 5);
    QCOMPARE(HintOf(image), lastHint);
    page->repaint();
    // Back at the design size everything is where it was.
    page->resize(GraphPage::kDesignWidth, GraphPage::kDesignHeight);
    QCOMPARE(image->geometry(), QRect(11, 76, 600, 273));
    QCOMPARE(page->findChild<QLabel*>("Label13")->y(), 76 + 273 - 7);
}

QTEST_MAIN(GraphTest)
#include "tst_graph.moc"
