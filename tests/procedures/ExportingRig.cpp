#include "ExportingRig.h"

#include "export/EC_Choice.h"

#include <algorithm>

namespace ovena::test {

ExportingRig::ExportingRig(const LocaleSettings& locale) : services{rig.ui, shell, store, locale} {}

void ExportingRig::chooseFile(const std::string& displayName) {
    rig.ui.onShowModal = [this, displayName](Form& form) {
        auto& dialog = dynamic_cast<TExportChoiceForm&>(form);
        offered = dialog.ExportTypeComboBox.Items;
        preselected = offered.at(static_cast<std::size_t>(dialog.ExportTypeComboBox.ItemIndex));
        const auto found = std::find(offered.begin(), offered.end(), displayName);
        dialog.ExportTypeComboBox.ItemIndex = static_cast<int>(found - offered.begin());
        dialog.ExportTypeComboBoxChange();
        dialog.FileRadioButtonClick();
        dialog.OKBtnClick();
        return dialog.Result;
    };
}

} // namespace ovena::test
