#include "noise/UserOpAmps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString UserOpAmpsPath() {
    // GenericDataLocation is $XDG_DATA_HOME, else ~/.local/share, on the systems this program runs on.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/mirelund/opamps.json");
}

UserOpAmps ReadUserOpAmps(const QString& path) {
    UserOpAmps table;
    QFile file(path);
    if (!file.exists()) return table;
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        table.problems = name + QStringLiteral(": cannot be read");
        return table;
    }
    const QByteArray text = file.readAll();
    riaa::OpAmpFile parsed = riaa::ParseOpAmpFile(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    table.rows = std::move(parsed.rows);
    QStringList lines;
    for (const riaa::OpAmpFileProblem& p : parsed.problems) {
        lines << name + QStringLiteral(", line ") + QString::number(p.line) + QStringLiteral(": ") +
                     QString::fromStdString(p.message);
    }
    table.problems = lines.join(QLatin1Char('\n'));
    return table;
}
