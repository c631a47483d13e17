#pragma once

#include "app/Controls.h"
#include "platform/Components.h"
#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/UiServices.h"

#include <array>
#include <string>
#include <vector>

namespace ovena {

class TFormKomm;

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

// The work behind the TEV640 page's three buttons: emptying the table, the readout, the info
// and the clear-memory procedures. The main window calls it; until one is installed those
// three buttons are disabled, so nothing pretends to read an instrument.
class InstrumentProcedures {
public:
    virtual ~InstrumentProcedures() = default;
    virtual void ClearTable() = 0;
    virtual void ReadInstrument() = 0;
    virtual void ShowInstrumentInfo() = 0;
    virtual void ClearInstrumentMemory() = 0;
};

// The main window: the command bar, the pages Intro, TEV640 and Konfiguration, the COM port
// buttons, the working table and the record lines of the last readout.
class TFormMain : public Form {
public:
    enum class TabSheet { TabIntro, TabTEV640, TabKonfig };

    static constexpr int FieldCountMax = 24;
    static constexpr int FuelNamesMax = 60;

    TFormMain(UiServices& ui, Shell& shell, SettingsStore& store, TFormKomm& komm);
    ~TFormMain() override;
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // Command bar, top to bottom.
    SpeedItem btClose{"", "Exit", "Terminate the program"};
    SpeedItem BtHelp{"Help text", "Help", "Call Help text"};
    SpeedItem SpItReaddata{"TEV640", "Getdata", "Switch to data export functions"};
    SpeedItem BtKonfig{"Configuration", "", "Switch do configuration controls"};

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
    GroupBox GroupBox2{"Comports", "Select the Comport, which you are using for TEV 640", 0};
    // One button per COM port present, in ascending port order.
    std::vector<RadioButton> PortButtons;
    CheckListBox<FieldCountMax> Listboxfields;

    StringGrid StringGrid1;
    Memo Memo1;

    // Working data of a readout.
    std::string InstrumentSerial;
    std::array<std::string, FuelNamesMax + 1> FuelNames; // numbered 1 to 60; [0] unused
    int FuelCount = 0;

    bool ConfigVisited = false;
    // The program's folder with its trailing "/"; set by FormCreate.
    std::string ProgramDir;

    void SetProcedures(InstrumentProcedures* procedures);

    // Showing the window: the stored settings are restored first, then FormShow runs.
    void Show();
    // Closing the window, which ends the program: FormClose, then the stored settings are saved.
    void Close();

    void FormCreate();
    void FormShow();
    void FormClose();
    void BtExecuteExportClick();
    void BtInfoClick();
    void RxSpeedButton1Click();
    void SpItReaddataClick();
    void BtKonfigClick();
    void BtHelpClick();
    void btCloseClick();
    // A COM port button clicked on the configuration page: it becomes the selected one.
    void PortButtonClick(std::size_t index);

    // Hands the port of the first selected button (1 when none is) to the command exchange.
    void SelectPort();
    void OpenHelp();

    // The 24 tick marks of Listboxfields in the settings store.
    void LoadFieldSelection();
    void SaveFieldSelection();

    // The configuration page's stored control values (key "Software\TEV\Ovena\Settings").
    void RestoreStoredSettings();
    void SaveStoredSettings();

private:
    void saveFieldSelectionIfVisited();
    void persistStore();

    UiServices& ui_;
    Shell& shell_;
    SettingsStore& store_;
    TFormKomm& komm_;
    InstrumentProcedures* procedures_ = nullptr;
    bool shown_ = false;
    bool settingsSaved_ = false;
};

} // namespace ovena
