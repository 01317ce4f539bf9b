// A drawing of the whole active stage for a page: StageSchematicOf scaled to fit the view's fixed size.
#pragma once

#include <QWidget>

#include "active/StageSchematics.h"

class StageSchematicView : public QWidget {
    Q_OBJECT
public:
    explicit StageSchematicView(const QSize& size, QWidget* parent = nullptr);

    // The stage as built; a passive network leaves the view blank.
    void showStage(const riaa::BuiltNetwork& stage, const riaa::NumberLocale& locale);
    const StageSchematic& schematic() const { return schematic_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StageSchematic schematic_;
};
