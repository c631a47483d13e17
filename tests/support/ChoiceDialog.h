#pragma once

// For the test programs that link the export component.

#include "export/EC_Choice.h"

#include <algorithm>
#include <string>

namespace ovena::test {

// Answers the export's choice dialog as a user does: the format of this display name, "Export
// to File", OK.
inline ModalResult chooseFileExport(TExportChoiceForm& dialog, const std::string& displayName) {
    const auto& items = dialog.ExportTypeComboBox.Items;
    const auto found = std::find(items.begin(), items.end(), displayName);
    dialog.ExportTypeComboBox.ItemIndex = static_cast<int>(found - items.begin());
    dialog.ExportTypeComboBoxChange();
    dialog.FileRadioButtonClick();
    dialog.OKBtnClick();
    return dialog.Result;
}

} // namespace ovena::test
