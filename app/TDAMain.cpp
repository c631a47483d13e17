#include "TDAMain.h"

#include "app/ProgramFile.h"
#include "link/Funcs.h"
#include "link/Serobj.h"
#include "link/Tools.h"
#include "link/komm.h"
#include "platform/PortMap.h"

#include <charconv>
#include <iostream>

namespace ovena {

namespace {

constexpr const char* SettingsKey = "Software\\TEV\\Ovena\\Settings";
constexpr const char* FieldsKey = "\\Software\\TEV\\Ovena\\Fields";
constexpr const char* GroupBox2TagName = "GroupBox2_Tag";
constexpr int PortMax = 99;

std::string fieldValueName(int field) {
    return "OVENA\\FIELDS\\FIELD" + IntToZeroText(field, 2);
}

// A stored decimal text; no value when the text is not entirely a number.
std::optional<int> parseDecimal(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

TFormMain::TFormMain(UiServices& ui, Shell& shell, SettingsStore& store, TFormKomm& komm)
    : ui_(ui), shell_(shell), store_(store), komm_(komm) {
    Caption = "TEV OVENA";
    ClientWidth = 611;
    ClientHeight = 380;

    DataExportSection = {"Data Export",
                         {"With the data export function you will receive the data stored in the ",
                          "TEV640. The used comport and dataformat details are in the ",
                          "configuration section.",
                          "You can repeat these function until the data memory in TEV 640 is "
                          "cleared.",
                          "After the data export you will get a dialog to select the dataformat "
                          "and ",
                          "destination software."}};
    InfoSection = {"Info",
                   {"With the Info function you will get information about the program ",
                    "version of the TEV 640 and TEV 640 database counters."}};
    ClearSection = {"Clear memory",
                    {"ATTENTION!!! ", "With this function you clear the TEV 640 data memory."}};

    StringGrid1.DefaultColWidth = 40;
    StringGrid1.DefaultRowHeight = 14;
    StringGrid1.FixedCols = 0;
    StringGrid1.FixedRows = 1;
    for (int col = 0; col < StringGrid1.ColCount(); ++col)
        StringGrid1.SetColWidth(col, StringGrid1.DefaultColWidth);
    Memo1.Visible = false;
    Listboxfields.Checked.fill(true);
    SetProcedures(nullptr);
}

TFormMain::~TFormMain() {
    // A window that was shown but never closed properly still keeps its settings.
    if (shown_ && !settingsSaved_)
        SaveStoredSettings();
}

void TFormMain::SetProcedures(InstrumentProcedures* procedures) {
    procedures_ = procedures;
    BtExecuteExport.Enabled = BtInfo.Enabled = RxSpeedButton1.Enabled = procedures != nullptr;
    changed();
}

void TFormMain::Show() {
    RestoreStoredSettings();
    FormShow();
    shown_ = true;
    ui_.showForm(*this);
}

void TFormMain::Close() {
    FormClose();
    SaveStoredSettings();
    ui_.hideForm(*this);
}

void TFormMain::FormCreate() {
    ConfigVisited = false;
    InstrumentSerial.clear();
    ProgramDir = directoryOf(programFilePath());
    TabsVisible = false;
    ActivePage = TabSheet::TabIntro;
    LoadFieldSelection();
    changed();
}

void TFormMain::FormShow() {
    Caption = "Halvor Saefty TEV   .   OVENA  2.2,002";
    PortButtons.clear();
    TSerial probe;
    for (int n = 1; n <= PortMax; ++n) {
        probe.ComNr = n;
        if (!probe.Exists())
            continue;
        RadioButton button;
        button.Name = "RB_" + IntToZeroText(n, 2);
        button.Caption = "COM" + std::to_string(n);
        button.Hint = deviceForPort(n);
        button.Left = 16;
        button.Top = 20 + 20 * static_cast<int>(PortButtons.size());
        button.Tag = n;
        button.Checked = n == GroupBox2.Tag;
        button.Visible = true;
        PortButtons.push_back(std::move(button));
    }
    SelectPort();
    changed();
}

void TFormMain::FormClose() {
    saveFieldSelectionIfVisited();
}

void TFormMain::BtExecuteExportClick() {
    if (!procedures_)
        return;
    procedures_->ClearTable();
    procedures_->ReadInstrument();
}

void TFormMain::BtInfoClick() {
    if (procedures_)
        procedures_->ShowInstrumentInfo();
}

void TFormMain::RxSpeedButton1Click() {
    if (procedures_)
        procedures_->ClearInstrumentMemory();
}

void TFormMain::SpItReaddataClick() {
    saveFieldSelectionIfVisited();
    ActivePage = TabSheet::TabTEV640;
    changed();
}

void TFormMain::BtKonfigClick() {
    ActivePage = TabSheet::TabKonfig;
    SelectPort();
    ConfigVisited = true;
    changed();
}

void TFormMain::BtHelpClick() {
    saveFieldSelectionIfVisited();
    OpenHelp();
}

void TFormMain::btCloseClick() {
    saveFieldSelectionIfVisited();
    SelectPort();
    Close();
}

void TFormMain::PortButtonClick(std::size_t index) {
    if (index >= PortButtons.size())
        return;
    for (std::size_t i = 0; i < PortButtons.size(); ++i)
        PortButtons[i].Checked = i == index;
    changed();
}

void TFormMain::SelectPort() {
    int port = 1;
    for (const RadioButton& button : PortButtons) {
        if (button.Checked) {
            port = button.Tag;
            GroupBox2.Tag = port;
            break;
        }
        GroupBox2.Tag = 1;
    }
    if (port < 1 || port > PortMax) {
        ErrorBox(ui_, "Comport not available");
        return;
    }
    komm_.Port = port;
}

void TFormMain::OpenHelp() {
    HourglassCursor hourglass(ui_);
    OpenDocument(ui_, shell_, ProgramDir + "Ovena Help.pdf");
}

void TFormMain::LoadFieldSelection() {
    store_.createKey(FieldsKey);
    for (int i = 0; i < FieldCountMax; ++i) {
        if (auto value = store_.readInteger(FieldsKey, fieldValueName(i)))
            Listboxfields.Checked[static_cast<std::size_t>(i)] = *value != 0;
    }
}

void TFormMain::SaveFieldSelection() {
    for (int i = 0; i < FieldCountMax; ++i)
        store_.writeInteger(FieldsKey, fieldValueName(i),
                            Listboxfields.Checked[static_cast<std::size_t>(i)] ? 1 : 0);
    persistStore();
}

void TFormMain::RestoreStoredSettings() {
    if (auto text = store_.readString(SettingsKey, GroupBox2TagName))
        if (auto tag = parseDecimal(*text))
            GroupBox2.Tag = *tag;
    changed();
}

void TFormMain::SaveStoredSettings() {
    store_.writeString(SettingsKey, GroupBox2TagName, std::to_string(GroupBox2.Tag));
    persistStore();
    settingsSaved_ = true;
}

void TFormMain::saveFieldSelectionIfVisited() {
    if (!ConfigVisited)
        return;
    SaveFieldSelection();
    ConfigVisited = false;
}

void TFormMain::persistStore() {
    std::string error;
    if (!store_.save(&error))
        std::cerr << "ovena: " << error << '\n';
}

} // namespace ovena
