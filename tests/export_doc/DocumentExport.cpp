#include "DocumentExport.h"

#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace ovena::test {

namespace {

LocaleSettings germanLocale() {
    LocaleSettings locale;
    locale.Locale = "00000407";
    locale.sList = ";";
    locale.sDecimal = ",";
    locale.sThousand = ".";
    locale.sDate = ".";
    locale.sTime = ":";
    locale.sShortDate = "dd.MM.yyyy";
    locale.sTimeFormat = "HH:mm:ss";
    locale.sCurrency = "\x80";
    return locale;
}

std::chrono::system_clock::time_point exportTime() {
    // The clock is read as local time: the sandboxed process runs in UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    using namespace std::chrono;
    return sys_days{year{2026} / December / 9} + hours{8} + minutes{30};
}

} // namespace

DocumentExport::DocumentExport()
    : services{ui, shell, settings, germanLocale(), [] { return exportTime(); }},
      component(services, nullptr, &grid) {
    component.SetOptions(
        {TExportOption::NumberRows, TExportOption::ShowColHeaders, TExportOption::TimeStamp});
    component.ViewOnly = false;
}

void DocumentExport::setTable(const std::vector<std::vector<std::string>>& rows) {
    grid.SetRowCount(static_cast<int>(rows.size()));
    grid.SetColCount(rows.empty() ? 0 : static_cast<int>(rows.front().size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid.SetCell(static_cast<int>(c), static_cast<int>(r), rows[r][c]);
}

void DocumentExport::setOption(TExportOption option, bool on) {
    TExportOptions options = component.Options();
    on ? options.insert(option) : options.erase(option);
    component.SetOptions(options);
}

void DocumentExport::setHtmlOption(THTML_Option option, bool on) {
    on ? component.HTML_Options.insert(option) : component.HTML_Options.erase(option);
}

std::string DocumentExport::exportAs(TExportType type) {
    const std::string path = sandboxFolder() + "/export." + std::string(DefaultExtension(type));
    component.ExportType = type;
    component.ExportFile = path;
    if (!component.Export())
        return "(export failed)";
    return readFile(path);
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace ovena::test
