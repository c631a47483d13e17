#include "Commands.h"

#include <CLI/CLI.hpp>

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
