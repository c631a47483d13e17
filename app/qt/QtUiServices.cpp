#include "QtUiServices.h"

#include "app/qt/FileFilter.h"
#include "app/qt/QtText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

namespace ovena {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole qtRole(ModalResult result) {
    switch (result) {
    case ModalResult::Ok:
    case ModalResult::Yes:
        return QMessageBox::AcceptRole;
    case ModalResult::No:
        return QMessageBox::NoRole;
    default:
        return QMessageBox::RejectRole;
    }
}

} // namespace

QtUiServices::QtUiServices() {
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &context_,
                     [this](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive && activationHandler_)
                             activationHandler_();
                     });
}

QtUiServices::~QtUiServices() {
    releaseViews();
}

void QtUiServices::registerView(std::type_index formType, ViewFactory factory) {
    factories_[formType] = std::move(factory);
}

QtFormView& QtUiServices::viewOf(Form& form) {
    auto found = views_.find(&form);
    if (found != views_.end())
        return *found->second;
    auto factory = factories_.find(typeid(form));
    if (factory == factories_.end())
        throw std::logic_error(std::string("no view registered for ") + typeid(form).name());
    auto& view = views_[&form];
    view = factory->second(form);
    return *view;
}

void QtUiServices::releaseViews() {
    views_.clear();
}

ModalResult QtUiServices::messageBox(const std::string& caption, const std::string& text,
                                     MessageIcon icon, const std::vector<MessageButton>& buttons) {
    QMessageBox box(qtIcon(icon), qtText(caption.empty() ? title_ : caption), qtText(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    std::vector<std::pair<QAbstractButton*, ModalResult>> choices;
    for (const MessageButton& button : buttons)
        choices.emplace_back(box.addButton(qtText(button.text), qtRole(button.result)),
                             button.result);
    if (choices.empty())
        choices.emplace_back(box.addButton(QMessageBox::Ok), ModalResult::Ok);
    box.setDefaultButton(qobject_cast<QPushButton*>(choices.front().first));
    for (const auto& [button, result] : choices)
        if (result == ModalResult::Cancel || result == ModalResult::No)
            box.setEscapeButton(button);
    if (boxObserver_)
        boxObserver_(box);
    box.exec();
    for (const auto& [button, result] : choices)
        if (box.clickedButton() == button)
            return result;
    return box.escapeButton() ? ModalResult::Cancel : choices.front().second;
}

void QtUiServices::setCursor(CursorShape shape) {
    if (shape == CursorShape::Hourglass) {
        if (QGuiApplication::overrideCursor())
            QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void QtUiServices::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUiServices::waitForEvents(int readFd) {
    if (readFd < 0 && timers_.empty()) {
        processEvents();
        return;
    }
    // The notifier wakes the wait when a byte arrives; the timers and user events wake it too.
    std::unique_ptr<QSocketNotifier> notifier;
    if (readFd >= 0)
        notifier = std::make_unique<QSocketNotifier>(readFd, QSocketNotifier::Read);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TimerId QtUiServices::startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) {
    auto* timer = new QTimer(&context_);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(interval);
    QObject::connect(timer, &QTimer::timeout, timer, std::move(onTick));
    const TimerId id = nextTimerId_++;
    timers_[id] = timer;
    timer->start();
    return id;
}

void QtUiServices::stopTimer(TimerId id) {
    auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    // The timer may be stopped from its own tick: delete it once that returns.
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
}

WatchId QtUiServices::watchDescriptor(int fd, std::function<void()> onReadable) {
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &context_);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, std::move(onReadable));
    const WatchId id = nextWatchId_++;
    watches_[id] = notifier;
    return id;
}

void QtUiServices::unwatchDescriptor(WatchId id) {
    auto found = watches_.find(id);
    if (found == watches_.end())
        return;
    // The watch may be ended from its own handler: delete it once that returns.
    found->second->setEnabled(false);
    found->second->deleteLater();
    watches_.erase(found);
}

std::optional<std::string> QtUiServices::saveFileDialog(const SaveFileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), qtText(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(qtNameFilters(request.filter));
    dialog.setDefaultSuffix(qtText(request.defaultExtension));
    if (!request.initialFileName.empty())
        dialog.selectFile(QFile::decodeName(request.initialFileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

ModalResult QtUiServices::showModal(Form& form) {
    auto* dialog = qobject_cast<QDialog*>(viewOf(form).widget());
    if (!dialog) {
        views_.erase(&form);
        throw std::logic_error("a modal form needs a dialog view");
    }
    form.Visible = true;
    form.changed();
    const int code = dialog->exec();
    form.Visible = false;
    views_.erase(&form);
    return code == QDialog::Accepted ? ModalResult::Ok : ModalResult::Cancel;
}

void QtUiServices::showForm(Form& form) {
    QtFormView& view = viewOf(form);
    form.Visible = true;
    form.changed();
    view.widget()->show();
    view.widget()->raise();
}

void QtUiServices::hideForm(Form& form) {
    form.Visible = false;
    auto found = views_.find(&form);
    if (found == views_.end())
        return;
    QWidget* widget = found->second->widget();
    if (auto* dialog = qobject_cast<QDialog*>(widget))
        dialog->done(QDialog::Accepted);
    else
        widget->close();
    if (transientTypes_.count(typeid(form)) == 0)
        return;
    // Hiding may come from the view's own key or close handler: the view goes once that returns.
    std::shared_ptr<QtFormView> view(std::move(found->second));
    views_.erase(found);
    view->detach();
    QTimer::singleShot(0, &context_, [view] {});
}

void QtUiServices::setFormEnabled(Form& form, bool enabled) {
    form.Enabled = enabled;
    if (auto found = views_.find(&form); found != views_.end())
        found->second->widget()->setEnabled(enabled);
}

void QtUiServices::setApplicationTitle(const std::string& title) {
    title_ = title;
}

void QtUiServices::minimizeApplication() {
    for (auto& [form, view] : views_)
        if (view->widget()->isVisible())
            view->widget()->showMinimized();
}

void QtUiServices::restoreApplication() {
    for (auto& [form, view] : views_) {
        QWidget* widget = view->widget();
        if (widget->isMinimized()) {
            widget->showNormal();
            widget->activateWindow();
        }
    }
}

std::function<void()> QtUiServices::setActivationHandler(std::function<void()> handler) {
    auto previous = std::move(activationHandler_);
    activationHandler_ = std::move(handler);
    return previous;
}

Form* QtUiServices::foregroundForm() {
    QWidget* active = QApplication::activeWindow();
    for (auto& [form, view] : views_)
        if (active && view->widget() == active)
            return form;
    return nullptr;
}

void QtUiServices::setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(qtText(text));
}

} // namespace ovena
