#pragma once

#include "platform/UiServices.h"

#include <string>

namespace ovena {

class Shell;

// The standard message boxes of the instrument side, with German captions and buttons.
// "Best\xE4tigen" with "&Ja" and "&Nein": true when the user chose "&Ja".
bool ConfirmBox(UiServices& ui, const std::string& text);
// "Fehler" with one "OK" button.
void ErrorBox(UiServices& ui, const std::string& text);
// "Information" with one "OK" button; answers the button chosen.
ModalResult InfoBox(UiServices& ui, const std::string& text);

// The German text for a failed shell request (codes up to 32); empty above 32.
std::string ShellErrorText(int code);

// The name of the help document, the one document the program opens.
inline constexpr const char* HelpDocumentName = "Ovena Help.PDF";

// Opens a document in its associated application. On failure shows the shell's error text and
// the help document's name in an information box and answers false.
bool OpenDocument(UiServices& ui, Shell& shell, const std::string& path);

} // namespace ovena
