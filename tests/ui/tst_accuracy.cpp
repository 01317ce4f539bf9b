// The accuracy page: following a calculation, edited fields, bad text, the alert state, the plot and the netlist.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "engine/Netlist.h"
#include "accuracy/AccuracyPage.h"
#include "accuracy/ErrorPlot.h"
#include "accuracy/ErrorPlotView.h"
#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/ErrorTexts.h"
#include "common/Fonts.h"
#include "common/Hints.h"
#include "session/DesignSession.h"
#include "WindowProbes.h"

namespace {

const riaa::NumberLocale kPoint{".", ","};
const riaa::NumberLocale kComma{",", "."};

StartupOptions WithLocale(const riaa::NumberLocale& locale) {
    StartupOptions options;
    options.locale = locale;
    return options;
}

// A control of a page by its object name; a missing one ends the run.
template <class T>
T* Child(QObject* page, const char* name) {
    auto* control = page->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) qFatal("No control named %s", name);
    return control;
}

void Retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

void ChooseCircuit(TRiaaForm& w, int circuit) {
    QAbstractButton* button = w.CircuitPage->LMDRadioGroupCircuits->button(circuit);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

bool IsRed(const QLineEdit* field) {
    const QColor base = field->palette().color(QPalette::Active, QPalette::Base);
    return base.red() > base.green() + 60 && base.red() > base.blue() + 60;
}

// The curve's red, or close to it where the smoothed line half covers a pixel; the notice's darker
// red is not.
bool IsCurveColour(QRgb pixel) { return qRed(pixel) >= 200 && qGreen(pixel) < 100 && qBlue(pixel) < 100; }

int CurvePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += IsCurveColour(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

std::vector<riaa::ErrorPoint> FlatCurve(double db) {
    return {{20, db}, {1000, db}, {20000, db}};
}

// A calculation the page can take without the window: circuit 4 at its start values.
riaa::NetworkState Circuit4State() {
    riaa::NetworkState state;
    state.C1 = 0.01;
    state.C2 = 0.01 / 2.916;
    state.R1 = 293700;
    state.R2 = 318 / 0.01;
    return state;
}

// The page without the window, on a session of its own. Shown, since a page draws what the session
// holds only while it is on show.
struct LonePage {
    riaa::ValueList resistors = riaa::MakeResistorList();
    DesignSession session{kPoint, resistors};
    AccuracyPage page{session};
    LonePage() { page.show(); }
};

}  // namespace

class AccuracyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void menuCommandShowsPageAndCalculationsReturns() {
        TRiaaForm w;
        const QList<QAction*> commands = w.MainMenu1->actions();
        QCOMPARE(commands.indexOf(w.Accuracy1), commands.indexOf(w.Graph1) + 1);
        QVERIFY(commands.indexOf(w.About1) > commands.indexOf(w.Accuracy1));
        QCOMPARE(w.Accuracy1->text(), QStringLiteral("Accuracy"));
        w.Accuracy1->trigger();
        QCOMPARE(w.Notebook1->currentWidget()->objectName(), QStringLiteral("AccuracyPage"));
        QCOMPARE(w.AccuracyPage1->size(), QSize(634, 373));
        w.Calculations1->trigger();
        QCOMPARE(w.Notebook1->currentWidget(), w.CircuitPage);
    }

    void menuCommandHintOverTheBar() {
        TRiaaForm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseMove(w.MainMenu1, w.MainMenu1->actionGeometry(w.Accuracy1).center());
        QCOMPARE(HintOf(w.MainMenu1), QStringLiteral("Accuracy | How closely the network as built follows its "
                                                     "target response"));
        QTest::mouseMove(w.MainMenu1, w.MainMenu1->actionGeometry(w.Graph1).center());
        QCOMPARE(HintOf(w.MainMenu1), QString());
    }

    // Every circuit: which fields it has, values that read back exactly, and the targets' error.
    void followsEachCalculation_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<bool>("hasC2");
        QTest::addColumn<bool>("hasR2");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QString>("targetPoles");
        QTest::addColumn<QString>("targetZeros");
        QTest::newRow("0 low-pass 50 Hz") << 0 << false << false << true << "3180" << "none";
        QTest::newRow("1 low-pass 2122 Hz") << 1 << false << false << true << "75" << "none";
        QTest::newRow("2 shelving 50-500 Hz") << 2 << false << true << true << "3180" << "318";
        QTest::newRow("3 shelving 500-2122 Hz") << 3 << false << true << false << "75" << "318";
        QTest::newRow("4 complete 1") << 4 << true << true << true << "75; 3180" << "318";
        QTest::newRow("5 complete 2") << 5 << true << true << true << "75; 3180" << "318";
    }
    void followsEachCalculation() {
        QFETCH(int, circuit);
        QFETCH(bool, hasC2);
        QFETCH(bool, hasR2);
        QFETCH(bool, exact);
        QFETCH(QString, targetPoles);
        QFETCH(QString, targetZeros);
        TRiaaForm w(WithLocale(kComma));
        ChooseCircuit(w, circuit);
        w.Accuracy1Click();
        AccuracyPage* page = w.AccuracyPage1;
        const riaa::NetworkState& state = w.session()->passiveInputs().state;
        auto* edtC2 = Child<QLineEdit>(page, "EdtC2");
        auto* edtR2 = Child<QLineEdit>(page, "EdtR2");

        QCOMPARE(edtC2->isEnabled(), hasC2);
        QCOMPARE(edtR2->isEnabled(), hasR2);
        QCOMPARE(edtC2->text().isEmpty(), !hasC2);
        QCOMPARE(edtR2->text().isEmpty(), !hasR2);
        QCOMPARE(Child<QLineEdit>(page, "EdtC1")->text(), QStringLiteral("0,01"));
        // Full precision: the fields read back as the very doubles of the calculation.
        const riaa::BuiltNetwork& built = *w.session()->builtNetwork();
        QCOMPARE(built.value(riaa::ElementKind::C1), state.C1);
        QCOMPARE(built.value(riaa::ElementKind::C2), hasC2 ? state.C2 : 0.0);
        QCOMPARE(built.value(riaa::ElementKind::R1), state.R1);
        QCOMPARE(built.value(riaa::ElementKind::R2), hasR2 ? state.R2 : 0.0);
        QVERIFY(!Child<QLineEdit>(page, "EdtR1")->text().contains(QLatin1Char('.')));
        QCOMPARE(page->LblLargestError->text() == QStringLiteral("exact"), exact);
        // A passive network's loss reads positive: the report's level at 1 kHz with its sign turned.
        QCOMPARE(page->LblLoss->text(), QString::fromStdString(riaa::FormatDecibels(
                                            -w.session()->report()->lossAt1kHzDb, w.session()->locale())));
        QVERIFY(!page->LblLoss->text().startsWith(QLatin1Char('-')));
        QCOMPARE(page->LblPolesTarget->text(), targetPoles);
        QCOMPARE(page->LblZerosTarget->text(), targetZeros);
        QCOMPARE(page->LabelValuesSource->text(), QStringLiteral("Calculated values"));
        QVERIFY(page->LabelMessage->text().isEmpty());
    }

    void optionsBecomeInCircuitBoxes() {
        TRiaaForm w;
        w.Accuracy1Click();
        AccuracyPage* page = w.AccuracyPage1;
        DesignSession* session = w.session();
        QVERIFY(!page->ChckBxRsInCircuit->isChecked());
        QVERIFY(!session->builtNetwork()->has(riaa::ElementKind::Rs));
        w.CircuitPage->ChckBxRs->click();
        QVERIFY(page->ChckBxRsInCircuit->isChecked());
        QVERIFY(!page->ChckBxRLInCircuit->isChecked());
        QCOMPARE(session->builtNetwork()->value(riaa::ElementKind::Rs), 1000.0);
        QCOMPARE(session->builtNetwork()->value(riaa::ElementKind::R1), w.session()->passiveInputs().state.R1);
    }

    // Rs or RL ticked in circuit reaches the pages at once, also while bad tolerance text starts no run.
    void inCircuitShownWithoutARun_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("Rs") << "ChckBxRsInCircuit";
        QTest::newRow("RL") << "ChckBxRLInCircuit";
    }
    void inCircuitShownWithoutARun() {
        QFETCH(QString, box);
        TRiaaForm w;
        ChooseCircuit(w, 4);
        w.session()->setToleranceTexts(QStringLiteral("x"), QStringLiteral("2"), QStringLiteral("0"),
                                       riaa::ToleranceDistribution::Uniform);
        w.Accuracy1Click();
        AccuracyPage* page = w.AccuracyPage1;
        const QString before = page->LblLargestError->text();
        Child<QCheckBox>(page, box.toLatin1().constData())->click();
        QCOMPARE(w.session()->tolerance().status, ToleranceStatus::NotRun);
        QVERIFY2(page->LblLargestError->text() != before, qPrintable(before));
    }

    void editedFieldAndFromCircuitPage() {
        TRiaaForm w;
        ChooseCircuit(w, 4);
        w.Accuracy1Click();
        AccuracyPage* page = w.AccuracyPage1;
        DesignSession* session = w.session();
        auto* edtR1 = Child<QLineEdit>(page, "EdtR1");
        auto* labelTotalR1 = Child<QLabel>(page, "LabelTotalR1");
        const QString calculatedR1 = edtR1->text();

        Retype(edtR1, QStringLiteral("270k+22k"));
        QCOMPARE(session->builtNetwork()->value(riaa::ElementKind::R1), 292000.0);
        QCOMPARE(labelTotalR1->text(), QStringLiteral("= 292 k\u03A9"));
        QCOMPARE(page->LabelValuesSource->text(), QStringLiteral("Edited values"));
        QVERIFY(session->valuesEdited());
        QVERIFY(page->LblLargestError->text() != QStringLiteral("exact"));

        Retype(Child<QLineEdit>(page, "EdtC2"), QStringLiteral("3.3n+120p"));
        QCOMPARE(session->builtNetwork()->value(riaa::ElementKind::C2), 0.0033 + 0.00012);
        QCOMPARE(Child<QLabel>(page, "LabelTotalC2")->text(), QStringLiteral("= 3.42 nF"));

        // Leaving Rs out of the correction but in the circuit is an edit too.
        page->ChckBxRsInCircuit->click();
        QCOMPARE(session->builtNetwork()->value(riaa::ElementKind::Rs), 1000.0);

        QTest::mouseClick(page->BtnFromCircuit, Qt::LeftButton);
        QCOMPARE(edtR1->text(), calculatedR1);
        QVERIFY(labelTotalR1->text().isEmpty());
        QVERIFY(!page->ChckBxRsInCircuit->isChecked());
        QCOMPARE(page->LabelValuesSource->text(), QStringLiteral("Calculated values"));
        QCOMPARE(page->LblLargestError->text(), QStringLiteral("exact"));
    }

    // Bad text marks its own field and says why, on the page; what was shown stays as it was.
    // Typed key by key: the good beginning is evaluated, every key of the bad rest is refused.
    void badTextMarksOnlyItsField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("good");
        QTest::addColumn<QString>("bad");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters in R1") << "EdtR1" << "4" << "x7" << "'4x7' is not a valid floating point value";
        QTest::newRow("comma in a point locale") << "EdtC1" << "0" << ",01" << "'0,01' is not a valid floating point value";
        QTest::newRow("open sum") << "EdtR2" << "27k" << "+" << "'27k+' is not a valid floating point value";
        QTest::newRow("zero") << "EdtC2" << "" << "0" << "The value must be greater than zero";
        QTest::newRow("negative") << "EdtR1" << "" << "-5" << "The value must be greater than zero";
        QTest::newRow("Rs in circuit") << "EdtRs" << "1k" << "+k" << "'k' is not a valid floating point value";
    }
    void badTextMarksOnlyItsField() {
        QFETCH(QString, field);
        QFETCH(QString, good);
        QFETCH(QString, bad);
        QFETCH(QString, message);
        ModalBoxWatcher boxes;
        LonePage lone;
        AccuracyPage& page = lone.page;
        page.resize(634, 373);
        lone.session.setPassiveCalculation(Circuit4State(), riaa::CircuitKind::CompleteRiaaVersion1,
                                           {false, true, false}, false);
        auto* edited = page.findChild<QLineEdit*>(field);
        Retype(edited, good);
        const riaa::BuiltNetwork before = *lone.session.builtNetwork();
        const QString errorBefore = page.LblLargestError->text();
        const QImage plotBefore = page.ImageError->picture();
        QList<QLineEdit*> others = page.findChildren<QLineEdit*>();
        others.removeOne(edited);

        QTest::keyClicks(edited, bad);
        QVERIFY(IsRed(edited));
        QCOMPARE(page.LabelMessage->text(), message);
        for (const QLineEdit* other : others) QVERIFY2(!IsRed(other), qPrintable(other->objectName()));
        QCOMPARE(lone.session.builtNetwork()->value(riaa::ElementKind::R1), before.value(riaa::ElementKind::R1));
        QCOMPARE(lone.session.builtNetwork()->value(riaa::ElementKind::C2), before.value(riaa::ElementKind::C2));
        QCOMPARE(page.LblLargestError->text(), errorBefore);
        QCOMPARE(page.ImageError->picture(), plotBefore);
        QVERIFY(boxes.boxes().isEmpty());

        // Mended, the field is white again and the message gone.
        Retype(edited, QStringLiteral("1000"));
        QVERIFY(!IsRed(edited));
        QVERIFY(page.LabelMessage->text().isEmpty());
    }

    void alertStateShowsWhyInsteadOfCurve() {
        LonePage lone;
        AccuracyPage& page = lone.page;
        page.resize(634, 373);
        riaa::NetworkState state;
        state.C1 = 0.01;
        state.R1 = -1;
        lone.session.setPassiveCalculation(state, riaa::CircuitKind::LowPass50Hz, {true, false, false}, true);
        QCOMPARE(page.ImageError->data().notice, QStringLiteral("This network cannot be built: R1 is negative"));
        QVERIFY(page.ImageError->data().curve.empty());
        QCOMPARE(CurvePixels(page.ImageError->picture()), 0);
        QVERIFY(page.LblLargestError->text().isEmpty());
        QVERIFY(!lone.session.builtNetwork());
        QVERIFY(!page.BtnSaveNetlist->isEnabled());
        QVERIFY(!page.BtnCopyNetlist->isEnabled());

        // A buildable R1 typed in brings the curve back.
        Retype(Child<QLineEdit>(&page, "EdtR1"), QStringLiteral("318k"));
        QVERIFY(page.ImageError->data().notice.isEmpty());
        QVERIFY(CurvePixels(page.ImageError->picture()) > 0);
        QVERIFY(page.BtnSaveNetlist->isEnabled());
    }

    void scaleSteps_data() {
        QTest::addColumn<double>("largest");
        QTest::addColumn<double>("scale");
        QTest::newRow("flat") << 0.0 << 0.01;
        QTest::newRow("at 0.01") << 0.01 << 0.01;
        QTest::newRow("above 0.01") << 0.0101 << 0.02;
        QTest::newRow("negative") << -0.03 << 0.05;
        QTest::newRow("0.0066, circuit 3") << 0.0066 << 0.01;
        QTest::newRow("at 1") << 1.0 << 1.0;
        QTest::newRow("1.38, Rs left in") << -1.38 << 2.0;
        QTest::newRow("at 20") << 20.0 << 20.0;
        QTest::newRow("beyond 20 clips") << 35.0 << 20.0;
    }
    void scaleSteps() {
        QFETCH(double, largest);
        QFETCH(double, scale);
        ErrorPlotData data;
        data.curve = {{20, 0}, {1000, largest / 2}, {20000, largest}};
        QCOMPARE(ErrorScaleDb(data), scale);
    }

    void scaleHoldsTheBandAndSkipsNonFinite() {
        ErrorPlotData data;
        data.curve = {{20, 0.004}, {1000, std::numeric_limits<double>::quiet_NaN()}, {20000, -0.004}};
        QCOMPARE(ErrorScaleDb(data), 0.01);
        data.band = ErrorBand{{20, 20000}, {-0.3, -0.1}, {0.1, 0.2}};
        QCOMPARE(ErrorScaleDb(data), 0.5);
    }

    // The curve at the full scale lies on the top grid line, at either pixel ratio.
    void curveAtFullScaleMeetsTheTopLine_data() {
        QTest::addColumn<double>("ratio");
        QTest::newRow("1") << 1.0;
        QTest::newRow("2") << 2.0;
    }
    void curveAtFullScaleMeetsTheTopLine() {
        QFETCH(double, ratio);
        ErrorPlotData data;
        data.curve = FlatCurve(0.05);
        const QImage image = drawErrorPlot(334, 224, data, kPoint, ratio);
        QCOMPARE(image.size(), QSize(qRound(334 * ratio), qRound(224 * ratio)));
        QCOMPARE(image.devicePixelRatio(), ratio);
        const QRectF area = ErrorPlotArea(334, 224);
        const int column = qRound(area.center().x() * ratio);
        QList<int> redRows;
        for (int y = 0; y < image.height(); ++y) {
            if (IsCurveColour(image.pixel(column, y))) redRows << y;
        }
        QVERIFY(!redRows.isEmpty());
        QVERIFY(std::abs(redRows.first() - area.top() * ratio) <= ratio + 1);
    }

    // A band drawn behind the curve: its colour fills the span between its edges, the curve stays on top.
    void bandLiesBehindTheCurve() {
        ErrorPlotData data;
        data.curve = FlatCurve(0);
        data.band = ErrorBand{{20, 20000}, {-0.3, -0.3}, {0.3, 0.3}};
        const QImage image = drawErrorPlot(334, 224, data, kPoint);
        const QRectF area = ErrorPlotArea(334, 224);
        const int column = qRound(area.left() + area.width() / 3);
        const auto isBand = [](QRgb pixel) { return qBlue(pixel) > 200 && qRed(pixel) < 200; };
        // Scale 0.5 dB: the band's edges at 3/5 of the half-height above and below 0 dB.
        const double edge = area.height() / 2 * 0.6;
        QVERIFY(isBand(image.pixel(column, qRound(area.center().y() - edge + 2))));
        QVERIFY(isBand(image.pixel(column, qRound(area.center().y() + edge - 2))));
        QVERIFY(!isBand(image.pixel(column, qRound(area.center().y() - edge - 3))));
        QVERIFY(IsCurveColour(image.pixel(column, qFloor(area.center().y()))));
    }

    void errorTexts_data() {
        QTest::addColumn<double>("db");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("text");
        QTest::newRow("small positive") << 0.0066 << false << "+0.0066 dB";
        QTest::newRow("small negative") << -0.00123 << false << "-0.0012 dB";
        QTest::newRow("rounds to zero") << 0.00004 << false << "0 dB";
        QTest::newRow("negative to zero") << -0.00004 << false << "0 dB";
        QTest::newRow("one and more") << -1.38 << false << "-1.38 dB";
        QTest::newRow("tens") << 12.34 << false << "+12.3 dB";
        QTest::newRow("comma") << 0.5 << true << "+0,5 dB";
    }
    void errorTexts() {
        QFETCH(double, db);
        QFETCH(bool, comma);
        QFETCH(QString, text);
        QCOMPARE(FormatErrorDb(db, comma ? kComma : kPoint), text);
    }

    void pointerReadout_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("readout");
        const QRectF area = ErrorPlotArea(334, 224);
        QTest::newRow("left edge") << int(area.left()) << "| 20 Hz    +0.01 dB";
        QTest::newRow("right edge") << int(area.right()) << "| 20000 Hz    -0.01 dB";
        QTest::newRow("middle") << int(area.center().x()) << "| 632 Hz    0 dB";
        QTest::newRow("left of the grid") << 10 << "";
        QTest::newRow("right of the grid") << 330 << "";
    }
    void pointerReadout() {
        QFETCH(int, x);
        QFETCH(QString, readout);
        ErrorPlotData data;
        // Linear on the log axis: +0.01 dB at 20 Hz to -0.01 dB at 20 kHz.
        data.curve = {{20, 0.01}, {20000, -0.01}};
        QCOMPARE(ErrorPointerReadout(x, 334, 224, data, kPoint), readout);
    }

    void pointerOverThePageAndGrowth() {
        LonePage lone;
        AccuracyPage& page = lone.page;
        page.resize(634, 373);
        lone.session.setPassiveCalculation(Circuit4State(), riaa::CircuitKind::CompleteRiaaVersion1, {}, false);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const QRectF area = ErrorPlotArea(page.ImageError->width(), page.ImageError->height());
        QTest::mouseMove(page.ImageError, QPoint(int(area.left()), 50));
        QVERIFY(HintOf(page.ImageError).startsWith(QStringLiteral("| 20 Hz    ")));
        QVERIFY(!ShowsHint(page.ImageError));

        page.resize(934, 573);
        // 334 x 136 at the design size, under the target and source frame, grown by the page's growth.
        QCOMPARE(page.ImageError->size(), QSize(634, 336));
        QCOMPARE(page.ImageError->picture().size(), QSize(634, 336) * page.ImageError->devicePixelRatioF());
        QCOMPARE(Child<QLineEdit>(&page, "EdtC1")->geometry(), QRect(42, 26, 146, 21));
    }

    void netlistCopiedAndSaved() {
        ModalBoxWatcher boxes;
        LonePage lone;
        AccuracyPage& page = lone.page;
        lone.session.setPassiveCalculation(Circuit4State(), riaa::CircuitKind::CompleteRiaaVersion1,
                                           {true, true, false}, false);
        const QString netlist = QString::fromStdString(riaa::SpiceNetlist(*lone.session.builtNetwork()));

        QTest::mouseClick(page.BtnCopyNetlist, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), netlist);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QString offered;
        page.setSaveFileDialog([&](QWidget*, const QString&, const QString& suggested, const QString& filter) {
            offered = filter;
            Q_UNUSED(suggested);
            return folder.filePath(QStringLiteral("network"));
        });
        QTest::mouseClick(page.BtnSaveNetlist, Qt::LeftButton);
        QVERIFY(offered.contains(QStringLiteral("*.cir")));
        QFile saved(folder.filePath(QStringLiteral("network.cir")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), netlist);
        QVERIFY(boxes.boxes().isEmpty());

        // Cancelled: nothing written, nothing said.
        page.setSaveFileDialog([](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
        QTest::mouseClick(page.BtnSaveNetlist, Qt::LeftButton);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({QStringLiteral("network.cir")}));
        QVERIFY(boxes.boxes().isEmpty());
    }

    void failedSaveSaysWhyAndLeavesNoFile() {
        ModalBoxWatcher boxes;
        LonePage lone;
        AccuracyPage& page = lone.page;
        lone.session.setPassiveCalculation(Circuit4State(), riaa::CircuitKind::CompleteRiaaVersion1, {}, false);
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("missing/network.cir"));
        page.setSaveFileDialog([&](QWidget*, const QString&, const QString&, const QString&) { return target; });
        QTest::mouseClick(page.BtnSaveNetlist, Qt::LeftButton);
        QCOMPARE(boxes.boxes().size(), 1);
        const SeenBox& box = boxes.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Mirelund"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains(QStringLiteral("No such file or directory")), qPrintable(box.text));
        QVERIFY(box.text.contains(QDir::toNativeSeparators(target)));
        QVERIFY(!QFile::exists(target));
        QVERIFY(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    void everyControlHasANameAndAHint() {
        LonePage lone;
        for (QWidget* control : lone.page.findChildren<QWidget*>()) {
            const bool interactive = qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractButton*>(control);
            if (!interactive) continue;
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(!control->accessibleDescription().isEmpty(), qPrintable(control->objectName()));
            const HintParts hint = SplitHint(HintOf(control));
            QVERIFY2(!hint.shortPart.isEmpty() && hint.longPart.startsWith(QLatin1Char(' ')),
                     qPrintable(control->objectName()));
        }
    }
};

QTEST_MAIN(AccuracyTest)
#include "tst_accuracy.moc"
