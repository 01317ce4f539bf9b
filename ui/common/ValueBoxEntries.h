// Which changes of an editable value box are the user's entries: typing, and a pick from its list.
#pragma once

#include <QObject>

class QComboBox;

// Qt 6.4 also activates an editable box when its edit field loses the focus or takes Enter while the
// text equals a list entry other than the current one. That is the box looking up what was typed, not
// a choice of the user, so it is no entry here.
class ValueBoxEntries : public QObject {
    Q_OBJECT
public:
    // Makes `box` editable with a line edit of its own; belongs to the box.
    explicit ValueBoxEntries(QComboBox* box);

signals:
    // The user typed into the edit field, or chose an entry from the list (drop-down, arrow keys, wheel).
    void entered();

private:
    bool editingFinishing_ = false;
};
