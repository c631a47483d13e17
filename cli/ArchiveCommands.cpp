// ovena-cli archive list, export, sync, stats and check: the measurement archive on the command
// line. Queries run against the workstation's archive file, or the company's server.

#include "Commands.h"

#include "cli/InstrumentSession.h"

#include "archive/Archive.h"
#include "archive/Sync.h"
#include "archive/Workstation.h"
#include "platform/Cp1252.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "table/TableBuilder.h"

#include <iostream>

namespace ovena::cli {

namespace {

using archive::Archive;
using archive::ArchiveError;

// A mistake on the command line, told before anything is opened.
struct UsageProblem {
    std::string text;
};

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

archive::RecordFilter FilterFlags::filter() const {
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

std::string Source::file() const {
    return archiveFile.empty() ? archive::defaultArchiveFile() : archiveFile;
}

std::string Source::serverConninfo(const SettingsStore& store) const {
    const std::string conninfo =
        server.empty() ? archive::readArchiveSettings(store).server : server;
    if (conninfo.empty())
        throw UsageProblem{"no archive server: give --server CONNINFO, or set \"Server\" "
                           "under \"Software\\TEV\\Ovena\\Archive\" in the settings"};
    return conninfo;
}

Archive Source::open(const SettingsStore& store) const {
    return onServer ? Archive::openServer(serverConninfo(store)) : Archive::openFile(file(), false);
}

int runArchiveList(const ListRequest& r) {
    return guarded("list", [&] { return runList(r); });
}

int runArchiveExport(const ExportRequest& r) {
    return guarded("export", [&] { return runExport(r); });
}

int runArchiveSync(const Source& source) {
    return guarded("sync", [&] { return runSync(source); });
}

int runArchiveStats(const Source& source) {
    return guarded("stats", [&] { return runStats(source); });
}

int runArchiveCheck(const Source& source) {
    return guarded("check", [&] { return runCheck(source); });
}

} // namespace ovena::cli
