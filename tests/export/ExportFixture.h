#pragma once

#include "support/FakeUi.h"
#include "support/TestEnvironment.h"

#include "export/EC_SGrid.h"

#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace ovena::test {

// File associations as a test machine has them: extension -> file type -> open command, icon.
class FakeShell : public Shell {
public:
    std::map<std::string, std::string> types; // "txt" -> "text/plain"
    std::map<std::string, bool> openCommands; // file type -> has an open command
    std::map<std::string, std::string> icons; // file type -> "icon,index"
    std::vector<std::string> opened;          // documents opened, in order
    int openResult = 42;

    std::optional<std::string> fileTypeForExtension(const std::string& extension) override {
        auto it = types.find(extension);
        return it == types.end() ? std::nullopt : std::optional(it->second);
    }
    bool hasOpenCommand(const std::string& fileType) override {
        auto it = openCommands.find(fileType);
        return it != openCommands.end() && it->second;
    }
    std::optional<std::string> defaultIcon(const std::string& fileType) override {
        auto it = icons.find(fileType);
        return it == icons.end() ? std::nullopt : std::optional(it->second);
    }
    int openDocument(const std::string& path) override {
        opened.push_back(path);
        return openResult;
    }
};

// FakeUi that also keeps the form shown last, so a test can act on the progress window.
class FormKeepingUi : public FakeUi {
public:
    Form* lastShown = nullptr;
    void showForm(Form& form) override {
        FakeUi::showForm(form);
        lastShown = &form;
    }
    // Presses Esc on the progress window whenever the event queue is serviced while it shows.
    void cancelWhenProgressShows();
};

// A decimal-comma locale (German) and a decimal-point locale (US English).
LocaleSettings commaLocale();
LocaleSettings pointLocale();

// 9 December 2026, 08:15:30 in the time zone of the tests (UTC).
std::chrono::system_clock::time_point testTime(int hour = 8, int minute = 15, int second = 30);

// The measurement grid of the tests: captions Date, O2, Fuel and a hidden column, three rows;
// O2 written with the decimal separator given.
void fillMeasurementGrid(StringGrid& grid, char decimal);

// A main window with an export component bound to a grid, in a sandbox folder of its own.
class ExportTest : public ::testing::Test {
protected:
    explicit ExportTest(LocaleSettings locale = commaLocale());

    std::string path(const std::string& name) const { return folder + "/" + name; }
    // Exports to a named file and answers its bytes; the export must succeed.
    std::string exportToFile(TExportType type, const std::string& name = "out.txt");
    // The names of the files in `folder`.
    std::vector<std::string> folderEntries() const;

    FormKeepingUi ui;
    FakeShell shell;
    SettingsStore settings;
    ExportServices services;
    Form mainWindow;
    StringGrid grid;
    std::unique_ptr<TExportStringGrid> component;
    std::string folder;
};

} // namespace ovena::test
