#pragma once

#include "app/Controls.h"
#include "app/ReadoutArchive.h"
#include "app/ServerSync.h"
#include "export/EC_Main.h"
#include "platform/Components.h"
#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/UiServices.h"
#include "procedures/InstrumentData.h"
#include "procedures/MainExport.h"
#include "procedures/Procedures.h"
#include "table/OutputSettings.h"
#include "table/SettingsPersistence.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ovena {

class PortWatch;
class TFormArchive;
class TFormKomm;
class TFormMInfo;

// A button of the command bar: the text on the button, the item's own caption and the hint.
struct SpeedItem {
    std::string BtnCaption;
    std::string Caption;
    std::string Hint;
    bool Enabled = true;
};

// A framed section of the TEV640 page: its coloured title and its lines of text.
struct TextSection {
    std::string Title;
    std::vector<std::string> Lines;
};

// The main window: the command bar, the pages Intro, TEV640 and Konfiguration (whose settings
// controls are the OutputSettings members), the COM port buttons, the working table, the data of
// the last readout and the three instrument procedures with the export that ends a readout.
class TFormMain : public Form, public OutputSettings {
    // First, as the export below is built on them.
    UiServices& ui_;
    Shell& shell_;
    SettingsStore& store_;
    TFormKomm& komm_;
    TFormMInfo& progress_;
    ExportServices exportServices_;

public:
    enum class TabSheet { TabIntro, TabTEV640, TabKonfig };

    // `progress` is the progress dialog of the procedures; the window only keeps references.
    TFormMain(UiServices& ui, Shell& shell, SettingsStore& store, TFormKomm& komm,
              TFormMInfo& progress);
    ~TFormMain() override;
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // Command bar, top to bottom.
    SpeedItem btClose{"", "Exit", "Terminate the program"};
    SpeedItem BtHelp{"Help text", "Help", "Call Help text"};
    SpeedItem SpItReaddata{"TEV640", "Getdata", "Switch to data export functions"};
    SpeedItem BtKonfig{"Configuration", "", "Switch do configuration controls"};
    SpeedItem BtArchive{"Archive", "", "Browse the measurements kept from every readout"};

    // The page control; its tabs are hidden so that only the command bar switches pages.
    TabSheet ActivePage = TabSheet::TabIntro;
    bool TabsVisible = true;

    Label IntroTitle{"OVENA"};
    Label IntroText{"Data export tool for TEV 640"};

    TextSection DataExportSection;
    TextSection InfoSection;
    TextSection ClearSection;
    Button BtExecuteExport{"Execute Export"};
    Button BtInfo{"Start Info"};
    Button RxSpeedButton1{"Clear Memory"};

    Label ConfigTitle{"Configuration"};
    Label FieldsLabel{std::string(FieldsLabelCaption)};
    Label HeaderGroup{std::string(HeaderGroupCaption)};
    // One button per COM port of the machine, in ascending port order: enabled for a port that
    // is free, disabled for one in use or closed to this user, and the chosen port disabled
    // with "not connected" while its device is away.
    std::vector<RadioButton> PortButtons;

    StringGrid StringGrid1;
    // What the last readout collected: serial number, fuel names and record lines (Memo1).
    InstrumentData Readout;
    // Where the readouts' records are kept, and what became of the last one's: shown under
    // "Data Export".
    ReadoutArchive Archive;
    // The company server's sync after each readout and on "Sync now"; it runs beside the window,
    // which stays usable.
    ServerSync Sync;
    Label ArchiveStatus;
    MainExport Export;
    FormStorage FormStorage1;

    bool ConfigVisited = false;
    // Set while an instrument procedure (or the export that ends a readout) runs: the procedure
    // and page buttons are disabled and their handlers do nothing, so that no second procedure
    // starts inside the first one's waiting loops and the window cannot close under it.
    bool Busy = false;
    // The program's folder with its trailing "/"; set by FormCreate.
    std::string ProgramDir;

    // Showing the window: the stored settings are restored first, then FormShow runs.
    void Show();
    // Closing the window, which ends the program: FormClose, then the stored settings are saved.
    // Refused while a procedure runs.
    void Close();

    void FormCreate();
    void FormShow();
    void FormClose();
    void BtExecuteExportClick();
    void BtInfoClick();
    void RxSpeedButton1Click();
    void SpItReaddataClick();
    void BtKonfigClick();
    // Opens the archive window (set by the program), which stays usable beside this one.
    void BtArchiveClick();
    // "Sync now" of the archive window: starts a sync of the company's server unless a
    // procedure runs.
    void SyncWithServer();
    TFormArchive* ArchiveWindow = nullptr;
    // The configuration page changed a field's tick mark or a format: the archive window's
    // table follows at once.
    void TableSettingsChanged();
    void BtHelpClick();
    void btCloseClick();
    // The header check boxes, after the view set their tick mark: the export options follow.
    void CBHeaderClick();
    void CBDimensionClick();
    void CBtimestampClick();
    void CBNumberRowsClick();
    // The generation check box: read when a procedure sends its service command.
    void cbsversClick();
    // A COM port button clicked on the configuration page: it becomes the selected one.
    void PortButtonClick(std::size_t index);

    // Hands the port of the first selected button (1 when none is) to the command exchange.
    void SelectPort();
    // Builds the port buttons from the machine's ports as they are now, keeping the choice.
    void BuildPortButtons();
    void OpenHelp();

    // The 24 tick marks of Listboxfields in the settings store.
    void LoadFieldSelection();
    void SaveFieldSelection();

private:
    class BusyScope;

    void saveFieldSelectionIfVisited();
    void syncChanged();
    void setBusy(bool busy);
    // While the configuration page is shown, ports that come or go rebuild the buttons.
    void watchPorts(bool on);
    void portsChanged();
    // Runs one instrument procedure with the window busy, then `afterwards`.
    void runProcedure(void (*procedure)(ProcedureHost&),
                      const std::function<void()>& afterwards = {});
    ProcedureHost procedureHost();
    void showInfoBox(const std::vector<std::string>& lines, const std::string& caption);

    std::unique_ptr<PortWatch> portWatch_;
    std::optional<WatchId> portWatchId_;
    std::optional<TimerId> portSettle_;
};

} // namespace ovena
