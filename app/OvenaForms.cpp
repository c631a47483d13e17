#include "OvenaForms.h"

namespace ovena {

// FormMain only keeps references to FormMInfo and FormKomm, created after it. TFormKomm runs its
// own FormCreate when it is constructed; no step of the main window's depends on it.
OvenaForms::OvenaForms(UiServices& ui, Shell& shell, SettingsStore& store)
    : FormMain(ui, shell, store, FormKomm, FormMInfo), FormMInfo(ui), AboutBox(ui), FormKomm(ui),
      FormArchive(ui, store, FormMain) {
    FormMain.ArchiveWindow = &FormArchive;
    FormMain.FormCreate();
}

} // namespace ovena
