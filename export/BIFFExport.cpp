#include "export/BIFFExport.h"

#include "export/BiffLayout.h"
#include "export/BiffRecords.h"
#include "export/ExportError.h"
#include "export/TextServices.h"
#include "export/WriterRegistry.h"

#include "platform/LocaleSettings.h"

#include <algorithm>
#include <array>

namespace ovena {

namespace {

// A sheet of BIFF2 records: its ROW records number rows up to 16,384, columns up to 256.
constexpr int SheetRows = 16384;
constexpr int SheetColumns = 256;

[[noreturn]] void failTooLarge(int count, const char* what, const char* capacity) {
    throw ExportError("The table has " + std::to_string(count) + " " + what +
                      "; the Excel workbook holds " + capacity + ": use the Excel Workbook (xlsx)");
}

// Cell styles (XF indexes) by use.
constexpr std::uint8_t OrdinaryStyle = 1;
constexpr std::uint8_t DateStyle = 2;
constexpr std::uint8_t TimeStyle = 3;
constexpr std::uint8_t DateTimeStyle = 4;
constexpr std::uint8_t CurrencyStyle = 5;
constexpr std::uint8_t TitleStyle = 6;
constexpr std::uint8_t FooterStyle = 7;
constexpr std::uint8_t CaptionStyle = 8;

struct FontSpec {
    std::uint16_t heightTwips;
    TFontStyles style;
};

// Font indexes 0 to 3 and 5 to 8 (the format never uses index 4).
const std::array<FontSpec, 8> Fonts{{
    {200, {}},
    {200, {}},
    {200, {}},
    {200, {}},
    {200, {}},
    {200, {TFontStyle::fsItalic}},
    {240, {TFontStyle::fsBold, TFontStyle::fsUnderline}},
    {200, {TFontStyle::fsBold}},
}};

std::uint16_t fontFlags(TFontStyles style) {
    std::uint16_t flags = 0;
    if (style.contains(TFontStyle::fsBold))
        flags |= biff::FontBold;
    if (style.contains(TFontStyle::fsItalic))
        flags |= biff::FontItalic;
    if (style.contains(TFontStyle::fsUnderline))
        flags |= biff::FontUnderline;
    if (style.contains(TFontStyle::fsStrikeOut))
        flags |= biff::FontStruckOut;
    return flags;
}

} // namespace

void registerBIFFExport(WriterRegistry& registry) {
    registry.add("TBIFFExport",
                 [](TExportXComponent& component, TExportType type,
                    const std::string& fileName) -> std::unique_ptr<TCustomExport> {
                     return std::make_unique<TBIFFExport>(component, type, fileName);
                 });
}

TBIFFExport::TBIFFExport(TExportXComponent& component, TExportType exportType,
                         const std::string& fileName)
    : TCustomShellViewExport(component, exportType, fileName) {
    BiffVariant = biff::variantForLocale(LocaleIdentifier());
    Stream.emplace(TargetFile);
}

void TBIFFExport::WriteHeader(const ExportList& captions) {
    TCustomShellViewExport::WriteHeader(captions);

    const biff::RowPlacement rows = biff::placeRows(Component);
    // The table's sheet rows: those above it, its captions and its data rows.
    const int tableRows = rows.CaptionRow + 1 + Component.RowCount;
    if (tableRows > SheetRows)
        failTooLarge(tableRows, "rows", "16,384");
    if (captions.size() > SheetColumns)
        failTooLarge(static_cast<int>(captions.size()), "columns", "256");

    Stream->write(biff::bof(BiffVariant));
    Stream->write(biff::codePage(biff::Windows1252));
    DimensionsPos = Stream->position();
    Stream->write(biff::dimensions(BiffVariant, 0, 0));
    const TXL_Options& page = Component.XL_Options;
    Stream->write(biff::pageHeader(page.PageHeader));
    Stream->write(biff::pageFooter(page.PageFooter));
    Stream->write(biff::printHeaders(page.PrintHeadings));
    Stream->write(biff::printGridlines(page.PrintGridlines));
    for (const FontSpec& font : Fonts)
        Stream->write(biff::font(font.heightTwips, fontFlags(font.style), "Arial"));
    for (const std::string& format :
         {std::string("General"), SpreadsheetDateFormat(), SpreadsheetTimeFormat(),
          SpreadsheetDateTimeFormat(), SpreadsheetCurrencyFormat()})
        Stream->write(biff::format(format));
    // Format index, font selector (font index - 5), border byte; XF 0 to 8.
    WriteXF({0, 0, 0});
    WriteXF({0, 0, 0});
    WriteXF({1, 0, 0});
    WriteXF({2, 0, 0});
    WriteXF({3, 0, 0});
    WriteXF({4, 0, 0});
    WriteXF({0, 2, 0});
    WriteXF({0, 1, 0});
    WriteXF({0, 3, biff::BorderTop | biff::BorderBottom});

    TitleRow = rows.TitleRow;
    StampRow = rows.StampRow;
    HeaderRow = rows.HeaderRow;
    CaptionRow = rows.CaptionRow;
    biff::writeRowsAboveTable(Component, rows, TimeStampText(), captions, textCell());
}

void TBIFFExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomShellViewExport::WriteRow(row, rowNumber);
    for (std::size_t i = 0; i < row.size(); ++i)
        WriteCell(row[i].Text, CaptionRow + rowNumber, row[i].Info, 0, static_cast<int>(i));
}

