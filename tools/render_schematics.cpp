// Renders every schematic page with its overlays off and on into PNG files, for looking at the drawings.
#include "common/Fonts.h"
#include "circuit/SchematicView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const QStringList arguments = QApplication::arguments();
    QTextStream err(stderr);
    // An optional enlargement writes a second, pixel-doubled copy of each page for inspecting single pixels.
    int enlargement = 1;
    bool enlargementOk = true;
    if (arguments.size() == 3)
        enlargement = arguments[2].toInt(&enlargementOk);
    if (arguments.size() < 2 || arguments.size() > 3 || !enlargementOk || enlargement < 1 || enlargement > 16) {
        err << "usage: render_schematics OUTPUT_FOLDER [ENLARGEMENT 1..16]\n";
        return 2;
    }
    const QDir folder(arguments[1]);
    if (!folder.exists() && !QDir().mkpath(folder.absolutePath())) {
        err << "cannot create " << folder.absolutePath() << "\n";
        return 1;
    }
    SchematicView view;
    for (int circuit = 0; circuit < 6; ++circuit) {
        view.showCircuit(circuit);
        for (const bool overlays : {false, true}) {
            view.setRsOverlaysVisible(overlays);
            view.setRLOverlaysVisible(overlays);
            const QString stem = QStringLiteral("schematic_%1_%2").arg(circuit).arg(overlays ? "on" : "off");
            const QImage image = view.grab().toImage();
            QList<std::pair<QString, QImage>> files{{stem + QStringLiteral(".png"), image}};
            if (enlargement > 1)
                files.append({stem + QStringLiteral("_x%1.png").arg(enlargement),
                              image.scaled(image.size() * enlargement, Qt::IgnoreAspectRatio, Qt::FastTransformation)});
            for (const auto& [name, picture] : files) {
                if (!picture.save(folder.filePath(name))) {
                    err << "cannot write " << folder.filePath(name) << "\n";
                    return 1;
                }
            }
        }
    }
    return 0;
}
