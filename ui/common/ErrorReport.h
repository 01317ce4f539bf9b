// The application's one error report: a modal box for any error a handler meets.
#pragma once

#include <QString>
#include <exception>

class QWidget;

// Modal box titled "Mirelund" with the error icon, the message as plain text and one "OK" button.
void ShowErrorBox(QWidget* parent, const QString& message);

// Runs a handler; an exception that escapes it ends the handler and is reported, never passed on
// to the event loop.
template <class Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    }
}
