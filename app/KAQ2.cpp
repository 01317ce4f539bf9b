// Program entry: builds the calculator and runs it.
#include <QApplication>
#include <cstdio>

#include "AppStyle.h"
#include "Fonts.h"
#include "KAQ2_RIAA.h"

namespace {
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char* argv[]) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "mirelund: no display found; run it under a virtual one: xvfb-run -a %s\n", argv[0]);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelund"));
    InstallApplicationStyle();
    InstallFontSubstitutions();
    TRiaaForm mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
