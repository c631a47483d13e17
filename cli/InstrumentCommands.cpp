// ovena-cli readout, info, clear and ports: the main window's instrument procedures on the
// command line, with the window's stored settings and flags that override them for one run.

#include "Commands.h"

#include "cli/InstrumentSession.h"

#include "export/ExportError.h"
#include "link/PortAccess.h"
#include "platform/Cp1252.h"
#include "table/FieldCatalogue.h"
#include "table/TableBuilder.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace ovena::cli {

namespace {

// The status of a procedure that has run: the communication error or success.
int procedureStatus(const InstrumentTerminal& terminal) {
    return terminal.komm.CommError ? CommunicationError : Success;
}

} // namespace

int runReadout(const ReadoutRequest& r) {
    if (const std::string problem = r.table.problem(); !problem.empty()) {
        std::cerr << "ovena-cli readout: " << problem << '\n';
        return UsageError;
    }
    InstrumentTerminal terminal(r.archiveFile);
    terminal.prepare(r.table);
    if (r.table.settings.trace)
        terminal.traceExchange();
    Session& session = terminal.session;
    try {
        session.ReadInstrument();
    } catch (const std::exception& e) {
        std::cerr << "ovena-cli readout: " << cp1252ToUtf8(e.what()) << '\n';
        return ExportFailed;
    }
    if (const auto& stored = session.Stored)
        std::cerr << "ovena-cli readout: " << stored->records << " records archived ("
                  << stored->newRecords << " new) in " << session.ArchiveFile() << '\n';
    if (!session.Exported)
        return procedureStatus(terminal);
    if (!*session.Exported)
        return ExportFailed;
    if (r.table.type() != TExportType::xClipboard)
        std::cerr << "ovena-cli readout: " << terminal.grid.RowCount() - 1 << " rows exported to "
                  << r.table.output << '\n';
    return Success;
}

int runInfo(const SettingsFlags& flags) {
    InstrumentTerminal terminal;
    flags.apply(terminal.settings);
    if (flags.trace)
        terminal.traceExchange();
    terminal.session.ShowInstrumentInfo();
    return procedureStatus(terminal);
}

int runClear(const SettingsFlags& flags, bool yes) {
    if (!yes && !isatty(STDIN_FILENO)) {
        std::cerr << "ovena-cli clear: no terminal to ask \"Clear data memory in Instrument?\" "
                     "on; give --yes to clear without asking\n";
        return UsageError;
    }
    InstrumentTerminal terminal;
    flags.apply(terminal.settings);
    if (flags.trace)
        terminal.traceExchange();
    terminal.ui.assumeYes = yes;
    terminal.session.ClearInstrumentMemory();
    return terminal.ui.declined ? Declined : procedureStatus(terminal);
}

namespace {

std::string fileName(const std::string& path) {
    return path.empty() ? path : std::filesystem::path(path).filename().string();
}

} // namespace

int runPorts() {
    for (const PortStatus& port : portStatuses()) {
        // An unplugged adapter is still known by the stable name its number links to.
        const std::string byId =
            port.port ? port.port->byId
                      : (port.state == PortState::NotConnected ? port.device : std::string());
        std::cout << "COM" << port.number << '\t' << port.device << '\t' << stateName(port.state)
                  << '\t' << fileName(byId) << '\t' << (port.port ? port.port->driver : "") << '\t'
                  << (port.port ? port.port->description() : "") << '\n';
    }
    return Success;
}

} // namespace ovena::cli
