#include "common/HintRouter.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QThread>
#include <QToolTip>
#include <QWidget>

#include "common/Hints.h"

namespace {

// The control's own hint, or the nearest enclosing control's non-empty one.
QString EffectiveHint(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        const QString hint = HintOf(w);
        if (!hint.isEmpty()) return hint;
    }
    return {};
}

}  // namespace

HintRouter::HintRouter(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
    if (auto* dispatcher = QAbstractEventDispatcher::instance(qApp->thread())) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &HintRouter::refreshFromPointer);
    }
}

QString HintRouter::LongHintFor(const QWidget* control) { return SplitHint(EffectiveHint(control)).longPart; }

QString HintRouter::TooltipFor(const QWidget* control) {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (ShowsHint(w)) return SplitHint(EffectiveHint(w)).shortPart;
    }
    return {};
}

void HintRouter::pointerOver(QWidget* control) {
    const QString hint = control ? LongHintFor(control) : QString();
    if (hint == currentHint_) return;
    currentHint_ = hint;
    emit hintChanged(currentHint_);
}

void HintRouter::refreshFromPointer() {
    QWidget* control = pressedControl_ ? pressedControl_.data() : QApplication::widgetAt(QCursor::pos());
    pointerOver(control);
}

void HintRouter::scheduleRefresh() {
    // After the event has been handled, so that a hint written by its handler is the one read.
    if (refreshPending_) return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, [this] {
        refreshPending_ = false;
        refreshFromPointer();
    }, Qt::QueuedConnection);
}

bool HintRouter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::Enter:
        case QEvent::Leave:
            scheduleRefresh();
            break;
        case QEvent::MouseButtonPress:
            // The press reaches the control under the pointer first, then any parent it is passed on to.
            if (auto* control = qobject_cast<QWidget*>(watched); control && !pressedControl_) pressedControl_ = control;
            break;
        case QEvent::MouseButtonRelease:
            pressedControl_.clear();
            scheduleRefresh();
            break;
        case QEvent::ToolTip: {
            auto* control = qobject_cast<QWidget*>(watched);
            if (control == nullptr) break;
            const QString tip = TooltipFor(control);
            const auto* help = static_cast<QHelpEvent*>(event);
            if (tip.isEmpty()) {
                QToolTip::hideText();
            } else {
                QToolTip::showText(help->globalPos(), tip, control, {}, kTooltipDurationMs);
            }
            return true;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
