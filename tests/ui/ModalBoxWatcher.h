// Test helper: records and closes every modal box that opens while a test step runs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QVector>

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

class ModalBoxWatcher {
public:
    explicit ModalBoxWatcher(int pollMs = 20) {
        timer_.setInterval(pollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { closeOpenBox(); });
        timer_.start();
    }

    const QVector<SeenBox>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    void closeOpenBox() {
        QWidget* modal = QApplication::activeModalWidget();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            // Any other dialog (the About box) is counted by its title and closed as its OK would.
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                boxes_.append(SeenBox{dialog->windowTitle(), {}, QMessageBox::NoIcon, {}});
                dialog->accept();
            }
            return;
        }
        SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text().remove(QLatin1Char('&'));
        boxes_.append(seen);
        box->accept();
    }

    QTimer timer_;
    QVector<SeenBox> boxes_;
};
