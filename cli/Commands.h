#pragma once

namespace CLI {
class App;
}

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

// Each subcommand adds itself to the program; when it runs it leaves its exit status in
// `status`.
void addConvertCommand(CLI::App& app, int& status);
// readout, info, clear and ports: the instrument procedures of the main window.
void addInstrumentCommands(CLI::App& app, int& status);
// archive list, export, sync, stats and check: the measurement archive.
void addArchiveCommands(CLI::App& app, int& status);

} // namespace ovena::cli
