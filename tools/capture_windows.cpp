// Saves pictures of the real windows (circuit page, graph page) as PNG files, for the README and for review.
// Usage: capture_windows OUTPUT_FOLDER   (runs under the offscreen platform unless a display is set)
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStackedWidget>
#include <cstdio>

#include "AppStyle.h"
#include "Fonts.h"
#include "KAQ2_RIAA.h"

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
    InstallApplicationStyle();
    InstallFontSubstitutions();

    TRiaaForm window;
    window.show();
    QApplication::processEvents();
    bool saved = window.grab().save(folder.filePath(QStringLiteral("circuit-page.png")));
    window.Graph1Click();
    QApplication::processEvents();
    saved = window.grab().save(folder.filePath(QStringLiteral("graph-page.png"))) && saved;
    return saved ? 0 : 1;
}
