#include "session/SessionPage.h"

#include <QEvent>

SessionPage::SessionPage(DesignSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    connect(&session_, &DesignSession::changed, this, [this](DesignSession::Changes what) { sessionChanged(what); });
}

bool SessionPage::event(QEvent* event) {
    // Shown again, in a window on screen or not: what changed meanwhile is drawn now.
    if (event->type() == QEvent::ShowToParent && changes_) renderNow();
    return QWidget::event(event);
}

void SessionPage::renderNow() {
    render();
    changes_ = {};
}

void SessionPage::sessionChanged(DesignSession::Changes what) {
    changes_ |= what;
    // A hidden page waits: what it needs is worked out when it is shown.
    if (isVisibleTo(window())) renderNow();
}
