#pragma once

#include "app/qt/ApplicationViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace ovena::test {

// The one application object of a GUI test process (offscreen, as the sandbox sets it).
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "app_gui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: its clean-up at exit would run after Qt's own statics (the icon theme's
    // caches among them) are gone.
    static QApplication* application = new QApplication(argc, argv);
    static bool fonts = (installFontSubstitutes(), true);
    (void)fonts;
    return *application;
}

// Runs `action` on the next modal window (a message box, a dialog) once it is up: what a
// user does while the program waits for an answer.
inline void whenModalAppears(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(modal);
        }
    });
    poll->start(10);
}

// The button of a window that shows `text`.
inline QAbstractButton* buttonWithText(QWidget* window, const QString& text) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace ovena::test
