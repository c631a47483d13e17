// ovena-cli readout, info, clear and ports: the main window's instrument procedures on the
// command line, with the window's stored settings and flags that override them for one run.

#include "Commands.h"

#include "cli/InstrumentSession.h"

#include "export/ExportError.h"
#include "link/Serobj.h"
#include "platform/Cp1252.h"
#include "platform/PortMap.h"
#include "table/FieldCatalogue.h"
#include "table/TableBuilder.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace ovena::cli {

namespace {

// The formats the main window offers, by their command-line names.
const std::map<std::string, TExportType>& readoutFormats() {
    static const std::map<std::string, TExportType> table{
        {"excel", TExportType::xMicrosoft_Excel},
        {"xlsx", TExportType::xExcel_Workbook},
        {"word", TExportType::xMicrosoft_Word},
        {"rtf", TExportType::xRichText},
        {"html", TExportType::xHTML},
        {"text", TExportType::xText},
        {"csv", TExportType::xText_Comma_Delimited},
        {"tab", TExportType::xText_Tab_Delimited},
        {"clipboard", TExportType::xClipboard},
    };
    return table;
}

// The settings of the configuration page as flags; each one given replaces the stored value for
// this run only.
struct SettingsFlags {
    std::optional<int> port;
    std::optional<int> dateLayout;
    std::optional<std::string> year;
    std::optional<std::string> decimal;
    std::optional<std::vector<int>> fields;
    // Flag pairs such as --headline and --no-headline; neither given keeps the stored value.
    struct Switch {
        bool on = false;
        bool off = false;
    };
    Switch headline, units, timestamp, numberRows, secondGeneration;

    void apply(OutputSettings& s) const {
        if (port)
            s.GroupBox2.Tag = *port;
        if (dateLayout)
            s.RadioGroup1.ItemIndex = *dateLayout;
        if (year)
            s.RadioGroup2.ItemIndex = *year == "yy" ? 1 : 0;
        if (decimal)
            s.RadioGroup3.ItemIndex = *decimal == "point" ? 1 : 0;
        if (fields) {
            s.Listboxfields.Checked.fill(false);
            for (int field : *fields)
                s.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
        }
        const std::pair<const Switch*, CheckBox*> switches[] = {{&headline, &s.CBHeader},
                                                                {&units, &s.CBDimension},
                                                                {&timestamp, &s.CBtimestamp},
                                                                {&numberRows, &s.CBNumberRows},
                                                                {&secondGeneration, &s.cbsvers}};
        for (const auto& [flag, box] : switches)
            if (flag->on || flag->off)
                box->Checked = flag->on;
    }
};

std::string fieldList() {
    std::string text;
    for (int i = 0; i < FieldCount; ++i)
        text += (i ? ", " : "") + std::to_string(i) + " " +
                cp1252ToUtf8(FieldListTexts[static_cast<std::size_t>(i)]);
    return text;
}

// The flag that ticks a check box and the one that clears it, named "--X" and "--no-X".
void addSwitch(CLI::App& cmd, SettingsFlags::Switch& flag, const std::string& name,
               const std::string& off, const std::string& help, const std::string& group) {
    CLI::Option* on = cmd.add_flag(name, flag.on, help)->group(group);
    cmd.add_flag(off, flag.off, "Clear it: the opposite of " + name)->group(group)->excludes(on);
}

void addSettingsFlags(CLI::App& cmd, SettingsFlags& f, bool tableSettings) {
    cmd.add_option("--port", f.port, "COM port number, instead of the one stored by the window")
        ->check(CLI::Range(1, 99))
        ->type_name("N");
    addSwitch(cmd, f.secondGeneration, "--second-generation", "--first-generation",
              "Instrument generation \"TEV 640 Vers 2.x, 3.x\" (service command SERVICE002; "
              "the first generation: SERVICE001)",
              "Options");
    if (!tableSettings)
        return;
    const std::string table = "Table (each replaces the stored setting for this run)";
    cmd.add_option("--date-layout", f.dateLayout,
                   "Date Time format: 0 dd.mm.ccyy hh:mm, 1 mm.dd.ccyy hh:mm, 2 ccyy.mm.dd hh:mm, "
                   "3 ccyy-mm-dd hh:mm, 4 ccyy/mm/dd hh:mm")
        ->check(CLI::Range(0, 4))
        ->type_name("N")
        ->group(table);
    cmd.add_option("--year", f.year, "Year format: ccyy or yy")
        ->check(CLI::IsMember({"ccyy", "yy"}))
        ->group(table);
    cmd.add_option("--decimal", f.decimal, "Decimal delimiter: comma or point")
        ->check(CLI::IsMember({"comma", "point"}))
        ->group(table);
    cmd.add_option("--fields", f.fields,
                   "Comma list of the field numbers to export: " + fieldList())
        ->delimiter(',')
        ->check(CLI::Range(0, FieldCount - 1))
        ->type_name("LIST")
        ->group(table);
    addSwitch(cmd, f.headline, "--headline", "--no-headline", "Insert Headline: the caption line",
              table);
    addSwitch(cmd, f.units, "--units", "--no-units", "Insert units into the headings", table);
    addSwitch(cmd, f.timestamp, "--timestamp", "--no-timestamp", "Time Stamp", table);
    addSwitch(cmd, f.numberRows, "--number-rows", "--no-number-rows", "Number Rows", table);
}

// The status of a procedure that has run: the communication error or success.
int procedureStatus(const InstrumentSession& session) {
    return session.komm.CommError ? CommunicationError : Success;
}

struct ReadoutRequest {
    SettingsFlags flags;
    std::string format = "excel";
    std::string output;
};

int runReadout(const ReadoutRequest& r) {
    const TExportType type = readoutFormats().at(r.format);
    if (type != TExportType::xClipboard && r.output.empty()) {
        std::cerr << "ovena-cli readout: --output is required for --format " << r.format << '\n';
        return UsageError;
    }
    InstrumentSession session;
    r.flags.apply(session.settings);
    session.ui.chosenType = type;
    session.ui.saveFileName = r.output;
    try {
        ClearTable(session.grid);
        ReadInstrument(session.host);
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli readout: " << cp1252ToUtf8(e.what()) << '\n';
        return ExportFailed;
    }
    if (!session.exported)
        return procedureStatus(session);
    if (!*session.exported)
        return ExportFailed;
    if (type != TExportType::xClipboard)
        std::cerr << "ovena-cli readout: " << session.grid.RowCount() - 1 << " rows exported to "
                  << r.output << '\n';
    return Success;
}

int runInfo(const SettingsFlags& flags) {
    InstrumentSession session;
    flags.apply(session.settings);
    ShowInstrumentInfo(session.host);
    return procedureStatus(session);
}

int runClear(const SettingsFlags& flags, bool yes) {
    if (!yes && !isatty(STDIN_FILENO)) {
        std::cerr << "ovena-cli clear: no terminal to ask \"Clear data memory in Instrument?\" "
                     "on; give --yes to clear without asking\n";
        return UsageError;
    }
    InstrumentSession session;
    flags.apply(session.settings);
    session.ui.assumeYes = yes;
    ClearInstrumentMemory(session.host);
    return session.ui.declined ? Declined : procedureStatus(session);
}

int runPorts() {
    for (int n = 1; n <= 99; ++n) {
        const std::string device = deviceForPort(n);
        if (device.empty())
            continue;
        TSerial serial;
        serial.ComNr = n;
        std::cout << "COM" << n << '\t' << device << '\t'
                  << (serial.Exists() ? "present" : "absent") << '\n';
    }
    return Success;
}

} // namespace

