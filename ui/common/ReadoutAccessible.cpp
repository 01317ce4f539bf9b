#include "common/ReadoutAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QVariant>

#include "common/Hints.h"

namespace {

constexpr const char* kReadoutProperty = "mirelundReadout";

class ReadoutInterface : public QAccessibleWidget {
public:
    explicit ReadoutInterface(QWidget* readout)
        : QAccessibleWidget(readout, qobject_cast<QLabel*>(readout) ? QAccessible::StaticText : QAccessible::Chart) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Value) return QAccessibleWidget::text(kind);
        if (const auto* label = qobject_cast<const QLabel*>(widget())) return label->text();
        // The hint's long part starts with a blank that only separates it from the bar.
        return SplitHint(HintOf(widget())).longPart.trimmed();
    }
};

QAccessibleInterface* ReadoutFactory(const QString&, QObject* object) {
    if (object == nullptr || !object->isWidgetType() || !object->property(kReadoutProperty).toBool()) return nullptr;
    return new ReadoutInterface(static_cast<QWidget*>(object));
}

}  // namespace

void MakeAccessibleReadout(QWidget* readout, const QString& name, const QString& description) {
    // Factories stay installed for the life of the process; one is enough for every readout.
    static const bool installed = [] {
        QAccessible::installFactory(ReadoutFactory);
        return true;
    }();
    (void)installed;
    readout->setProperty(kReadoutProperty, true);
    // With a screen reader running, building the control may already have made Qt's own interface
    // for it; that one is dropped, so that the next query comes here.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(readout);
    if (existing != nullptr && dynamic_cast<ReadoutInterface*>(existing) == nullptr) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
    }
    readout->setAccessibleName(name);
    readout->setAccessibleDescription(description);
}
