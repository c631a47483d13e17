#include "link/Tools.h"

#include "link/Funcs.h"
#include "platform/Shell.h"

namespace ovena {

bool ConfirmBox(UiServices& ui, const std::string& text) {
    return ui.messageBox("Best\xE4tigen", text, MessageIcon::Question,
                         {{ModalResult::Yes, "&Ja"}, {ModalResult::No, "&Nein"}}) ==
           ModalResult::Yes;
}

void ErrorBox(UiServices& ui, const std::string& text) {
    ui.messageBox("Fehler", text, MessageIcon::Error, {{ModalResult::Ok, "OK"}});
}

ModalResult InfoBox(UiServices& ui, const std::string& text) {
    return ui.messageBox("Information", text, MessageIcon::Information, {{ModalResult::Ok, "OK"}});
}

std::string ShellErrorText(int code) {
    switch (code) {
    case 0:
        return "Zuwenig Speicher, Anwendung zerst\xF6rt oder Relokationswerte ung\xFCltig";
    case 2:
        return "Anwendung nicht gefunden";
    case 3:
        return "Verzeichnis nicht gefunden.";
    case 5:
        return "Gescheiterter dynamischer Link";
    case 6:
        return "Bibliothek forderte separate Datensegmente f\xFCr jede Task an.";
    case 8:
        return "Zuwenig Speicher, um die Anwendung zu starten.";
    case 10:
        return "Falsche Windows-Version.";
    case 11:
        return "Ung\xFCltige ausf\xFChrbare Anwendnung.";
    case 12:
        return "Anwendung f\xFCr ein anderes Betriebssystem.";
    case 13:
        return "Anwendung f\xFCr MS-DOS 4.0.";
    case 14:
        return "Typ der ausf\xFChrbaren Datei unbekannt.";
    case 15:
        return "Versuch, eine Real-Mode-Anwendung (fr\xFChere Windows-Version) zu laden.";
    case 16:
        return "Versuch, eine zweite Instanz zu laden.";
    case 19:
        return "Versuch, eine komprimierte ausf\xFChrbare Datei zu laden.";
    case 20:
        return "Ung\xFCltige dynamische Linkbibliothek (DLL).";
    case 21:
        return "Anwendung ben\xF6tigt Windows-32-Bit-Erweiterungen.";
    default:
        return code > 32 ? std::string() : "Ausf\xFChrungsfehler " + IntToText(code, 0);
    }
}

bool OpenDocument(UiServices& ui, Shell& shell, const std::string& path) {
    const int result = shell.openDocument(path);
    if (result > 32)
        return true;
    InfoBox(ui, ShellErrorText(result) + "  \"" + HelpDocumentName + "\"");
    return false;
}

} // namespace ovena
