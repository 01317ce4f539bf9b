// A seeded random user works both pages for thousands of actions; after each one the window must still
// show what the engine says for the state it shows. MIRELUND_SOAK_ACTIONS and MIRELUND_SOAK_SEED set the
// length and the seed (a long run: MIRELUND_SOAK_ACTIONS=100000 build/release/tests/ui/tst_soak).
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

#include <cmath>
#include <random>

#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "graph/GraphImage.h"
#include "graph/GraphPage.h"
#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "session/DesignSession.h"
#include "windows/About1.h"
#include "windows/Resources.h"
#include "WindowProbes.h"

namespace {

int EnvironmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Pieces of what people type into number boxes, and what they should not but will.
const QStringList kTypedPieces{
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "47", "100", "0.047", "12.5", ".", ",", "k", "K", "m", "M",
    "e", "E", "-", "+", " ", "e308", "e-320", "e-310", "1e400", "x", "abc", "\u00B5", "\u00E9", "\u65E5\u672C",
    "\u00A0", "\t", "999999999999999999999999", "0.0000000", "&", "|", "%s", "<b>"};

class RandomUser {
public:
    RandomUser(TRiaaForm& window, unsigned seed) : w_(window), rng_(seed) {}

    // Does one thing a user could do now; says whether it may have changed a circuit's C1.
    bool act() {
        const bool onCircuitPage = w_.Notebook1->currentIndex() == 0;
        switch (pick(onCircuitPage ? 12 : 10)) {
            case 0: w_.Calculations1->trigger(); return false;
            case 1: {
                // Any page of the menu but About, the newer ones as often as the first two.
                QList<QAction*> pages;
                for (QAction* command : w_.MainMenu1->actions()) {
                    if (command != w_.About1) pages << command;
                }
                pages[pick(int(pages.size()))]->trigger();
                return false;
            }
            case 2: resize(); return false;
            case 3:
                if (pick(8) == 0) w_.About1->trigger();
                return false;
            case 4:
                w_.setFocus();
                QTest::keyClick(&w_, Qt::Key_Z);
                return false;
            default:
                if (onCircuitPage) return actOnCircuitPage();
                if (w_.Notebook1->currentWidget() == w_.GraphPage1) return actOnGraphPage();
                actOnAnyControl(w_.Notebook1->currentWidget());
                return false;
        }
    }

private:
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng_); }

    QString randomText() {
        QString text;
        const int pieces = pick(6) + 1;
        for (int i = 0; i < pieces; ++i) text += kTypedPieces[pick(int(kTypedPieces.size()))];
        return text;
    }

    // Each character as a key press carrying its text, as a keyboard of any layout would send it.
    static void typeText(QWidget* field, const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void typeInto(QComboBox* box) {
        box->lineEdit()->selectAll();
        if (pick(5) == 0) QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        typeText(box->lineEdit(), randomText());
    }

    void pickFrom(QComboBox* box) {
        const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        QTest::keyClick(box, keys[pick(5)]);
    }

    void click(QAbstractButton* button) {
        if (button->isVisible()) QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
    }

    bool actOnCircuitPage() {
        switch (pick(7)) {
            case 0: click(w_.CircuitPage->LMDRadioGroupCircuits->button(pick(6))); return false;
            case 1: click(w_.CircuitPage->RdGrpElement->button(pick(6))); return false;
            case 2: click(QList<QCheckBox*>{w_.CircuitPage->ChckBxRL, w_.CircuitPage->ChckBxRs, w_.CircuitPage->ChkBxStdR}[pick(3)]); return false;
            case 3:
            case 4: typeInto(w_.CircuitPage->CmbBxC->isVisible() ? w_.CircuitPage->CmbBxC : w_.CircuitPage->CmbBxR); return true;
            default: pickFrom(w_.CircuitPage->CmbBxC->isVisible() ? w_.CircuitPage->CmbBxC : w_.CircuitPage->CmbBxR); return true;
        }
    }

    bool actOnGraphPage() {
        GraphPage& page = *w_.GraphPage1;
        switch (pick(5)) {
            case 0: click(QList<QPushButton*>{page.SpdBtnInvRIAAEq, page.SpdBtnPlayBack, page.SpdBtnRIAAEq}[pick(3)]); break;
            case 1: typeInto(page.CmbBxRiaa); break;
            case 2: pickFrom(page.CmbBxRiaa); break;
            case 3: QTest::mouseMove(page.Image1, randomPoint(page.Image1)); break;
            default: {
                QTest::mousePress(page.Image1, Qt::LeftButton, {}, randomPoint(page.Image1));
                QTest::mouseMove(page.Image1, randomPoint(page.Image1, 5000));
                QTest::mouseRelease(page.Image1, Qt::LeftButton, {}, randomPoint(page.Image1, 5000));
            }
        }
        return false;
    }

    // The pages beyond the first two: a field typed into, a box ticked, a choice or a row clicked,
    // whatever the page offers. Saving a netlist is left out: its file dialog is no message box.
    void actOnAnyControl(QWidget* page) {
        QList<QWidget*> controls;
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (!control->isVisible() || !control->isEnabled()) continue;
            if (control->objectName() == QLatin1String("BtnSaveNetlist")) continue;
            if (qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractButton*>(control) ||
                qobject_cast<QComboBox*>(control) || qobject_cast<QTableWidget*>(control)) {
                controls << control;
            }
        }
        if (controls.isEmpty()) return;
        QWidget* control = controls[pick(int(controls.size()))];
        if (auto* field = qobject_cast<QLineEdit*>(control)) {
            if (field->parent() && qobject_cast<QComboBox*>(field->parent())) return;
            field->selectAll();
            if (pick(5) == 0) QTest::keyClick(field, Qt::Key_Backspace);
            typeText(field, randomText());
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            click(button);
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            if (box->isEditable()) {
                typeInto(box);
            } else if (box->count() > 0) {
                box->setCurrentIndex(pick(box->count()));
                emit box->activated(box->currentIndex());
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(control)) {
            const QRect cell = table->visualRect(table->model()->index(pick(std::max(1, table->rowCount())), 0));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        }
    }

    QPoint randomPoint(const QWidget* widget, int beyond = 0) {
        const int width = qMax(1, widget->width());
        const int height = qMax(1, widget->height());
        return {pick(width + 2 * beyond) - beyond, pick(height + 2 * beyond) - beyond};
    }

    void resize() {
        const QSize smallest = w_.minimumSizeHint().expandedTo(w_.minimumSize()).expandedTo(QSize(1, 1));
        if (pick(4) == 0) {
            w_.resize(smallest);
        } else {
            w_.resize(smallest.width() + pick(qMax(1, 1920 - smallest.width())),
                      smallest.height() + pick(qMax(1, 1080 - smallest.height())));
        }
    }

    TRiaaForm& w_;
    std::mt19937 rng_;
};

}  // namespace

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns on every resize that it cannot pass size hints on; thousands of
// resizes would drown the report.
void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints"))) return;
    previousHandler(type, context, message);
}

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        previousHandler = qInstallMessageHandler(DropSizeHintWarnings);
        InitMirelundResources();
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void randomUserKeepsTheWindowTrue() {
        const int actions = EnvironmentNumber("MIRELUND_SOAK_ACTIONS", 2500);
        const unsigned seed = unsigned(EnvironmentNumber("MIRELUND_SOAK_SEED", 20261208));
        StartupOptions options;
        options.typingPauseMs = 3;
        TRiaaForm w(options);
        TAboutBox about;
        w.setAboutBox(&about);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ModalBoxWatcher watcher(2);
        RandomUser user(w, seed);

        for (int action = 0; action < actions; ++action) {
            const auto before = w.session()->passiveInputs().state.CircuitC1;
            const bool mayEnterValue = user.act();
            const QString where = QStringLiteral("action %1 of seed %2").arg(action).arg(seed);
            checkInvariants(w, before, mayEnterValue, where);
            if (QTest::currentTestFailed()) return;
        }
        qInfo("%d actions, %d boxes met and closed", actions, int(watcher.boxes().size()));
    }

