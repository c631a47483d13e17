#include "export/XLSXExport.h"

#include "export/BiffLayout.h"
#include "export/ExportError.h"
#include "export/TableCells.h"
#include "export/TextServices.h"
#include "export/WriterRegistry.h"
#include "export/XLSXCheck.h"
#include "export/XLSXText.h"

#include "platform/Cp1252.h"
#include "platform/TempFiles.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace ovena {

namespace {

// The widest column a sheet can show, in characters.
constexpr double MaxColumnWidth = 255;

} // namespace

void registerXLSXExport(WriterRegistry& registry) {
    registry.add("TXLSXExport",
                 [](TExportXComponent& component, TExportType type,
                    const std::string& fileName) -> std::unique_ptr<TCustomExport> {
                     return std::make_unique<TXLSXExport>(component, type, fileName);
                 });
}

TXLSXExport::TXLSXExport(TExportXComponent& component, TExportType exportType,
                         const std::string& fileName)
    : TCustomShellViewExport(component, exportType, fileName) {
    Constructed = false;
    // The library keeps the rows of the sheet in temporary files of its own, removed from the
    // folder as soon as they are opened, so none outlives the export.
    std::string tmpdir = tempFolder();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    workbook_ = workbook_new_opt(TargetFile.c_str(), &options);
    if (workbook_)
        sheet_ = workbook_add_worksheet(workbook_, xlsxSheetName(Component.Title()).c_str());
    if (!sheet_) {
        if (workbook_)
            lxw_workbook_free(workbook_);
        throw ExportError("Cannot start the workbook " + TargetFile +
                          ": no memory or no temporary file in " + tmpdir);
    }
    Constructed = true;
}

TXLSXExport::~TXLSXExport() {
    if (!workbook_)
        return;
    // Only workbook_close closes the sheet's temporary row file; freeing the workbook unclosed
    // would keep its descriptor, and the rows written so far, until the program ends. The
    // sheet writes its rows through `file`, the same stream, which must not be left dangling.
    if (sheet_ && sheet_->optimize_tmpfile) {
        if (sheet_->file == sheet_->optimize_tmpfile)
            sheet_->file = nullptr;
        std::fclose(sheet_->optimize_tmpfile);
        sheet_->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(workbook_);
}

void TXLSXExport::check(int error) const {
    if (error != LXW_NO_ERROR)
        throw ExportError("Cannot write the workbook " + TargetFile + ": " +
                          lxw_strerror(static_cast<lxw_error>(error)) + " (libxlsxwriter error " +
                          std::to_string(error) + ")");
}

void TXLSXExport::addFormats() {
    formats_.title = workbook_add_format(workbook_);
    format_set_bold(formats_.title);
    format_set_underline(formats_.title, LXW_UNDERLINE_SINGLE);
    format_set_font_size(formats_.title, 12);
    formats_.footer = workbook_add_format(workbook_);
    format_set_italic(formats_.footer);
    formats_.caption = workbook_add_format(workbook_);
    format_set_bold(formats_.caption);
    format_set_bottom(formats_.caption, LXW_BORDER_THIN);

    auto numberFormat = [&](const std::string& code) {
        lxw_format* format = workbook_add_format(workbook_);
        format_set_num_format(format, cp1252ToUtf8(code).c_str());
        return format;
    };
    formats_.date = numberFormat(SpreadsheetDateFormat());
    formats_.time = numberFormat(SpreadsheetTimeFormat());
    formats_.dateTime = numberFormat(SpreadsheetDateTimeFormat());
    formats_.currency = numberFormat(SpreadsheetCurrencyFormat());
}

void TXLSXExport::setProperties() {
    std::string title = cp1252ToUtf8(Component.Title());
    std::string author = "Ovena";
    lxw_doc_properties properties{};
    properties.title = title.data();
    properties.author = author.data();
    check(workbook_set_properties(workbook_, &properties));
}

void TXLSXExport::setUpPage() {
    const TXL_Options& page = Component.XL_Options;
    // Printed across: landscape, as wide as the page, the captions on every page. The sheet's
    // own row and column headings are never printed; the captions name the columns.
    worksheet_set_landscape(sheet_);
    worksheet_fit_to_pages(sheet_, 1, 0);
    if (has(TExportOption::ShowColHeaders))
        check(worksheet_repeat_rows(sheet_, static_cast<lxw_row_t>(CaptionRow),
                                    static_cast<lxw_row_t>(CaptionRow)));
    if (const std::string header = xlsxPageText(page.PageHeader); !header.empty())
        check(worksheet_set_header(sheet_, header.c_str()));
    if (const std::string footer = xlsxPageText(page.PageFooter); !footer.empty())
        check(worksheet_set_footer(sheet_, footer.c_str()));
    worksheet_gridlines(sheet_,
                        page.PrintGridlines ? LXW_SHOW_ALL_GRIDLINES : LXW_SHOW_SCREEN_GRIDLINES);
}

void TXLSXExport::WriteHeader(const ExportList& captions) {
    TCustomShellViewExport::WriteHeader(captions);
    addFormats();
    setProperties();
    notation_ = notationLocale(Locale(), Component.TableNotation);

    const biff::RowPlacement rows = biff::placeRows(Component);
    TitleRow = rows.TitleRow;
    StampRow = rows.StampRow;
    HeaderRow = rows.HeaderRow;
    CaptionRow = rows.CaptionRow;
    setUpPage();
    if (has(TExportOption::ShowColHeaders))
        for (std::size_t i = 0; i < captions.size(); ++i)
            noteFilled(static_cast<int>(i), captions[i].Text);
    biff::writeRowsAboveTable(Component, rows, TimeStampText(), captions, textCell());
    if (has(TExportOption::ShowColHeaders))
        worksheet_freeze_panes(sheet_, static_cast<lxw_row_t>(CaptionRow + 1), 0);
}

void TXLSXExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomShellViewExport::WriteRow(row, rowNumber);
    for (std::size_t i = 0; i < row.size(); ++i) {
        noteFilled(static_cast<int>(i), row[i].Text);
        WriteCell(row[i].Text, CaptionRow + rowNumber, row[i].Info, 0, static_cast<int>(i));
    }
}

