#pragma once

#include "export/EC_SGrid.h"

#include "platform/Components.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "support/FakeUi.h"

#include <string>
#include <vector>

namespace ovena::test {

// A shell without file associations: every export goes to the named file.
class NoAssociationsShell : public Shell {
public:
    std::optional<std::string> fileTypeForExtension(const std::string&) override { return {}; }
    bool hasOpenCommand(const std::string&) override { return false; }
    std::optional<std::string> defaultIcon(const std::string&) override { return {}; }
    int openDocument(const std::string&) override { return 2; }
};

// A string grid export component as the main window configures it (numbered rows, caption
// row, time stamp at 09.12.2026 08:30:00 in a German locale), exporting to a file of the
// sandbox.
class DocumentExport {
public:
    DocumentExport();

    // Row 0 of `rows` holds the column titles, the rows below it the cells.
    void setTable(const std::vector<std::vector<std::string>>& rows);
    void setOption(TExportOption option, bool on);
    void setHtmlOption(THTML_Option option, bool on);
    // Exports with the type and answers the bytes of the file written.
    std::string exportAs(TExportType type);

    FakeUi ui;
    NoAssociationsShell shell;
    SettingsStore settings;
    ExportServices services;
    StringGrid grid;
    TExportStringGrid component;
};

// The lines of a text whose lines end with CR LF; the last entry is what follows the last
// line end (empty when the text ends with CR LF).
std::vector<std::string> crlfLines(const std::string& text);

} // namespace ovena::test
