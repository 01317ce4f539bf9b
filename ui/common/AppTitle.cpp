#include "common/AppTitle.h"

#include <QGuiApplication>

void SetApplicationTitle() {
    QGuiApplication::setApplicationName(QStringLiteral("Mirelund"));
    // Deliberately no display name: the window system plugins append it to every window title that does
    // not end with it, so the About box would read "About — Mirelund". The task bar shows the main
    // window's own title, "Mirelund".
}
