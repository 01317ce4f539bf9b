#include "circuit/RadioGroup.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

#include "common/Fonts.h"

namespace {
constexpr int kTitleHeight = 14;  // the title's band over the top edge
constexpr int kInset = 8;
}  // namespace

RadioGroup::RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)), title_(new QLabel(title, this)), columns_(columns) {
    title_->setFont(PixelFont(QStringLiteral("Arial"), 11, true));
    title_->setAutoFillBackground(true);
    title_->adjustSize();
    title_->move(kInset, 0);
    setAccessibleName(title.trimmed());
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        buttons_.append(button);
    }
    buttons_.value(0)->setChecked(true);
    updateTabStop();
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (id == selected_) return;
        selected_ = id;
        updateTabStop();
        emit itemChosen(id);
    });
    layoutItems();
}

int RadioGroup::itemIndex() const { return selected_; }

void RadioGroup::setItemIndex(int index) {
    if (index < 0 || index >= count()) return;
    selected_ = index;
    buttons_[index]->setChecked(true);
    updateTabStop();
}

void RadioGroup::updateTabStop() {
    // One tab stop per group, at the selected item; the arrow keys move between the items.
    for (int i = 0; i < count(); ++i) buttons_[i]->setFocusPolicy(i == selected_ ? Qt::StrongFocus : Qt::ClickFocus);
}

QString RadioGroup::itemText(int index) const { return index >= 0 && index < count() ? buttons_[index]->text() : QString(); }

QRadioButton* RadioGroup::button(int index) const { return index >= 0 && index < count() ? buttons_[index] : nullptr; }

void RadioGroup::layoutItems() {
    if (buttons_.isEmpty() || columns_ <= 0) return;
    const int rows = (count() + columns_ - 1) / columns_;
    const int innerLeft = kInset;
    const int innerTop = kTitleHeight + 2;
    const int innerWidth = qMax(0, width() - 2 * kInset);
    const int innerHeight = qMax(0, height() - innerTop - 4);
    const int columnWidth = innerWidth / columns_;
    const int rowHeight = rows > 0 ? innerHeight / rows : 0;
    // Items run down each column first, as in a form designer's radio group.
    for (int i = 0; i < count(); ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const int buttonHeight = qMin(rowHeight, buttons_[i]->sizeHint().height());
        buttons_[i]->setGeometry(innerLeft + column * columnWidth, innerTop + row * rowHeight + (rowHeight - buttonHeight) / 2,
                                 columnWidth, buttonHeight);
    }
}

void RadioGroup::resizeEvent(QResizeEvent*) { layoutItems(); }

void RadioGroup::paintEvent(QPaintEvent*) {
    // An inset frame: shadow outside, highlight inside, its top edge running through the title.
    QPainter painter(this);
    const int top = kTitleHeight / 2;
    const int right = width() - 1;
    const int bottom = height() - 1;
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(1, top + 1, right - 1, bottom - top - 1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(0, top, right - 1, bottom - top - 1);
}
