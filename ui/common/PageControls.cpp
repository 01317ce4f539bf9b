#include "common/PageControls.h"

#include <QApplication>
#include <QLineEdit>

#include <QColor>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "common/Controls.h"
#include "common/Fonts.h"

namespace {
const QColor kResultText(0, 255, 255);
}  // namespace

QLabel* MakeFrameTitle(QWidget* page, const char* name, const QString& text, QPoint at) {
    QLabel* title = MakePlainLabel(page, name, text, PixelFont(kArial, 11, true));
    title->adjustSize();
    title->move(at);
    // Over the frame's top edge, hiding the line beneath it.
    title->setAutoFillBackground(true);
    return title;
}

QLabel* MakeCaption(QWidget* page, const char* name, const QString& text, QPoint at, int pixelSize) {
    QLabel* label = MakePlainLabel(page, name, text, PixelFont(kArial, pixelSize));
    label->adjustSize();
    label->move(at);
    return label;
}

void PaintAsResult(QWidget* control) {
    control->setAutoFillBackground(true);
    QPalette colours = control->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) colours.setColor(role, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) colours.setColor(role, kResultText);
    control->setPalette(colours);
}

QLabel* MakeResultField(QWidget* page, const char* name, const QRect& geometry, const QString& accessibleName,
                        const QString& hint) {
    auto* field = Named(new QLabel(page), name);
    field->setTextFormat(Qt::PlainText);
    field->setGeometry(geometry);
    field->setFont(PixelFont(kArial, 12));
    field->setAlignment(Qt::AlignCenter);
    field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    field->setLineWidth(1);
    PaintAsResult(field);
    return WithHint(field, accessibleName, hint);
}

QComboBox* MakeChoice(QWidget* page, const char* name, const QStringList& items, int current, const QRect& geometry,
                      const QString& accessibleName, const QString& hint) {
    auto* box = Named(new QComboBox(page), name);
    box->addItems(items);
    box->setCurrentIndex(current);
    box->setGeometry(geometry);
    return WithHint(box, accessibleName, hint);
}

QPushButton* MakeButton(QWidget* page, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    auto* button = Named(new QPushButton(caption, page), name);
    button->setGeometry(geometry);
    return WithHint(button, caption, hint);
}

QCheckBox* MakeCheckBox(QWidget* page, const char* name, const QString& caption, const QRect& geometry,
                        const QString& hint) {
    auto* box = Named(new QCheckBox(caption, page), name);
    box->setGeometry(geometry);
    // Some captions keep trailing blanks for their layout; a screen reader needs only the words.
    return WithHint(box, caption.trimmed(), hint);
}

void MarkField(QLineEdit* field, bool bad) {
    static const QColor kBadField(255, 150, 150);
    const QColor normal = QApplication::palette(field).color(QPalette::Active, QPalette::Base);
    QPalette colours = field->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, bad ? kBadField : normal);
    }
    field->setPalette(colours);
}
