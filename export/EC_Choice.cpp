#include "EC_Choice.h"

#include "platform/Shell.h"

#include <charconv>

namespace ovena {

namespace {
// The icon of the clipboard entry: the icon theme's paste icon.
constexpr const char* ClipboardIcon = "edit-paste";
} // namespace

TExportChoiceForm::TExportChoiceForm(TExportXComponent& component) : component_(component) {
    ClientWidth = 400;
    ClientHeight = 125;
    GroupBox1 = "Please choose an Export Format ";
    ViewRadioButton.Caption = "&View on Screen";
    ViewRadioButton.Checked = true;
    FileRadioButton.Caption = "Export to &File";
    OKBtn = {"&Ok", true, false};
    CancelBtn = {"&Cancel", false, true};
    ViewChoice = true;
}

void TExportChoiceForm::FormShow() {
    Caption = ItemCount > 0 ? "Export " + std::to_string(ItemCount) + " Items" : "Export Items";
    const std::string& wanted = DisplayName(ChosenType);
    ExportTypeComboBox.ItemIndex = ExportTypeComboBox.Items.empty() ? -1 : 0;
    for (std::size_t i = 0; i < ExportTypeComboBox.Items.size(); ++i)
        if (ExportTypeComboBox.Items[i] == wanted) {
            ExportTypeComboBox.ItemIndex = static_cast<int>(i);
            break;
        }
    ExportTypeComboBoxChange();
}

TExportType TExportChoiceForm::selectedType() const {
    const int i = ExportTypeComboBox.ItemIndex;
    if (i < 0 || i >= static_cast<int>(ExportTypeComboBox.Items.size()))
        return TypeFromDisplayName("");
    return TypeFromDisplayName(ExportTypeComboBox.Items[static_cast<std::size_t>(i)]);
}

void TExportChoiceForm::ExportTypeComboBoxChange() {
    const TExportType t = selectedType();
    const bool clipboard = t == TExportType::xClipboard;
    FileRadioButton.Enabled = !clipboard;
    ViewRadioButton.Enabled = FileRadioButton.Enabled && component_.CanView(t);
    if (ViewRadioButton.Enabled || clipboard) {
        ViewRadioButtonClick();
        if (clipboard)
            showIcon(ImageState{ClipboardIcon, 0});
        else
            showIcon(defaultIconForExtension(component_.Services().shell,
                                             std::string(DefaultExtension(t))));
    } else {
        FileRadioButtonClick();
        showIcon(std::nullopt);
    }
    changed();
}

void TExportChoiceForm::ViewRadioButtonClick() {
    ViewRadioButton.Checked = true;
    FileRadioButton.Checked = false;
    ViewChoice = true;
    changed();
}

void TExportChoiceForm::FileRadioButtonClick() {
    ViewRadioButton.Checked = false;
    FileRadioButton.Checked = true;
    ViewChoice = false;
    changed();
}

void TExportChoiceForm::OKBtnClick() {
    ChosenType = selectedType();
    Result = ModalResult::Ok;
}

void TExportChoiceForm::CancelBtnClick() {
    Result = ModalResult::Cancel;
}

void TExportChoiceForm::showIcon(std::optional<ImageState> icon) {
    Image1 = icon.value_or(ImageState{});
}

std::optional<TExportChoiceForm::ImageState> defaultIconForExtension(Shell& shell,
                                                                     const std::string& extension) {
    const auto fileType = shell.fileTypeForExtension(extension);
    if (!fileType)
        return std::nullopt;
    const auto value = shell.defaultIcon(*fileType);
    if (!value)
        return std::nullopt;
    const std::size_t comma = value->find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    const std::string_view index = std::string_view(*value).substr(comma + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(index.data(), index.data() + index.size(), number);
    if (error != std::errc() || end != index.data() + index.size() || index.empty())
        return std::nullopt;
    if (comma == 0)
        return std::nullopt;
    return TExportChoiceForm::ImageState{value->substr(0, comma), number};
}

} // namespace ovena
