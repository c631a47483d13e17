// Loaded into an installed Qt program with LD_PRELOAD, so a test can press one of its buttons
// without a switch of its own in the program. Once the program's event loop runs, it clicks the
// visible button whose object name OVENA_PRESS gives, as a user's click would, and ends the
// program. A message box shown meanwhile is noted and answered. Every step is appended to the
// file OVENA_PRESS_LOG as one line: "pressed NAME", "box TITLE|TEXT", "no button NAME".

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

namespace {

void note(const QString& line) {
    QFile log(qEnvironmentVariable("OVENA_PRESS_LOG"));
    if (log.open(QIODevice::Append))
        log.write((line + QLatin1Char('\n')).toUtf8());
}

void answerMessageBoxes() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        note(QStringLiteral("box ") + box->windowTitle() + QLatin1Char('|') + box->text());
        box->done(QMessageBox::Ok);
    });
    timer->start(100);
}

void pressButton() {
    const QString name = qEnvironmentVariable("OVENA_PRESS");
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (!button || button->objectName() != name || !button->isVisible())
            continue;
        note(QStringLiteral("pressed ") + name);
        button->click();
        QCoreApplication::quit();
        return;
    }
    note(QStringLiteral("no button ") + name);
    QCoreApplication::exit(3);
}

void start() {
    if (qEnvironmentVariableIsEmpty("OVENA_PRESS"))
        return;
    // Runs once the event loop does, after the program has shown its window.
    QTimer::singleShot(0, [] {
        answerMessageBoxes();
        QTimer::singleShot(300, qApp, pressButton);
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(start)
