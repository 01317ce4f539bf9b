// Writes the application icon for the hicolor theme, all from the one drawing in AppIcon.cpp:
// OUTPUT_FOLDER/scalable/apps/NAME.svg and OUTPUT_FOLDER/SxS/apps/NAME.png for each size S given.
// Usage: render_icons OUTPUT_FOLDER NAME SIZE...   (run by the build; needs no display)
#include <QBuffer>
#include <QDir>
#include <QList>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cstdio>

#include "windows/AppIcon.h"

namespace {

bool writeSvg(const QString& path) {
    QBuffer buffer;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setTitle(QStringLiteral("Mirelund"));
    generator.setDescription(QStringLiteral("The Mirelund application icon"));
    generator.setResolution(96);  // so that the stated size is the design size in CSS pixels
    generator.setSize(QSize(MirelundIconDesignSize, MirelundIconDesignSize));
    generator.setViewBox(QRect(0, 0, MirelundIconDesignSize, MirelundIconDesignSize));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return false;
    }
    PaintMirelundIcon(painter);
    if (!painter.end()) {
        return false;
    }
    // The generator writes the painter's font into every group, and without an application that font has
    // the size -1, which is no valid SVG. The icon draws no text, so the font attributes go.
    QString svg = QString::fromUtf8(buffer.data());
    svg.remove(QRegularExpression(QStringLiteral(R"(\s*font-[a-z]+="[^"]*")")));
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(svg.toUtf8()) >= 0 && file.commit();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_icons OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    // The sizes come from the build, which installs exactly these files.
    QList<int> sizes;
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QByteArray(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            std::fprintf(stderr, "render_icons: not an icon size: %s\n", argv[i]);
            return 2;
        }
        sizes << size;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    bool written = true;
    const auto place = [&](const QString& sizeFolder) {
        const QString apps = folder.filePath(sizeFolder + QStringLiteral("/apps"));
        written = QDir().mkpath(apps) && written;
        return apps + QLatin1Char('/') + name;
    };
    written = writeSvg(place(QStringLiteral("scalable")) + QStringLiteral(".svg")) && written;
    for (const int size : sizes) {
        const QString sizeFolder = QStringLiteral("%1x%1").arg(size);
        written = MirelundIconImage(size).save(place(sizeFolder) + QStringLiteral(".png")) && written;
    }
    if (!written) {
        std::fprintf(stderr, "render_icons: could not write every icon into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
