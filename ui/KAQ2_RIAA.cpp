#include "KAQ2_RIAA.h"

#include <QApplication>
#include <QKeyEvent>
#include <QDialog>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStatusBar>
#include <chrono>
#include <thread>

#include "accuracy/AccuracyPage.h"
#include "active/ActiveStagePage.h"
#include "best/BestBuildPage.h"
#include "circuit/CircuitPage.h"
#include "circuit/ValueListModel.h"
#include "common/ErrorReport.h"
#include "common/Fonts.h"
#include "common/HintRouter.h"
#include "common/Hints.h"
#include "file/DesignFiles.h"
#include "graph/GraphPage.h"
#include "noise/NoisePage.h"
#include "noise/UserOpAmps.h"
#include "parts/PartsPage.h"
#include "session/DesignSession.h"

namespace {

constexpr int kClientWidth = 634;
constexpr int kClientHeight = 392;
constexpr int kStatusBarHeight = 19;
constexpr QPoint kFirstPosition(262, 273);

riaa::NumberLocale SystemNumberLocale() {
    const QLocale system = QLocale::system();
    return riaa::NumberLocale{system.decimalPoint().toStdString(), system.groupSeparator().toStdString()};
}

void SleepThread(std::uint64_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// The hint router reads the hint of the control under the pointer; over the menu bar that is the
// hint of the command under the pointer, which this keeps on the bar.
class MenuCommandHints : public QObject {
public:
    static constexpr const char* kCommandHint = "mirelundCommandHint";
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* bar = qobject_cast<QMenuBar*>(watched);
        if (bar != nullptr && (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)) {
            QAction* command = event->type() == QEvent::MouseMove
                                   ? bar->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint())
                                   : nullptr;
            SetHint(bar, command != nullptr ? command->property(kCommandHint).toString() : QString());
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TRiaaForm::TRiaaForm(StartupOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      locale_(options_.locale ? *options_.locale : SystemNumberLocale()),
      resistorList_(riaa::MakeResistorList()),
      capacitorList_(riaa::MakeCapacitorList()) {
    buildFrame();
    buildPages();
    Notebook1->setCurrentIndex(0);
    FormCreate();
    startDesignFiles();
}

TRiaaForm::~TRiaaForm() {
    // The pages read the value lists through their models to the last, and the session through its
    // signals; they must go before the lists, which as members would otherwise be destroyed first.
    delete designFiles_;
    delete Notebook1;
    delete session_;
    delete resistorModel_;
    delete capacitorModel_;
}

void TRiaaForm::buildFrame() {
    setObjectName(QStringLiteral("RiaaForm"));
    setWindowTitle(QStringLiteral("Mirelund"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette framePalette = palette();
    framePalette.setColor(QPalette::Window, framePalette.color(QPalette::Button));
    setPalette(framePalette);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setFont(QApplication::font());
    // The File menu first; then the page commands in the bar itself, no drop-down menus, no accelerators.
    // A new page is a row here.
    struct MenuCommand {
        QAction* TRiaaForm::*action;
        const char* name;
        QString caption;
        QString hint;  // empty: the bar shows none
        void (TRiaaForm::*click)();
    };
    buildFileMenu();
    const MenuCommand commands[] = {
        {&TRiaaForm::Calculations1, "Calculations1", QStringLiteral("Calculations"), QString(),
         &TRiaaForm::Calculations1Click},
        {&TRiaaForm::Graph1, "Graph1", QStringLiteral("RIAA Graph"), QString(), &TRiaaForm::Graph1Click},
        {&TRiaaForm::Accuracy1, "Accuracy1", QStringLiteral("Accuracy"),
         QStringLiteral("Accuracy | How closely the network as built follows its target response"),
         &TRiaaForm::Accuracy1Click},
        {&TRiaaForm::Parts1, "Parts1", QStringLiteral("Parts"),
         QStringLiteral("Parts | Standard series, part pairs and tolerances for the network as built"),
         &TRiaaForm::Parts1Click},
        {&TRiaaForm::BestBuild1, "BestBuild1", QStringLiteral("Best build"),
         QStringLiteral("Best build | The standard parts, bought as they are, that follow the curve most closely"),
         &TRiaaForm::BestBuild1Click},
        {&TRiaaForm::ActiveStage1, "ActiveStage1", QStringLiteral("Active stage"),
         QStringLiteral("Active stage | A non-inverting, inverting or two-stage op-amp design for the curve"),
         &TRiaaForm::ActiveStage1Click},
        {&TRiaaForm::Noise1, "Noise1", QStringLiteral("Noise"),
         QStringLiteral("Noise | How quiet the design is behind its source, and how much it takes before it clips"),
         &TRiaaForm::Noise1Click},
        {&TRiaaForm::About1, "About1", QStringLiteral("About..."), QString(), &TRiaaForm::About1Click},
    };
    for (const MenuCommand& command : commands) {
        QAction* action = MainMenu1->addAction(command.caption);
        this->*command.action = action;
        action->setObjectName(QString::fromLatin1(command.name));
        if (!command.hint.isEmpty()) action->setProperty(MenuCommandHints::kCommandHint, command.hint);
        connect(action, &QAction::triggered, this, [this, click = command.click] { (this->*click)(); });
    }
    MainMenu1->installEventFilter(new MenuCommandHints(MainMenu1));
    SetShowHint(MainMenu1, true);
    setMenuBar(MainMenu1);

    Notebook1 = new QStackedWidget(this);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->setFont(PixelFont(QStringLiteral("Arial"), 12));
    setCentralWidget(Notebook1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFont(QApplication::font());
    StatusBar1->setFixedHeight(kStatusBarHeight);
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);

    resize(kClientWidth, MainMenu1->sizeHint().height() + kClientHeight);
    move(kFirstPosition);

    resistorModel_ = new ValueListModel(resistorList_, this);
    capacitorModel_ = new ValueListModel(capacitorList_, this);
    hintRouter_ = new HintRouter(this);
}

void TRiaaForm::FormCreate() {
    const MillisecondClock& clock = options_.clock;
    const std::uint64_t startMs = clock();
    createStartedAt_ = startMs;

    while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
    connect(hintRouter_, &HintRouter::hintChanged, this, &TRiaaForm::ShowApplicationHint);

    riaa::LocalizeValueLists(resistorList_, capacitorList_, locale_);
    resistorModel_->announceRewrittenEntries();
    capacitorModel_->announceRewrittenEntries();

    RunGuarded(this, [this] { GraphPage1->SpdBtnInvRIAAEqClick(); });
    RunGuarded(this, [this] { CircuitPage->CalculateP(); });

    if (options_.holdSplash) {
        HoldUntil(HoldEndMilliseconds(startMs), clock, options_.sleep ? options_.sleep : MillisecondSleep(SleepThread));
        holdEndedAt_ = clock();
    }
    if (options_.splash != nullptr) {
        options_.splash->close();
        delete options_.splash;
        options_.splash = nullptr;
    }
}

void TRiaaForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TRiaaForm::Calculations1Click() { Notebook1->setCurrentIndex(0); }

void TRiaaForm::Graph1Click() { Notebook1->setCurrentIndex(1); }

void TRiaaForm::Accuracy1Click() { Notebook1->setCurrentWidget(AccuracyPage1); }

void TRiaaForm::Parts1Click() { Notebook1->setCurrentWidget(PartsPage1); }

void TRiaaForm::BestBuild1Click() { Notebook1->setCurrentWidget(BestBuildPage1); }

void TRiaaForm::ActiveStage1Click() { Notebook1->setCurrentWidget(ActiveStagePage1); }

void TRiaaForm::Noise1Click() { Notebook1->setCurrentWidget(NoisePage1); }

// Every page but the graph's works on the one design in the session, which they observe; none of
// them knows another. Built before FormCreate, whose first calculation they must see.
void TRiaaForm::buildPages() {
    session_ = new DesignSession(locale_, resistorList_);
    CircuitPage = new class CircuitPage(resistorList_, capacitorList_, resistorModel_, capacitorModel_, locale_,
                                        options_.typingPauseMs, *session_, Notebook1);
    Notebook1->addWidget(CircuitPage);
    GraphPage1 = new GraphPage(locale_, Notebook1);
    GraphPage1->setObjectName(QStringLiteral("GraphPage1"));
    Notebook1->addWidget(GraphPage1);
    AccuracyPage1 = new AccuracyPage(*session_, Notebook1);
    Notebook1->addWidget(AccuracyPage1);
    PartsPage1 = new PartsPage(*session_, Notebook1);
    Notebook1->addWidget(PartsPage1);
    BestBuildPage1 = new BestBuildPage(*session_, Notebook1);
    Notebook1->addWidget(BestBuildPage1);
    ActiveStagePage1 = new ActiveStagePage(*session_, Notebook1);
    Notebook1->addWidget(ActiveStagePage1);
    UserOpAmps opAmps = ReadUserOpAmps();
    NoisePage1 = new NoisePage(*session_, std::move(opAmps.rows), opAmps.problems, Notebook1);
    Notebook1->addWidget(NoisePage1);
}

void TRiaaForm::FormShow() { CircuitPage->FormShow(); }

void TRiaaForm::keyPressEvent(QKeyEvent* event) {
    // Only a character key delivered to the window itself, not one a control passed on.
    const QWidget* focus = QApplication::focusWidget();
    if (!event->text().isEmpty() && (focus == nullptr || focus == this)) {
        RunGuarded(this, [this] { CircuitPage->FormKeyPress(); });
    }
    QMainWindow::keyPressEvent(event);
}

void TRiaaForm::About1Click() {
    if (aboutBox_) aboutBox_->exec();
}

void TRiaaForm::ShowApplicationHint(const QString& hint) { StatusBar1->showMessage(hint); }

void TRiaaForm::setAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }
