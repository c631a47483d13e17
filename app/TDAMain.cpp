#include "TDAMain.h"

#include "app/About.h"
#include "app/MInfo.h"
#include "app/ProgramFile.h"
#include "link/Funcs.h"
#include "link/PortAccess.h"
#include "link/Tools.h"
#include "link/komm.h"
#include "platform/PortWatch.h"
#include "platform/Version.h"
#include "table/TableBuilder.h"

#include <algorithm>
#include <iostream>

namespace ovena {

namespace {

// How long the port buttons wait after a change of the device folders before they are rebuilt:
// udev names and grants a new adapter in a few steps.
constexpr std::chrono::milliseconds PortSettleTime{200};

// The tooltip of a port button: the device of a free port, else why it cannot be chosen.
std::string portHint(const PortStatus& status) {
    switch (status.state) {
    case PortState::Present: {
        const std::string description = status.port ? status.port->description() : "";
        return description.empty() ? status.device : status.device + " (" + description + ")";
    }
    case PortState::Absent:
    case PortState::NotConnected:
        return "not connected";
    default:
        return reasonText(status);
    }
}

void reportStoreError(const std::string& error) {
    if (!error.empty())
        std::cerr << "ovena: " << error << '\n';
}

} // namespace

TFormMain::TFormMain(UiServices& ui, Shell& shell, SettingsStore& store, TFormKomm& komm,
                     TFormMInfo& progress)
    : ui_(ui), shell_(shell), store_(store), komm_(komm),
      progress_(progress), exportServices_{ui, shell, store, localeSettings(store)},
      Export(exportServices_, this, StringGrid1), FormStorage1(store, *this),
      session_(ui, store, *this, komm, progress, Export,
               {[this] { return ChosenPort(); },
                [this](const std::vector<std::string>& lines, const std::string& caption) {
                    showInfoBox(lines, caption);
                }},
               {.ArchiveFile = {}, .SyncAfterReadout = true}) {
    session_.OnBusy.Add([this](bool busy) { busyChanged(busy); });
    session_.OnReadoutEnded.Add([this] { showArchiveStatus(); });
    session_.OnServerChanged.Add([this] {
        showArchiveStatus();
        changed();
    });
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
    session_.Readout.Memo1.Visible = false;
}

// A window that was shown but never closed properly still keeps its settings: FormStorage1
// saves them as it goes.
TFormMain::~TFormMain() {
    watchPorts(false);
}

void TFormMain::Show() {
    FormStorage1.Restore();
    ApplyExportOptions(*this, Export.ExportStringGrid1);
    FormShow();
    ui_.showForm(*this);
}

void TFormMain::Close() {
    if (session_.Busy())
        return;
    session_.Sync().Cancel();
    watchPorts(false);
    FormClose();
    if (CloseOtherWindows)
        CloseOtherWindows();
    std::string error;
    FormStorage1.Placement.Visible = Visible;
    if (!FormStorage1.Save(&error))
        reportStoreError(error);
    ui_.hideForm(*this);
}

void TFormMain::FormCreate() {
    ConfigVisited = false;
    session_.Readout.InstrumentSerial.clear();
    ProgramDir = directoryOf(programFilePath());
    TabsVisible = false;
    ActivePage = TabSheet::TabIntro;
    LoadFieldSelection();
    changed();
}

void TFormMain::FormShow() {
    Caption = std::string("Halvor Saefty TEV   .   OVENA  ") + VersionText;
    BuildPortButtons();
    SelectPort();
    changed();
}

void TFormMain::BuildPortButtons() {
    int chosen = GroupBox2.Tag;
    for (const RadioButton& button : PortButtons)
        if (button.Checked) {
            chosen = button.Tag;
            break;
        }
    std::vector<PortStatus> ports = portStatuses();
    // The chosen port stays offered while its device is away, so the choice survives a start
    // before the adapter is plugged in.
    if (chosen >= 1 && chosen <= MaxPort &&
        std::none_of(ports.begin(), ports.end(),
                     [chosen](const PortStatus& port) { return port.number == chosen; })) {
        PortStatus away;
        away.number = chosen;
        ports.insert(std::upper_bound(ports.begin(), ports.end(), away,
                                      [](const PortStatus& a, const PortStatus& b) {
                                          return a.number < b.number;
                                      }),
                     away);
    }

    PortButtons.clear();
    for (const PortStatus& port : ports) {
        const bool there = port.state != PortState::Absent && port.state != PortState::NotConnected;
        if (!there && port.number != chosen)
            continue;
        RadioButton button;
        button.Name = "RB_" + IntToZeroText(port.number, 2);
        button.Caption = "COM" + std::to_string(port.number);
        button.Hint = portHint(port);
        button.Left = 16;
        button.Top = 20 + 20 * static_cast<int>(PortButtons.size());
        button.Tag = port.number;
        button.Checked = port.number == chosen;
        button.Enabled = port.state == PortState::Present;
        button.Visible = true;
        PortButtons.push_back(std::move(button));
    }
}

void TFormMain::FormClose() {
    saveFieldSelectionIfVisited();
}

void TFormMain::BtExecuteExportClick() {
    session_.ReadInstrument();
}

void TFormMain::showArchiveStatus() {
    ArchiveStatus.Caption = session_.ArchiveStatus;
    if (!session_.ServerStatus().empty())
        ArchiveStatus.Caption +=
            (ArchiveStatus.Caption.empty() ? "" : "\n") + session_.ServerStatus();
}

void TFormMain::BtInfoClick() {
    session_.ShowInstrumentInfo();
}

void TFormMain::RxSpeedButton1Click() {
    session_.ClearInstrumentMemory();
}

void TFormMain::SpItReaddataClick() {
    if (session_.Busy())
        return;
    saveFieldSelectionIfVisited();
    watchPorts(false);
    ActivePage = TabSheet::TabTEV640;
    changed();
}

void TFormMain::BtKonfigClick() {
    if (session_.Busy())
        return;
    ActivePage = TabSheet::TabKonfig;
    // Watched before the scan, so a port that comes or goes while it runs rebuilds the buttons.
    watchPorts(true);
    BuildPortButtons();
    SelectPort();
    ConfigVisited = true;
    changed();
}

void TFormMain::BtArchiveClick() {
    if (OpenArchiveWindow)
        OpenArchiveWindow();
}

void TFormMain::TableSettingsChanged() {
    session_.SettingsChanged();
}

void TFormMain::BtHelpClick() {
    if (session_.Busy())
        return;
    saveFieldSelectionIfVisited();
    OpenHelp();
}

void TFormMain::btCloseClick() {
    if (session_.Busy())
        return;
    saveFieldSelectionIfVisited();
    SelectPort();
    Close();
}

void TFormMain::CBHeaderClick() {
    ApplyExportOptions(*this, Export.ExportStringGrid1);
    changed();
}

void TFormMain::CBDimensionClick() {
    CBHeaderClick();
}

void TFormMain::CBtimestampClick() {
    CBHeaderClick();
}

void TFormMain::CBNumberRowsClick() {
    CBHeaderClick();
}

void TFormMain::cbsversClick() {
    changed();
}

void TFormMain::PortButtonClick(std::size_t index) {
    if (index >= PortButtons.size() || !PortButtons[index].Enabled)
        return;
    for (std::size_t i = 0; i < PortButtons.size(); ++i)
        PortButtons[i].Checked = i == index;
    changed();
}

void TFormMain::SelectPort() {
    UsePort(ui_, komm_, ChosenPort());
}

int TFormMain::ChosenPort() {
    int port = 1;
    for (const RadioButton& button : PortButtons) {
        if (button.Checked) {
            port = button.Tag;
            GroupBox2.Tag = port;
            break;
        }
        GroupBox2.Tag = 1;
    }
    return port;
}

void TFormMain::OpenHelp() {
    HourglassCursor hourglass(ui_);
    OpenDocument(ui_, shell_, helpDocumentPath(ProgramDir));
}

void TFormMain::LoadFieldSelection() {
    ovena::LoadFieldSelection(store_, Listboxfields);
}

void TFormMain::SaveFieldSelection() {
    std::string error;
    if (!ovena::SaveFieldSelection(store_, Listboxfields, &error))
        reportStoreError(error);
}

void TFormMain::saveFieldSelectionIfVisited() {
    if (!ConfigVisited)
        return;
    SaveFieldSelection();
    ConfigVisited = false;
}

void TFormMain::busyChanged(bool busy) {
    for (Button* button : {&BtExecuteExport, &BtInfo, &RxSpeedButton1})
        button->Enabled = !busy;
    for (SpeedItem* item : {&btClose, &BtHelp, &SpItReaddata, &BtKonfig})
        item->Enabled = !busy;
    changed();
}

void TFormMain::watchPorts(bool on) {
    if (on && !portWatch_) {
        portWatch_ = std::make_unique<PortWatch>();
        if (portWatch_->fd() >= 0)
            portWatchId_ = ui_.watchDescriptor(portWatch_->fd(), [this] { portsChanged(); });
    } else if (!on && portWatch_) {
        if (portWatchId_)
            ui_.unwatchDescriptor(*portWatchId_);
        if (portSettle_)
            ui_.stopTimer(*portSettle_);
        portWatchId_.reset();
        portSettle_.reset();
        portWatch_.reset();
    }
}

void TFormMain::portsChanged() {
    if (!portWatch_->drain() || portSettle_)
        return;
    portSettle_ = ui_.startTimer(PortSettleTime, [this] {
        ui_.stopTimer(*portSettle_);
        portSettle_.reset();
        BuildPortButtons();
        changed();
    });
}

void TFormMain::showInfoBox(const std::vector<std::string>& lines, const std::string& caption) {
    TAboutBox box(ui_);
    box.SetInfo(lines, caption);
    box.ShowModal();
}

} // namespace ovena
