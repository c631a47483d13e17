#include "cli/SettingsFlags.h"

#include "platform/Cp1252.h"
#include "table/FieldCatalogue.h"

#include <CLI/CLI.hpp>

namespace ovena::cli {

namespace {

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

} // namespace

void addSettingsFlags(CLI::App& cmd, SettingsFlags& f, bool instrument, bool table) {
    if (instrument) {
        cmd.add_option("--port", f.port, "COM port number, instead of the one stored by the window")
            ->check(CLI::Range(1, 99))
            ->type_name("N");
        cmd.add_flag("--trace", f.trace,
                     "Show every command sent (<) and reply received (>) on stderr, with the "
                     "seconds since the start; a command without a reply in time shows as !");
        addSwitch(cmd, f.secondGeneration, "--second-generation", "--first-generation",
                  "Instrument generation \"TEV 640 Vers 2.x, 3.x\" (service command SERVICE002; "
                  "the first generation: SERVICE001)",
                  "Options");
    }
    if (!table)
        return;
    const std::string group = "Table (each replaces the stored setting for this run)";
    cmd.add_option("--date-layout", f.dateLayout,
                   "Date Time format: 0 dd.mm.ccyy hh:mm, 1 mm.dd.ccyy hh:mm, 2 ccyy.mm.dd hh:mm, "
                   "3 ccyy-mm-dd hh:mm, 4 ccyy/mm/dd hh:mm")
        ->check(CLI::Range(0, 4))
        ->type_name("N")
        ->group(group);
    cmd.add_option("--year", f.year, "Year format: ccyy or yy")
        ->check(CLI::IsMember({"ccyy", "yy"}))
        ->group(group);
    cmd.add_option("--decimal", f.decimal, "Decimal delimiter: comma or point")
        ->check(CLI::IsMember({"comma", "point"}))
        ->group(group);
    cmd.add_option("--fields", f.fields,
                   "Comma list of the field numbers to export: " + fieldList())
        ->delimiter(',')
        ->check(CLI::Range(0, FieldCount - 1))
        ->type_name("LIST")
        ->group(group);
    addSwitch(cmd, f.headline, "--headline", "--no-headline", "Insert Headline: the caption line",
              group);
    addSwitch(cmd, f.units, "--units", "--no-units", "Insert units into the headings", group);
    addSwitch(cmd, f.timestamp, "--timestamp", "--no-timestamp", "Time Stamp", group);
    addSwitch(cmd, f.numberRows, "--number-rows", "--no-number-rows", "Number Rows", group);
}

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

void SettingsFlags::apply(OutputSettings& s) const {
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

std::string TableExportFlags::problem() const {
    if (type() != TExportType::xClipboard && output.empty())
        return "--output is required for --format " + format;
    return {};
}

void addTableExportFlags(CLI::App& cmd, TableExportFlags& f, bool instrument) {
    std::vector<std::string> formatNames;
    for (const auto& [name, type] : readoutFormats())
        formatNames.push_back(name);
    cmd.add_option("--format", f.format,
                   "Export format: excel (default), xlsx, word, rtf, html, text, csv, tab or "
                   "clipboard (written to stdout)")
        ->check(CLI::IsMember(formatNames));
    cmd.add_option("--output", f.output,
                   "File to write; an existing file is replaced only when the export succeeds")
        ->type_name("FILE");
    addSettingsFlags(cmd, f.settings, instrument, true);
}

void addArchiveFileOption(CLI::App& cmd, std::string& file) {
    cmd.add_option("--archive", file,
                   "The archive file to use instead of the workstation's "
                   "($XDG_DATA_HOME/TEV/Ovena/archive.sqlite)")
        ->type_name("FILE");
}

} // namespace ovena::cli
