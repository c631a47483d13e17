#pragma once

#include "EC_Main.h"

#include "platform/Form.h"
#include "platform/UiServices.h"

#include <optional>
#include <string>
#include <vector>

namespace ovena {

// The dialog that asks for the format of an export and whether to view the result on screen
// or to write a file. It shows the icon of the application that would open the format.
class TExportChoiceForm : public Form {
public:
    struct ComboBoxState {
        std::vector<std::string> Items;
        int ItemIndex = -1;
        int DropDownCount = 10;
    };
    struct RadioButtonState {
        std::string Caption;
        bool Checked = false;
        bool Enabled = true;
    };
    struct ButtonState {
        std::string Caption;
        bool Default = false;
        bool Cancel = false;
    };
    // The icon shown: a theme icon name or an icon file, and the index of the icon in it.
    // An empty name shows no icon.
    struct ImageState {
        std::string IconFile;
        int IconIndex = 0;
    };

    explicit TExportChoiceForm(TExportXComponent& component);

    // Dialog state handed in and out.
    int ItemCount = 0;
    TExportType ChosenType = TExportType::xMicrosoft_Excel;
    bool ViewChoice = true;
    ModalResult Result = ModalResult::None;

    std::string GroupBox1;
    ComboBoxState ExportTypeComboBox;
    RadioButtonState ViewRadioButton;
    RadioButtonState FileRadioButton;
    ImageState Image1;
    ButtonState OKBtn;
    ButtonState CancelBtn;

    // Handlers, called by the view.
    void FormShow();
    void ExportTypeComboBoxChange();
    void ViewRadioButtonClick();
    void FileRadioButtonClick();
    void OKBtnClick();
    void CancelBtnClick();

private:
    TExportType selectedType() const;
    void showIcon(std::optional<ImageState> icon);

    TExportXComponent& component_;
};

// The default icon of the file type registered for an extension: "file,index" split in two.
// None when the extension, its file type or the icon is unknown.
std::optional<TExportChoiceForm::ImageState> defaultIconForExtension(Shell& shell,
                                                                     const std::string& extension);

} // namespace ovena
