// TRiaaForm, the main window: owns the two value lists, the design session and the pages.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <optional>

#include "SplashHold.h"
#include "engine/ValueLists.h"

class AccuracyPage;
class BestBuildPage;
class ActiveStagePage;
class CircuitPage;
class DesignSession;
class GraphPage;
class NoisePage;
class HintRouter;
class PartsPage;
class QAction;
class QDialog;
class QMenuBar;
class QStackedWidget;
class QStatusBar;
class ValueListModel;

// What start-up hands the window; tests build it with the defaults: no splash, no hold.
struct StartupOptions {
    // The splash window, closed and destroyed at the end of FormCreate.
    QWidget* splash = nullptr;
    bool holdSplash = false;
    MillisecondClock clock = MonotonicMilliseconds;
    MillisecondSleep sleep;  // empty: sleep the calling thread
    // The user's separators; empty: read from the system locale.
    std::optional<riaa::NumberLocale> locale;
    // How long a typed value settles before it is taken; long soak runs shorten it.
    int typingPauseMs = 700;
};

class TRiaaForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TRiaaForm(StartupOptions options = {}, QWidget* parent = nullptr);
    ~TRiaaForm() override;

    void setAboutBox(QDialog* aboutBox);

    DesignSession* session() const { return session_; }
    // When FormCreate began and when its hold ended, by the window's clock.
    std::uint64_t createStartedAt() const { return createStartedAt_; }
    std::uint64_t holdEndedAt() const { return holdEndedAt_; }

    // Menu commands.
    void Calculations1Click();
    void Graph1Click();
    void Accuracy1Click();
    void Parts1Click();
    void BestBuild1Click();
    void ActiveStage1Click();
    void Noise1Click();
    void About1Click();
    void ShowApplicationHint(const QString& hint);

    // The window's controls, named as the layout names them.
    QMenuBar* MainMenu1 = nullptr;
    QAction* Calculations1 = nullptr;
    QAction* Graph1 = nullptr;
    QAction* Accuracy1 = nullptr;
    QAction* Parts1 = nullptr;
    QAction* BestBuild1 = nullptr;
    QAction* ActiveStage1 = nullptr;
    QAction* Noise1 = nullptr;
    QAction* About1 = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    class CircuitPage* CircuitPage = nullptr;
    GraphPage* GraphPage1 = nullptr;
    AccuracyPage* AccuracyPage1 = nullptr;
    PartsPage* PartsPage1 = nullptr;
    BestBuildPage* BestBuildPage1 = nullptr;
    ActiveStagePage* ActiveStagePage1 = nullptr;
    NoisePage* NoisePage1 = nullptr;


protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The tests' look at the lists and the hint router, which the program itself never asks for.
    friend struct WindowProbe;

    void buildFrame();
    void buildPages();
    void FormCreate();
    void FormShow();

    StartupOptions options_;
    riaa::NumberLocale locale_;
    riaa::ValueList resistorList_;
    riaa::ValueList capacitorList_;
    ValueListModel* resistorModel_ = nullptr;
    ValueListModel* capacitorModel_ = nullptr;
    HintRouter* hintRouter_ = nullptr;
    DesignSession* session_ = nullptr;
    QPointer<QDialog> aboutBox_;
    bool shownOnce_ = false;
    std::uint64_t createStartedAt_ = 0;
    std::uint64_t holdEndedAt_ = 0;
};
