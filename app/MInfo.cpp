#include "MInfo.h"

namespace ovena {

TFormMInfo::TFormMInfo(UiServices& ui) : ui_(ui) {
    ClientWidth = 273;
    ClientHeight = 74;
}

void TFormMInfo::StartProgress(const std::string& title, bool cancellable) {
    BtAbbruch.Visible = cancellable;
    ClientHeight = cancellable ? CancellableHeight : PlainHeight;
    LabelInfo.Visible = true;
    Progress.Visible = false;
    LabelTitel.Caption = title;
    LabelInfo.Caption.clear();
    Labelinfo2.Caption.clear();
    changed();
    ui_.showForm(*this);
    ui_.processEvents();
    cancelled_ = false;
}

void TFormMInfo::ShowStatus(const std::string& text) {
    showIfHidden();
    LabelInfo.Caption = text;
    changed();
    ui_.processEvents();
}

void TFormMInfo::SetProgress(int position) {
    showIfHidden();
    Progress.Position = position;
    changed();
    ui_.processEvents();
}

void TFormMInfo::SetProgressMax(int maximum) {
    LabelInfo.Visible = false;
    Progress.Visible = true;
    Progress.Max = maximum;
    changed();
    ui_.processEvents();
}

void TFormMInfo::BtAbbruchClick() {
    cancelled_ = true;
    Close();
}

void TFormMInfo::Close() {
    if (Visible)
        ui_.hideForm(*this);
}

void TFormMInfo::showIfHidden() {
    if (!Visible)
        ui_.showForm(*this);
}

} // namespace ovena
