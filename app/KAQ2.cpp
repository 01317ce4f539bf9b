// Program entry: the splash first, then the main window and the About box, then the event loop.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

#include "common/AppStyle.h"
#include "common/AppTitle.h"
#include "common/Fonts.h"
#include "engine/Formats.h"
#include "KAQ2_RIAA.h"
#include "windows/About1.h"
#include "windows/AppIcon.h"
#include "windows/Resources.h"
#include "windows/Splash.h"

namespace {

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// For scripts/measure-startup: once the main window is up, print when (wall clock, so that the script can
// subtract its own launch time), how long the hold lasted and the peak memory, then quit.
void ReportStartupAndQuit(const TRiaaForm& window) {
    using namespace std::chrono;
    const auto shownNs = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("shown_epoch_ns=%lld hold_ms=%llu peak_rss_kb=%ld\n", static_cast<long long>(shownNs),
                static_cast<unsigned long long>(window.holdEndedAt() - window.createStartedAt()), usage.ru_maxrss);
    std::fflush(stdout);
    QApplication::quit();
}

// `mirelund --export-report OUT.pdf FILE`: the report of a design file, written without a display or a
// window; 0 when written, 2 with one line on stderr for a bad file or a report that cannot be written.
int ExportReport(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "mirelund: --export-report takes the report's file and the design's: "
                             "mirelund --export-report OUT.pdf FILE\n");
        return 2;
    }
    // No window is shown, so no display is needed; the fonts are the ones the window uses.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) qputenv("QT_QPA_FONTDIR", "/usr/share/fonts/truetype");
    QApplication application(argc, argv);
    InitMirelundResources();
    InstallApplicationStyle();
    InstallFontSubstitutions();
    SetApplicationTitle();
    try {
        TRiaaForm window{StartupOptions{}};
        window.exportReportOfFile(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2]));
    } catch (const riaa::EngineError& error) {
        std::fprintf(stderr, "mirelund: %s\n", error.what());
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "--export-report") == 0) return ExportReport(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr, "mirelund: no display found; run it under a virtual one: xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    QApplication application(argc, argv);
    InitMirelundResources();
    InstallApplicationStyle();
    InstallFontSubstitutions();
    QApplication::setWindowIcon(MirelundIcon());

    // The splash is on screen before anything else is built; the main window destroys it after the hold.
    auto* splash = new TSplashForm;
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    SetApplicationTitle();

    StartupOptions options;
    options.splash = splash;
    options.holdSplash = true;
    TRiaaForm mainWindow(options);

    TAboutBox aboutBox;
    mainWindow.setAboutBox(&aboutBox);

    mainWindow.show();
    // `mirelund FILE`: the design opens once the window is up, so that a refusal shows over it.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        QTimer::singleShot(0, &mainWindow, [&mainWindow, path = arguments.at(1)] { mainWindow.openDesignFile(path); });
    }
    if (qEnvironmentVariableIsSet("MIRELUND_REPORT_STARTUP")) {
        QTimer::singleShot(0, &mainWindow, [&mainWindow] { ReportStartupAndQuit(mainWindow); });
    }
    return QApplication::exec();
}