void addInstrumentCommands(CLI::App& app, int& status) {
    auto readout = std::make_shared<ReadoutRequest>();
    CLI::App* cmd = app.add_subcommand(
        "readout", "Read every stored measurement from the TEV 640 and export the table, as "
                   "\"Execute Export\" does, without any dialog.");
    std::vector<std::string> formatNames;
    for (const auto& [name, type] : readoutFormats())
        formatNames.push_back(name);
    cmd->add_option("--format", readout->format,
                    "Export format: excel (default), xlsx, word, rtf, html, text, csv, tab or "
                    "clipboard (written to stdout)")
        ->check(CLI::IsMember(formatNames));
    cmd->add_option("--output", readout->output,
                    "File to write; an existing file is replaced only when the export succeeds")
        ->type_name("FILE");
    addSettingsFlags(*cmd, readout->flags, true);
    cmd->footer("Settings not given on the command line are those the window stored.");
    cmd->callback([readout, &status] { status = runReadout(*readout); });

    auto info = std::make_shared<SettingsFlags>();
    cmd = app.add_subcommand("info", "Show the TEV 640's version, serial number and record "
                                     "counters, as \"Start Info\" does.");
    addSettingsFlags(*cmd, *info, false);
    cmd->callback([info, &status] { status = runInfo(*info); });

    auto clear = std::make_shared<std::pair<SettingsFlags, bool>>();
    cmd = app.add_subcommand("clear", "Erase the TEV 640's measurement memory, as \"Clear "
                                      "Memory\" does, after asking on the terminal.");
    addSettingsFlags(*cmd, clear->first, false);
    cmd->add_flag("--yes", clear->second, "Clear without asking (for scripts)");
    cmd->callback([clear, &status] { status = runClear(clear->first, clear->second); });

    cmd = app.add_subcommand("ports", "List the COM ports 1 to 99 that have a device, whether "
                                      "the device is present, and the port's device.");
    cmd->callback([&status] { status = runPorts(); });
}

} // namespace ovena::cli
