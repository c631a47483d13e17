#include "OvenaForms.h"

namespace ovena {

// FormMain only keeps a reference to FormKomm, which is created after it. TFormKomm runs its
// own FormCreate when it is constructed; no step of the main window's depends on it.
OvenaForms::OvenaForms(UiServices& ui, Shell& shell, SettingsStore& store)
    : FormMain(ui, shell, store, FormKomm), FormMInfo(ui), AboutBox(ui), FormKomm(ui) {
    FormMain.FormCreate();
}

} // namespace ovena
