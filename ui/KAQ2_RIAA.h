// TRiaaForm, the main window: owns the network state, the two value lists and both pages.
#pragma once

#include <QMainWindow>

class TRiaaForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TRiaaForm(QWidget* parent = nullptr);
};
