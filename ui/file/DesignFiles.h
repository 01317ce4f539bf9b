// The window's design on disk: the file it was opened from or saved to, its unsaved changes, the recent files and the bill of materials.
#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

#include "engine/DesignFile.h"

class DesignSession;
class ValueListModel;

class DesignFiles : public QObject {
    Q_OBJECT
public:
    static constexpr int kRecentCount = 5;

    // The session and the value boxes' lists as they stand now are the design that counts as saved.
    DesignFiles(DesignSession& session, ValueListModel& resistors, ValueListModel& capacitors,
                QObject* parent = nullptr);

    // The design's file; empty until it is saved or opened.
    const QString& path() const { return path_; }
    // The design differs from the one last saved, opened or begun.
    bool modified() const { return modified_; }
    // Newest first, at most kRecentCount, from the user's settings.
    QStringList recentFiles() const;
    // Where the file dialogs open: the folder last used, or the user's documents.
    QString lastFolder() const;

    // Reads the whole file, then shows it as if typed. Throws EngineError naming the file and the
    // problem, and then the design is exactly as it was.
    void open(const QString& path);
    // Writes the design atomically (a new file beside the target, renamed over it); throws EngineError
    // naming the file. The file becomes the design's.
    void save(const QString& path);
    // The design every start begins with, in no file.
    void newDesign();
    // The bill of materials of the design as built, CSV, atomically; throws EngineError naming the file.
    void exportBillOfMaterials(const QString& path);

    // The session's design as its file would hold it.
    riaa::DesignDocument document() const;

signals:
    // The file or its unsaved-changes state changed: the window's title follows.
    void stateChanged();

private:
    // Shows a document; throws EngineError, changing nothing, for one that does not build.
    void show(const riaa::DesignDocument& document);
    void useFile(const QString& path, const riaa::DesignDocument& saved);
    void rememberFile(const QString& path);
    void sessionChanged();

    DesignSession& session_;
    ValueListModel& resistors_;
    ValueListModel& capacitors_;
    QString path_;
    // One object for the window's life: it writes the recent files out after the command, not within it.
    QSettings settings_;
    riaa::DesignDocument saved_;  // what the file holds: its title, notes and unknown keys ride along
    bool modified_ = false;
};
