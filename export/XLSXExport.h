#pragma once

#include "export/BiffLayout.h"
#include "export/ExportWriter.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// The workbook library's types, kept out of every other module.
struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace ovena {

class WriterRegistry;

// Adds the xlsx workbook writer to the registry.
void registerXLSXExport(WriterRegistry& registry);

// A one-sheet Office Open XML workbook, written row by row in constant memory; the sheet and the
// document are named by the title, the document's author is this program. The sheet is laid
// out as the BIFF workbook: title, time stamp and header lines above the table, the captions
// (bold, underlined by a border, frozen, with an autofilter over the filled columns), typed
// cells, the footer lines below and the column widths. Cells are typed by the source's
// TableNotation: numbers in its decimal mark (with as many decimals shown as they carry, digit
// strings with a leading zero kept as text) and dates in its layout. Printed landscape, as wide
// as the page, the captions repeated on every page; page header, footer and grid lines come
// from XL_Options (the sheet's headings are never printed).
class TXLSXExport : public TCustomShellViewExport {
public:
    // Throws ExportError when the workbook cannot be started.
    TXLSXExport(TExportXComponent& component, TExportType exportType, const std::string& fileName);
    // Discards an unfinished workbook without writing it.
    ~TXLSXExport() override;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;
    // Writes the finished workbook to TargetFile and checks that it is whole before the base
    // puts it in place of a named destination.
    void CompleteOutput() override;

    // Writes one cell; kind 0 lets the column's value kind decide. Blank typed values are left
    // out; a number that does not convert to a finite double stays text.
    void WriteCell(std::string_view text, int row, const std::optional<TExportItemInfo>& annotation,
                   std::uint8_t kind, int column);

    int TitleRow = -1;
    int StampRow = -1;
    int HeaderRow = -1;
    int FooterRow = -1;
    int CaptionRow = 0;

private:
    struct Formats {
        lxw_format* title = nullptr;
        lxw_format* footer = nullptr;
        lxw_format* caption = nullptr;
        lxw_format* date = nullptr;
        lxw_format* time = nullptr;
        lxw_format* dateTime = nullptr;
        lxw_format* currency = nullptr;
        lxw_format* picture = nullptr;       // the source's date-time layout
        std::map<int, lxw_format*> decimals; // by decimal places
    };

    // Throws ExportError with the library's text for any error code but success.
    void check(int error) const;
    void addFormats();
    void setProperties();
    void setUpPage();
    // Whether the column's caption gives its cells their kind.
    bool annotatedColumn(int column) const;
    // Number or Text for a cell that no annotation types.
    std::uint8_t plainKind(int column, std::string_view text) const;
    lxw_format* decimalsFormat(int decimals);
    lxw_format* pictureFormat();
    void noteFilled(int column, std::string_view text);
    // Writes a cell of the rows above and below the table, as text.
    biff::SheetTextWriter textCell();
    lxw_format* formatForRow(int row) const;
    void writeText(int row, int column, std::string_view text, lxw_format* format);
    void writeNumber(int row, int column, double value, lxw_format* format);
    // The width of column i in characters: its ColWidths entry, or the measured texts.
    double columnWidth(std::size_t i) const;

    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    Formats formats_;
    int lastFilledColumn_ = -1;
    LocaleSettings notation_; // the locale with the source's decimal mark
};

} // namespace ovena
