#include "export/SYLKExport.h"

#include "export/SylkLines.h"
#include "export/TextServices.h"
#include "export/WriterRegistry.h"

#include <cmath>

namespace ovena {

namespace {

// The positions of the format lines, by which format records refer to them.
constexpr int DateFormat = 0;
constexpr int TimeFormat = 1;
constexpr int DateTimeFormat = 2;
constexpr int CurrencyFormat = 3;

// The kinds written as numbers; every other kind is written as text.
bool isValueKind(std::uint8_t kind) {
    return kind == ValueKind::Number || kind == ValueKind::Currency || kind == ValueKind::Date ||
           kind == ValueKind::Time || kind == ValueKind::DateTime;
}

} // namespace

void registerSYLKExport(WriterRegistry& registry) {
    registry.add("TSYLKExport",
                 [](TExportXComponent& component, TExportType type,
                    const std::string& fileName) -> std::unique_ptr<TCustomExport> {
                     return std::make_unique<TSYLKExport>(component, type, fileName);
                 });
}

void TSYLKExport::WriteHeader(const ExportList& captions) {
    TCustomTextExport::WriteHeader(captions);
    Output->writeLine(sylk::IdLine);
    for (const std::string& format : {SpreadsheetDateFormat(), SpreadsheetTimeFormat(),
                                      SpreadsheetDateTimeFormat(), SpreadsheetCurrencyFormat()})
        Output->writeLine(sylk::formatLine(format));
    if (has(TExportOption::ShowColHeaders))
        writeCells(captions);
}

void TSYLKExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    writeCells(row);
}

void TSYLKExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    for (std::size_t i = 0; i < CaptionCopy.size(); ++i)
        Output->writeLine(sylk::widthLine(static_cast<int>(i) + 1, MaxWidths[i]));
    Output->writeLine(sylk::EndLine);
}

// A number in the locale's notation with a point for its decimal separator, or empty when it is
// no number a double holds: such a cell is written as the text it came as.
std::string TSYLKExport::decimalValue(std::string_view number) const {
    return NumericValue(number, Locale()) ? ToPointDecimal(number) : std::string();
}

void TSYLKExport::writeCells(const ExportList& entries) {
    const int y = has(TExportOption::ShowColHeaders) ? CurrentRow + 1 : CurrentRow;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int x = static_cast<int>(i) + 1;
        const std::string clean = cleanText(entries[i].Text);
        const std::uint8_t kind = ColumnKind(i, clean) & 0x7F;
        if (!isValueKind(kind)) {
            Output->writeLine(sylk::cellRecord(x, y, sylk::textValue(clean)));
            continue;
        }
        if (isBlank(clean))
            continue;
        int format = -1;
        std::string value;
        switch (kind) {
        case ValueKind::Currency:
            format = CurrencyFormat;
            value = decimalValue(clean);
            break;
        case ValueKind::Date:
            format = DateFormat;
            value = sylk::generalNumber(ParseDate(clean));
            break;
        case ValueKind::Time: {
            format = TimeFormat;
            const double serial = ParseDateTime(clean);
            value = sylk::generalNumber(serial - std::trunc(serial));
            break;
        }
        case ValueKind::DateTime:
            format = DateTimeFormat;
            value = sylk::generalNumber(ParseDateTime(clean));
            break;
        default:
            value = decimalValue(NumberText(ExportItem{clean, entries[i].Info}));
            break;
        }
        if (value.empty()) {
            Output->writeLine(sylk::cellRecord(x, y, sylk::textValue(clean)));
            continue;
        }
        if (format >= 0)
            Output->writeLine(sylk::cellFormatRecord(format, x, y));
        Output->writeLine(sylk::cellRecord(x, y, value));
    }
}

} // namespace ovena
