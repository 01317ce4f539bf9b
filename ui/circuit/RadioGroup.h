// A titled, inset group of radio buttons in columns, with one selected item.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QLabel;
class QRadioButton;

class RadioGroup : public QWidget {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

    int itemIndex() const;
    // Selects from the program: raises no signal.
    void setItemIndex(int index);
    QString itemText(int index) const;
    QRadioButton* button(int index) const;
    int count() const { return static_cast<int>(buttons_.size()); }

    // Places the buttons in their columns for the group's current size.
    void layoutItems();

signals:
    // The user chose an item other than the selected one; a click on the selected item raises nothing.
    void itemChosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateTabStop();

    QButtonGroup* group_;
    QLabel* title_;
    QList<QRadioButton*> buttons_;
    int columns_;
    int selected_ = 0;
};
