// The Active stage page's drawing of the chosen feedback network.
#pragma once

#include <QWidget>

#include "active/FormSchematics.h"

class FormSchematicView : public QWidget {
    Q_OBJECT
public:
    explicit FormSchematicView(QWidget* parent = nullptr);

    void showDrawing(FormDrawing drawing);
    FormDrawing drawing() const { return drawing_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FormDrawing drawing_ = FormDrawing::A;
};
