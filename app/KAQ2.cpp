// Program entry: the splash first, then the main window and the About box, then the event loop.
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>

#include "common/AppStyle.h"
#include "common/AppTitle.h"
#include "common/Fonts.h"
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

}  // namespace

int main(int argc, char* argv[]) {
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
