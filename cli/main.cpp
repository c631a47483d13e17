// ovena-cli: the command line of each subcommand, read here alone (the commands' files take
// what it holds as plain requests), and the subcommands run with it.

#include "Commands.h"

#include "platform/Cp1252.h"
#include "table/FieldCatalogue.h"

#include <CLI/CLI.hpp>

#include <memory>

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

// Adds --port, --trace and the generation flags for a procedure on the `instrument`, and the flags
// of the `table`.
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

// Adds --format, --output and the table's flags (without --port and the generation flags when
// `instrument` is false).
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

// Adds --archive FILE: another archive file than the workstation's, for this run.
void addArchiveFileOption(CLI::App& cmd, std::string& file) {
    cmd.add_option("--archive", file,
                   "The archive file to use instead of the workstation's "
                   "($XDG_DATA_HOME/TEV/Ovena/archive.sqlite)")
        ->type_name("FILE");
}

void addFilterFlags(CLI::App& cmd, FilterFlags& f) {
    const std::string group = "Records (every condition given must hold; texts match exactly)";
    cmd.add_option("--customer", f.customer, "Only the records of this customer number")
        ->type_name("N")
        ->group(group);
    cmd.add_option("--instrument", f.instrument,
                   "Only the records of the instrument with this "
                   "serial number")
        ->type_name("SERIAL")
        ->group(group);
    cmd.add_option("--fuel", f.fuel, "Only the records of this fuel name")
        ->type_name("NAME")
        ->group(group);
    cmd.add_option("--from", f.from,
                   "Only records measured on or after DATE: YYYY-MM-DD or YYYY-MM-DDThh:mm")
        ->type_name("DATE")
        ->group(group);
    cmd.add_option("--to", f.to,
                   "Only records measured on or before DATE (a date alone takes the whole day)")
        ->type_name("DATE")
        ->group(group);
}

// Adds --archive and --server; answers --server, given or not.
CLI::Option* addSourceFlags(CLI::App& cmd, Source& s, bool serverQueries) {
    addArchiveFileOption(cmd, s.archiveFile);
    if (serverQueries)
        return cmd
            .add_option("--server", s.server,
                        "Query the company's archive server instead: its libpq "
                        "connection string, or the settings' one when none is given")
            ->expected(0, 1)
            ->type_name("CONNINFO");
    return cmd
        .add_option("--server", s.server,
                    "The server's libpq connection string, instead of the settings' one")
        ->type_name("CONNINFO");
}

// readout, info, clear and ports: the instrument procedures of the main window.
void addInstrumentCommands(CLI::App& app, int& status) {
    auto readout = std::make_shared<ReadoutRequest>();
    CLI::App* cmd = app.add_subcommand(
        "readout", "Read every stored measurement from the TEV 640, keep the records in the "
                   "archive and export the table, as \"Execute Export\" does, without any "
                   "dialog.");
    addTableExportFlags(*cmd, readout->table, true);
    addArchiveFileOption(*cmd, readout->archiveFile);
    cmd->footer("Settings not given on the command line are those the window stored.");
    cmd->callback([readout, &status] { status = runReadout(*readout); });

    auto info = std::make_shared<SettingsFlags>();
    cmd = app.add_subcommand("info", "Show the TEV 640's version, serial number and record "
                                     "counters, as \"Start Info\" does.");
    addSettingsFlags(*cmd, *info, true, false);
    cmd->callback([info, &status] { status = runInfo(*info); });

    auto clear = std::make_shared<std::pair<SettingsFlags, bool>>();
    cmd = app.add_subcommand("clear", "Erase the TEV 640's measurement memory, as \"Clear "
                                      "Memory\" does, after asking on the terminal.");
    addSettingsFlags(*cmd, clear->first, true, false);
    cmd->add_flag("--yes", clear->second, "Clear without asking (for scripts)");
    cmd->callback([clear, &status] { status = runClear(clear->first, clear->second); });

    cmd = app.add_subcommand(
        "ports", "List the COM ports the program knows, one per line, tab-separated: COMn, the "
                 "device, its state (present, absent, in use, no permission, not connected), "
                 "then the adapter's name in /dev/serial/by-id, the driver and the USB "
                 "description (manufacturer and product) where known.");
    cmd->footer("Nothing is opened to find the ports. A USB adapter seen for the first time gets "
                "the lowest free number from COM5 on, kept as a link in "
                "~/.config/TEV/Ovena/ports, so it has the same number in any socket.");
    cmd->callback([&status] { status = runPorts(); });
}

