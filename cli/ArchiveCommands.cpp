// ovena-cli archive list, export, sync, stats and check: the measurement archive on the command
// line. Queries run against the workstation's archive file, or the company's server.

#include "Commands.h"

#include "cli/InstrumentSession.h"
#include "cli/SettingsFlags.h"

#include "archive/Archive.h"
#include "archive/Sync.h"
#include "archive/Workstation.h"
#include "platform/Cp1252.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "table/TableBuilder.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <memory>

namespace ovena::cli {

namespace {

using archive::Archive;
using archive::ArchiveError;

// A mistake on the command line, told before anything is opened.
struct UsageProblem {
    std::string text;
};

struct FilterFlags {
    std::optional<std::string> customer, instrument, fuel, from, to;

    // The filter in the archive's terms: the instrument's texts are Windows-1252, the command
    // line's UTF-8.
    archive::RecordFilter filter() const {
        archive::RecordFilter f;
        const auto bytes = [](const std::optional<std::string>& text) {
            return text ? std::optional<std::string>(utf8ToCp1252(*text)) : std::nullopt;
        };
        f.customer = bytes(customer);
        f.instrument = bytes(instrument);
        f.fuel = bytes(fuel);
        for (const auto& [bound, endOfDay] : {std::pair{&from, false}, std::pair{&to, true}})
            if (*bound) {
                try {
                    archive::dateBound(**bound, endOfDay);
                } catch (const ArchiveError& e) {
                    throw UsageProblem{e.what()};
                }
            }
        f.from = from;
        f.to = to;
        return f;
    }
};

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

// Where a command finds the archive: the workstation's file (or the one --archive names), or a
// server.
struct Source {
    std::string archiveFile;
    std::string server;
    CLI::Option* serverOption = nullptr;

