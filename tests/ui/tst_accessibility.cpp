// What a screen reader and a keyboard alone can do with the window: names, descriptions and values of
// the controls on every page, the tab order, and page switching without a pointer.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>

#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "KAQ2_RIAA.h"

namespace {

QAccessibleInterface* Face(QObject* control) { return QAccessible::queryAccessibleInterface(control); }

// The name a screen reader gives the control. Under X11 Qt reports an editable box's text as its name;
// the name the box was given is what other platforms read, and the label relation what X11 readers add.
QString NameOf(QWidget* control) {
    QAccessibleInterface* face = Face(control);
    if (face == nullptr) return {};
    if (face->role() == QAccessible::ComboBox) return control->accessibleName();
    return face->text(QAccessible::Name);
}

QString LabelOf(QWidget* control) {
    QStringList labels;
    for (const auto& [label, relation] : Face(control)->relations(QAccessible::Label)) {
        labels << label->text(QAccessible::Name);
    }
    return labels.join(QLatin1Char(' '));
}

// A control takes input or shows something: it takes the keyboard focus, or its role says so.
bool IsControl(QWidget* widget) {
    if (widget->focusPolicy() & Qt::TabFocus) return true;
    QAccessibleInterface* face = Face(widget);
    if (face == nullptr) return false;
    switch (face->role()) {
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::PushButton:
        case QAccessible::ButtonDropDown:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::StaticText:
        case QAccessible::Chart:
        case QAccessible::Table:
        case QAccessible::List:
            return true;
        default:
            return false;
    }
}

bool TakesTabFocus(const QWidget* widget) {
    return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           widget->focusProxy() == nullptr;
}

// Tabs from the page's first control on until the focus comes back round, and lists where it went.
QList<QWidget*> TabChain(QWidget* page) {
    QWidget* first = page->nextInFocusChain();
    while (first != page && !(TakesTabFocus(first) && page->isAncestorOf(first))) first = first->nextInFocusChain();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> chain;
    for (int step = 0; step < 200; ++step) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || chain.contains(focus)) break;
        chain << focus;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return chain;
}

QString Describe(const QWidget* widget) {
    const QString name = widget->objectName().isEmpty() ? NameOf(const_cast<QWidget*>(widget)) : widget->objectName();
    return QStringLiteral("%1 (%2)").arg(name, QString::fromLatin1(widget->metaObject()->className()));
}

QStringList Described(const QList<QWidget*>& widgets) {
    QStringList texts;
    for (const QWidget* widget : widgets) texts << Describe(widget);
    return texts;
}

