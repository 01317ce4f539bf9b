#include "session/SessionPage.h"

#include <QEvent>

#include "session/DesignSession.h"

SessionPage::SessionPage(DesignSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    connect(&session_, &DesignSession::changed, this, [this] { sessionChanged(); });
}

bool SessionPage::event(QEvent* event) {
    // Shown again, in a window on screen or not: what changed meanwhile is drawn now.
    if (event->type() == QEvent::ShowToParent && stale_) renderNow();
    return QWidget::event(event);
}

void SessionPage::renderNow() {
    stale_ = false;
    render();
}

void SessionPage::sessionChanged() {
    stale_ = true;
    // A hidden page waits: what it needs is worked out when it is shown.
    if (isVisibleTo(window())) renderNow();
}