    std::string file() const {
        return archiveFile.empty() ? archive::defaultArchiveFile() : archiveFile;
    }
    bool onServer() const { return serverOption && serverOption->count() > 0; }
    // The server given, or the one the settings hold.
    std::string serverConninfo(const SettingsStore& store) const {
        const std::string conninfo =
            server.empty() ? archive::readArchiveSettings(store).server : server;
        if (conninfo.empty())
            throw UsageProblem{"no archive server: give --server CONNINFO, or set \"Server\" "
                               "under \"Software\\TEV\\Ovena\\Archive\" in the settings"};
        return conninfo;
    }
    Archive open(const SettingsStore& store) const {
        return onServer() ? Archive::openServer(serverConninfo(store))
                          : Archive::openFile(file(), false);
    }
};

void addSourceFlags(CLI::App& cmd, Source& s, bool serverQueries) {
    addArchiveFileOption(cmd, s.archiveFile);
    if (serverQueries)
        s.serverOption = cmd.add_option("--server", s.server,
                                        "Query the company's archive server instead: its libpq "
                                        "connection string, or the settings' one when none is "
                                        "given")
                             ->expected(0, 1)
                             ->type_name("CONNINFO");
    else
        s.serverOption = cmd.add_option("--server", s.server,
                                        "The server's libpq connection string, instead of the "
                                        "settings' one")
                             ->type_name("CONNINFO");
}

// Runs a command: its mistakes and the archive's failures become messages and exit statuses.
template <class Run> int guarded(const char* name, Run run) {
    try {
        return run();
    } catch (const UsageProblem& p) {
        std::cerr << "ovena-cli archive " << name << ": " << p.text << '\n';
        return UsageError;
    } catch (const ArchiveError& e) {
        std::cerr << "ovena-cli archive " << name << ": " << e.what() << '\n';
        return ArchiveFailed;
    }
}

struct ListRequest {
    FilterFlags filters;
    Source source;
};

int runList(const ListRequest& r) {
    const archive::RecordFilter filter = r.filters.filter();
    const SettingsStore store = loadSettings("ovena-cli");
    Archive archive = r.source.open(store);
    const auto records = archive.listRecords(filter, {archive::RecordColumn::MeasuredAt, false});
    std::cout << "Instrument\tCustomer\tDate\tLines\n";
    for (const archive::RecordSummary& record : records)
        std::cout << cp1252ToUtf8(record.instrumentSerial) << '\t' << cp1252ToUtf8(record.customer)
                  << '\t' << record.measuredAt << '\t' << record.lineCount << '\n';
    std::cout << std::flush;
    return Success;
}

struct ExportRequest {
    FilterFlags filters;
    Source source;
    TableExportFlags table;
};

int runExport(const ExportRequest& r) {
    if (const std::string problem = r.table.problem(); !problem.empty())
        throw UsageProblem{problem};
    const archive::RecordFilter filter = r.filters.filter();
    ExportSession session;
    session.prepare(r.table);
    TableRecordList table;
    {
        Archive archive = r.source.open(session.store);
        // In the order the records were read, so one readout's records give its own table.
        archive.forEachRecord(filter, {archive::RecordColumn::FirstRead, false},
                              [&](const archive::ArchivedRecord& record) {
                                  table.add(record.lines, record.summary.instrumentSerial,
                                            record.fuelNames);
                              });
    }
    bool exported = false;
    try {
        exported = session.mainExport.ExportRecords(table.records(), session.settings);
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli archive export: " << cp1252ToUtf8(e.what()) << '\n';
        return ExportFailed;
    }
    if (!exported)
        return ExportFailed;
    if (r.table.type() != TExportType::xClipboard)
        std::cerr << "ovena-cli archive export: " << session.grid.RowCount() - 1
                  << " rows exported to " << r.table.output << '\n';
    return Success;
}

int runSync(const Source& source) {
    const SettingsStore store = loadSettings("ovena-cli");
    const std::string conninfo = source.serverConninfo(store);
    // The workstation's own archive is made on first use; a file named on the command line must
    // be there, or a mistyped path would sync an empty archive and report success.
    const archive::SyncResult result =
        syncArchive(source.file(), source.archiveFile.empty(), conninfo);
    std::cerr << "ovena-cli archive sync: " << result.text() << '\n';
    return Success;
}

int runStats(const Source& source) {
    Archive archive = Archive::openFile(source.file(), false);
    const archive::ArchiveStats s = archive.stats();
    const auto orNone = [](const std::string& text) { return text.empty() ? "-" : text; };
    std::cout << "Archive:       " << source.file() << '\n'
              << "Records:       " << s.records << '\n'
              << "Readouts:      " << s.readouts << '\n'
              << "Instruments:   " << s.instruments << '\n'
              << "Customers:     " << s.customers << '\n'
              << "First date:    " << orNone(s.firstDate) << '\n'
              << "Last date:     " << orNone(s.lastDate) << '\n'
              << "Last sync:     "
              << (s.lastSync.empty() ? "never" : s.lastSync + " with " + s.lastSyncServer) << '\n'
              << "Size on disk:  " << s.sizeOnDisk << " bytes\n"
              << std::flush;
    return Success;
}

int runCheck(const Source& source) {
    Archive archive = Archive::openFile(source.file(), false);
    const std::vector<std::string> problems = archive.check();
    for (const std::string& problem : problems)
        std::cout << problem << '\n';
    if (problems.empty())
        std::cout << "ok\n";
    std::cout << std::flush;
    return problems.empty() ? Success : ArchiveFailed;
}

} // namespace

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
    addSourceFlags(*cmd, list->source, true);
    cmd->callback([list, &status] { status = guarded("list", [&] { return runList(*list); }); });

    auto request = std::make_shared<ExportRequest>();
    cmd = group->add_subcommand(
        "export", "Export the records as the readout that brought them would have, with the "
                  "window's settings, in the order they were read.");
    addFilterFlags(*cmd, request->filters);
    addSourceFlags(*cmd, request->source, true);
    addTableExportFlags(*cmd, request->table, false);
    cmd->footer("Settings not given on the command line are those the window stored.");
    cmd->callback(
        [request, &status] { status = guarded("export", [&] { return runExport(*request); }); });

    auto sync = std::make_shared<Source>();
    cmd = group->add_subcommand("sync", "Send the company's archive server every readout and "
                                        "record of this workstation it does not have yet.");
    addSourceFlags(*cmd, *sync, false);
    cmd->callback([sync, &status] { status = guarded("sync", [&] { return runSync(*sync); }); });

    auto stats = std::make_shared<Source>();
    cmd = group->add_subcommand("stats", "Records, readouts, instruments, customers, first and "
                                         "last date, last sync and size of the archive file.");
    addArchiveFileOption(*cmd, stats->archiveFile);
    cmd->callback(
        [stats, &status] { status = guarded("stats", [&] { return runStats(*stats); }); });

    auto check = std::make_shared<Source>();
    cmd = group->add_subcommand("check", "Check the archive file: its integrity, references, "
                                         "whole readouts, every record against its identity.");
    addArchiveFileOption(*cmd, check->archiveFile);
    cmd->callback(
        [check, &status] { status = guarded("check", [&] { return runCheck(*check); }); });
}

} // namespace ovena::cli
