// The workbook as an independent reader sees it: Debian's python3-xlrd opens what the writer
// produced, and every cell it finds is compared with the table that was exported.

#include "ExportFixture.h"

#include "platform/Cp1252.h"
#include "platform/LocaleSettings.h"

#include <cstdlib>
#include <map>
#include <sstream>
#include <utility>

namespace ovena::test {
namespace {

using O = TExportOption;

// Debian's own interpreter: another python first on PATH may lack the Debian package.
constexpr const char* Python = "/usr/bin/python3";

// The independent readers. Each script prints what its reader found, without being told the
// encoding (the workbook has to name it):
//   "print GRID HEADINGS"  whether the sheet prints grid lines and headings (1 or 0)
//   "warn TEXT"            a complaint of the reader about the file
//   "ROW COLUMN TYPE VALUE" for every cell that is not empty: numbers as Python's repr, texts
//                           as "x" and the hexadecimal bytes of their UTF-8 form.
enum class Reader { Xlrd, Gnumeric, LibreOffice };

constexpr const char* XlrdScript = R"(import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
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

// Gnumeric's ssconvert turns the workbook into its own XML file.
constexpr const char* GnumericScript = R"(import gzip, os, subprocess, sys
import xml.etree.ElementTree as ET
out = os.path.join(os.path.dirname(sys.argv[1]), 'read-back.gnumeric')
run = subprocess.run(['ssconvert', sys.argv[1], out], capture_output=True, text=True, timeout=300)
for line in run.stderr.splitlines():
    if 'corrupt' in line.lower() or 'failed' in line.lower():
        print('warn', line)
if run.returncode != 0:
    sys.exit('ssconvert failed: ' + run.stderr)
ns = {'gnm': 'http://www.gnumeric.org/v10.dtd'}
sheet = ET.fromstring(gzip.open(out).read()).find('.//gnm:Sheet', ns)
info = sheet.find('gnm:PrintInformation', ns)
print('print', info.find('gnm:grid', ns).get('value'), info.find('gnm:titles', ns).get('value'))
for cell in sheet.iterfind('.//gnm:Cell', ns):
    kind, text = cell.get('ValueType'), cell.text or ''
    if kind == '40':
        print(cell.get('Row'), cell.get('Col'), 2, repr(float(text)))
    elif kind == '60':
        print(cell.get('Row'), cell.get('Col'), 1, 'x' + text.encode('utf-8').hex())
    else:
        print('warn unexpected value type', kind, 'at', cell.get('Row'), cell.get('Col'))
)";

// LibreOffice converts the workbook to an OpenDocument spreadsheet, in a profile of its own.
constexpr const char* LibreOfficeScript = R"(import os, subprocess, sys, zipfile
import xml.etree.ElementTree as ET
folder = os.path.dirname(sys.argv[1])
profile = 'file://' + os.path.join(os.environ['HOME'], 'libreoffice-profile')
run = subprocess.run(['soffice', '-env:UserInstallation=' + profile, '--headless',
                      '--convert-to', 'ods', '--outdir', folder, sys.argv[1]],
                     capture_output=True, text=True, timeout=300)
book = os.path.splitext(sys.argv[1])[0] + '.ods'
if not os.path.exists(book):
    sys.exit('soffice made no spreadsheet: ' + run.stdout + run.stderr)
T = '{urn:oasis:names:tc:opendocument:xmlns:table:1.0}'
O = '{urn:oasis:names:tc:opendocument:xmlns:office:1.0}'
S = '{urn:oasis:names:tc:opendocument:xmlns:style:1.0}'
X = '{urn:oasis:names:tc:opendocument:xmlns:text:1.0}'
def text(element):
    out = element.text or ''
    for child in element:
        if child.tag == X + 's':
            out += ' ' * int(child.get(X + 'c', '1'))
        elif child.tag == X + 'tab':
            out += '\t'
        elif child.tag == X + 'line-break':
            out += '\n'
        else:
            out += text(child)
        out += child.tail or ''
    return out
with zipfile.ZipFile(book) as z:
    content = ET.fromstring(z.read('content.xml'))
    styles = ET.fromstring(z.read('styles.xml'))
table = content.find('.//' + T + 'table')
tableStyle = [s for s in content.iter(S + 'style') if s.get(S + 'name') == table.get(T + 'style-name')]
master = [m for m in styles.iter(S + 'master-page')
          if m.get(S + 'name') == tableStyle[0].get(S + 'master-page-name')]
layout = [l for l in styles.iter(S + 'page-layout')
          if l.get(S + 'name') == master[0].get(S + 'page-layout-name')]
printed = layout[0].find(S + 'page-layout-properties').get(S + 'print', '').split()
print('print', int('grid' in printed), int('headers' in printed))
r = 0
for row in table.iter(T + 'table-row'):
    c = 0
    for cell in row:
        repeat = int(cell.get(T + 'number-columns-repeated', '1'))
        kind = cell.get(O + 'value-type')
        for _ in range(min(repeat, 300) if kind else 0):
            if kind == 'float':
                print(r, c, 2, repr(float(cell.get(O + 'value'))))
            elif kind == 'string':
                print(r, c, 1, 'x' + '\n'.join(text(p) for p in cell).encode('utf-8').hex())
            else:
                print('warn unexpected value type', kind, 'at', r, c)
            c += 1
        if not kind:
            c += repeat
    r += int(row.get(T + 'number-rows-repeated', '1'))
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

struct ReadBack {
    Sheet sheet;
    bool printsGridlines = false;
    bool printsHeadings = false;
    std::string complaints;
};

std::string readerName(Reader reader) {
    switch (reader) {
    case Reader::Xlrd:
        return "xlrd";
    case Reader::Gnumeric:
        return "Gnumeric";
    case Reader::LibreOffice:
        return "LibreOffice";
    }
    return {};
}

void PrintTo(Reader reader, std::ostream* out) {
    *out << readerName(reader);
}

bool succeeds(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Why the reader cannot run here, or empty when it can.
std::string readerMissing(Reader reader) {
    if (!succeeds(std::string(Python) + " -c ''"))
        return "Debian's " + std::string(Python) + " is not installed";
    if (reader == Reader::Xlrd && !succeeds(std::string(Python) + " -c 'import xlrd'"))
        return "Debian's python3-xlrd is not installed (" + std::string(Python) +
               " cannot import xlrd); scripts/install-deps installs it";
    if (reader == Reader::Gnumeric && !succeeds("command -v ssconvert"))
        return "Gnumeric's ssconvert is not installed (Debian package gnumeric)";
    if (reader == Reader::LibreOffice && !succeeds("command -v soffice"))
        return "LibreOffice is not installed (Debian package libreoffice-calc-nogui)";
    return {};
}

// "x" followed by hexadecimal bytes.
std::string unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 1; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

ReadBack readWorkbook(Reader reader, const std::string& path) {
    const std::string script = sandboxFolder() + "/read_workbook.py";
    writeFile(script, reader == Reader::Xlrd       ? XlrdScript
                      : reader == Reader::Gnumeric ? GnumericScript
                                                   : LibreOfficeScript);
    const std::string command = std::string(Python) + " " + script + " " + path;
    int status = 0;
    const std::string output = commandOutput(command, status);
    EXPECT_EQ(status, 0) << readerName(reader) << " failed on " << path;
    ReadBack read;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string first;
        fields >> first;
        if (first == "print") {
            int grid = 0, headings = 0;
            fields >> grid >> headings;
            read.printsGridlines = grid == 1;
            read.printsHeadings = headings == 1;
        } else if (first == "warn") {
            read.complaints += line + "\n";
        } else {
            int c = 0, type = 0;
            std::string value;
            fields >> c >> type >> value;
            read.sheet[{std::stoi(first), c}] =
                type == TextCell ? Cell{type, unhex(value)}
                                 : Cell{type, "", std::strtod(value.c_str(), nullptr)};
        }
    }
    return read;
}

class BiffReader : public ExportTest {
protected:
    explicit BiffReader(LocaleSettings locale) : ExportTest(std::move(locale)) {}

