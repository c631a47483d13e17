#pragma once

#include "EC_Main.h"

#include "platform/Components.h"

#include <string>
#include <vector>

namespace ovena {

// The export component bound to a string grid: row 0 of the grid holds the column titles, the
// rows below it the data. A column is exported when its width is above 0 or the option
// ExportInvisibleCols is set; with SelectedRowsOnly only the grid's selected rows are.
class TExportStringGrid : public TExportXComponent {
public:
    TExportStringGrid(ExportServices& services, Form* owner, StringGrid* grid = nullptr);

    StringGrid* GetStringGrid() const { return grid_; }
    // Binds a grid (not owned); none unbinds. The owner unbinds a grid before destroying it.
    void SetStringGrid(StringGrid* grid) { grid_ = grid; }
    // Throws ExportError for an entry that is not a whole number above 0, keeping the old
    // widths.
    void SetColWidths(std::vector<std::string> widths);

    std::string SourceCaption(int i) const override;
    int SourceRowCount() override;
    bool RowSelected() const override;
    void GetCaptions(ExportList& list) override;
    void FillRow(ExportList& list) override;
    bool CheckSource() override;

private:
    bool exported(int column) const;
    int selectionTop() const;
    int selectionBottom() const;

    StringGrid* grid_;
};

} // namespace ovena
