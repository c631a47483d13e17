// The workbook as an independent reader sees it: Debian's python3-xlrd opens what the writer
// produced, and every cell it finds is compared with the table that was exported.

#include "ExportFixture.h"

#include "platform/Cp1252.h"
#include "platform/LocaleSettings.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <utility>

namespace ovena::test {
namespace {

using O = TExportOption;

// Debian's own interpreter: another python first on PATH may lack the Debian package.
constexpr const char* Python = "/usr/bin/python3";

// Prints "row column type value" for every cell that is not empty: numbers as Python's repr,
// texts as "x" and the hexadecimal bytes of their UTF-8 form. Without a CODEPAGE record the
// reader is told that texts are cp1252.
constexpr const char* ReaderScript = R"(import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], encoding_override='cp1252')
sheet = book.sheet_by_index(0)
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        if cell.ctype == xlrd.XL_CELL_EMPTY:
            continue
        if cell.ctype == xlrd.XL_CELL_TEXT:
            value = 'x' + cell.value.encode('utf-8').hex()
        else:
            value = repr(cell.value)
        print(r, c, cell.ctype, value)
)";

constexpr int TextCell = 1;   // xlrd.XL_CELL_TEXT
constexpr int NumberCell = 2; // xlrd.XL_CELL_NUMBER

struct Cell {
    int type;
    std::string text; // UTF-8
    double number = 0;
    friend bool operator==(const Cell&, const Cell&) = default;
};
using Sheet = std::map<std::pair<int, int>, Cell>;

std::ostream& operator<<(std::ostream& out, const Cell& cell) {
    if (cell.type == NumberCell)
        return out << "number " << cell.number;
    return out << "text \"" << cell.text << '"';
}

bool readerInstalled() {
    const std::string command = std::string(Python) + " -c 'import xlrd' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// "x" followed by hexadecimal bytes.
std::string unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 1; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

Sheet readWorkbook(const std::string& path) {
    const std::string script = sandboxFolder() + "/read_workbook.py";
    writeFile(script, ReaderScript);
    const std::string command = std::string(Python) + " " + script + " " + path;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << "the reader failed on " << path;
    Sheet sheet;
    std::istringstream lines(output);
    for (int r, c, type; lines >> r >> c >> type;) {
        std::string value;
        lines >> value;
        sheet[{r, c}] = type == TextCell ? Cell{type, unhex(value)}
                                         : Cell{type, "", std::strtod(value.c_str(), nullptr)};
    }
    return sheet;
}

// A table as the instrument's readout gives it: customer, date and time in the locale's
// notation, fuel names with non-ASCII letters, measured values with the locale's decimal
// separator, empty cells where a value was not measured.
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
    char* end = nullptr;
    std::strtod(point.c_str(), &end);
    return *end == '\0';
}

double numberOf(std::string text, const LocaleSettings& locale) {
    if (const auto at = text.find(locale.sDecimal); at != std::string::npos)
        text.replace(at, locale.sDecimal.size(), ".");
    return std::strtod(text.c_str(), nullptr);
}

class BiffReader : public ExportTest {
protected:
    explicit BiffReader(LocaleSettings locale) : ExportTest(std::move(locale)) {}

    void SetUp() override {
        if (!readerInstalled())
            GTEST_SKIP() << "Debian's python3-xlrd is not installed (" << Python
                         << " cannot import xlrd); scripts/install-deps installs it";
    }

    // Exports the grid with the main window's layout and compares every cell the reader finds
    // with the grid: numbered rows, captions in row 3 below the time stamp and the header.
    void exportAndCompare(const std::string& storedLocale) {
        settings.writeString(InternationalKey, "Locale", storedLocale);
        component->SetOptions({O::NumberRows, O::ShowColHeaders, O::TimeStamp});
        component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
        component->SetFooter({"%.0f measurements"});
        const int records = grid.RowCount() - 1;
        exportToFile(TExportType::xMicrosoft_Excel, "readout.xls");

        const LocaleSettings& locale = services.locale;
        Sheet expected;
        expected[{0, 0}] = {TextCell, "Created: " + cp1252ToUtf8(timeStamp())};
        expected[{2, 0}] = {TextCell, "Halvoer Safety TEV GmbH,  Germany"};
        const int captionRow = 4;
        expected[{captionRow, 0}] = {TextCell, "Item"};
        for (int c = 0; c < grid.ColCount(); ++c)
            expected[{captionRow, c + 1}] = {TextCell, cp1252ToUtf8(grid.Cell(c, 0))};
        for (int r = 1; r <= records; ++r) {
            expected[{captionRow + r, 0}] = {NumberCell, "", static_cast<double>(r)};
            for (int c = 0; c < grid.ColCount(); ++c) {
                const std::string& text = grid.Cell(c, r);
                expected[{captionRow + r, c + 1}] =
                    isLocaleNumber(text, locale) ? Cell{NumberCell, "", numberOf(text, locale)}
                                                 : Cell{TextCell, cp1252ToUtf8(text)};
            }
        }
        expected[{captionRow + records + 2, 0}] = {TextCell,
                                                   std::to_string(records) + " measurements"};

        const Sheet sheet = readWorkbook(path("readout.xls"));
        EXPECT_EQ(sheet.size(), expected.size());
        int mismatches = 0;
        for (const auto& [at, cell] : expected) {
            auto found = sheet.find(at);
            if (found == sheet.end() || !(found->second == cell)) {
                if (++mismatches <= 10)
                    ADD_FAILURE() << "row " << at.first << " column " << at.second << ": expected "
                                  << cell << ", read "
                                  << (found == sheet.end()
                                          ? std::string("nothing")
                                          : (std::ostringstream() << found->second).str());
            }
        }
        EXPECT_EQ(mismatches, 0);
    }

    // The time stamp as the locale writes it at the fixture's clock.
    std::string timeStamp() const {
        return services.locale.sShortDate == "dd.MM.yyyy" ? "09.12.2026 08:15:30"
                                                          : "12/9/2026 8:15:30 AM";
    }
};

class BiffReaderPoint : public BiffReader {
protected:
    BiffReaderPoint() : BiffReader(pointLocale()) {}
};

class BiffReaderComma : public BiffReader {
protected:
    BiffReaderComma() : BiffReader(commaLocale()) {}
};

TEST_F(BiffReaderPoint, MeasurementTableInTheBiff2Stream) {
    fillReadout(grid, 60, services.locale);
    exportAndCompare("00000409");
    EXPECT_EQ(readFile(path("readout.xls")).substr(0, 2), std::string("\x09\x00", 2));
}

TEST_F(BiffReaderComma, MeasurementTableInTheLaterStream) {
    fillReadout(grid, 60, services.locale);
    exportAndCompare("00000407");
    EXPECT_EQ(readFile(path("readout.xls")).substr(0, 2), std::string("\x09\x08", 2));
}

TEST_F(BiffReaderComma, ThousandRecordReadoutKeepsEveryValue) {
    fillReadout(grid, 1000, services.locale);
    exportAndCompare("00000407");
}

} // namespace
} // namespace ovena::test
