#pragma once

#include "app/About.h"
#include "app/FormArchive.h"
#include "app/MInfo.h"
#include "app/TDAMain.h"
#include "link/komm.h"

namespace ovena {

// The program's long-lived forms, created in the program's order: the main window (with the
// instrument session), the progress dialog, the info box, the hidden communication form and the
// archive window (opened from the main window's command bar, following the session), then the
// main window's FormCreate (the communication form runs its
// own as it is made). The desktop program, ovena-cli and the tests all start the program this
// way.
class OvenaForms {
public:
    OvenaForms(UiServices& ui, Shell& shell, SettingsStore& store);

    TFormMain FormMain;
    TFormMInfo FormMInfo;
    TAboutBox AboutBox;
    TFormKomm FormKomm;
    TFormArchive FormArchive;
};

} // namespace ovena
