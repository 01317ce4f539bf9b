#include "common/Controls.h"

#include <QLabel>

QLabel* MakePlainLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
    auto* label = Named(new QLabel(parent), name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFont(font);
    label->setText(text);
    return label;
}
