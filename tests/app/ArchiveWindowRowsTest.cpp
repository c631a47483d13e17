// The archive window's cells are the rows of each record's visit as the table renders them, also
// where a readout's table and the archive's rows of its records differ in count.

#include "app/OvenaForms.h"
#include "archive/Archive.h"
#include "archive/Workstation.h"
#include "platform/ConfigPaths.h"
#include "platform/Shell.h"
#include "support/FakeUi.h"
#include "support/TestEnvironment.h"
#include "table/TableBuilder.h"

#include <gmock/gmock.h>

namespace ovena {
namespace {

using namespace test;

std::string joined(const std::vector<std::string>& cells) {
    std::string text;
    for (const std::string& cell : cells)
        text += cell + "|";
    return text;
}

TEST(ArchiveWindowRows, EveryRowShowsItsOwnMeasurement) {
    // A test line whose type is written in hex ("$15" is 21) before the mean; a customer line
    // alone and, read after it, a measurement without one: their readout's table holds one row
    // for the two, the archive a row each.
    const std::vector<archive::RecordLines> records{
        {"1;4711", "$15;0801021200;1;19.0;140.0;50.0;5.1;9;30;1000.0;1.30;11.0;8;6.0",
         "12;0;0;0;-0.12", "2;0801021210;1;19.0;143.0;50.0;5.4;9;30;1000.0;1.30;11.0;8;6.3"},
        {"1;4712"},
        {"2;0801031000;1;20.0;150.0;55.0;4.0;8;35;1001.0;1.24;12.1;9;7.3"}};
    {
        archive::Archive store = archive::Archive::openFile(archive::defaultArchiveFile(), true);
        store.store({"2024-05-01T10:00:00Z", "ws", "user", "COM5", "64012345", {"Erdgas H"}},
                    records);
    }
    FakeUi ui;
    GioShell shell;
    SettingsStore settings{settingsFile()};
    settings.load();
    OvenaForms forms(ui, shell, settings);
    forms.FormMain.Listboxfields.Checked.fill(false);
    for (const int field : {0, 1, 2, 7, 18, 23}) // serial, customer, time, O2, Eta, draft
        forms.FormMain.Listboxfields.Checked[static_cast<std::size_t>(field)] = true;
    TFormArchive& window = forms.FormArchive;
    window.Open();

    ASSERT_EQ(window.RowCount(), 4);
    std::vector<std::string> rows;
    for (std::int64_t row = 0; row < window.RowCount(); ++row)
        rows.push_back(joined(window.Row(row)));
    EXPECT_THAT(rows, testing::UnorderedElementsAre(
                          "Pr.1|64012345|4711|02.01.08  12:00|5,1|94,0||",
                          "Med.|64012345|4711|02.01.08  12:10|5,4|93,7|-0,12|",
                          "|64012345|4712|||||", "|||03.01.08  10:00|4,0|92,7||"));
}

} // namespace
} // namespace ovena
