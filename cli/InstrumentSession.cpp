#include "cli/InstrumentSession.h"

#include "export/EC_Choice.h"
#include "platform/Cp1252.h"
#include "session/Settings.h"
#include "table/SettingsPersistence.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <unistd.h>

namespace ovena::cli {

namespace {

bool offers(const std::vector<MessageButton>& buttons, ModalResult result) {
    return std::any_of(buttons.begin(), buttons.end(),
                       [&](const MessageButton& b) { return b.result == result; });
}

// Asks on the terminal; anything but an answer starting with "j" or "y" is a no.
bool askOnTerminal(const std::string& caption, const std::string& text) {
    std::cerr << cp1252ToUtf8(caption) << ": " << cp1252ToUtf8(text) << " [j/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return !answer.empty() &&
           (answer[0] == 'j' || answer[0] == 'J' || answer[0] == 'y' || answer[0] == 'Y');
}

// A text of the line as a terminal can show it: control bytes as \r, \n or \xNN, the rest
// converted from Windows-1252.
std::string visibleText(const std::string& bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else
            shown += cp1252ToUtf8(std::string_view(&c, 1));
    }
    return shown;
}

} // namespace

ModalResult InstrumentUi::messageBox(const std::string& caption, const std::string& text,
                                     MessageIcon icon, const std::vector<MessageButton>& buttons) {
    // The window's message names the port only; on the terminal the reason and what to do
    // follow it.
    if (port && text.starts_with(TFormKomm::InitErrorText) && !port->FailReason.empty())
        return TerminalUi::messageBox(caption, text + ": " + utf8ToCp1252(port->FailReason), icon,
                                      buttons);
    if (!offers(buttons, ModalResult::Yes) || !offers(buttons, ModalResult::No))
        return TerminalUi::messageBox(caption, text, icon, buttons);
    if (assumeYes) {
        std::cerr << cp1252ToUtf8(caption) << ": " << cp1252ToUtf8(text) << " &Ja\n";
        return ModalResult::Yes;
    }
    if (isatty(STDIN_FILENO) && askOnTerminal(caption, text))
        return ModalResult::Yes;
    declined = true;
    return ModalResult::No;
}

ModalResult InstrumentUi::showModal(Form& form) {
    auto* dialog = dynamic_cast<TExportChoiceForm*>(&form);
    if (!dialog || !chosenType)
        return TerminalUi::showModal(form);
    auto& items = dialog->ExportTypeComboBox.Items;
    const auto found = std::find(items.begin(), items.end(), DisplayName(*chosenType));
    if (found == items.end())
        return TerminalUi::showModal(form);
    dialog->ExportTypeComboBox.ItemIndex = static_cast<int>(found - items.begin());
    dialog->ExportTypeComboBoxChange();
    if (*chosenType == TExportType::xClipboard)
        dialog->ViewRadioButtonClick();
    else
        dialog->FileRadioButtonClick();
    dialog->OKBtnClick();
    return dialog->Result;
}

ExportSession::ExportSession()
    : store(loadSettings("ovena-cli")), services{ui, shell, store, localeSettings(store)},
      mainExport(services, nullptr, grid) {
    WindowPlacement placement;
    ReadStoredSettings(store, settings, placement);
    LoadFieldSelection(store, settings.Listboxfields);
}

void ExportSession::prepare(const TableExportFlags& flags) {
    flags.settings.apply(settings);
    ui.chosenType = flags.type();
    ui.saveFileName = flags.output;
}

InstrumentTerminal::InstrumentTerminal(const std::string& archiveFile)
    : komm(ui), progress(std::cerr, isatty(STDERR_FILENO) != 0),
      session(ui, store, settings, komm, progress, mainExport,
              {[this] { return chosenPort(); },
               [](const std::vector<std::string>& lines, const std::string&) {
                   // Top to bottom as the info box shows them: the last line first.
                   for (auto line = lines.rbegin(); line != lines.rend(); ++line)
                       std::cout << cp1252ToUtf8(*line) << '\n';
                   std::cout << std::flush;
               }},
              {.ArchiveFile = archiveFile, .SyncAfterReadout = false}) {
    ui.port = &komm.Serial;
}

void InstrumentTerminal::traceExchange() {
    const auto start = std::chrono::steady_clock::now();
    komm.Trace = [start](const std::string& line) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::cerr << std::fixed << std::setprecision(3) << std::setw(8) << elapsed.count() << ' '
                  << line.substr(0, 1) << ' ' << visibleText(line.substr(1)) << '\n';
    };
}

// The port stored by the window (GroupBox2_Tag) or given on the command line; a store that
// never had one uses port 1, as the window does when no port button is selected.
int InstrumentTerminal::chosenPort() const {
    return settings.GroupBox2.Tag == 0 ? 1 : settings.GroupBox2.Tag;
}

} // namespace ovena::cli
