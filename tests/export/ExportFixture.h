#pragma once

#include "support/FakeShell.h"
#include "support/FakeUi.h"
#include "support/Locales.h"
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

// 9 December 2026, 08:15:30 in the time zone of the tests (UTC).
std::chrono::system_clock::time_point testTime(int hour = 8, int minute = 15, int second = 30);

// The measurement grid of the tests: captions Date, O2, Fuel and a hidden column, three rows;
// O2 written with the decimal separator given.
void fillMeasurementGrid(StringGrid& grid, char decimal);

// A table as the instrument's readout gives it: customer, date and time in the locale's
// notation, fuel names with non-ASCII letters, measured values with the locale's decimal
// separator, empty cells where a value was not measured.
void fillReadout(StringGrid& grid, int records, const LocaleSettings& locale);
// Whether a cell text of that table is a number in the locale's notation, and its value.
bool isLocaleNumber(const std::string& text, const LocaleSettings& locale);
double numberOf(std::string text, const LocaleSettings& locale);

// A main window with an export component bound to a grid, in a sandbox folder of its own.
class ExportTest : public ::testing::Test {
protected:
    explicit ExportTest(LocaleSettings locale = commaLocale());

    std::string path(const std::string& name) const { return folder + "/" + name; }
    // Exports to a named file and answers its bytes; the export must succeed.
    std::string exportToFile(TExportType type, const std::string& name = "out.txt");
    // The names of the files in `folder`.
    std::vector<std::string> folderEntries() const;
    // A grid of one caption row and `rows` rows of `columns` cells "r<row>c<column>".
    void fillGrid(int columns, int rows);

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
