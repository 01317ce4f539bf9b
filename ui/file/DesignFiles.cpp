#include "file/DesignFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include "circuit/ValueListModel.h"
#include "engine/BillOfMaterials.h"
#include "engine/DesignBuild.h"
#include "engine/ValueLists.h"
#include "session/DesignDocumentMapping.h"
#include "session/DesignSession.h"

namespace {

const QString kRecentKey = QStringLiteral("files/recent");
const QString kFolderKey = QStringLiteral("files/folder");

[[noreturn]] void Refuse(const QString& path, const QString& what, const QString& problem) {
    throw riaa::EngineError(
        QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), problem).toStdString());
}

std::string ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) Refuse(path, QStringLiteral("Cannot open"), file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) Refuse(path, QStringLiteral("Cannot open"), file.errorString());
    return bytes.toStdString();
}

void WriteWholeFile(const QString& path, const std::string& text) {
    // A crash or a kill at any moment leaves the old file whole or the new one whole.
    QSaveFile file(path);
    const auto size = static_cast<qint64>(text.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), size) != size || !file.commit()) {
        Refuse(path, QStringLiteral("Cannot save"), file.errorString());
    }
}

// The start's lists in the user's separators, with a file's typed values in the order they joined.
riaa::ValueList ListWithEntries(bool resistors, const std::vector<std::string>& entries,
                                const riaa::NumberLocale& locale) {
    riaa::ValueList r = riaa::MakeResistorList();
    riaa::ValueList c = riaa::MakeCapacitorList();
    riaa::LocalizeValueLists(r, c, locale);
    riaa::ValueList& list = resistors ? r : c;
    for (const std::string& entry : entries) riaa::InsertTypedValue(list, entry, locale);
    return list;
}

}  // namespace

DesignFiles::DesignFiles(DesignSession& session, ValueListModel& resistors, ValueListModel& capacitors, QObject* parent)
    : QObject(parent), session_(session), resistors_(resistors), capacitors_(capacitors) {
    saved_ = document();
    connect(&session_, &DesignSession::changed, this, [this] { sessionChanged(); });
}

riaa::DesignDocument DesignFiles::document() const {
    return DocumentOfSession(session_, saved_, resistors_.insertedEntries(), capacitors_.insertedEntries());
}

void DesignFiles::sessionChanged() {
    // Compared, not counted: a tolerance run that finishes changes nothing the file holds, and an
    // edit taken back is no change.
    const bool modified = document() != saved_;
    if (modified == modified_) return;
    modified_ = modified;
    emit stateChanged();
}

void DesignFiles::show(const riaa::DesignDocument& document) {
    const riaa::NumberLocale& locale = session_.locale();
    const DesignState state = StateOfDocument(document, locale);
    const std::vector<std::string>& resistorEntries = document.passive.resistorEntries;
    const std::vector<std::string>& capacitorEntries = document.passive.capacitorEntries;
    riaa::ValueList resistors = ListWithEntries(true, resistorEntries, locale);
    riaa::ValueList capacitors = ListWithEntries(false, capacitorEntries, locale);
    const riaa::ValueList oldResistors = resistors_.list();
    const riaa::ValueList oldCapacitors = capacitors_.list();
    const std::vector<std::string> oldResistorEntries = resistors_.insertedEntries();
    const std::vector<std::string> oldCapacitorEntries = capacitors_.insertedEntries();
    // The session calculates with the lists' entries, so they are in place before it.
    resistors_.replaceList(std::move(resistors), resistorEntries);
    capacitors_.replaceList(std::move(capacitors), capacitorEntries);
    try {
        session_.setDesignState(state);
    } catch (const riaa::EngineError&) {
        resistors_.replaceList(oldResistors, oldResistorEntries);
        capacitors_.replaceList(oldCapacitors, oldCapacitorEntries);
        throw;
    }
}

void DesignFiles::open(const QString& path) {
    riaa::DesignDocument document;
    try {
        document = riaa::ReadDesignFile(ReadWholeFile(path));
        show(document);
    } catch (const riaa::EngineError& error) {
        const QString problem = QString::fromUtf8(error.what());
        if (problem.startsWith(QStringLiteral("Cannot open"))) throw;
        Refuse(path, QStringLiteral("Cannot open"), problem);
    }
    // A file another writer made counts as unchanged in the form this program writes it back.
    saved_ = document;
    useFile(path, this->document());
}

void DesignFiles::save(const QString& path) {
    const riaa::DesignDocument document = this->document();
    WriteWholeFile(path, riaa::WriteDesignFile(document));
    useFile(path, document);
}

void DesignFiles::newDesign() {
    show(riaa::DesignDocument{});
    path_.clear();
    saved_ = riaa::DesignDocument{};
    saved_ = document();
    modified_ = false;
    emit stateChanged();
}

void DesignFiles::exportBillOfMaterials(const QString& path) {
    const riaa::DesignDocument design = document();
    std::string csv;
    try {
        csv = riaa::BillOfMaterialsOf(design, session_.locale());
    } catch (const riaa::EngineError& error) {
        Refuse(path, QStringLiteral("Cannot export"), QString::fromUtf8(error.what()));
    }
    WriteWholeFile(path, csv);
    settings_.setValue(kFolderKey, QFileInfo(path).absolutePath());
}

void DesignFiles::useFile(const QString& path, const riaa::DesignDocument& saved) {
    path_ = QFileInfo(path).absoluteFilePath();
    saved_ = saved;
    modified_ = false;
    rememberFile(path_);
    emit stateChanged();
}

void DesignFiles::rememberFile(const QString& path) {
    QStringList recent = settings_.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentCount) recent.removeLast();
    settings_.setValue(kRecentKey, recent);
    settings_.setValue(kFolderKey, QFileInfo(path).absolutePath());
}

QStringList DesignFiles::recentFiles() const {
    QStringList recent = settings_.value(kRecentKey).toStringList();
    while (recent.size() > kRecentCount) recent.removeLast();
    return recent;
}

QString DesignFiles::lastFolder() const {
    const QString folder = settings_.value(kFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}
