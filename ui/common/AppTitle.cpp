#include "common/AppTitle.h"

#include <QGuiApplication>

void SetApplicationTitle() {
    QGuiApplication::setApplicationName(QStringLiteral("Mirelund"));
    // Where the user's settings (the recent files, the folder last used) are kept.
    QGuiApplication::setOrganizationName(QStringLiteral("Mirelund"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("mirelund.org"));
    // Deliberately no display name: the window system plugins append it to every window title that does
    // not end with it, so the About box would read "About — Mirelund". The task bar shows the main
    // window's own title, "Mirelund".
}
