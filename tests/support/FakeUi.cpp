#include "FakeUi.h"

#include "platform/Form.h"

#include <thread>

namespace ovena::test {

bool FakeUi::serviceUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

ModalResult FakeUi::messageBox(const std::string& caption, const std::string& text,
                               MessageIcon icon, const std::vector<MessageButton>& buttons) {
    ModalResult answer = buttons.empty() ? ModalResult::Ok : buttons.front().result;
    if (!boxAnswers.empty()) {
        answer = boxAnswers.front();
        boxAnswers.pop_front();
    }
    boxes.push_back({caption, text, icon, buttons, answer});
    return answer;
}

void FakeUi::processEvents() {
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents();
    loop.processEvents();
}

void FakeUi::waitForEvents(int readFd) {
    ++processEventsCalls;
    if (onProcessEvents)
        onProcessEvents();
    loop.waitForEvents(readFd);
}

std::optional<std::string> FakeUi::saveFileDialog(const SaveFileRequest& request) {
    saveRequests.push_back(request);
    if (saveDialogAnswers.empty())
        return std::nullopt;
    auto answer = saveDialogAnswers.front();
    saveDialogAnswers.pop_front();
    return answer;
}

ModalResult FakeUi::showModal(Form& form) {
    events.push_back("modal " + form.Caption);
    form.Visible = true;
    ModalResult result = onShowModal ? onShowModal(form) : ModalResult::Cancel;
    form.Visible = false;
    return result;
}

void FakeUi::showForm(Form& form) {
    events.push_back("show " + form.Caption);
    form.Visible = true;
}

void FakeUi::hideForm(Form& form) {
    events.push_back("hide " + form.Caption);
    form.Visible = false;
}

void FakeUi::setFormEnabled(Form& form, bool enabled) {
    events.push_back((enabled ? "enable " : "disable ") + form.Caption);
    form.Enabled = enabled;
}

std::function<void()> FakeUi::setActivationHandler(std::function<void()> handler) {
    auto previous = std::move(activationHandler_);
    activationHandler_ = std::move(handler);
    return previous;
}

void FakeUi::setClipboardText(const std::string& text) {
    clipboard = text;
    clipboardSet = true;
}

void FakeUi::activate() {
    if (activationHandler_)
        activationHandler_();
}

} // namespace ovena::test
