// Small helpers for building windows control by control: object names and plain labels.
#pragma once

#include <QString>

class QFont;
class QLabel;
class QWidget;

// Gives a control the object name its window knows it by, so that findChild<T*>(name) finds it.
template <class Control>
Control* Named(Control* control, const char* name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// A label showing its text as plain text (never markup), top-left aligned, in the given font.
QLabel* MakePlainLabel(QWidget* parent, const char* name, const QString& text, const QFont& font);
