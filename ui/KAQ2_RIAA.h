// TRiaaForm, the main window: owns the network state, the two value lists and both pages.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <optional>

#include "Network.h"
#include "SplashHold.h"
#include "ValueLists.h"

class AccuracyPage;
class Bevel;
class GraphPage;
class HintRouter;
class PartsPage;
class QAction;
class QComboBox;
class QCheckBox;
class QDialog;
class QLabel;
class QMenuBar;
class QStackedWidget;
class QStatusBar;
class RadioGroup;
class SchematicView;
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

    const riaa::NetworkState& networkState() const { return state_; }
    const riaa::ValueList& resistorList() const { return resistorList_; }
    const riaa::ValueList& capacitorList() const { return capacitorList_; }
    const riaa::NumberLocale& numberLocale() const { return locale_; }
    HintRouter* hintRouter() const { return hintRouter_; }
    static bool pauseInProgress() { return pauseInProgress_; }
    // When FormCreate began and when its hold ended, by the window's clock.
    std::uint64_t createStartedAt() const { return createStartedAt_; }
    std::uint64_t holdEndedAt() const { return holdEndedAt_; }

    // Menu commands.
    void Calculations1Click();
    void Graph1Click();
    void Accuracy1Click();
    void Parts1Click();
    void About1Click();
    void ShowApplicationHint(const QString& hint);

    // Circuit page.
    void CalculateP();
    void RdGrpElementClick();
    void CmbBxCChange();
    void CmbBxRChange();
    void ChckBxRLClick();
    void LMDRadioGroupCircuitsChange();
    void FormKeyPress();
    void PauseWithMessages(int milliseconds);

    // The window's controls, named as the layout names them.
    QMenuBar* MainMenu1 = nullptr;
    QAction* Calculations1 = nullptr;
    QAction* Graph1 = nullptr;
    QAction* Accuracy1 = nullptr;
    QAction* Parts1 = nullptr;
    QAction* About1 = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QWidget* CircuitPage = nullptr;
    GraphPage* GraphPage1 = nullptr;
    AccuracyPage* AccuracyPage1 = nullptr;
    PartsPage* PartsPage1 = nullptr;

    Bevel* Bevel298 = nullptr;
    QLabel* Label251 = nullptr;
    QCheckBox* ChckBxRL = nullptr;
    QCheckBox* ChckBxRs = nullptr;
    QCheckBox* ChkBxStdR = nullptr;
    RadioGroup* RdGrpElement = nullptr;
    Bevel* Bevel2 = nullptr;
    QLabel* LabelElement = nullptr;
    QLabel* LabelPre = nullptr;
    QComboBox* CmbBxR = nullptr;
    QComboBox* CmbBxC = nullptr;
    QLabel* LabelSufix = nullptr;
    Bevel* Bevel6 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label1a = nullptr;
    QLabel* Label2a = nullptr;
    QLabel* Label103 = nullptr;
    QLabel* Label104 = nullptr;
    QLabel* Label105 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* LblC1 = nullptr;
    QLabel* LblC2 = nullptr;
    QLabel* LblR1 = nullptr;
    QLabel* LblR2 = nullptr;
    QLabel* LblR3 = nullptr;
    QLabel* LblR4 = nullptr;
    Bevel* Bevel3 = nullptr;
    SchematicView* Notebook2 = nullptr;
    Bevel* LMDSimplePanel1 = nullptr;
    RadioGroup* LMDRadioGroupCircuits = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildFrame();
    void buildCircuitPage();
    void buildPartsPage();
    void FormCreate();
    void FormShow();
    riaa::CircuitKind currentCircuit() const;
    riaa::ElementKind currentElement() const;
    QList<QLabel*> resultFields() const;
    void colourResultFields(const QColor& colour);

    // One process-wide flag: true only while a typed value settles, so no second wait starts.
    static inline bool pauseInProgress_ = false;

    StartupOptions options_;
    riaa::NumberLocale locale_;
    riaa::NetworkState state_;
    riaa::ValueList resistorList_;
    riaa::ValueList capacitorList_;
    ValueListModel* resistorModel_ = nullptr;
    ValueListModel* capacitorModel_ = nullptr;
    HintRouter* hintRouter_ = nullptr;
    QPointer<QDialog> aboutBox_;
    bool shownOnce_ = false;
    std::uint64_t createStartedAt_ = 0;
    std::uint64_t holdEndedAt_ = 0;
};
