#pragma once

#include "platform/PollEventLoop.h"
#include "platform/UiServices.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace ovena::cli {

// The user interface of a program without a window: message boxes are printed to stderr and
// answered from the command line's flags, the save-file dialog answers the file named on the
// command line, forms are not drawn, and the clipboard text goes to stdout.
class TerminalUi : public UiServices {
public:
    TerminalUi();

    // The answer to every message box that offers it; otherwise the box's default button.
    std::optional<ModalResult> boxAnswer;
    // The answer of the save-file dialog; none cancels it.
    std::optional<std::string> saveFileName;

    ModalResult messageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                           const std::vector<MessageButton>& buttons) override;
    void setCursor(CursorShape) override {}
    void processEvents() override { loop_.processEvents(); }
    void waitForEvents(int readFd) override { loop_.waitForEvents(readFd); }
    TimerId startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) override;
    void stopTimer(TimerId id) override { loop_.stopTimer(id); }
    WatchId watchDescriptor(int fd, std::function<void()> onReadable) override {
        return loop_.watchDescriptor(fd, std::move(onReadable));
    }
    void unwatchDescriptor(WatchId id) override { loop_.unwatchDescriptor(id); }
    std::optional<std::string> saveFileDialog(const SaveFileRequest& request) override;
    ModalResult showModal(Form& form) override;
    void showForm(Form& form) override;
    void hideForm(Form& form) override;
    void setFormEnabled(Form& form, bool enabled) override;
    void setApplicationTitle(const std::string& title) override { title_ = title; }
    void minimizeApplication() override {}
    void restoreApplication() override {}
    std::function<void()> setActivationHandler(std::function<void()> handler) override;
    Form* foregroundForm() override { return nullptr; }
    void setClipboardText(const std::string& text) override;

private:
    PollEventLoop loop_;
    std::string title_;
    std::function<void()> activationHandler_;
};

} // namespace ovena::cli
