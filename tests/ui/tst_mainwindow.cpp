// The main window's frame: geometry, fonts, menu commands, start-up hold, hint routing and the error report.
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QProcess>
#include <QToolTip>
#include <QtTest>

#include <deque>
#include <stdexcept>

#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/AppTitle.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/HintRouter.h"
#include "common/Hints.h"
#include "graph/GraphImage.h"
#include "graph/GraphPage.h"
#include "KAQ2_RIAA.h"
#include "ModalBoxWatcher.h"
#include "windows/About1.h"
#include "WindowProbes.h"

namespace {

// The title the window system holds: under X11 the window's _NET_WM_NAME, elsewhere what Qt hands the platform.
QString NativeTitle(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return window->windowHandle()->title();
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()), QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000)) return QStringLiteral("(xprop did not answer)");
    // _NET_WM_NAME(UTF8_STRING) = "About"
    return QString::fromUtf8(xprop.readAllStandardOutput()).section(QLatin1Char('"'), 1, -2);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallApplicationStyle();
        InstallFontSubstitutions();
        SetApplicationTitle();
    }

    void noDisplayNameJoinsTheTitles() {
        QCOMPARE(QGuiApplication::applicationName(), QStringLiteral("Mirelund"));
        // Unset, the display name follows the application name; set, it would end every window title.
        QGuiApplication::setApplicationName(QStringLiteral("probe"));
        const QString displayName = QGuiApplication::applicationDisplayName();
        SetApplicationTitle();
        QCOMPARE(displayName, QStringLiteral("probe"));
    }

    void windowTitlesReachTheWindowSystemAsSet_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window") << "main" << "Mirelund";
        QTest::newRow("About box") << "about" << "About";
        QTest::newRow("warning box") << "warning" << "Error";
        QTest::newRow("error report") << "report" << "Mirelund";
    }
    void windowTitlesReachTheWindowSystemAsSet() {
        QFETCH(QString, window);
        StartupOptions options;
        options.typingPauseMs = 1;
        TRiaaForm main(options);
        TAboutBox about;
        main.setAboutBox(&about);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&seen] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (modal == nullptr || !modal->windowHandle() || !modal->windowHandle()->isExposed()) return;
            seen << modal->windowHandle()->title() << NativeTitle(modal);
            modal->accept();
        });
        poll.start(20);
        if (window == "main") seen << main.windowHandle()->title() << NativeTitle(&main);
        if (window == "about") main.About1->trigger();
        if (window == "warning") {
            // C1 = 10 µF leaves R1 = 318 ohm, less than Rs.
            main.CircuitPage->CmbBxC->lineEdit()->selectAll();
            QTest::keyClicks(main.CircuitPage->CmbBxC->lineEdit(), QStringLiteral("10"));
            main.CircuitPage->ChckBxRs->click();
        }
        if (window == "report") RunGuarded(&main, [] { throw std::runtime_error("refused"); });
        QFETCH(QString, title);
        QCOMPARE(seen, QStringList({title, title}));
    }

    void frameGeometry() {
        TRiaaForm window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Mirelund"));
        QCOMPARE(window.Notebook1->geometry().size(), QSize(634, 373));
        QCOMPARE(window.StatusBar1->height(), 19);
        QCOMPARE(window.Notebook1->mapTo(&window, QPoint(0, 0)).y(), window.MainMenu1->height());
        QCOMPARE(window.StatusBar1->geometry().top(), window.MainMenu1->height() + 373);
        QCOMPARE(window.height() - window.MainMenu1->height(), 392);
        QCOMPARE(window.width(), 634);
        QVERIFY(window.StatusBar1->isSizeGripEnabled());
        QCOMPARE(window.Notebook1->currentIndex(), 0);
    }

    void fontsAreTheLiberationFaces() {
        TRiaaForm window;
        QCOMPARE(QFontInfo(window.CircuitPage->LblC1->font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(window.CircuitPage->LblC1->font()).pixelSize(), 12);
        QCOMPARE(QFontInfo(window.font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(PixelFont(QStringLiteral("Times New Roman"), 20)).family(), QStringLiteral("Liberation Serif"));
    }

    void menuCommandsOnlySwitchPages() {
        TRiaaForm window;
        QList<QAction*> actions = window.MainMenu1->actions();
        // The File menu first, as in every desktop program; the pages added later sit between the graph
        // and the About box.
        QVERIFY(actions.size() >= 4);
        QCOMPARE(actions.first()->menu(), window.File1);
        actions.removeFirst();
        QCOMPARE(actions.first()->text(), QStringLiteral("Calculations"));
        QCOMPARE(actions[1]->text(), QStringLiteral("RIAA Graph"));
        QCOMPARE(actions.last()->text(), QStringLiteral("About..."));
        for (const QAction* action : actions) {
            QVERIFY(action->menu() == nullptr);
            QVERIFY(action->shortcut().isEmpty());
        }
        window.CircuitPage->LblR1->setText(QStringLiteral("marker"));
        for (int round = 0; round < 3; ++round) {
            window.Graph1->trigger();
            QCOMPARE(window.Notebook1->currentIndex(), 1);
            window.Graph1->trigger();
            QCOMPARE(window.Notebook1->currentIndex(), 1);
            window.Calculations1->trigger();
            QCOMPARE(window.Notebook1->currentIndex(), 0);
        }
        QCOMPARE(window.CircuitPage->LblR1->text(), QStringLiteral("marker"));  // no calculation ran
    }

    void holdEndsThreeWholeSecondsOn_data() {
        QTest::addColumn<quint64>("start");
        QTest::addColumn<quint64>("workMs");
        QTest::addColumn<quint64>("end");
        QTest::newRow("late in a second") << quint64(5999) << quint64(0) << quint64(8000);
        QTest::newRow("at a whole second") << quint64(5000) << quint64(0) << quint64(8000);
        QTest::newRow("steps slower than the hold") << quint64(5000) << quint64(4000) << quint64(9000);
    }
    void holdEndsThreeWholeSecondsOn() {
        QFETCH(quint64, start);
        QFETCH(quint64, workMs);
        QFETCH(quint64, end);
        // The first read is the start; the second one sees the start-up work done.
        std::uint64_t now = start;
        int reads = 0;
        std::uint64_t slept = 0;
        StartupOptions options;
        options.holdSplash = true;
        options.clock = [&] {
            if (reads++ == 1) now += workMs;
            return now;
        };
        options.sleep = [&](std::uint64_t ms) {
            slept += ms;
            now += ms;
        };
        auto* splash = new QWidget;
        QPointer<QWidget> splashAlive(splash);
        options.splash = splash;
        TRiaaForm window(options);
        QCOMPARE(window.holdEndedAt(), end);
        QCOMPARE(slept, end - start - workMs);
        QVERIFY(splashAlive.isNull());
    }

    void localeDecidesTheListTexts_data() {
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("entry28");
        QTest::addColumn<QString>("resistorEntry1");
        QTest::newRow("point") << "." << "0.01" << "10.1";
        QTest::newRow("comma") << "," << "0,01" << "10,1";
    }
    void localeDecidesTheListTexts() {
        QFETCH(QString, decimal);
        QFETCH(QString, entry28);
        QFETCH(QString, resistorEntry1);
        StartupOptions options;
        options.locale = riaa::NumberLocale{decimal.toStdString(), decimal == "," ? "." : ","};
        TRiaaForm window(options);
        QCOMPARE(window.CircuitPage->CmbBxC->itemText(28), entry28);
        QCOMPARE(window.CircuitPage->CmbBxR->itemText(1), resistorEntry1);
        QCOMPARE(window.CircuitPage->CmbBxR->itemText(192), QStringLiteral("100"));
        QCOMPARE(window.CircuitPage->CmbBxC->currentText(), decimal == "," ? QStringLiteral(",01") : QStringLiteral(".01"));
        window.show();
        QCOMPARE(window.CircuitPage->CmbBxC->currentText(), entry28);
    }

    void hintsSplitAtTheFirstBar_data() {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortPart");
        QTest::addColumn<QString>("longPart");
        QTest::newRow("both parts") << "Capacitor C1|Enter" << "Capacitor C1" << "Enter";
        QTest::newRow("leading bar") << "| readout" << "" << " readout";
        QTest::newRow("no bar") << "Select Circuit Type" << "Select Circuit Type" << "Select Circuit Type";
        QTest::newRow("several bars") << "a|b|c" << "a" << "b|c";
        QTest::newRow("blanks kept") << "Resistor R3 |x " << "Resistor R3 " << "x ";
        QTest::newRow("empty") << "" << "" << "";
    }
    void hintsSplitAtTheFirstBar() {
        QFETCH(QString, hint);
        const HintParts parts = SplitHint(hint);
        QTEST(parts.shortPart, "shortPart");
        QTEST(parts.longPart, "longPart");
    }

    void controlsRouteTheirHints() {
        TRiaaForm window;
        struct Case {
            QWidget* control;
            QString status;
            QString tooltip;
        };
        const QString rsLong =
            " Resistance Rs represents the output resistance or impedance of the previous stage.";
        const QList<Case> cases{
            {window.CircuitPage->CmbBxC->lineEdit(), "Enter or choose a value Capacitor C1.", "Capacitor C1"},
            {window.CircuitPage->CmbBxR, "Enter or increment the value for R3 if needed.", "Resistor R3 "},
            {window.CircuitPage->ChkBxStdR,
             " Check to limit resistor selection and calculations to common 1% and 5% values exclusively.", ""},
            {window.CircuitPage->ChckBxRs, rsLong, "Include Resistance Rs"},
            {window.CircuitPage->LMDRadioGroupCircuits->button(3), "Select Circuit Type", "Select Circuit Type"},
            {window.CircuitPage->RdGrpElement->button(1), "", ""},
            {window.CircuitPage->LblC1, "", ""},
            {window.CircuitPage, "", ""},
        };
        for (const Case& c : cases) {
            QCOMPARE(HintRouter::LongHintFor(c.control), c.status);
            QCOMPARE(HintRouter::TooltipFor(c.control), c.tooltip);
            WindowProbe::hintRouter(window)->pointerOver(c.control);
            QCOMPARE(window.StatusBar1->currentMessage(), c.status);
        }
    }

    void statusBarChangesOnlyWithTheHint() {
        TRiaaForm window;
        QSignalSpy spy(WindowProbe::hintRouter(window), &HintRouter::hintChanged);
        WindowProbe::hintRouter(window)->pointerOver(window.CircuitPage->LMDRadioGroupCircuits->button(0));
        WindowProbe::hintRouter(window)->pointerOver(window.CircuitPage->LMDRadioGroupCircuits->button(5));
        WindowProbe::hintRouter(window)->pointerOver(window.CircuitPage->LMDRadioGroupCircuits);
        QCOMPARE(spy.count(), 1);
        window.StatusBar1->showMessage(QStringLiteral("written elsewhere"));
        WindowProbe::hintRouter(window)->pointerOver(window.CircuitPage->LMDRadioGroupCircuits->button(2));
        QCOMPARE(window.StatusBar1->currentMessage(), QStringLiteral("written elsewhere"));
        WindowProbe::hintRouter(window)->pointerOver(window.CircuitPage);
        QCOMPARE(window.StatusBar1->currentMessage(), QString());
        QCOMPARE(spy.count(), 2);
    }

    void graphReadoutFollowsADragOffTheImage() {
        TRiaaForm window;
        window.show();
        window.Graph1Click();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWidget* image = window.GraphPage1->Image1;
        QTest::mousePress(image, Qt::LeftButton, {}, QPoint(364, 137));
        QTest::mouseMove(image, QPoint(364, 137));
        QTest::qWait(20);
        QCOMPARE(window.StatusBar1->currentMessage(), QStringLiteral(" -0.07 dB    1006 Hz"));
        // Dragged far below and to the left of the image, the readout still follows the pointer.
        QTest::mouseMove(image, QPoint(-10, 400));
        QTest::qWait(20);
        QVERIFY2(window.StatusBar1->currentMessage().endsWith(QStringLiteral(" Hz")),
                 qPrintable(window.StatusBar1->currentMessage()));
        QVERIFY(window.StatusBar1->currentMessage().startsWith(QStringLiteral(" -38.6 dB")));
        QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(-10, 400));
    }

    // A control that took a press keeps the status bar until the release; after it the hint follows the pointer.
    void hintFollowsThePointerAgainAfterARelease_data() {
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("releasedOver");
        QTest::addColumn<QString>("movedTo");
        QTest::addColumn<QString>("whilePressed");
        QTest::addColumn<QString>("afterwards");
        const QString rsLong =
            " Resistance Rs represents the output resistance or impedance of the previous stage.";
        const QString standardLong =
            " Check to limit resistor selection and calculations to common 1% and 5% values exclusively.";
        QTest::newRow("released over another control") << "ChckBxRs" << "ChkBxStdR" << "ChkBxStdR" << rsLong << standardLong;
        QTest::newRow("released over itself, then moved") << "ChckBxRs" << "ChckBxRs" << "ChkBxStdR" << rsLong << standardLong;
        QTest::newRow("released over empty page") << "ChkBxStdR" << "CircuitPage" << "CircuitPage" << standardLong << "";
    }
    void hintFollowsThePointerAgainAfterARelease() {
        QFETCH(QString, pressed);
        QFETCH(QString, releasedOver);
        QFETCH(QString, movedTo);
        TRiaaForm window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* pressedControl = window.findChild<QWidget*>(pressed);
        auto* releaseControl = window.findChild<QWidget*>(releasedOver);
        auto* movedControl = window.findChild<QWidget*>(movedTo);
        QVERIFY(pressedControl && releaseControl && movedControl);
        // Points in the page's coordinates, clear of every control when the page itself is meant.
        const auto pointOn = [&window](QWidget* control) {
            return control == window.CircuitPage ? QPoint(210, 366) : control->mapTo(window.CircuitPage, QPoint(4, 4));
        };
        QWidget* page = window.CircuitPage;
        QTest::mouseMove(page, pointOn(pressedControl));
        QTest::mousePress(page->childAt(pointOn(pressedControl)), Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseMove(page, pointOn(releaseControl));
        QTest::qWait(20);
        QTEST(window.StatusBar1->currentMessage(), "whilePressed");
        QTest::mouseRelease(pressedControl, Qt::LeftButton, {}, pressedControl->mapFrom(page, pointOn(releaseControl)));
        QTest::mouseMove(page, pointOn(movedControl));
        QTest::qWait(20);
        QTEST(window.StatusBar1->currentMessage(), "afterwards");
    }

    void tooltipsWakeAfterHalfASecond_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("capacitor box") << "CmbBxC" << "Capacitor C1";
        QTest::newRow("check box with an empty short part") << "ChkBxStdR" << "";
        QTest::newRow("check box") << "ChckBxRL" << "Include Resistor RL";
    }
    void tooltipsWakeAfterHalfASecond() {
        QFETCH(QString, control);
        QFETCH(QString, tooltip);
        TRiaaForm window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QToolTip::hideText();
        auto* target = window.findChild<QWidget*>(control);
        QVERIFY(target != nullptr);
        QWidget* under = target->childAt(target->rect().center());
        QWidget* hovered = under ? under : target;
        QTest::mouseMove(hovered, hovered->rect().center());
        QTest::qWait(200);
        QVERIFY(!QToolTip::isVisible());
        if (tooltip.isEmpty()) {
            QTest::qWait(800);
            QVERIFY(!QToolTip::isVisible());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 3000);
            QCOMPARE(QToolTip::text(), tooltip);
            // Taken down 2.5 s after it came up.
            QTest::qWait(1500);
            QVERIFY(QToolTip::isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 4000);
        }
        QToolTip::hideText();
    }

    void errorReportIsOneModalBox() {
        TRiaaForm window;
        ModalBoxWatcher watcher;
        bool after = false;
        RunGuarded(&window, [] { throw std::runtime_error("<b>typed</b> text"); });
        after = true;
        QVERIFY(after);
        QCOMPARE(watcher.boxes().size(), 1);
        const SeenBox& box = watcher.boxes().first();
        QCOMPARE(box.title, QStringLiteral("Mirelund"));
        QCOMPARE(box.text, QStringLiteral("<b>typed</b> text"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
