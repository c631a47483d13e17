#include "ExportFixture.h"

#include "export/XProgress.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace ovena::test {

void FormKeepingUi::cancelWhenProgressShows() {
    onProcessEvents = [this] {
        if (auto* progress = dynamic_cast<TProgressForm*>(lastShown); progress && progress->Visible)
            progress->FormKeyDown(27);
    };
}

std::chrono::system_clock::time_point testTime(int hour, int minute, int second) {
    setenv("TZ", "UTC", 1);
    tzset();
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return std::chrono::system_clock::from_time_t(timegm(&t));
}

void fillMeasurementGrid(StringGrid& grid, char decimal) {
    const std::string d(1, decimal);
    const std::vector<std::vector<std::string>> cells{
        {"Date", "O2", "Fuel", "Hidden"},
        {"09.12.2026", "3" + d + "5", "Oil", "x"},
        {"10.12.2026", "12" + d + "25", "Natural gas", "y"},
        {"11.12.2026", "4", "Wood \"dry\"", "z"},
    };
    grid.SetColCount(4);
    grid.SetRowCount(static_cast<int>(cells.size()));
    for (int r = 0; r < grid.RowCount(); ++r)
        for (int c = 0; c < 4; ++c)
            grid.SetCell(c, r, cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    grid.SetColWidth(3, 0);
}

ExportTest::ExportTest(LocaleSettings locale) : services{ui, shell, settings, std::move(locale)} {
    services.clock = [] { return testTime(); };
    mainWindow.Caption = "Ovena";
    fillMeasurementGrid(grid, services.locale.sDecimal.front());
    component = std::make_unique<TExportStringGrid>(services, &mainWindow, &grid);
    folder = sandboxFolder() + "/exports";
    std::filesystem::create_directories(folder);
}

std::string ExportTest::exportToFile(TExportType type, const std::string& name) {
    component->ExportType = type;
    component->ViewOnly = false;
    component->ExportFile = path(name);
    EXPECT_TRUE(component->Export());
    return readFile(path(name));
}

std::vector<std::string> ExportTest::folderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ovena::test
