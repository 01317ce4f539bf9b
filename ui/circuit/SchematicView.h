// Notebook2, the schematic area of the circuit page: six drawn pages, one per circuit, and their overlays.
#pragma once

#include <QObject>
#include <QWidget>

#include <array>

class SchematicView;

// The visibility of one overlay drawing ("ImageRsa" ... "ImageRLf"). Callers read it by name; only the
// schematic area changes it, so that the two overlay switches stay the one way to show or hide them.
class SchematicOverlay : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool visible READ isVisible NOTIFY visibleChanged)
public:
    bool isVisible() const { return visible_; }

signals:
    void visibleChanged(bool visible);

private:
    friend class SchematicView;
    SchematicOverlay(const QString& name, QObject* parent);
    void setVisible(bool visible);

    bool visible_ = false;
};

class SchematicView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 405;
    static constexpr int kHeight = 250;

    explicit SchematicView(QWidget* parent = nullptr);

    // Shows the page of a circuit (0 to 5); any other value leaves the shown page as it is.
    void showCircuit(int circuit);
    int currentCircuit() const { return currentCircuit_; }

    // Show or hide the overlay on all six pages at once, the pages not shown included.
    void setRsOverlaysVisible(bool visible);
    void setRLOverlaysVisible(bool visible);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int currentCircuit_ = 0;
    std::array<SchematicOverlay*, 6> rsOverlays_{};
    std::array<SchematicOverlay*, 6> rlOverlays_{};
};
