#include "EC_SGrid.h"

#include "ExportError.h"
#include "TextServices.h"

#include "platform/UiServices.h"

#include <algorithm>
#include <charconv>

namespace ovena {

namespace {

bool positiveInteger(const std::string& text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last && value > 0;
}

} // namespace

TExportStringGrid::TExportStringGrid(ExportServices& services, Form* owner, StringGrid* grid)
    : TExportXComponent(services, owner), grid_(grid) {
    DisabledOptions = {TExportOption::ExportAllWhenNoneSelected};
    SetOptions(Options());
}

void TExportStringGrid::SetColWidths(std::vector<std::string> widths) {
    widths = withoutTrailingBlanks(std::move(widths));
    for (std::string& width : widths) {
        width = trim(width);
        if (!width.empty() && !positiveInteger(width))
            throw ExportError("ColWidths Property Error\n\n\"" + width +
                              "\" is an Invalid Column Width. It must be a Positive Integer "
                              "Number greater than Zero.");
    }
    colWidths_ = std::move(widths);
}

bool TExportStringGrid::exported(int column) const {
    return has(TExportOption::ExportInvisibleCols) || grid_->ColWidth(column) > 0;
}

bool TExportStringGrid::CheckSource() {
    if (!grid_)
        throw ExportError("You must assign a TStringGrid before attempting to Export/Print.");
    if (grid_->RowCount() <= 1) {
        Services().ui.messageBox("Warning", "There is no Data to Export.", MessageIcon::Warning,
                                 {{ModalResult::Ok, "OK"}});
        return false;
    }
    return HasVisibleData();
}

// The selection counts only where it covers data rows, so a selection reaching past the grid
// delivers no made-up empty rows and an empty one means every row.
int TExportStringGrid::selectionTop() const {
    return std::max(grid_->SelectionTop, 1);
}
int TExportStringGrid::selectionBottom() const {
    return std::min(grid_->SelectionBottom, grid_->RowCount() - 1);
}

int TExportStringGrid::SourceRowCount() {
    const bool selected = has(TExportOption::SelectedRowsOnly);
    SelectionRows = selected ? std::max(selectionBottom() - selectionTop() + 1, 0) : 0;
    return selected && SelectionRows > 0 ? SelectionRows : grid_->RowCount() - 1;
}

bool TExportStringGrid::RowSelected() const {
    return SelectionRows <= 0 ||
           (SourceRow >= selectionTop() - 1 && SourceRow <= selectionBottom() - 1);
}

std::string TExportStringGrid::SourceCaption(int i) const {
    return grid_->Cell(i, 0);
}

void TExportStringGrid::GetCaptions(ExportList& list) {
    list.clear();
    for (int i = 0; i < grid_->ColCount(); ++i)
        if (exported(i))
            list.push_back({ColumnCaption(i), {}});
}

void TExportStringGrid::FillRow(ExportList& list) {
    for (int i = 0; i < grid_->ColCount(); ++i)
        if (exported(i))
            list.push_back({grid_->Cell(i, SourceRow + 1), {}});
}

} // namespace ovena
