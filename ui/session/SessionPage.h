// A page that shows the session: drawn at once while it is the page on show, else when it is shown next.
#pragma once

#include <QWidget>

class DesignSession;

class SessionPage : public QWidget {
    Q_OBJECT
public:
    SessionPage(DesignSession& session, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    // Draws everything the page shows from what the session holds now.
    virtual void render() = 0;
    // Pages call this once their controls exist, at the end of their constructors.
    void renderNow();

    DesignSession& session_;

private:
    void sessionChanged();

    bool stale_ = true;
};