void TXLSXExport::WriteFooter() {
    TCustomShellViewExport::WriteFooter();

    // The rows are written in order and each is final once a later one starts, so the filter
    // over the table's filled columns is set before the footer rows begin.
    if (has(TExportOption::ShowColHeaders) && lastFilledColumn_ >= 0)
        check(worksheet_autofilter(sheet_, static_cast<lxw_row_t>(CaptionRow), 0,
                                   static_cast<lxw_row_t>(CaptionRow + Component.RowsExported),
                                   static_cast<lxw_col_t>(lastFilledColumn_)));
    FooterRow = biff::footerRow(Component, CaptionRow);
    biff::writeFooterRows(Component, FooterRow, textCell());
    for (std::size_t i = 0; i < CaptionCopy.size(); ++i) {
        const auto column = static_cast<lxw_col_t>(i);
        check(worksheet_set_column(sheet_, column, column, columnWidth(i), nullptr));
    }
}

void TXLSXExport::CompleteOutput() {
    // workbook_close frees the workbook whatever its result.
    lxw_workbook* workbook = std::exchange(workbook_, nullptr);
    sheet_ = nullptr;
    check(workbook_close(workbook));
    nameWorkbookApplication(TargetFile, "Ovena");
    checkWorkbookWhole(TargetFile);
    TCustomShellViewExport::CompleteOutput();
}

