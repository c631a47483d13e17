#pragma once

#include "app/qt/ApplicationViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

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

// Types a file name into the file dialog's name field, as a user does. (selectFile leaves the
// field alone while it has the focus, which depends on the window manager's timing.)
inline void typeFileName(QFileDialog* dialog, const QString& name) {
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!field) {
        ADD_FAILURE() << "the file dialog has no name field";
        dialog->reject(); // rather than wait for ever
        return;
    }
    field->setText(name);
}

// The button of a window that shows `text`.
inline QAbstractButton* buttonWithText(QWidget* window, const QString& text) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace ovena::test
