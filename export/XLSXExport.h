#pragma once

#include "export/BiffLayout.h"
#include "export/ExportWriter.h"

#include <cstdint>
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

// A one-sheet Office Open XML workbook ("Worksheet"), written row by row in constant memory.
// The sheet is laid out as the BIFF workbook: title, time stamp and header lines above the
// table, the captions (bold, underlined by a border, frozen, with an autofilter over the table),
// typed cells, the footer lines below and the column widths. Page header, footer, grid lines and
// headings come from XL_Options.
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
    };

    // Throws ExportError with the library's text for any error code but success.
    void check(int error) const;
    void addFormats();
    void setUpPage();
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
};

} // namespace ovena
