#include "XlsxReader.h"

#include "support/TestEnvironment.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace ovena::test {

namespace {

// Debian's own interpreter: another python first on PATH may lack the Debian package.
constexpr const char* Python = "/usr/bin/python3";

// Prints one line per property and per cell that is not empty. Texts are written as "x" and
// the hexadecimal bytes of their UTF-8 form, so any character passes; date cells, which
// openpyxl turns into date objects, as their serial numbers.
constexpr const char* ReaderScript = R"(import sys, re, zipfile, openpyxl
from openpyxl.utils.datetime import to_excel
def hx(s): return 'x' + (s or '').encode('utf-8').hex()
book = openpyxl.load_workbook(sys.argv[1])
print('sheets', hx('\n'.join(book.sheetnames)))
print('title', hx(book.properties.title))
print('creator', hx(book.properties.creator))
app = zipfile.ZipFile(sys.argv[1]).read('docProps/app.xml').decode('utf-8')
print('application', hx(re.search('<Application>(.*?)</Application>', app).group(1)))
sheet = book.worksheets[0]
print('orientation', hx(sheet.page_setup.orientation))
fit = sheet.sheet_properties.pageSetUpPr
def pages(n): return 1 if n is None else n  # the attributes' default
print('fit', hx('%s %s %s' % (int(bool(fit and fit.fitToPage)), pages(sheet.page_setup.fitToWidth),
                              pages(sheet.page_setup.fitToHeight))))
print('titlerows', hx(sheet.print_title_rows))
print('freeze', hx(sheet.freeze_panes))
print('filter', hx(sheet.auto_filter.ref))
for dim in sheet.column_dimensions.values():
    if dim.customWidth:
        for column in range(dim.min, dim.max + 1):
            print('width', column - 1, repr(dim.width))
print('header.left', hx(sheet.oddHeader.left.text))
print('header.center', hx(sheet.oddHeader.center.text))
print('header.right', hx(sheet.oddHeader.right.text))
print('footer.center', hx(sheet.oddFooter.center.text))
print('gridlines', int(bool(sheet.print_options.gridLines)))
print('headings', int(bool(sheet.print_options.headings)))
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        if cell.data_type == 's':
            kind, value = 'text', hx(cell.value)
        elif cell.data_type == 'b':
            kind, value = 'bool', str(int(cell.value))
        elif cell.data_type == 'd':
            kind, value = 'number', repr(float(to_excel(cell.value)))
        else:
            kind, value = 'number', repr(float(cell.value))
        print('cell', cell.row - 1, cell.column - 1, kind, value, int(bool(cell.font.b)),
              int(bool(cell.font.i)), int(cell.font.u is not None),
              int(cell.border.bottom.style is not None), hx(cell.number_format))
)";

// "x" followed by hexadecimal bytes.
std::string unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 1; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The rows of a CSV text: fields separated by commas, quoted fields with doubled quotes.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            rows.back().push_back(std::move(field));
            field.clear();
            rows.emplace_back();
        } else if (c != '\r') {
            field += c;
        }
    }
    if (rows.back().empty() && field.empty())
        rows.pop_back();
    else
        rows.back().push_back(std::move(field));
    return rows;
}

} // namespace

std::ostream& operator<<(std::ostream& out, const XlsxCell& cell) {
    switch (cell.type) {
    case XlsxCell::Number:
        return out << "number " << cell.number;
    case XlsxCell::Boolean:
        return out << "Boolean " << cell.boolean;
    default:
        return out << "text \"" << cell.text << '"';
    }
}

const XlsxCell* XlsxSheet::at(int row, int column) const {
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

bool openpyxlInstalled() {
    const std::string command = std::string(Python) + " -c 'import openpyxl' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

XlsxSheet readXlsx(const std::string& path) {
    const std::string script = sandboxFolder() + "/read_xlsx.py";
    writeFile(script, ReaderScript);
    int status = 0;
    const std::string output =
        commandOutput(std::string(Python) + " " + script + " '" + path + "'", status);
    EXPECT_EQ(status, 0) << "openpyxl cannot read " << path;
    XlsxSheet sheet;
    for (const std::string& line : lines(output)) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (key == "cell") {
            int row = 0, column = 0;
            std::string type, value, format;
            XlsxCell cell;
            in >> row >> column >> type >> value >> cell.bold >> cell.italic >> cell.underline >>
                cell.bottomBorder >> format;
            cell.numberFormat = unhex(format);
            if (type == "text") {
                cell.text = unhex(value);
            } else if (type == "bool") {
                cell.type = XlsxCell::Boolean;
                cell.boolean = value == "1";
            } else {
                cell.type = XlsxCell::Number;
                // Python's repr of a float, read whatever the process's locale.
                std::from_chars(value.data(), value.data() + value.size(), cell.number);
            }
            sheet.cells[{row, column}] = cell;
        } else if (key == "width") {
            int column = 0;
            double width = 0;
            in >> column >> width;
            sheet.widths[column] = width;
        } else {
            std::string value;
            in >> value;
            const std::string text = unhex(value);
            if (key == "sheets")
                sheet.sheetNames = lines(text);
            else if (key == "title")
                sheet.title = text;
            else if (key == "creator")
                sheet.creator = text;
            else if (key == "application")
                sheet.application = text;
            else if (key == "orientation")
                sheet.orientation = text;
            else if (key == "fit")
                sheet.fitToPage = text;
            else if (key == "titlerows")
                sheet.printTitleRows = text;
            else if (key == "freeze")
                sheet.freezePanes = text;
            else if (key == "filter")
                sheet.autoFilter = text;
            else if (key == "header.left")
                sheet.headerLeft = text;
            else if (key == "header.center")
                sheet.headerCenter = text;
            else if (key == "header.right")
                sheet.headerRight = text;
            else if (key == "footer.center")
                sheet.footerCenter = text;
            else if (key == "gridlines")
                sheet.printGridlines = value == "1";
            else if (key == "headings")
                sheet.printHeadings = value == "1";
        }
    }
    return sheet;
}

std::vector<std::vector<std::string>> libreOfficeCsv(const std::string& soffice,
                                                     const std::string& path) {
    // A profile of its own, so a LibreOffice the user runs (or another test) does not interfere;
    // 44,34,76 asks for commas, double quotes and UTF-8.
    const std::string folder = sandboxFolder() + "/libreoffice";
    std::filesystem::create_directories(folder);
    const std::string command =
        soffice + " -env:UserInstallation=file://" + folder +
        "/profile --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" +
        folder + "' '" + path + "' 2>&1";
    int status = 0;
    const std::string output = commandOutput(command, status);
    EXPECT_EQ(status, 0) << output;
    const std::string csv = folder + "/" + std::filesystem::path(path).stem().string() + ".csv";
    EXPECT_TRUE(std::filesystem::exists(csv)) << output;
    return csvRows(readFile(csv));
}

} // namespace ovena::test
