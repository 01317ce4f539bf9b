#include "common/AutoSizeLabel.h"

#include <QFontMetrics>
#include <QLabel>

void FitLabelToText(QLabel* label) {
    const QFontMetrics metrics(label->font());
    label->resize(metrics.horizontalAdvance(label->text()), metrics.height());
}

void FitLabelToTextAtRight(QLabel* label, int right, int top) {
    FitLabelToText(label);
    label->move(right - label->width(), top);
}
