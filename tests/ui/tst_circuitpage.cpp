// The circuit page driven as a user drives it: typing, picking, clicking, and what the six fields show.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <functional>

#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "circuit/SchematicView.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "engine/Formats.h"
#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "WindowProbes.h"

namespace {

const QString kMicro = QStringLiteral("\u00B5F");

// Types up to the first character that starts the wait (zero-like beginnings start none), and the
// rest from inside the wait, as a quick typist would.
void TypeDuringWait(QWidget* field, const QString& text, int afterMs = 50) {
    qsizetype first = 1;
    while (first < text.size() && riaa::IsZeroLikeText(text.left(first).toStdString())) ++first;
    QTimer::singleShot(afterMs, field, [field, rest = text.mid(first)] { QTest::keyClicks(field, rest); });
    QTest::keyClicks(field, text.left(first));
}

void ReplaceText(QComboBox* box, const QString& text) {
    box->lineEdit()->selectAll();
    TypeDuringWait(box->lineEdit(), text);
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

QStringList FieldTexts(const TRiaaForm& w) {
    return {w.CircuitPage->LblC1->text(), w.CircuitPage->LblC2->text(), w.CircuitPage->LblR1->text(), w.CircuitPage->LblR2->text(), w.CircuitPage->LblR3->text(), w.CircuitPage->LblR4->text()};
}

QColor TextColour(const QLabel* field) { return field->palette().color(QPalette::WindowText); }

// Whether the action starts a typing wait: looked at 50 ms in, while a wait would still run.
bool StartsAWait(const std::function<void()>& action) {
    bool waiting = false;
    QTimer::singleShot(50, [&waiting] { waiting = CircuitPage::pauseInProgress(); });
    action();
    QTest::qWait(100);
    return waiting;
}

void ShowActive(TRiaaForm& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

// Opens the box's drop-down on list entry `row` and gives the point of that entry in the list's viewport.
QPoint OpenDropDownAt(QComboBox* box, int row) {
    box->showPopup();
    QAbstractItemView* view = box->view();
    const QModelIndex entry = box->model()->index(row, 0);
    view->scrollTo(entry);
    // The drop-down takes no release that comes within a double-click time of its opening.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    return view->visualRect(entry).center();
}

}  // namespace

class CircuitPageTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void startUpState() {
        TRiaaForm w;
        w.show();
        QCOMPARE(FieldTexts(w), QStringList({".01 " + kMicro, "", "318 k", "", "", ""}));
        QCOMPARE(w.CircuitPage->CmbBxC->currentText(), QStringLiteral("0.01"));
        QCOMPARE(w.CircuitPage->LabelPre->text(), QStringLiteral("C1"));
        QCOMPARE(w.CircuitPage->LabelSufix->text(), kMicro);
        QCOMPARE(w.CircuitPage->LabelElement->text(), QStringLiteral(" Capacitor"));
        QVERIFY(w.CircuitPage->CmbBxC->isVisible());
        QCOMPARE(TextColour(w.CircuitPage->LblC1), QColor(0, 255, 255));
        // Typing goes to the box the user sees.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY2(w.CircuitPage->CmbBxC->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == w.CircuitPage->CmbBxC,
                 QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
    }

    void choosingAnElementShowsItsValue_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<int>("element");
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("R1") << 0 << 2 << false << "318000" << "ohm";
        QTest::newRow("R1 rounded") << 0 << 2 << true << "320000" << "ohm";
        QTest::newRow("C2 absent") << 0 << 1 << false << "" << kMicro;
        QTest::newRow("R2 absent") << 1 << 3 << false << "" << "ohm";
        QTest::newRow("RL") << 0 << 4 << false << "1000000" << "ohm";
        QTest::newRow("Rs") << 0 << 5 << false << "1000" << "ohm";
        QTest::newRow("R1 of circuit 3") << 3 << 2 << false << "9802.7" << "ohm";
        QTest::newRow("C2 of circuit 4") << 4 << 1 << false << ".0034293553" << kMicro;
    }
    void choosingAnElementShowsItsValue() {
        QFETCH(int, circuit);
        QFETCH(int, element);
        QFETCH(bool, standard);
        QFETCH(QString, suffix);
        TRiaaForm w;
        w.show();
        if (circuit != 0) Click(w.CircuitPage->LMDRadioGroupCircuits->button(circuit));
        if (standard) Click(w.CircuitPage->ChkBxStdR);
        Click(w.CircuitPage->RdGrpElement->button(element));
        const bool capacitor = element < 2;
        QCOMPARE(w.CircuitPage->CmbBxC->isVisible(), capacitor);
        QCOMPARE(w.CircuitPage->CmbBxR->isVisible(), !capacitor);
        QTEST((capacitor ? w.CircuitPage->CmbBxC : w.CircuitPage->CmbBxR)->currentText(), "editor");
        QCOMPARE(w.CircuitPage->LabelSufix->text(), suffix);
        QCOMPARE(w.CircuitPage->LabelElement->text(), capacitor ? QStringLiteral(" Capacitor") : QStringLiteral(" Resistor"));
        QCOMPARE(w.CircuitPage->LabelPre->text(), w.CircuitPage->RdGrpElement->itemText(element));
    }

