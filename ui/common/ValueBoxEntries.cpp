#include "common/ValueBoxEntries.h"

#include <QComboBox>
#include <QLineEdit>

ValueBoxEntries::ValueBoxEntries(QComboBox* box) : QObject(box) {
    auto* edit = new QLineEdit(box);
    // The box's own lookup runs on editingFinished too. Slots run in the order they were connected, so
    // these two bracket it: whatever it activates in between is the lookup's.
    connect(edit, &QLineEdit::editingFinished, this, [this] { editingFinishing_ = true; });
    box->setLineEdit(edit);
    connect(edit, &QLineEdit::editingFinished, this, [this] { editingFinishing_ = false; });

    connect(edit, &QLineEdit::textEdited, this, &ValueBoxEntries::entered);
    connect(box, &QComboBox::activated, this, [this] {
        if (!editingFinishing_) emit entered();
    });
}
