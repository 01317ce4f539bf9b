// The controls of the accuracy and parts pages made one way: frame titles, captions, result fields, buttons and
// choices, each with its hint.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include "common/Hints.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The hint as tooltip and status-bar text, and its long part as what a screen reader says about the control.
template <class Control>
Control* WithHint(Control* control, const QString& accessibleName, const QString& hint) {
    control->setAccessibleName(accessibleName);
    control->setAccessibleDescription(SplitHint(hint).longPart.trimmed());
    SetHint(control, hint);
    SetShowHint(control, true);
    return control;
}

// Arial 11 px bold, written over the frame's top edge at `at`.
QLabel* MakeFrameTitle(QWidget* page, const char* name, const QString& text, QPoint at);
// Arial, 12 px unless told otherwise, sized to its text.
QLabel* MakeCaption(QWidget* page, const char* name, const QString& text, QPoint at, int pixelSize = 12);
// Results in aqua on black, as the circuit page shows them.
void PaintAsResult(QWidget* control);
QLabel* MakeResultField(QWidget* page, const char* name, const QRect& geometry, const QString& accessibleName,
                        const QString& hint);
// A push button or a check box named by its caption.
QPushButton* MakeButton(QWidget* page, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint);
QCheckBox* MakeCheckBox(QWidget* page, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint);
// A field's background: light red while it holds text that does not read, the style's own otherwise.
// The disabled look stays the style's, so that a field out of use reads as unavailable.
void MarkField(QLineEdit* field, bool bad);
// A drop-down list of fixed items.
QComboBox* MakeChoice(QWidget* page, const char* name, const QStringList& items, int current, const QRect& geometry,
                      const QString& accessibleName, const QString& hint);
