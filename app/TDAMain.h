#pragma once

#include "app/Controls.h"
#include "export/EC_Main.h"
#include "platform/Components.h"
#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/UiServices.h"
#include "procedures/MainExport.h"
#include "session/Session.h"
#include "table/OutputSettings.h"
#include "table/SettingsPersistence.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ovena {

class PortWatch;
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
// controls are the OutputSettings members), the COM port buttons, the working table and the
// instrument session, whose three procedures its buttons run.
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
    // What became of the last readout's records in the archive and on the server: shown under
    // "Data Export".
    Label ArchiveStatus;
    MainExport Export;
    FormStorage FormStorage1;

    // The procedures with the archive behind them; a readout ends by starting a sync, which runs
    // beside the window (the window stays usable and closable; closing cancels it). While the
    // session is busy (a procedure, the export that ends a readout) the procedure and page
    // buttons are disabled and their handlers do nothing, so that no second procedure starts
    // inside the first one's waiting loops, and the window cannot close under it.
    Session& session() { return session_; }

    // Set by the program: opens the archive window, and closes the program's other windows
    // when this one closes.
    std::function<void()> OpenArchiveWindow;
    std::function<void()> CloseOtherWindows;

    bool ConfigVisited = false;
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
    // Opens the archive window, which stays usable beside this one.
    void BtArchiveClick();
    // The configuration page changed a field's tick mark or a format: the session tells those
    // who show tables (the archive window).
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
    // The port of the first selected button, kept in GroupBox2.Tag; 1 when none is.
    int ChosenPort();
    // Builds the port buttons from the machine's ports as they are now, keeping the choice.
    void BuildPortButtons();
    void OpenHelp();

    // The 24 tick marks of Listboxfields in the settings store.
    void LoadFieldSelection();
    void SaveFieldSelection();

private:
    void saveFieldSelectionIfVisited();
    void busyChanged(bool busy);
    // The archive's and the server's status of the last readout and sync.
    void showArchiveStatus();
    // While the configuration page is shown, ports that come or go rebuild the buttons.
    void watchPorts(bool on);
    void portsChanged();
    void showInfoBox(const std::vector<std::string>& lines, const std::string& caption);

    Session session_;
    std::unique_ptr<PortWatch> portWatch_;
    std::optional<WatchId> portWatchId_;
    std::optional<TimerId> portSettle_;
};

} // namespace ovena
