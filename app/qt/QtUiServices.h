#pragma once

#include "app/qt/QtFormView.h"
#include "platform/UiServices.h"

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <typeindex>

class QMessageBox;
class QSocketNotifier;
class QTimer;

namespace ovena {

// The user-interface services of the desktop program, with Qt Widgets. Forms are shown through
// views made by factories registered per form type; a form's view is made when the form is
// first shown and kept while it is shown modelessly, and a modal form's view lives for one
// showing.
class QtUiServices : public UiServices {
public:
    using ViewFactory = std::function<std::unique_ptr<QtFormView>(Form&)>;

    QtUiServices();
    ~QtUiServices() override;

    template <class FormType, class ViewType> void registerView() {
        registerView(typeid(FormType), [this](Form& form) -> std::unique_ptr<QtFormView> {
            return std::make_unique<ViewType>(static_cast<FormType&>(form), *this);
        });
    }
    // A form made for one use (the export's progress window) loses its view when it is hidden,
    // as it may die right after.
    template <class FormType, class ViewType> void registerTransientView() {
        registerView<FormType, ViewType>();
        transientTypes_.insert(typeid(FormType));
    }
    void registerView(std::type_index formType, ViewFactory factory);
    // The form's view, made on first use. Throws std::logic_error for a form type without a
    // registered view.
    QtFormView& viewOf(Form& form);
    // Drops every view; call before the forms die.
    void releaseViews();

    // Called with every message box once it is made, just before it waits for the user.
    void setMessageBoxObserver(std::function<void(QMessageBox&)> observer) {
        boxObserver_ = std::move(observer);
    }

    ModalResult messageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                           const std::vector<MessageButton>& buttons) override;
    void setCursor(CursorShape shape) override;
    void processEvents() override;
    void waitForEvents(int readFd) override;
    TimerId startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    void stopTimer(TimerId id) override;
    WatchId watchDescriptor(int fd, std::function<void()> onReadable) override;
    void unwatchDescriptor(WatchId id) override;
    std::optional<std::string> saveFileDialog(const SaveFileRequest& request) override;
    ModalResult showModal(Form& form) override;
    void showForm(Form& form) override;
    void hideForm(Form& form) override;
    void setFormEnabled(Form& form, bool enabled) override;
    void setApplicationTitle(const std::string& title) override;
    void minimizeApplication() override;
    void restoreApplication() override;
    std::function<void()> setActivationHandler(std::function<void()> handler) override;
    Form* foregroundForm() override;
    void setClipboardText(const std::string& text) override;

private:
    std::map<std::type_index, ViewFactory> factories_;
    std::map<Form*, std::unique_ptr<QtFormView>> views_;
    std::set<std::type_index> transientTypes_;
    std::map<TimerId, QTimer*> timers_;
    TimerId nextTimerId_ = 1;
    std::map<WatchId, QSocketNotifier*> watches_;
    WatchId nextWatchId_ = 1;
    std::function<void()> activationHandler_;
    std::function<void(QMessageBox&)> boxObserver_;
    std::string title_;
    // Parent of the timers and receiver of the application's signals.
    QObject context_;
};

} // namespace ovena
