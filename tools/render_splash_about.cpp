// Renders the splash window, the About box and the application icon to PNG files for a look.
// Usage: render_splash_about [output folder]
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <cstdio>

#include "About1.h"
#include "AppIcon.h"
#include "Fonts.h"
#include "Resources.h"
#include "Splash.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    InstallFontSubstitutions();
    InitMirelundResources();
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    TSplashForm splash;
    const bool splashSaved = splash.grab().save(folder.filePath(QStringLiteral("splash.png")));
    const bool splashZoomed = splash.grab().toImage().scaled(splash.size() * 3).save(
        folder.filePath(QStringLiteral("splash-3x.png")));

    TAboutBox about;
    const bool aboutSaved = about.grab().save(folder.filePath(QStringLiteral("about.png")));
    about.LMDSimpleLabel1->setEnabled(false);
    const bool greyedSaved = about.grab().save(folder.filePath(QStringLiteral("about-greyed.png")));

    // Eight times larger, pixel for pixel, so that each of the 32 x 32 pixels can be seen.
    const QImage icon = MirelundIconImage();
    const bool iconSaved = icon.scaled(icon.size() * 8).save(folder.filePath(QStringLiteral("icon-8x.png")));

    const bool allSaved = splashSaved && splashZoomed && aboutSaved && greyedSaved && iconSaved;
    std::printf("%s\n", allSaved ? "saved" : "could not save every picture");
    return allSaved ? 0 : 1;
}
