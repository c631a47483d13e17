#pragma once

#include "export/BiffLayout.h"
#include "export/ExportWriter.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace ovena {

class WriterRegistry;

// Adds the workbook writer to the registry.
void registerBIFFExport(WriterRegistry& registry);

// A one-sheet Excel workbook in the BIFF2 record layouts: page setup from XL_Options, fonts,
// the locale's number formats, nine cell styles, the rows above the table (title, time stamp,
// header lines), captions, one typed cell per value, the footer lines and the column widths.
// The user's locale decides whether BOF and DIMENSIONS take their BIFF2 form or the later one.
class TBIFFExport : public TCustomShellViewExport {
public:
    // Throws when the locale identifier is not hexadecimal text or the file cannot be created.
    TBIFFExport(TExportXComponent& component, TExportType exportType, const std::string& fileName);

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;

    // Writes one cell; kind 0 lets the column's value kind decide. Cells past the sheet's last
    // row or column, and blank typed values, are left out.
    void WriteCell(std::string_view text, int row, const std::optional<TExportItemInfo>& annotation,
                   std::uint8_t kind, int column);
    // A cell style from exactly three values: format index, font selector, border byte.
    void WriteXF(std::initializer_list<int> values);

    std::uint8_t BiffVariant;
    std::optional<OutputFile> Stream;
    std::uint64_t DimensionsPos = 0;
    int TitleRow = -1;
    int StampRow = -1;
    int HeaderRow = -1;
    int FooterRow = -1;
    int CaptionRow = 0;

private:
    // Writes a cell of the rows above and below the table, as text.
    biff::SheetTextWriter textCell();
    std::uint8_t styleForRow(int row) const;
    std::optional<double> numberValue(std::string_view text) const;
    void noteCell(int row, int column);

    // The extent of the cells written, as last row + 1 and last column + 1.
    int usedRows_ = 0;
    int usedColumns_ = 0;
};

} // namespace ovena
