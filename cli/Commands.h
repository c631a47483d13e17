#pragma once

#include "cli/SettingsFlags.h"

#include "export/EC_Main.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovena {
class SettingsStore;
}

namespace ovena::archive {
class Archive;
struct RecordFilter;
} // namespace ovena::archive

namespace ovena::cli {

// Exit statuses of ovena-cli.
enum ExitStatus {
    Success = 0,
    CommunicationError = 1,
    UsageError = 2,
    ExportFailed = 3,
    Declined = 4,
    ArchiveFailed = 5
};

// The subcommands, each run with what its command line holds (main.cpp reads the command line)
// and answering its exit status; messages go to stderr.

// readout, info, clear and ports: the instrument procedures of the main window.
struct ReadoutRequest {
    TableExportFlags table;
    std::string archiveFile;
};
int runReadout(const ReadoutRequest& r);
int runInfo(const SettingsFlags& flags);
// `yes` clears without asking on the terminal.
int runClear(const SettingsFlags& flags, bool yes);
int runPorts();

// convert: a table from a CSV file through the export engine.
struct ConvertRequest {
    std::string input;
    std::string format;
    std::string output;
    std::optional<std::string> title;
    std::vector<std::string> header;
    std::vector<std::string> footer;
    std::optional<std::string> options;
    std::optional<std::string> htmlTemplate;
    std::optional<std::string> htmlOptions;
    std::optional<std::string> htmlCustomTemplate;
    std::optional<std::string> colWidths;
    std::optional<std::string> captions;
    std::optional<std::string> pageHeader;
    std::optional<std::string> pageFooter;
    std::optional<std::string> margins;
    std::optional<std::string> separator;
    bool printGridlines = false;
    bool printHeadings = false;
    bool rawCells = false;
};
int runConvert(const ConvertRequest& r);
// The formats of convert, by their command-line names.
const std::map<std::string, TExportType>& convertFormats();
// The names of the export options, as a comma list.
std::string exportOptionNames();

// archive list, export, sync, stats and check: the measurement archive.
struct FilterFlags {
    std::optional<std::string> customer, instrument, fuel, from, to;

    // The filter in the archive's terms: the instrument's texts are Windows-1252, the command
    // line's UTF-8.
    archive::RecordFilter filter() const;
};

// Where a command finds the archive: the workstation's file (or the one --archive names), or a
// server.
struct Source {
    std::string archiveFile;
    std::string server;
    bool onServer = false; // --server was given, with or without its value

    std::string file() const;
    // The server given, or the one the settings hold.
    std::string serverConninfo(const SettingsStore& store) const;
    archive::Archive open(const SettingsStore& store) const;
};

struct ListRequest {
    FilterFlags filters;
    Source source;
};

struct ExportRequest {
    FilterFlags filters;
    Source source;
    TableExportFlags table;
};

int runArchiveList(const ListRequest& r);
int runArchiveExport(const ExportRequest& r);
int runArchiveSync(const Source& source);
int runArchiveStats(const Source& source);
int runArchiveCheck(const Source& source);

} // namespace ovena::cli
