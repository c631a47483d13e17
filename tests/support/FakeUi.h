#pragma once

#include "platform/PollEventLoop.h"
#include "platform/UiServices.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ovena::test {

// A scripted UiServices for tests: records every box, cursor change, dialog and form action,
// answers as told, and runs a real event loop (PollEventLoop) so timers and waits on a
// descriptor behave as in the programs.
class FakeUi : public UiServices {
public:
    struct ShownBox {
        std::string caption;
        std::string text;
        MessageIcon icon;
        std::vector<MessageButton> buttons;
        ModalResult answer;
    };

    // What the user does, queued in order. A box without a queued answer takes its first button.
    std::deque<ModalResult> boxAnswers;
    std::deque<std::optional<std::string>> saveDialogAnswers; // empty deque: cancel
    // Called for showModal; answers the result. Without it, showModal answers Cancel.
    std::function<ModalResult(Form&)> onShowModal;
    // Called on every service of the event queue (user events arriving during a wait).
    std::function<void()> onProcessEvents;

    // What happened.
    std::vector<ShownBox> boxes;
    std::vector<CursorShape> cursors;
    std::vector<SaveFileRequest> saveRequests;
    std::vector<std::string> events; // "show <caption>", "hide <caption>", "minimize", ...
    std::string clipboard;
    bool clipboardSet = false;
    std::string applicationTitle;
    Form* foreground = nullptr;
    int processEventsCalls = 0;

    CursorShape cursor() const { return cursors.empty() ? CursorShape::Default : cursors.back(); }

    ModalResult messageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                           const std::vector<MessageButton>& buttons) override;
    void setCursor(CursorShape shape) override { cursors.push_back(shape); }
    void processEvents() override;
    void waitForEvents(int readFd) override;
    TimerId startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override {
        return loop.startTimer(interval, std::move(onTick));
    }
    void stopTimer(TimerId id) override { loop.stopTimer(id); }
    WatchId watchDescriptor(int fd, std::function<void()> onReadable) override {
        return loop.watchDescriptor(fd, std::move(onReadable));
    }
    void unwatchDescriptor(WatchId id) override { loop.unwatchDescriptor(id); }
    std::optional<std::string> saveFileDialog(const SaveFileRequest& request) override;
    ModalResult showModal(Form& form) override;
    void showForm(Form& form) override;
    void hideForm(Form& form) override;
    void setFormEnabled(Form& form, bool enabled) override;
    void setApplicationTitle(const std::string& title) override { applicationTitle = title; }
    void minimizeApplication() override { events.push_back("minimize"); }
    void restoreApplication() override { events.push_back("restore"); }
    std::function<void()> setActivationHandler(std::function<void()> handler) override;
    Form* foregroundForm() override { return foreground; }
    void setClipboardText(const std::string& text) override;

    // Simulates the user switching back to the application.
    void activate();
    // Services the event queue as an idle window does until `done` holds; false when it still
    // does not after `limit`.
    bool serviceUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(20));

    PollEventLoop loop;

private:
    std::function<void()> activationHandler_;
};

} // namespace ovena::test
