// Program entry: builds the calculator and runs it.
#include <QApplication>

#include "Fonts.h"
#include "KAQ2_RIAA.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelund"));
    InstallFontSubstitutions();
    TRiaaForm mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
