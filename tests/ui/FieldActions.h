// What the page tests do to a field as a person would, and how they read its colour.
#pragma once

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QtTest>

// The field's base turned red: the page refused what it holds.
inline bool IsRed(const QLineEdit* field) {
    const QColor base = field->palette().color(QPalette::Active, QPalette::Base);
    return base.red() > base.green() + 60 && base.red() > base.blue() + 60;
}

// The whole text typed over, key by key, as a person would.
inline void Retype(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// As a pick from the drop-down reaches the page.
inline void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}