// convert: a table from a CSV file through the export engine.
void addConvertCommand(CLI::App& app, int& status) {
    auto request = std::make_shared<ConvertRequest>();
    CLI::App* cmd = app.add_subcommand(
        "convert",
        "Export a table from a CSV file (RFC 4180, bytes kept as they are; the first record "
        "holds the column captions and shows the separator: \",\", \";\" or TAB) in one of the "
        "export formats.");
    cmd->add_option("INPUT", request->input, "CSV file with the table")
        ->required()
        ->check(CLI::ExistingFile);
    std::vector<std::string> formatNames;
    for (const auto& [name, type] : convertFormats())
        formatNames.push_back(name);
    cmd->add_option("--separator", request->separator,
                    "Field separator of INPUT, one character or \"tab\" (default: the one its "
                    "first record uses)");
    cmd->add_option("--format", request->format,
                    "Export format: html, word, excel, xlsx, text, rtf, csv, tab, dif or sylk "
                    "(formats whose writer is not built in fail with a message)")
        ->required()
        ->check(CLI::IsMember(formatNames));
    cmd->add_option("--output", request->output,
                    "File to write; an existing file is replaced only when the export succeeds")
        ->required();
    cmd->add_option("--title", request->title, "Title line above the table");
    cmd->add_option("--header", request->header, "Line written before the table (repeatable)");
    cmd->add_option("--footer", request->footer,
                    "Line written after the table (repeatable); %.0f stands for the number of "
                    "exported rows");
    cmd->add_option("--options", request->options,
                    "Comma list of export options replacing the default set "
                    "(NumberRows,ShowColHeaders,ShowClipboardMsg,ShowProgress,TimeStamp); "
                    "\"\" for none. Options: " +
                        exportOptionNames());
    cmd->add_option("--html-template", request->htmlTemplate,
                    "Built-in HTML look: htClassic, htSimple (default), htPlain, htMurky, "
                    "htMS_Money, htColorful, htGray, htOlive, htBW");
    cmd->add_option("--html-options", request->htmlOptions,
                    "Comma list of HTML options replacing the default set "
                    "(htColHeadersBold,htAutoLink,htOddRowColoring): htShowGridLines, "
                    "htColHeadersBold, htAutoLink, htOddRowColoring, htDisplayTitle, "
                    "htHorzRules, htIgnoreLineBreaks");
    cmd->add_option("--html-custom-template", request->htmlCustomTemplate,
                    "Custom HTML colour template: eleven fields separated by \";\"");
    cmd->add_option("--col-widths", request->colWidths,
                    "Comma list of column widths in characters for the fixed-width layouts and the "
                    "xlsx workbook, one per exported column; an empty entry keeps the default "
                    "width");
    cmd->add_option("--captions", request->captions,
                    "Comma list of captions replacing those of the input, by column");
    cmd->add_option("--page-header", request->pageHeader, "Page header of the Excel workbooks");
    cmd->add_option("--page-footer", request->pageFooter,
                    "Page footer of the Excel workbooks (default \"Page &P of &N\")");
    cmd->add_flag("--print-gridlines", request->printGridlines,
                  "Excel workbooks: print the grid lines");
    cmd->add_flag("--print-headings", request->printHeadings,
                  "Excel workbook (excel): print the row and column headings (the xlsx "
                  "workbook prints its caption row on every page instead)");
    cmd->add_flag("--raw-cells", request->rawCells,
                  "CSV and tab files: write texts starting with =, +, -, @ as they are (by "
                  "default they get a leading apostrophe, so that spreadsheets do not run them)");
    cmd->add_option("--margins", request->margins,
                    "Word and RTF page margins L,R,T,B in twentieths of a point (default "
                    "1250,1250,1000,1000)");
    cmd->footer("The locale (decimal separator, date and time formats, list separator) comes "
                "from the key \"Control Panel\\International\" of the settings store, else "
                "from the process locale (LANG, LC_*).");
    cmd->callback([request, &status] { status = runConvert(*request); });
}

// archive list, export, sync, stats and check: the measurement archive.
void addArchiveCommands(CLI::App& app, int& status) {
    CLI::App* group = app.add_subcommand(
        "archive", "The measurement archive: every record ever read, kept once, on this "
                   "workstation and on the company's server.");
    group->require_subcommand(1);

    auto list = std::make_shared<ListRequest>();
    CLI::App* cmd = group->add_subcommand(
        "list", "One line per record, oldest first: instrument serial, customer number, date "
                "and time, number of lines (tab-separated, after a heading line).");
    addFilterFlags(*cmd, list->filters);
    CLI::Option* server = addSourceFlags(*cmd, list->source, true);
    cmd->callback([list, server, &status] {
        list->source.onServer = server->count() > 0;
        status = runArchiveList(*list);
    });

    auto request = std::make_shared<ExportRequest>();
    cmd = group->add_subcommand(
        "export", "Export the records as the readout that brought them would have, with the "
                  "window's settings, in the order they were read.");
    addFilterFlags(*cmd, request->filters);
    server = addSourceFlags(*cmd, request->source, true);
    addTableExportFlags(*cmd, request->table, false);
    cmd->footer("Settings not given on the command line are those the window stored.");
    cmd->callback([request, server, &status] {
        request->source.onServer = server->count() > 0;
        status = runArchiveExport(*request);
    });

    auto sync = std::make_shared<Source>();
    cmd = group->add_subcommand("sync", "Send the company's archive server every readout and "
                                        "record of this workstation it does not have yet.");
    addSourceFlags(*cmd, *sync, false);
    cmd->callback([sync, &status] { status = runArchiveSync(*sync); });

    auto stats = std::make_shared<Source>();
    cmd = group->add_subcommand("stats", "Records, readouts, instruments, customers, first and "
                                         "last date, last sync and size of the archive file.");
    addArchiveFileOption(*cmd, stats->archiveFile);
    cmd->callback([stats, &status] { status = runArchiveStats(*stats); });

    auto check = std::make_shared<Source>();
    cmd = group->add_subcommand("check", "Check the archive file: its integrity, references, "
                                         "whole readouts, every record against its identity.");
    addArchiveFileOption(*cmd, check->archiveFile);
    cmd->callback([check, &status] { status = runArchiveCheck(*check); });
}

} // namespace
} // namespace ovena::cli

int main(int argc, char** argv) {
    CLI::App app{
        "ovena-cli: the TEV 640 export tool without a window.\n"
        "Messages go to stderr. Exit status: 0 success, 1 \"Error TEV 640 communication\", 2 "
        "usage error, 3 export failed, 4 declined, 5 the archive failed."};
    app.require_subcommand(1);
    int status = ovena::cli::Success;
    ovena::cli::addInstrumentCommands(app, status);
    ovena::cli::addConvertCommand(app, status);
    ovena::cli::addArchiveCommands(app, status);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? ovena::cli::Success : ovena::cli::UsageError;
    }
    return status;
}