void TBIFFExport::WriteFooter() {
    TCustomShellViewExport::WriteFooter();

    FooterRow = biff::footerRow(Component, CaptionRow);
    biff::writeFooterRows(Component, FooterRow, textCell());
    for (std::size_t i = 0; i < CaptionCopy.size() && i < SheetColumns; ++i) {
        const int width = std::min(MaxWidths[i] + 2, 255) * 256;
        const auto column = static_cast<std::uint8_t>(i);
        Stream->write(biff::colWidth(column, column, static_cast<std::uint16_t>(width)));
    }
    Stream->write(biff::eof());

    // The used range: one row and one column beyond the table, and never less than the cells
    // written above and below it.
    const int lastRowPlusOne = std::max(Component.RowsExported + 2, usedRows_);
    const int lastColumnPlusOne = std::max(static_cast<int>(CaptionCopy.size()) + 1, usedColumns_);
    Stream->writeAt(
        DimensionsPos,
        biff::dimensions(BiffVariant, static_cast<std::uint16_t>(std::min(lastRowPlusOne, 0xFFFF)),
                         static_cast<std::uint16_t>(std::min(lastColumnPlusOne, 0xFFFF))));
    Stream->close();
}

void TBIFFExport::WriteCell(std::string_view text, int row,
                            const std::optional<TExportItemInfo>& annotation, std::uint8_t kind,
                            int column) {
    if (row < 0 || column < 0)
        return;
    // A cell beyond the sheet (a footer below a full table) fails the export rather than
    // leaving rows or columns out of a workbook that says it succeeded.
    if (row >= SheetRows)
        failTooLarge(row + 1, "rows", "16,384");
    if (column >= SheetColumns)
        failTooLarge(column + 1, "columns", "256");
    if (kind == 0)
        kind = ColumnKind(static_cast<std::size_t>(column), text);
    const auto r = static_cast<std::uint16_t>(row);
    const auto c = static_cast<std::uint16_t>(column);

    auto writeLabel = [&](std::string_view label) {
        Stream->write(biff::label(r, c, styleForRow(row), cleanText(label)));
        noteCell(row, column);
    };
    auto writeNumber = [&](std::uint8_t style, double value) {
        Stream->write(biff::number(r, c, style, value));
        noteCell(row, column);
    };
    // A number no cell can hold stays the text it came as, rather than failing the workbook.
    auto writeDecimal = [&](std::uint8_t style, std::string_view number) {
        if (const std::optional<double> value = numberValue(number))
            writeNumber(style, *value);
        else
            writeLabel(text);
    };
    if (ValueKind::holdsNumber(kind) && isBlank(text))
        return;
    switch (kind) {
    case ValueKind::Number:
        writeDecimal(styleForRow(row), NumberText(ExportItem{std::string(text), annotation}));
        return;
    case ValueKind::Currency:
        writeDecimal(CurrencyStyle, text);
        return;
    case ValueKind::Date:
    case ValueKind::DatePart:
        writeNumber(DateStyle, DateTimeValue(kind, text));
        return;
    case ValueKind::Time:
    case ValueKind::TimePart:
        writeNumber(TimeStyle, DateTimeValue(kind, text));
        return;
    case ValueKind::DateTime:
        writeNumber(DateTimeStyle, DateTimeValue(kind, text));
        return;
    case ValueKind::Boolean: {
        // 1 false, 2 true; no state (or none this writer knows) leaves the cell empty.
        const std::uint8_t state = annotation ? annotation->State : 0;
        if (state == 1 || state == 2) {
            Stream->write(biff::boolean(r, c, styleForRow(row), state == 2));
            noteCell(row, column);
        }
        return;
    }
    default:
        writeLabel(text);
        return;
    }
}

void TBIFFExport::WriteXF(std::initializer_list<int> values) {
    Stream->write(biff::xfFromValues(values));
}

biff::SheetTextWriter TBIFFExport::textCell() {
    return [this](std::string_view text, int row, int column) {
        WriteCell(text, row, std::nullopt, ValueKind::Caption, column);
    };
}

std::uint8_t TBIFFExport::styleForRow(int row) const {
    if (row == TitleRow)
        return TitleStyle;
    if (row == FooterRow)
        return FooterStyle;
    if (row == CaptionRow && has(TExportOption::ShowColHeaders))
        return CaptionStyle;
    return OrdinaryStyle;
}

// A decimal number in the locale's notation without thousands separators; nullopt for a
// number beyond the range of a double, which the caller writes as text.
std::optional<double> TBIFFExport::numberValue(std::string_view text) const {
    const std::string trimmed = trim(text);
    if (!IsNumeric(trimmed))
        throw ExportError("'" + std::string(text) + "' is not a valid floating point value");
    return NumericValue(trimmed, Locale());
}

void TBIFFExport::noteCell(int row, int column) {
    usedRows_ = std::max(usedRows_, row + 1);
    usedColumns_ = std::max(usedColumns_, column + 1);
}

} // namespace ovena
