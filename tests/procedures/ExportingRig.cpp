#include "ExportingRig.h"

#include "export/EC_Choice.h"
#include "support/ChoiceDialog.h"

#include <algorithm>

namespace ovena::test {

ExportingRig::ExportingRig(const LocaleSettings& locale) : services{rig.ui, shell, store, locale} {}

void ExportingRig::chooseFile(const std::string& displayName) {
    rig.ui.onShowModal = [this, displayName](Form& form) {
        auto& dialog = dynamic_cast<TExportChoiceForm&>(form);
        offered = dialog.ExportTypeComboBox.Items;
        preselected = offered.at(static_cast<std::size_t>(dialog.ExportTypeComboBox.ItemIndex));
        return chooseFileExport(dialog, displayName);
    };
}

} // namespace ovena::test