private:
    static void checkInvariants(const TRiaaForm& w, const std::array<double, riaa::kCircuitCount>& before,
                                bool mayEnterValue, const QString& where) {
        const char* context = qPrintable(where);
        QVERIFY2(w.isVisible(), context);
        // Whatever the pages beyond the first two were given, the design on show is a finite one.
        if (const auto& report = w.session()->report()) {
            QVERIFY2(std::isfinite(report->largestErrorDb) && std::isfinite(report->lossAt1kHzDb), context);
        }
        QVERIFY2(!CircuitPage::pauseInProgress(), context);

        const auto& after = w.session()->passiveInputs().state.CircuitC1;
        int changed = 0;
        for (int c = 0; c < riaa::kCircuitCount; ++c) {
            QVERIFY2(std::isfinite(after[c]) && after[c] != 0, context);
            if (after[c] != before[c]) ++changed;
        }
        QVERIFY2(changed <= (mayEnterValue ? 1 : 0), context);

        for (const riaa::ValueList* list : {&WindowProbe::resistorList(w), &WindowProbe::capacitorList(w)}) {
            for (std::size_t i = 0; i < list->size(); ++i) {
                QVERIFY2(list->value(i) != 0 && !std::isnan(list->value(i)), context);
            }
        }

        // The six fields hold what the engine gives for the circuit, options and values shown.
        riaa::NetworkState state = w.session()->passiveInputs().state;
        const auto circuit = static_cast<riaa::CircuitKind>(w.CircuitPage->LMDRadioGroupCircuits->itemIndex());
        const riaa::CalculationOptions options{w.CircuitPage->ChckBxRL->isChecked(), w.CircuitPage->ChckBxRs->isChecked(),
                                               w.CircuitPage->ChkBxStdR->isChecked()};
        riaa::CalculationResult expected;
        try {
            expected = riaa::CalculateNetwork(state, circuit, options, WindowProbe::resistorList(w), w.session()->locale());
        } catch (const riaa::EngineError&) {
            return;  // this state cannot be calculated; the fields keep what they showed before
        }
        if (static_cast<int>(circuit) <= 3) QVERIFY2(state.C2 == 0, context);
        if (static_cast<int>(circuit) <= 1) QVERIFY2(state.R2 == 0, context);
        const QList<QLabel*> fields{w.CircuitPage->LblC1, w.CircuitPage->LblC2, w.CircuitPage->LblR1, w.CircuitPage->LblR2, w.CircuitPage->LblR3, w.CircuitPage->LblR4};
        for (int i = 0; i < fields.size(); ++i) {
            QVERIFY2(fields[i]->text() == QString::fromStdString(expected.texts[std::size_t(i)]),
                     qPrintable(where + QStringLiteral(": field %1 shows '%2'").arg(i).arg(fields[i]->text())));
            const QColor colour = fields[i]->palette().color(QPalette::WindowText);
            QVERIFY2(colour == (expected.alert ? QColor(255, 0, 0) : QColor(0, 255, 255)), context);
        }
    }
};

QTEST_MAIN(SoakTest)
#include "tst_soak.moc"
