#include "TerminalUi.h"

#include "platform/Cp1252.h"
#include "platform/Form.h"

#include <algorithm>
#include <iostream>

namespace ovena::cli {

TerminalUi::TerminalUi() = default;

ModalResult TerminalUi::messageBox(const std::string& caption, const std::string& text, MessageIcon,
                                   const std::vector<MessageButton>& buttons) {
    std::cerr << cp1252ToUtf8(caption) << ": " << cp1252ToUtf8(text) << '\n';
    if (boxAnswer && std::any_of(buttons.begin(), buttons.end(),
                                 [&](const MessageButton& b) { return b.result == *boxAnswer; }))
        return *boxAnswer;
    return buttons.empty() ? ModalResult::Ok : buttons.front().result;
}

TimerId TerminalUi::startTimer(std::chrono::milliseconds interval, std::function<void()> onTick) {
    return loop_.startTimer(interval, std::move(onTick));
}

std::optional<std::string> TerminalUi::saveFileDialog(const SaveFileRequest& request) {
    if (!saveFileName)
        std::cerr << cp1252ToUtf8(request.title) << ": no file named on the command line\n";
    return saveFileName;
}

ModalResult TerminalUi::showModal(Form& form) {
    std::cerr << cp1252ToUtf8(form.Caption) << ": no dialogs on the command line\n";
    return ModalResult::Cancel;
}

void TerminalUi::showForm(Form& form) {
    form.Visible = true;
}

void TerminalUi::hideForm(Form& form) {
    form.Visible = false;
}

void TerminalUi::setFormEnabled(Form& form, bool enabled) {
    form.Enabled = enabled;
}

std::function<void()> TerminalUi::setActivationHandler(std::function<void()> handler) {
    std::swap(activationHandler_, handler);
    return handler;
}

void TerminalUi::setClipboardText(const std::string& text) {
    std::cout << text << std::flush;
}

} // namespace ovena::cli
