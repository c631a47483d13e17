#pragma once

#include "PrintedPages.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace ovena::test {

// An xlsx workbook as an independent reader (Debian's python3-openpyxl) sees its first sheet.
struct XlsxCell {
    enum Type { Text, Number, Boolean } type = Text;
    std::string text; // UTF-8
    double number = 0;
    bool boolean = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool bottomBorder = false;
    std::string numberFormat;
};

std::ostream& operator<<(std::ostream& out, const XlsxCell& cell);

struct XlsxSheet {
    std::vector<std::string> sheetNames;
    std::string title, creator, application; // document properties
    std::string orientation;                 // "landscape", "portrait" or empty
    std::string fitToPage;                   // "1 1 0": fit on, pages wide, pages tall
    std::string printTitleRows;              // "$5:$5", or empty
    std::string freezePanes;                 // "A6", or empty
    std::string autoFilter;                  // "A5:M65", or empty
    std::map<int, double> widths;            // zero-based column -> width as stored
    std::string headerCenter, headerLeft, headerRight;
    std::string footerCenter;
    bool printGridlines = false;
    bool printHeadings = false;
    std::map<std::pair<int, int>, XlsxCell> cells; // (zero-based row, column) -> cell

    const XlsxCell* at(int row, int column) const;
};

// Whether /usr/bin/python3 can import openpyxl.
bool openpyxlInstalled();
// Reads the workbook; a file the reader cannot open fails the calling test.
XlsxSheet readXlsx(const std::string& path);

// The first sheet as LibreOffice converts it to UTF-8 CSV: rows of cells as it shows them.
std::vector<std::vector<std::string>> libreOfficeCsv(const std::string& soffice,
                                                     const std::string& path);

} // namespace ovena::test
