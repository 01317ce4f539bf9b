// A text field on a page with its caption and its unit, either of which a page may leave out.
#pragma once

#include <QLabel>
#include <QLineEdit>

struct CaptionedField {
    QLabel* caption = nullptr;
    QLineEdit* edit = nullptr;
    QLabel* unit = nullptr;
};
