// Hint texts of controls: "short|long", kept on the widget; HintRouter shows them.
#pragma once

#include <QString>

class QWidget;

struct HintParts {
    QString shortPart;  // the tooltip
    QString longPart;   // the status bar
};

// Split at the first "|"; a text without one is both its own short and long part. No trimming.
HintParts SplitHint(const QString& hint);

void SetHint(QWidget* control, const QString& hint);
QString HintOf(const QWidget* control);

// Whether the control shows its hint as a tooltip.
void SetShowHint(QWidget* control, bool show);
bool ShowsHint(const QWidget* control);
