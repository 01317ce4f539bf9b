// Routes hint texts: the long part of the hint under the pointer to the status bar, the short part to a tooltip.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

class HintRouter : public QObject {
    Q_OBJECT
public:
    // Watches the whole application; re-reads the hint under the pointer whenever the event queue runs empty.
    explicit HintRouter(QObject* parent = nullptr);

    QString currentHint() const { return currentHint_; }

    // Takes the hint of this control (or the nearest enclosing non-empty one) as the current hint.
    void pointerOver(QWidget* control);

    // The status-bar text and the tooltip text for a control, by the hint rules.
    static QString LongHintFor(const QWidget* control);
    static QString TooltipFor(const QWidget* control);

    static constexpr int kTooltipDurationMs = 2500;

signals:
    // Emitted only when the current hint's text changes.
    void hintChanged(const QString& hint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshFromPointer();
    void scheduleRefresh();

    QString currentHint_;
    // A control that took a mouse press keeps the pointer until release, even when dragged off it.
    QPointer<QWidget> pressedControl_;
    bool refreshPending_ = false;
};
