// A page that shows the session: drawn at once while it is the page on show, else when it is shown next.
#pragma once

#include <QWidget>

#include "session/DesignSession.h"

class SessionPage : public QWidget {
    Q_OBJECT
public:
    SessionPage(DesignSession& session, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    // Draws what the session holds now; changes() says what changed since the last drawing.
    virtual void render() = 0;
    // Pages call this once their controls exist, at the end of their constructors.
    void renderNow();
    // What changed since the page was last drawn, so that it redoes only that; everything at first.
    DesignSession::Changes changes() const { return changes_; }

    DesignSession& session_;

private:
    void sessionChanged(DesignSession::Changes what);

    DesignSession::Changes changes_ = DesignSession::DesignChanged | DesignSession::AsBuiltChanged |
                                      DesignSession::ToleranceChanged | DesignSession::TargetChanged |
                                      DesignSession::InputsReplaced;
};
