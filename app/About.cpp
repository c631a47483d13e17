#include "About.h"

namespace ovena {

TAboutBox::TAboutBox(UiServices& ui) : ui_(ui) {
    Caption = "Info";
    ClientWidth = 356;
    ClientHeight = 287;
}

void TAboutBox::SetInfo(const std::vector<std::string>& lines, const std::string& caption) {
    Label1.Caption = caption;
    pendingLines_ = lines;
    changed();
}

ModalResult TAboutBox::ShowModal() {
    CloseResult = ModalResult::None;
    FormShow();
    ModalResult result = ui_.showModal(*this);
    if (CloseResult == ModalResult::None)
        CloseResult = result;
    return CloseResult;
}

void TAboutBox::FormShow() {
    ListBox.Items.insert(ListBox.Items.end(), pendingLines_.rbegin(), pendingLines_.rend());
    pendingLines_.clear();
    changed();
}

void TAboutBox::BitBtn1Click() {
    CloseResult = ModalResult::Ok;
    ui_.hideForm(*this);
}

} // namespace ovena