    void SetUp() override {
        if (const std::string missing = readerMissing(Reader::Xlrd); !missing.empty())
            GTEST_SKIP() << missing;
    }

    // Exports the grid with the main window's layout and compares every cell the reader finds
    // with the grid: numbered rows, captions in row 3 below the time stamp and the header.
    // Empty texts are left out of the comparison: some readers keep no empty cell.
    ReadBack exportAndCompare(const std::string& storedLocale, Reader reader = Reader::Xlrd) {
        if (const std::string missing = readerMissing(reader); !missing.empty()) {
            ADD_FAILURE() << "the test should have been skipped: " << missing;
            return {};
        }
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

        ReadBack read = readWorkbook(reader, path("readout.xls"));
        EXPECT_EQ(read.complaints, "") << readerName(reader);
        for (Sheet* sheet : {&expected, &read.sheet})
            std::erase_if(*sheet, [](const auto& entry) {
                return entry.second.type == TextCell && entry.second.text.empty();
            });
        EXPECT_EQ(read.sheet.size(), expected.size()) << readerName(reader);
        int mismatches = 0;
        for (const auto& [at, cell] : expected) {
            auto found = read.sheet.find(at);
            if (found == read.sheet.end() || !(found->second == cell)) {
                if (++mismatches <= 10)
                    ADD_FAILURE() << readerName(reader) << ": row " << at.first << " column "
                                  << at.second << ": expected " << cell << ", read "
                                  << (found == read.sheet.end()
                                          ? std::string("nothing")
                                          : (std::ostringstream() << found->second).str());
            }
        }
        EXPECT_EQ(mismatches, 0);
        return read;
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

// The spreadsheet programs a user opens the workbook with: every cell, no complaint about the
// file, and the print options as chosen (one on and one off, so a swap shows).
class BiffInSpreadsheetPrograms : public BiffReader,
                                  public ::testing::WithParamInterface<std::tuple<Reader, bool>> {
protected:
    BiffInSpreadsheetPrograms()
        : BiffReader(std::get<1>(GetParam()) ? commaLocale() : pointLocale()) {}

    void SetUp() override {
        if (const std::string missing = readerMissing(std::get<0>(GetParam())); !missing.empty())
            GTEST_SKIP() << missing;
    }
};

TEST_P(BiffInSpreadsheetPrograms, ReadEveryCellAndThePrintOptions) {
    const auto [reader, laterStream] = GetParam();
    fillReadout(grid, 40, services.locale);
    component->XL_Options.PrintGridlines = laterStream;
    component->XL_Options.PrintHeadings = !laterStream;
    const ReadBack read = exportAndCompare(laterStream ? "00000407" : "00000409", reader);
    EXPECT_EQ(read.printsGridlines, laterStream);
    EXPECT_EQ(read.printsHeadings, !laterStream);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, BiffInSpreadsheetPrograms,
    ::testing::Combine(::testing::Values(Reader::Gnumeric, Reader::LibreOffice), ::testing::Bool()),
    [](const auto& info) {
        return readerName(std::get<0>(info.param)) +
               (std::get<1>(info.param) ? "LaterStream" : "Biff2Stream");
    });

// A sheet filled to the last row an Excel 2.1 sheet has opens whole and without complaint (the
// writer refuses one row more, BiffExport.ATableFillingTheSheet...).
class BiffSheetToItsLastRow : public ExportTest, public ::testing::WithParamInterface<Reader> {
protected:
    void SetUp() override {
        if (const std::string missing = readerMissing(GetParam()); !missing.empty())
            GTEST_SKIP() << missing;
    }
};

TEST_P(BiffSheetToItsLastRow, ReadsEveryRow) {
    component->SetOptions({});
    fillGrid(1, 16384);
    exportToFile(TExportType::xMicrosoft_Excel, "full.xls");
    const ReadBack read = readWorkbook(GetParam(), path("full.xls"));
    EXPECT_EQ(read.complaints, "");
    EXPECT_EQ(read.sheet.size(), 16384u);
    const auto last = read.sheet.find({16383, 0});
    ASSERT_NE(last, read.sheet.end());
    EXPECT_EQ(last->second.text, "r16384c0");
}

INSTANTIATE_TEST_SUITE_P(Readers, BiffSheetToItsLastRow,
                         ::testing::Values(Reader::Xlrd, Reader::Gnumeric),
                         [](const auto& info) { return readerName(info.param); });

} // namespace
} // namespace ovena::test
