// Test helper: records and closes every modal box that opens while a test step runs.
#pragma once

#include <QAbstractButton>
#include <QApplication>
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
    ModalBoxWatcher() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { closeOpenBox(); });
        timer_.start();
    }

    const QVector<SeenBox>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    void closeOpenBox() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        SeenBox seen{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons()) seen.buttons << button->text().remove(QLatin1Char('&'));
        boxes_.append(seen);
        box->accept();
    }

    QTimer timer_;
    QVector<SeenBox> boxes_;
};
