// The Active stage page: its fields read into a request, an edit making the stage the session's design, and its names.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cmath>

#include "FieldActions.h"
#include "active/ActiveStageInputs.h"
#include "active/ActiveStagePage.h"
#include "active/FormSchematics.h"
#include "active/StageSchematicView.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "session/DesignSession.h"

namespace {

using riaa::DesignKind;
using riaa::ElementKind;
using riaa::HighFrequencyZero;
using riaa::NetworkForm;

// The order the page's results read in.
constexpr ElementKind kShownOrder[] = {ElementKind::R0, ElementKind::Rin, ElementKind::C0,   ElementKind::R1,
                                       ElementKind::C1, ElementKind::R2,  ElementKind::C2,   ElementKind::R3,
                                       ElementKind::C3, ElementKind::RL,  ElementKind::Cout};

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

}  // namespace

class ActiveTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void fieldsReadIntoTheRequest_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byC1");  // and a real op-amp and C0, so that every field counts
        QTest::addColumn<double>("value");  // NaN: refused
        QTest::addColumn<QString>("message");
        const double refused = std::nan("");
        const auto f = [](ActiveField field) { return static_cast<int>(field); };
        QTest::newRow("gain") << f(ActiveField::Gain) << "40.5" << false << 40.5 << "";
        QTest::newRow("R0 in k") << f(ActiveField::Scale) << "4.7k" << false << 4700.0 << "";
        QTest::newRow("C1 in n") << f(ActiveField::Scale) << "47n" << true << 0.047 << "";
        QTest::newRow("C0 as a sum") << f(ActiveField::C0) << "47+10u" << true << 57.0 << "";
        QTest::newRow("GBW in M") << f(ActiveField::GainBandwidth) << "3.5M" << true << 3.5e6 << "";
        QTest::newRow("A0") << f(ActiveField::OpenLoopGain) << "120" << true << 120.0 << "";
        QTest::newRow("bad gain") << f(ActiveField::Gain) << "4x" << false << refused
                                  << "'4x' is not a valid floating point value";
        QTest::newRow("empty R3") << f(ActiveField::R3) << "" << false << refused
                                  << "'' is not a valid floating point value";
        QTest::newRow("zero RL") << f(ActiveField::RL) << "0" << false << 47000.0 << "";  // RL does not count here
        QTest::newRow("bad shelf, curve with one") << f(ActiveField::Shelf) << "x" << false << 15915.0 << "";
    }
    void fieldsReadIntoTheRequest() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, byC1);
        QFETCH(double, value);
        ActiveInputs inputs;
        inputs.scaleByC1 = byC1;
        inputs.idealOpAmp = !byC1;
        inputs.useC0 = byC1;
        if (byC1) inputs.texts[Index(ActiveField::Scale)] = kDefaultC1Text;
        inputs.texts[static_cast<std::size_t>(field)] = text;
        const ActiveReading reading = ReadActiveInputs(inputs, riaa::CurveChoice{}, riaa::NumberLocale{});
        QTEST(reading.message, "message");
        QCOMPARE(reading.request.has_value(), !std::isnan(value));
        QCOMPARE(reading.bad[static_cast<std::size_t>(field)], std::isnan(value));
        if (!reading.request) return;
        const riaa::ActiveStageRequest& r = *reading.request;
        const std::array<double, kActiveFieldCount> read{
            r.gain1kHzDb, r.scale, r.c0.value_or(0), r.r3, r.rl.value_or(47000), r.opAmp.openLoopGainDb,
            r.opAmp.gainBandwidthHz, r.realisedShelfUs};
        QVERIFY(std::fabs(read[static_cast<std::size_t>(field)] - value) <= 1e-12 * value);
    }

    void typedGainBecomesTheSessionsDesign() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(riaa::NumberLocale{}, resistors);
        ActiveStagePage page(session);
        page.show();
        QVERIFY(!session.design());  // showing the page designs nothing

        QLineEdit* gain = page.field(ActiveField::Gain);
        Retype(gain, QStringLiteral("42"));
        QVERIFY(session.design() && session.design()->calculated.kind == DesignKind::NonInverting);
        QVERIFY(session.report().has_value());
        QVERIFY(std::fabs(session.report()->lossAt1kHzDb - 42) < 1e-6);
        QCOMPARE(page.LblStageGain1kHz->text(), QStringLiteral("42.0 dB"));
        QVERIFY(page.resultField(ElementKind::R3)->isVisible());
        const riaa::BuiltNetwork designed = session.design()->calculated;
        // The whole stage opens in its own window and follows the design.
        page.BtnWholeStage->click();
        auto* whole = page.findChild<StageSchematicView*>(QStringLiteral("ImageWholeStage"));
        QVERIFY(whole && whole->window()->isVisible());
        QVERIFY(whole->schematic().formula.startsWith(QStringLiteral("Zf")));
        const QString r1 = PartValueText(ElementKind::R1, designed.value(ElementKind::R1), riaa::NumberLocale{});
        const auto named = [&](const QString& text) {
            return std::any_of(whole->schematic().drawing.begin(), whole->schematic().drawing.end(), [&](const auto& p) {
                const auto* t = std::get_if<TextPrimitive>(&p);
                return t && t->text.contains(text);
            });
        };
        QVERIFY(named(r1));

        QTest::keyClicks(gain, QStringLiteral("x"));
        QVERIFY(IsRed(gain));
        QCOMPARE(page.LabelStageMessage->text(), QStringLiteral("'42x' is not a valid floating point value"));
        QVERIFY(session.design()->calculated == designed);
        // A gain no non-inverting stage reaches is the engine's to refuse, and the session keeps its design.
        Retype(gain, QStringLiteral("-10"));
        QVERIFY(!IsRed(gain));
        QVERIFY(page.LabelStageMessage->text().startsWith(QStringLiteral("The gain is too low")));
        QVERIFY(session.design()->calculated == designed);

        // A click on the stage already chosen is no edit.
        Retype(gain, QStringLiteral("35"));
        session.setCurve(riaa::CurveChoice{1, false, false});
        const riaa::BuiltNetwork before = session.design()->calculated;
        Click(page.RdBtnNonInverting);
        QVERIFY(session.design()->calculated == before);

        for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(90, 40), QSize(3000, 2000)}) {
            page.resize(size);
            QVERIFY(!page.grab().isNull() || size.isEmpty());
        }
    }

    void everyStageShowsTheElementsItHas_data() {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("form");
        QTest::addColumn<int>("zero");  // the extra zero's choice
        QTest::addColumn<bool>("iec");
        QTest::addColumn<QString>("shown");
        const auto add = [](const char* name, DesignKind stage, NetworkForm form, int zero, bool iec, const char* shown) {
            QTest::newRow(name) << static_cast<int>(stage) << static_cast<int>(form) << zero << iec << shown;
        };
        const char* names[] = {"A", "B", "C", "D"};
        for (const NetworkForm form : {NetworkForm::A, NetworkForm::B, NetworkForm::C, NetworkForm::D}) {
            const std::string f = names[static_cast<int>(form)];
            add(("non-inverting " + f + ", pole").c_str(), DesignKind::NonInverting, form, 0, false,
                "R0 R1 C1 R2 C2 R3 C3");
            add(("non-inverting " + f + ", left in").c_str(), DesignKind::NonInverting, form, 1, false, "R0 R1 C1 R2 C2");
            add(("non-inverting " + f + ", 3.18 us").c_str(), DesignKind::NonInverting, form, 2, false,
                "R0 R1 C1 R2 C2");
            add(("inverting " + f).c_str(), DesignKind::Inverting, form, 0, false, "Rin R1 C1 R2 C2");
        }
        add("two stages", DesignKind::TwoStage, NetworkForm::A, 0, false, "R0 R1 C1 R2 R3 C3 RL");
        // The zero at 3.18 µs fixes the gain of the non-inverting stage only.
        add("inverting after 3.18 us", DesignKind::Inverting, NetworkForm::A, 2, false, "Rin R1 C1 R2 C2");
        add("two stages after 3.18 us", DesignKind::TwoStage, NetworkForm::A, 2, false, "R0 R1 C1 R2 R3 C3 RL");
        add("non-inverting, IEC", DesignKind::NonInverting, NetworkForm::B, 0, true, "R0 R1 C1 R2 C2 R3 C3 RL Cout");
        add("inverting, IEC", DesignKind::Inverting, NetworkForm::D, 0, true, "Rin R1 C1 R2 C2 RL Cout");
        add("two stages, IEC", DesignKind::TwoStage, NetworkForm::A, 0, true, "R0 R1 C1 R2 R3 C3 RL Cout");
    }
    void everyStageShowsTheElementsItHas() {
        QFETCH(int, stage);
        QFETCH(int, form);
        QFETCH(int, zero);
        QFETCH(bool, iec);
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(riaa::NumberLocale{}, resistors);
        session.setCurve(riaa::CurveChoice{0, iec, false});
        ActiveStagePage page(session);
        page.show();
        Click(page.RdBtnForms[static_cast<std::size_t>(form)]);
        Choose(page.CmbBxExtraZero, zero);
        Click(stage == static_cast<int>(DesignKind::Inverting)   ? page.RdBtnInverting
              : stage == static_cast<int>(DesignKind::TwoStage) ? page.RdBtnTwoStages
                                                                : page.RdBtnNonInverting);
        // Two clicks that leave the op-amp ideal: an edit even where every choice was already made.
        Click(page.ChckBxIdealOpAmp);
        Click(page.ChckBxIdealOpAmp);
        QVERIFY2(page.LabelStageMessage->text().isEmpty(), qPrintable(page.LabelStageMessage->text()));
        QVERIFY(session.activeStage().has_value());
        QCOMPARE(static_cast<int>(session.design()->calculated.kind), stage);
        QStringList shown;
        for (const ElementKind element : kShownOrder) {
            QCOMPARE(page.resultField(element)->isVisible(), session.activeStage()->network.has(element));
            if (page.resultField(element)->isVisible()) shown << QString::fromLatin1(riaa::ElementName(element).data());
        }
        QTEST(shown.join(QLatin1Char(' ')), "shown");
        QLineEdit* gain = page.field(ActiveField::Gain);
        const bool gainFixed = stage == static_cast<int>(DesignKind::NonInverting) && zero == 2;
        QCOMPARE(gain->isEnabled(), !gainFixed);
        if (gainFixed) return;
        Retype(gain, QStringLiteral("40"));
        QCOMPARE(session.activeStage()->request.gain1kHzDb, 40.0);
        QCOMPARE(page.LblStageGain1kHz->text(), QStringLiteral("40.0 dB"));
    }

    // A stage set from outside the page (a design file) shows in its controls, which read back into it.
    void stageSetAtOnceShowsInTheControls() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        const riaa::NumberLocale comma{",", "."};
        DesignSession session(comma, resistors);
        ActiveStagePage page(session);
        page.show();
        riaa::ActiveStageRequest request;
        request.stage = DesignKind::Inverting;
        request.form = NetworkForm::C;
        request.gain1kHzDb = 42.5;
        request.scaleByC1 = true;
        request.scale = 0.022;
        request.c0 = 47;
        request.opAmp = {false, 110, 3.5e6};
        DesignState state;
        state.design = request;
        session.setDesignState(state);
        QVERIFY(page.RdBtnInverting->isChecked() && page.RdBtnForms[2]->isChecked());
        QCOMPARE(page.field(ActiveField::Gain)->text(), QStringLiteral("42,5"));
        const ActiveReading reading = ReadActiveInputs(page.inputs(), session.curve(), comma);
        QVERIFY(reading.request.has_value());
        QCOMPARE(riaa::DesignActiveStage(*reading.request), session.activeStage()->network);
        QCOMPARE(page.LabelDesignState->text(), QStringLiteral("The Accuracy and Parts pages show this stage."));
    }

    void schematicsNameTheirElementsInsideTheirArea() {
        const QRectF area(QPointF(0, 0), QSizeF(kFormSchematicSize));
        for (int i = 0; i < kFormDrawingCount; ++i) {
            const FormSchematic& schematic = FormSchematicOf(static_cast<FormDrawing>(i));
            QStringList names;
            for (const SchematicPrimitive& primitive : schematic.drawing) {
                QRectF extent;
                if (const auto* line = std::get_if<PolylinePrimitive>(&primitive)) {
                    extent = QPolygonF(line->points).boundingRect();
                } else if (const auto* text = std::get_if<TextPrimitive>(&primitive)) {
                    QFont font(QStringLiteral("Arial"));
                    font.setPixelSize(static_cast<int>(text->pixelSize));
                    extent = QRectF(text->topLeft, QFontMetricsF(font).size(0, text->text));
                    if (text->colour != schematic_colours::kCaption) names << text->text;
                }
                // A straight wire's extent has no height, which QRectF::contains(QRectF) refuses.
                const bool inside = area.contains(extent.topLeft()) && area.contains(extent.bottomRight());
                QVERIFY2(inside, qPrintable(QStringLiteral("drawing %1 leaves its area").arg(i)));
            }
            names.sort();
            const bool withoutC2 = static_cast<FormDrawing>(i) == FormDrawing::AWithoutC2;
            QCOMPARE(names.join(QLatin1Char(' ')), withoutC2 ? QStringLiteral("C1 R1 R2") : QStringLiteral("C1 C2 R1 R2"));
        }
    }

    void everyVisibleControlIsNamed() {
        const riaa::ValueList resistors = riaa::MakeResistorList();
        DesignSession session(riaa::NumberLocale{}, resistors);
        ActiveStagePage page(session);
        page.show();
        Retype(page.field(ActiveField::Gain), QStringLiteral("40"));
        Click(page.ChckBxStageC0);
        QStringList unnamed;
        for (QWidget* widget : page.findChildren<QWidget*>()) {
            if (!widget->isVisible()) continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
            const bool input = (widget->focusPolicy() & Qt::TabFocus) != 0;
            if (!input && qobject_cast<QLabel*>(widget) == nullptr) continue;
            const bool named = !face->text(QAccessible::Name).trimmed().isEmpty() || !widget->accessibleName().isEmpty();
            if (!named || (input && face->text(QAccessible::Description).trimmed().isEmpty())) {
                unnamed << widget->objectName();
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(ActiveTest)
#include "tst_active.moc"
