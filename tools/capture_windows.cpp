// Saves pictures of the real windows as PNG files, for the README and for review: circuit-page.png,
// graph-page.png (all three curves drawn), accuracy-page.png, parts-page.png and best-page.png (circuit 4 with Rs, RL and
// rounding, its tolerance run finished), splash.png, about.png, and icon-32.png and icon-256.png (the
// icon as the package installs it; the build renders the package's own copies with tools/render_icons).
// Usage: capture_windows OUTPUT_FOLDER   (runs under the offscreen platform unless a display is set)
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>

#include "circuit/CircuitPage.h"
#include "circuit/RadioGroup.h"
#include "common/AppStyle.h"
#include "common/Fonts.h"
#include "graph/GraphPage.h"
#include "KAQ2_RIAA.h"
#include "noise/NoisePage.h"
#include "accuracy/AccuracyPage.h"
#include "best/BestBuildPage.h"
#include "active/ActiveStagePage.h"
#include "windows/About1.h"
#include "windows/AppIcon.h"
#include "windows/Resources.h"
#include "windows/Splash.h"

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: capture_windows OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) return 1;
    InitMirelundResources();
    InstallApplicationStyle();
    InstallFontSubstitutions();
    const auto path = [&folder](const char* name) { return folder.filePath(QLatin1String(name)); };
    bool saved = true;

    TSplashForm splash;
    saved = splash.grab().save(path("splash.png")) && saved;

    TRiaaForm window;
    window.show();
    QApplication::processEvents();
    saved = window.grab().save(path("circuit-page.png")) && saved;
    window.Graph1Click();
    for (QPushButton* button : {window.GraphPage1->SpdBtnInvRIAAEq, window.GraphPage1->SpdBtnPlayBack,
                                window.GraphPage1->SpdBtnRIAAEq}) {
        button->click();
    }
    QApplication::processEvents();
    saved = window.grab().save(path("graph-page.png")) && saved;

    // A network as a designer would leave it: every option on, so the pages have errors to show.
    window.Calculations1Click();
    window.CircuitPage->LMDRadioGroupCircuits->button(4)->click();
    for (QCheckBox* option : {window.CircuitPage->ChckBxRs, window.CircuitPage->ChckBxRL, window.CircuitPage->ChkBxStdR}) option->click();
    window.Accuracy1Click();
    // The tolerance run works in the background; give it time to hand its band to the plot.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    saved = window.grab().save(path("accuracy-page.png")) && saved;
    window.Parts1Click();
    QApplication::processEvents();
    saved = window.grab().save(path("parts-page.png")) && saved;
    // The same network's best build of E12 capacitors and E24 resistors, with its tolerance runs.
    window.BestBuild1Click();
    window.BestBuildPage1->BtnSearch->click();
    settling.restart();
    while (window.BestBuildPage1->searching() && settling.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QApplication::processEvents();
    saved = window.grab().save(path("best-page.png")) && saved;

    // A non-inverting stage with C0, designed by a click on the page, and then on the Accuracy page
    // behind a cartridge.
    window.ActiveStage1Click();
    window.ActiveStagePage1->ChckBxStageC0->click();
    QApplication::processEvents();
    saved = window.grab().save(path("active-page.png")) && saved;
    window.ActiveStagePage1->BtnWholeStage->click();
    QApplication::processEvents();
    if (auto* whole = window.ActiveStagePage1->findChild<QDialog*>(QStringLiteral("WholeStage"))) {
        saved = whole->grab().save(path("whole-stage.png")) && saved;
        whole->close();
    }
    window.Accuracy1Click();
    window.AccuracyPage1->ChckBxCartridge->click();
    settling.restart();
    while (settling.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    saved = window.grab().save(path("accuracy-stage.png")) && saved;
    // The same stage's noise behind that cartridge.
    window.Noise1Click();
    QApplication::processEvents();
    saved = window.grab().save(path("noise-page.png")) && saved;

    TAboutBox about;
    saved = about.grab().save(path("about.png")) && saved;

    saved = MirelundIconImage(32).save(path("icon-32.png")) && saved;
    saved = MirelundIconImage(256).save(path("icon-256.png")) && saved;

    std::printf("%s\n", saved ? "saved" : "could not save every picture");
    return saved ? 0 : 1;
}
