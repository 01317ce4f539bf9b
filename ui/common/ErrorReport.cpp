#include "common/ErrorReport.h"

#include <QMessageBox>

void ShowErrorBox(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Mirelund"), message, QMessageBox::Ok, parent);
    // The message may quote what the user typed: never let it be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
