#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ovena {

class Form;

// Results of modal boxes and dialogs, with the numbering of the original toolkit.
enum class ModalResult { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

enum class MessageIcon { None, Information, Warning, Error, Question };

// One button of a message box: the result it gives and its text (Windows-1252, "&" marks the
// accelerator, as in "&Ja").
struct MessageButton {
    ModalResult result;
    std::string text;
};

// The save-file dialog's request. Texts are Windows-1252; the filter uses the
// "Description|pattern|Description|pattern" form.
struct SaveFileRequest {
    std::string title;
    std::string filter;
    std::string defaultExtension;
    std::string initialFileName;
    bool confirmOverwrite = true;
    bool hideReadOnly = true;
    bool pathMustExist = true;
};

enum class CursorShape { Default, Hourglass };

using TimerId = int;
using WatchId = int;

// Everything the program's logic needs of the user interface. The desktop program implements it
// with Qt, ovena-cli with the terminal, the tests with a scripted fake. All calls happen on the
// one user-interface thread. Texts crossing this interface are Windows-1252 bytes; file paths
// are the file system's own bytes.
class UiServices {
public:
    virtual ~UiServices() = default;

    // Modal message box with a caption, an icon, one text and the given buttons (the first one
    // is the default). Answers the result of the button chosen.
    virtual ModalResult messageBox(const std::string& caption, const std::string& text,
                                   MessageIcon icon, const std::vector<MessageButton>& buttons) = 0;

    virtual void setCursor(CursorShape shape) = 0;

    // Services the event queue once: runs what is pending and returns without waiting.
    virtual void processEvents() = 0;
    // Services the event queue once, first waiting until `readFd` is readable (when it is not
    // negative), a timer is due or a user event arrives. Never waits longer than the time to the
    // next timer; with no timer running and no descriptor it does not wait.
    virtual void waitForEvents(int readFd) = 0;

    // A timer that calls `onTick` every `interval` while the event queue is serviced.
    virtual TimerId startTimer(std::chrono::milliseconds interval,
                               std::function<void()> onTick) = 0;
    virtual void stopTimer(TimerId id) = 0;

    // Calls `onReadable` whenever `fd` is readable while the event queue is serviced, until the
    // watch is ended: for descriptors that announce changes, such as an inotify watch.
    virtual WatchId watchDescriptor(int fd, std::function<void()> onReadable) = 0;
    virtual void unwatchDescriptor(WatchId id) = 0;

    // The save-file dialog; no value when the user cancels.
    virtual std::optional<std::string> saveFileDialog(const SaveFileRequest& request) = 0;

    // Forms: showing a form modally runs until the form closes and answers its result.
    virtual ModalResult showModal(Form& form) = 0;
    virtual void showForm(Form& form) = 0;
    virtual void hideForm(Form& form) = 0;
    virtual void setFormEnabled(Form& form, bool enabled) = 0;

    // The application as a whole.
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual void minimizeApplication() = 0;
    virtual void restoreApplication() = 0;
    // Installs the handler called whenever the application is activated; answers the handler
    // that was installed before.
    virtual std::function<void()> setActivationHandler(std::function<void()> handler) = 0;
    // The form that has the keyboard focus now, or none when another program is in front.
    virtual Form* foregroundForm() = 0;

    // Replaces the clipboard contents with plain text.
    virtual void setClipboardText(const std::string& text) = 0;
};

// Shows the hourglass while it lives and restores the default cursor on every path out.
class HourglassCursor {
public:
    explicit HourglassCursor(UiServices& ui) : ui_(ui) { ui_.setCursor(CursorShape::Hourglass); }
    ~HourglassCursor() { ui_.setCursor(CursorShape::Default); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    UiServices& ui_;
};

} // namespace ovena
