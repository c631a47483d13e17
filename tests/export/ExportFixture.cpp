#include "ExportFixture.h"

#include "export/XProgress.h"

#include <algorithm>
#include <charconv>
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

void fillReadout(StringGrid& grid, int records, const LocaleSettings& locale) {
    const std::vector<std::string> captions{"Customer",
                                            "Date",
                                            "Time",
                                            "Fuel",
                                            "T gas \xB0"
                                            "C",
                                            "T air \xB0"
                                            "C",
                                            "O2 %",
                                            "CO2 %",
                                            "CO ppm",
                                            "NO ppm",
                                            "Eff. %",
                                            "Draft hPa"};
    const std::vector<std::string> fuels{"Heiz\xF6l EL", "Erdgas H", "Fl\xFCssiggas", "Pellets"};
    const std::string d = locale.sDecimal;
    const bool dayFirst = locale.sShortDate.front() == 'd';
    grid.SetColCount(static_cast<int>(captions.size()));
    grid.SetRowCount(records + 1);
    for (int c = 0; c < grid.ColCount(); ++c) {
        grid.SetColWidth(c, 64);
        grid.SetCell(c, 0, captions[static_cast<std::size_t>(c)]);
    }
    for (int r = 1; r <= records; ++r) {
        const int day = 1 + r % 28, month = 1 + r % 12;
        const std::string date = dayFirst ? (day < 10 ? "0" : "") + std::to_string(day) +
                                                locale.sDate + (month < 10 ? "0" : "") +
                                                std::to_string(month) + locale.sDate + "2026"
                                          : std::to_string(month) + locale.sDate +
                                                std::to_string(day) + locale.sDate + "2026";
        auto fixed = [&](int tenths) {
            const std::string sign = tenths < 0 ? "-" : "";
            tenths = std::abs(tenths);
            return sign + std::to_string(tenths / 10) + d + std::to_string(tenths % 10);
        };
        const std::vector<std::string> row{"Kunde " + std::to_string(1000 + r),
                                           date,
                                           std::to_string(r % 24) + ":" + (r % 60 < 10 ? "0" : "") +
                                               std::to_string(r % 60),
                                           fuels[static_cast<std::size_t>(r) % fuels.size()],
                                           fixed(1500 + r % 400),
                                           fixed(150 + r % 90),
                                           fixed(20 + r % 80),
                                           fixed(90 + r % 40),
                                           std::to_string(r * 7 % 500),
                                           r % 5 == 0 ? "" : std::to_string(r % 90),
                                           fixed(880 + r % 100),
                                           fixed(-(r % 30))};
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCell(c, r, row[static_cast<std::size_t>(c)]);
    }
}

bool isLocaleNumber(const std::string& text, const LocaleSettings& locale) {
    if (text.empty() || (locale.sDecimal != "." && text.find('.') != std::string::npos))
        return false;
    std::string point = text;
    if (const auto at = point.find(locale.sDecimal); at != std::string::npos)
        point.replace(at, locale.sDecimal.size(), ".");
    double value = 0;
    const auto [end, error] = std::from_chars(point.data(), point.data() + point.size(), value);
    return error == std::errc() && end == point.data() + point.size();
}

double numberOf(std::string text, const LocaleSettings& locale) {
    if (const auto at = text.find(locale.sDecimal); at != std::string::npos)
        text.replace(at, locale.sDecimal.size(), ".");
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
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
    EXPECT_TRUE(component->Export()) << (ui.boxes.empty() ? "" : ui.boxes.back().text);
    return readFile(path(name));
}

std::vector<std::string> ExportTest::folderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExportTest::fillGrid(int columns, int rows) {
    grid.SetColCount(columns);
    grid.SetRowCount(rows + 1);
    for (int c = 0; c < columns; ++c) {
        grid.SetColWidth(c, 64);
        grid.SetCell(c, 0, "C" + std::to_string(c));
        for (int r = 1; r <= rows; ++r)
            grid.SetCell(c, r, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
}

} // namespace ovena::test