void ShowActive(TRiaaForm& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2)); }

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
    }

    void everyVisibleControlOfEveryPageIsNamedAndEveryInputDescribed() {
        TRiaaForm window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList unnamed;
        QStringList undescribed;
        QList<int> controlsPerPage;
        for (int index = 0; index < window.Notebook1->count(); ++index) {
            window.Notebook1->setCurrentIndex(index);
            int controls = 0;
            for (QWidget* widget : window.Notebook1->currentWidget()->findChildren<QWidget*>()) {
                if (!widget->isVisible() || !IsControl(widget)) continue;
                ++controls;
                const QString where = QStringLiteral("page %1: %2").arg(index).arg(Describe(widget));
                if (NameOf(widget).trimmed().isEmpty()) unnamed << where;
                const bool takesInput = (widget->focusPolicy() & Qt::TabFocus) != 0;
                if (takesInput && Face(widget)->text(QAccessible::Description).trimmed().isEmpty()) undescribed << where;
            }
            controlsPerPage << controls;
        }
        QVERIFY2(!controlsPerPage.contains(0), "a page without controls: the walk missed it");
        QVERIFY2(unnamed.isEmpty(), qPrintable("without a name:\n" + unnamed.join(QLatin1Char('\n'))));
        QVERIFY2(undescribed.isEmpty(), qPrintable("without a description:\n" + undescribed.join(QLatin1Char('\n'))));
    }

    void circuitPageControlsSayWhatTheyAre_data() {
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("value");
        const QString none;  // not asked
        QTest::newRow("RL option") << 0 << "ChckBxRL" << "Include resistance RL"
                                   << "Often, the equalization network or filter cascades into a second gain stage or "
                                      "poteniometer. RL represents that resistance."
                                   << none;
        QTest::newRow("Rs option") << 0 << "ChckBxRs" << "Include resistance Rs"
                                   << "Resistance Rs represents the output resistance or impedance of the previous stage."
                                   << none;
        QTest::newRow("rounding option")
            << 0 << "ChkBxStdR" << "Use closest standard resistor"
            << "Check to limit resistor selection and calculations to common 1% and 5% values exclusively." << none;
        QTest::newRow("capacitor box") << 0 << "CmbBxC" << "Value of C1" << "Enter or choose a value Capacitor C1."
                                       << "0.01";
        QTest::newRow("resistor box") << 3 << "CmbBxR" << "Value of R2"
                                      << "Enter or increment the value for R3 if needed." << "";
        QTest::newRow("C1 result") << 0 << "LblC1" << "C1 result" << "Calculated value of C1" << ".01 \u00B5F";
        QTest::newRow("R1 result") << 2 << "LblR1" << "R1 result" << "Calculated value of R1" << "318 k";
        QTest::newRow("empty C2 result") << 0 << "LblC2" << "C2 result" << "Calculated value of C2" << "";
        QTest::newRow("RL result") << 0 << "LblR3" << "RL result" << "Calculated value of RL" << "";
        QTest::newRow("Rs result") << 0 << "LblR4" << "Rs result" << "Calculated value of Rs" << "";
        QTest::newRow("element group") << 0 << "RdGrpElement" << "Circuit Elements" << "" << none;
        QTest::newRow("circuit group") << 0 << "LMDRadioGroupCircuits" << "Circuits" << "" << none;
    }
    void circuitPageControlsSayWhatTheyAre() {
        QFETCH(int, element);
        QFETCH(QString, control);
        QFETCH(QString, value);
        TRiaaForm window;
        window.show();
        if (element != 0) Click(window.CircuitPage->RdGrpElement->button(element));
        auto* widget = window.findChild<QWidget*>(control);
        QVERIFY(widget != nullptr);
        QTEST(NameOf(widget), "name");
        QTEST(Face(widget)->text(QAccessible::Description), "description");
        if (!value.isNull()) QCOMPARE(Face(widget)->text(QAccessible::Value), value);
        if (auto* box = qobject_cast<QComboBox*>(widget)) {
            QCOMPARE(LabelOf(box), window.CircuitPage->RdGrpElement->itemText(element));
            QTEST(NameOf(box->lineEdit()), "name");
        }
    }

    void radioButtonsAreNamedAndDescribed() {
        TRiaaForm window;
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(NameOf(window.CircuitPage->RdGrpElement->button(i)), window.CircuitPage->RdGrpElement->itemText(i));
            QVERIFY(!Face(window.CircuitPage->RdGrpElement->button(i))->text(QAccessible::Description).isEmpty());
            QCOMPARE(NameOf(window.CircuitPage->LMDRadioGroupCircuits->button(i)), window.CircuitPage->LMDRadioGroupCircuits->itemText(i));
            QCOMPARE(Face(window.CircuitPage->LMDRadioGroupCircuits->button(i))->text(QAccessible::Description),
                     QStringLiteral("Select Circuit Type"));
        }
    }

    void resultValueFollowsTheCalculation() {
        TRiaaForm window;
        window.show();
        QCOMPARE(Face(window.CircuitPage->LblR1)->text(QAccessible::Value), QStringLiteral("318 k"));
        Click(window.CircuitPage->ChckBxRs);
        QCOMPARE(Face(window.CircuitPage->LblR1)->text(QAccessible::Value), QStringLiteral("317 k"));
        QCOMPARE(Face(window.CircuitPage->LblR4)->text(QAccessible::Value), QStringLiteral("1 k"));
        QCOMPARE(Face(window.CircuitPage->LblR4)->text(QAccessible::Name), QStringLiteral("Rs result"));
    }

    // The circuit page's order is the layout's: value box, options from the bottom up, element, circuit.
    void circuitPageTabOrder_data() {
        QTest::addColumn<int>("circuit");
        QTest::addColumn<int>("element");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("start") << 0 << 0
                               << QStringList{"CmbBxC (QComboBox)", "ChkBxStdR (QCheckBox)", "ChckBxRs (QCheckBox)",
                                              "ChckBxRL (QCheckBox)", "C1 (QRadioButton)", "Low-Pass 50Hz (QRadioButton)"};
        QTest::newRow("R2 in circuit 3") << 3 << 3
                                         << QStringList{"CmbBxR (QComboBox)", "ChkBxStdR (QCheckBox)",
                                                        "ChckBxRs (QCheckBox)", "ChckBxRL (QCheckBox)",
                                                        "R2 (QRadioButton)", "Shelving 500Hz to 2122Hz (QRadioButton)"};
    }
    void circuitPageTabOrder() {
        QFETCH(int, circuit);
        QFETCH(int, element);
        TRiaaForm window;
        ShowActive(window);
        if (circuit != 0) Click(window.CircuitPage->LMDRadioGroupCircuits->button(circuit));
        if (element != 0) Click(window.CircuitPage->RdGrpElement->button(element));
        QTEST(Described(TabChain(window.CircuitPage)), "order");
    }

    void tabReachesEveryControlOfEveryPage() {
        TRiaaForm window;
        ShowActive(window);
        for (int index = 0; index < window.Notebook1->count(); ++index) {
            window.Notebook1->setCurrentIndex(index);
            QWidget* page = window.Notebook1->currentWidget();
            const QList<QWidget*> chain = TabChain(page);
            QStringList missed;
            for (QWidget* widget : page->findChildren<QWidget*>()) {
                if (TakesTabFocus(widget) && !chain.contains(widget)) missed << Describe(widget);
            }
            for (QWidget* widget : chain) QVERIFY2(page->isAncestorOf(widget), qPrintable(Describe(widget)));
            QVERIFY2(!chain.isEmpty(), qPrintable(QStringLiteral("page %1").arg(index)));
            QVERIFY2(missed.isEmpty(), qPrintable(QStringLiteral("page %1: ").arg(index) + missed.join(", ")));
        }
    }

    void arrowKeysChooseWithinARadioGroup() {
        TRiaaForm window;
        ShowActive(window);
        window.CircuitPage->RdGrpElement->button(0)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window.CircuitPage->RdGrpElement->button(0), Qt::Key_Down);
        QCOMPARE(window.CircuitPage->RdGrpElement->itemIndex(), 1);
        QCOMPARE(window.CircuitPage->LabelPre->text(), QStringLiteral("C2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(window.CircuitPage->RdGrpElement->itemIndex(), 3);
        QCOMPARE(window.CircuitPage->LabelPre->text(), QStringLiteral("R2"));
        QVERIFY(window.CircuitPage->CmbBxR->isVisible());
        // The group is left by one Tab from the chosen item.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.CircuitPage->LMDRadioGroupCircuits->button(0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(window.CircuitPage->LMDRadioGroupCircuits->itemIndex(), 1);
        QCOMPARE(window.CircuitPage->RdGrpElement->itemIndex(), 0);
    }

    void pagesSwitchFromTheKeyboard_data() {
        QTest::addColumn<int>("rights");
        QTest::addColumn<int>("page");
        // The File menu comes first on the bar; the page commands follow it.
        QTest::newRow("first page command") << 1 << 0;
        QTest::newRow("second page command") << 2 << 1;
    }
    void pagesSwitchFromTheKeyboard() {
        QFETCH(int, rights);
        TRiaaForm window;
        ShowActive(window);
        window.Notebook1->setCurrentIndex(window.Notebook1->count() - 1);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus != nullptr);
        // Alt pressed and released alone takes the keyboard to the menu bar.
        QTest::keyPress(focus, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(focus, Qt::Key_Alt, Qt::NoModifier);
        QCOMPARE(QApplication::focusWidget(), window.MainMenu1);
        for (int i = 0; i < rights; ++i) QTest::keyClick(window.MainMenu1, Qt::Key_Right);
        QTest::keyClick(window.MainMenu1, Qt::Key_Return);
        QTEST(window.Notebook1->currentIndex(), "page");
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