    void typedResistorIsExpandedInsertedAndStored() {
        TRiaaForm w;
        w.show();
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(2));
        Click(w.CircuitPage->RdGrpElement->button(3));
        const std::size_t before = WindowProbe::resistorList(w).size();
        ReplaceText(w.CircuitPage->CmbBxR, QStringLiteral("12.5k"));
        QCOMPARE(w.CircuitPage->CmbBxR->currentText(), QStringLiteral("12500"));
        QCOMPARE(WindowProbe::resistorList(w).size(), before + 1);  // one entry: the burst was one calculation
        const auto& texts = WindowProbe::resistorList(w).texts();
        const auto at = std::find(texts.begin(), texts.end(), "12500") - texts.begin();
        QCOMPARE(QString::fromStdString(texts[at - 1]), QStringLiteral("12400"));
        QCOMPARE(QString::fromStdString(texts[at + 1]), QStringLiteral("12600"));
        QCOMPARE(w.CircuitPage->CmbBxR->itemText(int(at)), QStringLiteral("12500"));
        QVERIFY(qAbs(w.session()->passiveInputs().state.CircuitC1[2] - 0.02544) < 1e-12);
        QCOMPARE(w.CircuitPage->LblR2->text(), QStringLiteral("12.5 k"));
        QVERIFY(!CircuitPage::pauseInProgress());
    }

    void pickedCapacitorIsStored() {
        TRiaaForm w;
        w.show();
        QCOMPARE(w.CircuitPage->CmbBxC->currentIndex(), 28);
        ModalBoxWatcher watcher;
        // Each arrow key picks the next entry; the first starts the wait, the rest land inside it.
        QTimer::singleShot(50, w.CircuitPage->CmbBxC, [&w] {
            for (int i = 0; i < 4; ++i) QTest::keyClick(w.CircuitPage->CmbBxC, Qt::Key_Down);
        });
        QTest::keyClick(w.CircuitPage->CmbBxC, Qt::Key_Down);
        QCOMPARE(w.session()->passiveInputs().state.CircuitC1[0], 0.047);
        QCOMPARE(w.CircuitPage->CmbBxC->currentText(), QStringLiteral(".047"));
        QCOMPARE(w.CircuitPage->LblC1->text(), ".047 " + kMicro);
        for (const SeenBox& box : watcher.boxes()) qWarning() << box.title << box.text;
        QVERIFY(watcher.boxes().isEmpty());
    }

    void windowGoesWithAValueBoxFocusedAndEdited() {
        // The boxes read the lists while they are torn down; the lists must outlive them.
        for (bool resistor : {false, true}) {
            auto* w = new TRiaaForm;
            w->show();
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            if (resistor) Click(w->CircuitPage->RdGrpElement->button(2));
            QComboBox* box = resistor ? w->CircuitPage->CmbBxR : w->CircuitPage->CmbBxC;
            box->setFocus();
            // Edited text makes the box look it up in its list when it loses the focus; a zero-like
            // text starts no wait.
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), QStringLiteral("0.0"));
            QVERIFY(box->lineEdit()->hasFocus());
            delete w;
        }
    }

    void zeroLikeTextStartsNothing() {
        TRiaaForm w;
        w.show();
        w.CircuitPage->CmbBxC->lineEdit()->selectAll();
        QTest::keyClicks(w.CircuitPage->CmbBxC->lineEdit(), QStringLiteral("0.0"));
        QVERIFY(!CircuitPage::pauseInProgress());
        QCOMPARE(w.session()->passiveInputs().state.CircuitC1[0], 0.01);
    }

    void checkBoxesCorrectAndRound() {
        TRiaaForm w;
        w.show();
        Click(w.CircuitPage->ChckBxRs);
        QCOMPARE(FieldTexts(w), QStringList({".01 " + kMicro, "", "317 k", "", "", "1 k"}));
        Click(w.CircuitPage->ChckBxRL);
        QCOMPARE(w.CircuitPage->LblR3->text(), QStringLiteral("1 M"));
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("465.3 k"));
        Click(w.CircuitPage->ChckBxRs);
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("466.3 k"));
        QCOMPARE(w.CircuitPage->LblR4->text(), QString());
        Click(w.CircuitPage->ChkBxStdR);
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("464 k"));
    }

    void typedValuesReachTheirFields_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<QString>("options");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("alert");
        const QString c1 = ".01 " + kMicro;
        // R1 = 318000 less Rs: zero is a network, one ohm below it is none.
        QTest::newRow("Rs one below R1") << 0 << "Rs" << 5 << "317999" << QStringList{c1, "", "1", "", "", "318 k"} << false;
        QTest::newRow("Rs equal to R1") << 0 << "Rs" << 5 << "318000" << QStringList{c1, "", "0", "", "", "318 k"} << false;
        QTest::newRow("Rs one above R1") << 0 << "Rs" << 5 << "318001" << QStringList{c1, "", "-1", "", "", "318 k"} << true;
        // 1 / (1/318000 - 1/2200000) - 1000 = 370732.5: each of RL and Rs in its own field.
        QTest::newRow("RL and Rs apart") << 0 << "RL Rs" << 4 << "2.2M"
                                         << QStringList{c1, "", "370.7 k", "", "2.2 M", "1 k"} << false;
        QTest::newRow("RL alone") << 0 << "RL" << 4 << "2.2M" << QStringList{c1, "", "371.7 k", "", "2.2 M", ""} << false;
        // A C2 of 0.02 µF makes C1 = 2.916 x 0.02 = 0.05832 µF; then R1 = 2187 / C1 = 37500, R2 = 318 / C1.
        QTest::newRow("C2 in circuit 4") << 4 << "" << 1 << "0.02"
                                         << QStringList{".0583 " + kMicro, ".02 " + kMicro, "37.5 k", "5453", "", ""}
                                         << false;
        // Circuit 0 has no C2: the value is its C1.
        QTest::newRow("C2 in circuit 0") << 0 << "" << 1 << "0.02" << QStringList{".02 " + kMicro, "", "159 k", "", "", ""}
                                         << false;
    }
    void typedValuesReachTheirFields() {
        QFETCH(int, circuit);
        QFETCH(QString, options);
        QFETCH(int, element);
        QFETCH(QString, typed);
        QFETCH(bool, alert);
        TRiaaForm w;
        w.show();
        ModalBoxWatcher watcher;
        if (circuit != 0) Click(w.CircuitPage->LMDRadioGroupCircuits->button(circuit));
        if (options.contains("RL")) Click(w.CircuitPage->ChckBxRL);
        if (options.contains("Rs")) Click(w.CircuitPage->ChckBxRs);
        Click(w.CircuitPage->RdGrpElement->button(element));
        ReplaceText(element < 2 ? w.CircuitPage->CmbBxC : w.CircuitPage->CmbBxR, typed);
        QTEST(FieldTexts(w), "fields");
        for (const QLabel* field : {w.CircuitPage->LblC1, w.CircuitPage->LblC2, w.CircuitPage->LblR1, w.CircuitPage->LblR2, w.CircuitPage->LblR3, w.CircuitPage->LblR4}) {
            QCOMPARE(TextColour(field), alert ? QColor(255, 0, 0) : QColor(0, 255, 255));
        }
        QCOMPARE(watcher.boxes().size(), alert ? 1 : 0);
    }

    void overlaysFollowTheirBoxes() {
        TRiaaForm w;
        w.show();
        const auto overlaysShown = [&w](const char* prefix) {
            int shown = 0;
            for (char page = 'a'; page <= 'f'; ++page) {
                auto* overlay = w.CircuitPage->Notebook2->findChild<SchematicOverlay*>(QLatin1String(prefix) + QChar(page));
                if (overlay == nullptr) return -1;
                shown += overlay->isVisible() ? 1 : 0;
            }
            return shown;
        };
        QCOMPARE(overlaysShown("ImageRs"), 0);
        QCOMPARE(overlaysShown("ImageRL"), 0);
        Click(w.CircuitPage->ChckBxRs);
        QCOMPARE(overlaysShown("ImageRs"), 6);
        QCOMPARE(overlaysShown("ImageRL"), 0);
        Click(w.CircuitPage->ChckBxRL);
        Click(w.CircuitPage->ChkBxStdR);
        QCOMPARE(overlaysShown("ImageRL"), 6);
        Click(w.CircuitPage->ChckBxRs);
        QCOMPARE(overlaysShown("ImageRs"), 0);
        QCOMPARE(overlaysShown("ImageRL"), 6);
    }

    void lowLoadWarnsAndTurnsTheFieldsRed() {
        TRiaaForm w;
        w.show();
        ModalBoxWatcher watcher;
        Click(w.CircuitPage->RdGrpElement->button(4));
        ReplaceText(w.CircuitPage->CmbBxR, QStringLiteral("100000"));
        QCOMPARE(w.session()->passiveInputs().state.RL, 100000.0);
        QVERIFY(watcher.boxes().isEmpty());
        Click(w.CircuitPage->ChckBxRL);
        QCOMPARE(watcher.boxes().size(), 1);
        const SeenBox& box = watcher.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(box.text, QStringLiteral("The load resistance, RL, is too low in value for\nthe rest of the  circuit "
                                          "to work. To include RL's value,\nincrease C1 or C2's value."));
        for (const QLabel* field : {w.CircuitPage->LblC1, w.CircuitPage->LblC2, w.CircuitPage->LblR1, w.CircuitPage->LblR2, w.CircuitPage->LblR3, w.CircuitPage->LblR4}) {
            QCOMPARE(TextColour(field), QColor(255, 0, 0));
        }
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("-1"));
        Click(w.CircuitPage->ChkBxStdR);
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("10"));
        QCOMPARE(TextColour(w.CircuitPage->LblR1), QColor(255, 0, 0));
        Click(w.CircuitPage->ChckBxRL);
        QCOMPARE(TextColour(w.CircuitPage->LblR1), QColor(0, 255, 255));
        QCOMPARE(watcher.boxes().size(), 2);  // the rounding click recalculated too
    }

    void eachCircuitKeepsItsC1() {
        TRiaaForm w;
        w.show();
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(2));
        w.CircuitPage->CmbBxC->lineEdit()->selectAll();
        TypeDuringWait(w.CircuitPage->CmbBxC->lineEdit(), QStringLiteral("0.047"));
        QCOMPARE(w.CircuitPage->LblR2->text(), QStringLiteral("6766"));
        Click(w.CircuitPage->RdGrpElement->button(2));
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(0));
        QCOMPARE(w.CircuitPage->RdGrpElement->itemIndex(), 0);
        QVERIFY(w.CircuitPage->CmbBxC->isVisible());
        QCOMPARE(w.CircuitPage->CmbBxC->currentText(), QStringLiteral(".01"));
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("318 k"));
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(2));
        QCOMPARE(w.CircuitPage->CmbBxC->currentText(), QStringLiteral(".047"));
        QCOMPARE(w.CircuitPage->Notebook2->currentCircuit(), 2);
    }

    // The inputs set at once (a design file's) show on the page as the typing that made them did.
    void inputsSetAtOnceShowAsTyped() {
        TRiaaForm typed;
        typed.show();
        Click(typed.CircuitPage->LMDRadioGroupCircuits->button(2));
        typed.CircuitPage->CmbBxC->lineEdit()->selectAll();
        TypeDuringWait(typed.CircuitPage->CmbBxC->lineEdit(), QStringLiteral("0.047"));
        Click(typed.CircuitPage->ChckBxRL);
        Click(typed.CircuitPage->RdGrpElement->button(2));
        TRiaaForm opened;
        opened.show();
        opened.session()->setDesignState(typed.session()->designState());
        CircuitPage* page = opened.CircuitPage;
        QCOMPARE(FieldTexts(opened), FieldTexts(typed));
        QCOMPARE(page->LMDRadioGroupCircuits->itemIndex(), 2);
        QCOMPARE(page->Notebook2->currentCircuit(), 2);
        QCOMPARE(page->RdGrpElement->itemIndex(), 2);
        QVERIFY(page->ChckBxRL->isChecked() && !page->ChckBxRs->isChecked());
        QVERIFY(page->CmbBxR->isVisible());
        QCOMPARE(page->CmbBxR->currentText(), typed.CircuitPage->CmbBxR->currentText());
    }

    void refusedTextsChangeNothing_data() {
        QTest::addColumn<bool>("resistor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters in C") << false << "abc" << "'abc' is not a valid floating point value";
        QTest::newRow("comma in a point locale") << false << "0,047" << "'0,047' is not a valid floating point value";
        QTest::newRow("zero C") << false << "0.0000000" << "Floating point division by zero";
        QTest::newRow("tiny C") << false << "1e-310" << "Floating point overflow";
        QTest::newRow("lone k") << true << "k" << "'' is not a valid floating point value";
        QTest::newRow("zero R") << true << "0.0000k" << "'' is not a valid floating point value";
        QTest::newRow("zero R plain") << true << "0.0000000" << "Floating point division by zero";
        QTest::newRow("tiny R") << true << "1e-310" << "Floating point overflow";
    }
    void refusedTextsChangeNothing() {
        QFETCH(bool, resistor);
        QFETCH(QString, typed);
        TRiaaForm w;
        w.show();
        ModalBoxWatcher watcher;
        if (resistor) Click(w.CircuitPage->RdGrpElement->button(2));
        const QStringList fields = FieldTexts(w);
        const std::size_t capacitors = WindowProbe::capacitorList(w).size();
        const std::size_t resistors = WindowProbe::resistorList(w).size();
        ReplaceText(resistor ? w.CircuitPage->CmbBxR : w.CircuitPage->CmbBxC, typed);
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QStringLiteral("Mirelund"));
        QTEST(watcher.boxes().first().text, "message");
        QCOMPARE(FieldTexts(w), fields);
        QCOMPARE(WindowProbe::capacitorList(w).size(), capacitors);
        QCOMPARE(WindowProbe::resistorList(w).size(), resistors);
        QCOMPARE(w.session()->passiveInputs().state.CircuitC1[0], 0.01);
        QVERIFY(!CircuitPage::pauseInProgress());
        // The circuit still calculates.
        Click(w.CircuitPage->ChckBxRs);
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("317 k"));
    }

    void clicksDuringTheWaitTakeEffectAtOnce() {
        TRiaaForm w;
        w.show();
        QString seenDuringWait;
        QTimer::singleShot(100, &w, [&] {
            Click(w.CircuitPage->ChckBxRs);
            seenDuringWait = w.CircuitPage->LblR4->text();
            QVERIFY(CircuitPage::pauseInProgress());
        });
        w.CircuitPage->CmbBxC->lineEdit()->selectAll();
        QTest::keyClicks(w.CircuitPage->CmbBxC->lineEdit(), QStringLiteral("0.02"));
        QCOMPARE(seenDuringWait, QStringLiteral("1 k"));
        // That click's calculation wrote the stored C1 back into the box, and the wait ends with that text.
        QCOMPARE(w.CircuitPage->CmbBxC->currentText(), QStringLiteral(".01"));
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("317 k"));
    }

    // A settled value of 4700 in R1's box, focused, as the user left it after typing.
    void valueBoxChangesAreEntriesOnlyWhenTheUserMakesThem_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("entry");
        QTest::newRow("typing") << "type" << true;
        QTest::newRow("pick from the drop-down") << "pick" << true;
        QTest::newRow("pick of the entry shown") << "pick shown" << true;
        QTest::newRow("arrow key") << "down" << true;
        QTest::newRow("Enter") << "enter" << false;
        QTest::newRow("Tab to the next control") << "tab" << false;
        QTest::newRow("click on a check box") << "check" << false;
        QTest::newRow("click on an element") << "element" << false;
    }
    void valueBoxChangesAreEntriesOnlyWhenTheUserMakesThem() {
        QFETCH(QString, action);
        QFETCH(bool, entry);
        TRiaaForm w;
        ShowActive(w);
        ModalBoxWatcher watcher;
        Click(w.CircuitPage->RdGrpElement->button(2));
        w.CircuitPage->CmbBxR->setFocus();
        ReplaceText(w.CircuitPage->CmbBxR, QStringLiteral("4700"));
        QCOMPARE(w.CircuitPage->CmbBxR->currentText(), QStringLiteral("4700"));
        const int shown = w.CircuitPage->CmbBxR->findText(QStringLiteral("4700"));
        QVERIFY(shown > 0 && shown != w.CircuitPage->CmbBxR->currentIndex());
        QVERIFY(w.CircuitPage->CmbBxR->hasFocus());

        QPoint entryAt;
        if (action.startsWith("pick")) entryAt = OpenDropDownAt(w.CircuitPage->CmbBxR, action == "pick" ? shown + 2 : shown);
        const bool started = StartsAWait([&] {
            if (action == "type") QTest::keyClick(w.CircuitPage->CmbBxR, Qt::Key_0);
            if (action.startsWith("pick")) QTest::mouseClick(w.CircuitPage->CmbBxR->view()->viewport(), Qt::LeftButton, {}, entryAt);
            if (action == "down") QTest::keyClick(w.CircuitPage->CmbBxR, Qt::Key_Down);
            if (action == "enter") QTest::keyClick(w.CircuitPage->CmbBxR, Qt::Key_Return);
            if (action == "tab") QTest::keyClick(w.CircuitPage->CmbBxR, Qt::Key_Tab);
            if (action == "check") Click(w.CircuitPage->ChckBxRL);
            if (action == "element") Click(w.CircuitPage->RdGrpElement->button(3));
        });
        QCOMPARE(started, entry);
        QTRY_VERIFY(!CircuitPage::pauseInProgress());
        QVERIFY(watcher.boxes().isEmpty());
        if (!entry) QCOMPARE(w.session()->passiveInputs().state.CircuitC1[0], 3180.0 / 4700);
    }

    void clickRightAfterATypedValueTakesEffectAtOnce() {
        TRiaaForm w;
        ShowActive(w);
        Click(w.CircuitPage->RdGrpElement->button(2));
        w.CircuitPage->CmbBxR->setFocus();
        ReplaceText(w.CircuitPage->CmbBxR, QStringLiteral("4700"));
        QElapsedTimer clock;
        clock.start();
        Click(w.CircuitPage->ChckBxRL);
        QVERIFY2(clock.elapsed() < 350, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(w.CircuitPage->LblR3->text(), QStringLiteral("1 M"));
        QVERIFY(w.CircuitPage->ChckBxRL->hasFocus());
    }

    void typedValueThatOverflowsRsGivesOneBox() {
        TRiaaForm w;
        ShowActive(w);
        Click(w.CircuitPage->ChckBxRs);
        Click(w.CircuitPage->RdGrpElement->button(5));
        w.CircuitPage->CmbBxR->setFocus();
        ModalBoxWatcher watcher;
        ReplaceText(w.CircuitPage->CmbBxR, QStringLiteral("400000"));
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(watcher.boxes().first().title, QStringLiteral("Error"));
        // Long enough for a second wait and its calculation, had one started when the box closed.
        QTest::qWait(1200);
        QCOMPARE(watcher.boxes().size(), 1);
        QCOMPARE(w.session()->passiveInputs().state.Rs, 400000.0);
        QCOMPARE(w.CircuitPage->LblR1->text(), QStringLiteral("-82000"));
        QCOMPARE(TextColour(w.CircuitPage->LblR1), QColor(255, 0, 0));
    }

    void keyOnTheWindowReselectsTheCircuit() {
        TRiaaForm w;
        w.show();
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(1));
        Click(w.CircuitPage->RdGrpElement->button(2));
        w.setFocus();
        QTest::keyClick(&w, Qt::Key_A);
        QCOMPARE(w.CircuitPage->RdGrpElement->itemIndex(), 0);
        QVERIFY(w.CircuitPage->CmbBxC->isVisible());
    }

    void clickOnTheSelectedItemDoesNothing() {
        TRiaaForm w;
        w.show();
        Click(w.CircuitPage->RdGrpElement->button(2));
        w.CircuitPage->CmbBxR->setEditText(QStringLiteral("edited"));
        Click(w.CircuitPage->RdGrpElement->button(2));
        QCOMPARE(w.CircuitPage->CmbBxR->currentText(), QStringLiteral("edited"));
        Click(w.CircuitPage->LMDRadioGroupCircuits->button(0));
        QCOMPARE(w.CircuitPage->RdGrpElement->itemIndex(), 2);
    }
};

QTEST_MAIN(CircuitPageTest)
#include "tst_circuitpage.moc"
