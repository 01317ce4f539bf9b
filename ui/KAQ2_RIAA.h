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
class DesignFiles;
class DesignSession;
class GraphPage;
class NoisePage;
class HintRouter;
class PartsPage;
class QAction;
class QDialog;
class QMenu;
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

    // The File menu's commands (FileCommands.cpp).
    void FileNew1Click();
    void FileOpen1Click();
    void FileSave1Click();
    void FileSaveAs1Click();
    void FileExportBom1Click();
    void FileExportReport1Click();
    void FileQuit1Click();
    // Opens a design file as the Open command does (a command-line argument, a drop, a recent file):
    // unsaved changes are offered for saving first; a file refused shows the error box and changes nothing.
    void openDesignFile(const QString& path);
    // Writes the report of the design on show to this PDF file. Throws riaa::EngineError naming the file.
    void exportReport(const QString& path);
    // `mirelund --export-report OUT.pdf FILE`: opens the design file and writes its report, with no box
    // and no window shown. Throws riaa::EngineError naming the file that failed.
    void exportReportOfFile(const QString& designPath, const QString& reportPath);
    DesignFiles* designFiles() const { return designFiles_; }

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
    QMenu* File1 = nullptr;
    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QMenu* FileRecent1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExportBom1 = nullptr;
    QAction* FileExportReport1 = nullptr;
    QAction* FileQuit1 = nullptr;
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
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The tests' look at the lists and the hint router, which the program itself never asks for.
    friend struct WindowProbe;

    void buildFrame();
    void buildPages();
    void FormCreate();
    void FormShow();
    void buildFileMenu();
    void startDesignFiles();
    void fillRecentMenu();
    void showFileState();
    // True when the design may be put aside: saved, or its changes discarded; false: the user cancelled.
    bool mayPutDesignAside();
    // Save As's dialog, then the save; false when the user cancelled or the save failed.
    bool saveWithDialog();

    StartupOptions options_;
    riaa::NumberLocale locale_;
    riaa::ValueList resistorList_;
    riaa::ValueList capacitorList_;
    ValueListModel* resistorModel_ = nullptr;
    ValueListModel* capacitorModel_ = nullptr;
    HintRouter* hintRouter_ = nullptr;
    DesignSession* session_ = nullptr;
    DesignFiles* designFiles_ = nullptr;
    QPointer<QDialog> aboutBox_;
    bool shownOnce_ = false;
    std::uint64_t createStartedAt_ = 0;
    std::uint64_t holdEndedAt_ = 0;
};
