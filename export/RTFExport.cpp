#include "export/RTFExport.h"

#include "export/TextServices.h"
#include "export/WriterRegistry.h"

#include <vector>

namespace ovena {

void registerRichTextExport(WriterRegistry& registry) {
    registry.add("TRichTextExport",
                 [](TExportXComponent& component, TExportType type, const std::string& fileName) {
                     return std::make_unique<TRichTextExport>(component, type, fileName);
                 });
}

TRichTextExport::TRichTextExport(TExportXComponent& component, TExportType exportType,
                                 const std::string& fileName)
    : TCustomTextExport(component, exportType, fileName) {
    // Room for the cell margins: a column is its caption length plus 5 characters wide.
    Component.WidthPadding = 5;
}

void TRichTextExport::writeRowDefinition(RTFRowLayout layout) {
    for (const std::string& line : rtfRowDefinition(layout, columns_))
        Output->writeLine(line);
}

void TRichTextExport::WriteHeader(const ExportList& captions) {
    TCustomTextExport::WriteHeader(captions);
    const TRTF_Options& margins = Component.Word_RTF_Options;
    std::vector<int> widths;
    for (std::size_t i = 0; i < CaptionCopy.size(); ++i)
        widths.push_back(ColumnWidth(i));
    const bool numbered = has(TExportOption::NumberRows);
    const std::vector<int> boundaries = rtfCellBoundaries(widths, numbered);
    const int sideMargins = margins.LeftMargin + margins.RightMargin;
    const RTFPage page = rtfPage(usesLetterPaper(LocaleIdentifier()),
                                 boundaries.empty() ? 0 : boundaries.back(), sideMargins);
    columns_ = rtfFitColumns(widths, numbered, page.width - sideMargins);
    Output->writeLine(rtfPrologue(margins.LeftMargin, margins.RightMargin, margins.TopMargin,
                                  margins.BottomMargin, page));
    if (!isBlank(Component.Title()))
        Output->writeLine(rtfTitleLine(rtfEscape(Component.Title())));
    Output->writeLine(RTFBodyOpening);
    if (has(TExportOption::TimeStamp))
        Output->writeLine(TimeStampText() + "\\par\\par");
    if (const std::string header = listText(Component.Header()); !isBlank(header))
        Output->writeLine(rtfEscape(header) + "\\par");
    if (!has(TExportOption::ShowColHeaders))
        return;
    writeRowDefinition(RTFRowLayout::Caption);
    for (const ExportItem& caption : captions)
        Output->writeLine(rtfEscape(caption.Text) + std::string(RTFCellEnd));
}

void TRichTextExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    if (rowNumber == 1)
        writeRowDefinition(RTFRowLayout::FirstDataRow);
    else if (Component.HasMoreRows())
        Output->writeLine(rtfWithCellFont(RTFMiddleRowOpening, columns_));
    else
        writeRowDefinition(RTFRowLayout::LastDataRow);
    for (std::size_t i = 0; i < row.size(); ++i)
        Output->writeLine(rtfEscape(CellText(row, i)) + std::string(RTFCellEnd));
    for (std::size_t i = row.size(); i < CaptionCopy.size(); ++i)
        Output->writeLine(RTFCellEnd);
}

void TRichTextExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    Output->writeLine(rtfClosingLine(rtfEscape(FormattedFooter())));
}

} // namespace ovena
