// TRiaaForm's File menu: new, open, save, the exports and quit, the title that names the file, and the files given or dropped.
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>

#include "KAQ2_RIAA.h"
#include "circuit/ValueListModel.h"
#include "common/ErrorReport.h"
#include "engine/Formats.h"
#include "file/DesignFiles.h"
#include "report/ReportPdf.h"
#include "report/SessionReport.h"

namespace {

const QString kDesignFilter = QStringLiteral("Mirelund designs (*.mirelund);;All files (*)");
const QString kDesignSuffix = QStringLiteral("mirelund");

// The first local file among dropped URLs; empty when there is none.
QString DroppedFile(const QMimeData* data) {
    if (data == nullptr) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

void TRiaaForm::buildFileMenu() {
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    struct FileCommand {
        QAction* TRiaaForm::*action;
        const char* name;
        QString caption;
        QKeySequence::StandardKey shortcut;
        void (TRiaaForm::*click)();
    };
    const FileCommand commands[] = {
        {&TRiaaForm::FileNew1, "FileNew1", QStringLiteral("&New"), QKeySequence::New, &TRiaaForm::FileNew1Click},
        {&TRiaaForm::FileOpen1, "FileOpen1", QStringLiteral("&Open\u2026"), QKeySequence::Open, &TRiaaForm::FileOpen1Click},
        {nullptr, nullptr, {}, QKeySequence::UnknownKey, nullptr},  // Open Recent
        {&TRiaaForm::FileSave1, "FileSave1", QStringLiteral("&Save"), QKeySequence::Save, &TRiaaForm::FileSave1Click},
        {&TRiaaForm::FileSaveAs1, "FileSaveAs1", QStringLiteral("Save &As\u2026"), QKeySequence::SaveAs,
         &TRiaaForm::FileSaveAs1Click},
        {nullptr, nullptr, {}, QKeySequence::UnknownKey, nullptr},
        {&TRiaaForm::FileExportBom1, "FileExportBom1", QStringLiteral("Export &bill of materials\u2026"),
         QKeySequence::UnknownKey, &TRiaaForm::FileExportBom1Click},
        {&TRiaaForm::FileExportReport1, "FileExportReport1", QStringLiteral("Export &report\u2026"),
         QKeySequence::Print, &TRiaaForm::FileExportReport1Click},
        {nullptr, nullptr, {}, QKeySequence::UnknownKey, nullptr},
        {&TRiaaForm::FileQuit1, "FileQuit1", QStringLiteral("&Quit"), QKeySequence::Quit, &TRiaaForm::FileQuit1Click},
    };
    for (const FileCommand& command : commands) {
        if (command.action == nullptr) {
            if (FileRecent1 == nullptr) {
                FileRecent1 = File1->addMenu(QStringLiteral("Open &Recent"));
                FileRecent1->setObjectName(QStringLiteral("FileRecent1"));
                connect(FileRecent1, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
            } else {
                File1->addSeparator();
            }
            continue;
        }
        QAction* action = File1->addAction(command.caption);
        this->*command.action = action;
        action->setObjectName(QString::fromLatin1(command.name));
        if (command.shortcut != QKeySequence::UnknownKey) action->setShortcuts(command.shortcut);
        // Not every platform theme has a Save As binding; the common one then.
        if (command.shortcut == QKeySequence::SaveAs && action->shortcuts().isEmpty()) {
            action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        }
        connect(action, &QAction::triggered, this, [this, click = command.click] { (this->*click)(); });
    }
    setAcceptDrops(true);
}

// After FormCreate: its first calculation is the design that counts as saved.
void TRiaaForm::startDesignFiles() {
    designFiles_ = new DesignFiles(*session_, *resistorModel_, *capacitorModel_, this);
    connect(designFiles_, &DesignFiles::stateChanged, this, [this] { showFileState(); });
    showFileState();
}

void TRiaaForm::showFileState() {
    const QString& path = designFiles_->path();
    // "Mirelund" alone until the design has a file; then the file's name, and the mark while it has changes.
    setWindowTitle(path.isEmpty() ? QStringLiteral("Mirelund")
                                  : QFileInfo(path).fileName() + QStringLiteral("[*] \u2014 Mirelund"));
    setWindowModified(!path.isEmpty() && designFiles_->modified());
}

void TRiaaForm::fillRecentMenu() {
    FileRecent1->clear();
    const QStringList recent = designFiles_->recentFiles();
    for (const QString& path : recent) {
        QAction* action = FileRecent1->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openDesignFile(path); });
    }
    FileRecent1->setEnabled(!recent.isEmpty());
}

bool TRiaaForm::mayPutDesignAside() {
    if (!designFiles_->modified()) return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Mirelund"),
                    QStringLiteral("The design has unsaved changes. Save them?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Save);
    const int answer = box.exec();
    if (answer == QMessageBox::Discard) return true;
    if (answer != QMessageBox::Save) return false;
    if (designFiles_->path().isEmpty()) return saveWithDialog();
    bool saved = false;
    RunGuarded(this, [this, &saved] {
        designFiles_->save(designFiles_->path());
        saved = true;
    });
    return saved;
}

bool TRiaaForm::saveWithDialog() {
    const QString start = designFiles_->path().isEmpty() ? designFiles_->lastFolder() : designFiles_->path();
    QFileDialog dialog(this, QStringLiteral("Save design"), start, kDesignFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kDesignSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    bool saved = false;
    RunGuarded(this, [this, &dialog, &saved] {
        designFiles_->save(dialog.selectedFiles().constFirst());
        saved = true;
    });
    return saved;
}

void TRiaaForm::FileNew1Click() {
    if (!mayPutDesignAside()) return;
    RunGuarded(this, [this] { designFiles_->newDesign(); });
}

void TRiaaForm::FileOpen1Click() {
    if (!mayPutDesignAside()) return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open design"), designFiles_->lastFolder(),
                                                      kDesignFilter);
    if (path.isEmpty()) return;
    RunGuarded(this, [this, &path] { designFiles_->open(path); });
}

void TRiaaForm::openDesignFile(const QString& path) {
    if (!mayPutDesignAside()) return;
    RunGuarded(this, [this, &path] { designFiles_->open(path); });
}

void TRiaaForm::FileSave1Click() {
    if (designFiles_->path().isEmpty()) {
        saveWithDialog();
        return;
    }
    RunGuarded(this, [this] { designFiles_->save(designFiles_->path()); });
}

void TRiaaForm::FileSaveAs1Click() { saveWithDialog(); }

void TRiaaForm::FileExportBom1Click() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export bill of materials"),
                                                      designFiles_->lastFolder(),
                                                      QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    RunGuarded(this, [this, &path] { designFiles_->exportBillOfMaterials(path); });
}

void TRiaaForm::FileExportReport1Click() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export report"), designFiles_->lastFolder(),
                                                      QStringLiteral("PDF files (*.pdf);;All files (*)"));
    if (path.isEmpty()) return;
    RunGuarded(this, [this, &path] { exportReport(path); });
}

void TRiaaForm::exportReport(const QString& path) {
    const QString fileName = designFiles_->path().isEmpty() ? QString() : QFileInfo(designFiles_->path()).fileName();
    ReportSource source;
    try {
        source = ReportSourceOfSession(*session_, designFiles_->document(), fileName);
    } catch (const riaa::EngineError& error) {
        throw riaa::EngineError(QStringLiteral("Cannot export \"%1\": %2")
                                    .arg(QDir::toNativeSeparators(path), QString::fromUtf8(error.what()))
                                    .toStdString());
    }
    WriteReportPdf(MakeReportContent(source), path);
}

void TRiaaForm::exportReportOfFile(const QString& designPath, const QString& reportPath) {
    designFiles_->open(designPath);
    exportReport(reportPath);
}

void TRiaaForm::FileQuit1Click() { close(); }

void TRiaaForm::closeEvent(QCloseEvent* event) {
    if (designFiles_ != nullptr && !mayPutDesignAside()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TRiaaForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TRiaaForm::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    openDesignFile(path);
}