void TXLSXExport::WriteCell(std::string_view text, int row,
                            const std::optional<TExportItemInfo>& annotation, std::uint8_t kind,
                            int column) {
    if (kind == 0) {
        kind = ColumnKind(static_cast<std::size_t>(column), text);
        if (!annotatedColumn(column) && (kind == ValueKind::Number || kind == ValueKind::Text)) {
            if (const auto serial =
                    pictureDateTime(text, Component.TableNotation.DateTimePicture)) {
                writeNumber(row, column, *serial, pictureFormat());
                return;
            }
            kind = plainKind(column, text);
        }
    }
    if (ValueKind::holdsNumber(kind) && isBlank(text))
        return;

    // A number that no cell can hold stays the text it came as.
    auto writeDecimal = [&](std::string_view number, lxw_format* format) {
        if (const std::optional<double> value = NumericValue(number, Locale()))
            writeNumber(row, column, *value, format);
        else
            writeText(row, column, text, formatForRow(row));
    };
    switch (kind) {
    case ValueKind::Number: {
        const std::string number = trim(NumberText(ExportItem{std::string(text), annotation}));
        if (const std::optional<double> value = NumericValue(number, notation_))
            writeNumber(row, column, *value,
                        decimalsFormat(decimalPlaces(number, notation_.sDecimal.front())));
        else
            writeText(row, column, text, formatForRow(row));
        return;
    }
    case ValueKind::Currency:
        writeDecimal(trim(text), formats_.currency);
        return;
    case ValueKind::Date:
    case ValueKind::DatePart:
        writeNumber(row, column, DateTimeValue(kind, text), formats_.date);
        return;
    case ValueKind::Time:
    case ValueKind::TimePart:
        writeNumber(row, column, DateTimeValue(kind, text), formats_.time);
        return;
    case ValueKind::DateTime:
        writeNumber(row, column, DateTimeValue(kind, text), formats_.dateTime);
        return;
    case ValueKind::Boolean: {
        // 1 false, 2 true; no state (or none this writer knows) leaves the cell empty.
        const std::uint8_t state = annotation ? annotation->State : 0;
        if (state == 1 || state == 2)
            check(worksheet_write_boolean(sheet_, static_cast<lxw_row_t>(row),
                                          static_cast<lxw_col_t>(column), state == 2,
                                          formatForRow(row)));
        return;
    }
    default:
        writeText(row, column, text, formatForRow(row));
        return;
    }
}

std::uint8_t TXLSXExport::plainKind(int column, std::string_view text) const {
    if (column == 0 && has(TExportOption::NumberRows))
        return ValueKind::Number;
    return ovena::IsNumeric(text, notation_) && !hasLeadingZero(text) ? ValueKind::Number
                                                                      : ValueKind::Text;
}

lxw_format* TXLSXExport::decimalsFormat(int decimals) {
    lxw_format*& format = formats_.decimals[decimals];
    if (!format) {
        format = workbook_add_format(workbook_);
        format_set_num_format(format, decimalsNumberFormat(decimals).c_str());
    }
    return format;
}

lxw_format* TXLSXExport::pictureFormat() {
    if (!formats_.picture) {
        formats_.picture = workbook_add_format(workbook_);
        format_set_num_format(
            formats_.picture,
            cp1252ToUtf8(pictureNumberFormat(Component.TableNotation.DateTimePicture)).c_str());
    }
    return formats_.picture;
}

bool TXLSXExport::annotatedColumn(int column) const {
    const ExportList& captions = Component.CaptionList;
    const auto i = static_cast<std::size_t>(column);
    return i < captions.size() && captions[i].Info && captions[i].Info->Kind != 0;
}

void TXLSXExport::noteFilled(int column, std::string_view text) {
    if (!isBlank(text))
        lastFilledColumn_ = std::max(lastFilledColumn_, column);
}

biff::SheetTextWriter TXLSXExport::textCell() {
    return [this](std::string_view text, int row, int column) {
        WriteCell(text, row, std::nullopt, ValueKind::Caption, column);
    };
}

lxw_format* TXLSXExport::formatForRow(int row) const {
    if (row == TitleRow)
        return formats_.title;
    if (row == FooterRow)
        return formats_.footer;
    if (row == CaptionRow && has(TExportOption::ShowColHeaders))
        return formats_.caption;
    return nullptr;
}

void TXLSXExport::writeText(int row, int column, std::string_view text, lxw_format* format) {
    check(worksheet_write_string(sheet_, static_cast<lxw_row_t>(row),
                                 static_cast<lxw_col_t>(column), xlsxCellText(text).c_str(),
                                 format));
}

void TXLSXExport::writeNumber(int row, int column, double value, lxw_format* format) {
    check(worksheet_write_number(sheet_, static_cast<lxw_row_t>(row),
                                 static_cast<lxw_col_t>(column), value, format));
}

double TXLSXExport::columnWidth(std::size_t i) const {
    const bool numbered = has(TExportOption::NumberRows);
    if (!(numbered && i == 0)) {
        const std::size_t j = numbered ? i - 1 : i;
        const std::vector<std::string>& widths = Component.ColWidths();
        if (j < widths.size() && !isBlank(widths[j]))
            return std::min(static_cast<double>(std::stoi(widths[j])), MaxColumnWidth);
    }
    return std::min(static_cast<double>(MaxWidths[i] + 2), MaxColumnWidth);
}

} // namespace ovena
