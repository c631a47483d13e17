#include "OvenaForms.h"

namespace ovena {

// FormMain only keeps references to FormMInfo and FormKomm, created after it. TFormKomm runs its
// own FormCreate when it is constructed; no step of the main window's depends on it.
OvenaForms::OvenaForms(UiServices& ui, Shell& shell, SettingsStore& store)
    : FormMain(ui, shell, store, FormKomm, FormMInfo), FormMInfo(ui), AboutBox(ui), FormKomm(ui),
      FormArchive(ui, store, FormMain.session()) {
    FormMain.OpenArchiveWindow = [this] { FormArchive.Open(); };
    FormMain.CloseOtherWindows = [this] {
        if (FormArchive.Visible)
            FormArchive.Close();
    };
    FormMain.FormCreate();
}

} // namespace ovena
