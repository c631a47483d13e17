#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace ovena {

// The state of the toolkit components that the forms own. A form's logic reads and writes these;
// its view renders them and reports user actions back to the form's handlers. Texts are
// Windows-1252.

struct CheckBox {
    std::string Caption;
    bool Checked = false;
    bool Enabled = true;
};

struct RadioButton {
    std::string Name;
    std::string Caption;
    std::string Hint;
    int Left = 0;
    int Top = 0;
    int Tag = 0;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
};

struct RadioGroup {
    std::string Caption;
    std::vector<std::string> Items;
    int ItemIndex = -1;
};

template <std::size_t N> struct CheckListBox {
    std::array<std::string, N> Items;
    std::array<bool, N> Checked{};
};

struct GroupBox {
    std::string Caption;
    std::string Hint;
    int Tag = 0;
};

struct Memo {
    std::vector<std::string> Lines;
    bool Visible = true;
};

// A grid of text cells addressed as (column, row), both from 0, with a width per column and a
// selection of rows. Growing the counts adds empty cells; shrinking drops cells.
class StringGrid {
public:
    int DefaultColWidth = 64;
    int DefaultRowHeight = 24;
    int FixedRows = 1;
    int FixedCols = 1;
    // The selected rows, first and last (the grid's selection rectangle).
    int SelectionTop = 1;
    int SelectionBottom = 1;

    StringGrid(int colCount = 5, int rowCount = 5) { resize(colCount, rowCount); }

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    void SetColCount(int count) { resize(count, rowCount_); }
    void SetRowCount(int count) { resize(colCount_, count); }

    // Cells outside the grid read as empty; writing outside the grid does nothing.
    const std::string& Cell(int col, int row) const {
        static const std::string empty;
        return inside(col, row) ? cells_[index(col, row)] : empty;
    }
    void SetCell(int col, int row, std::string text) {
        if (inside(col, row))
            cells_[index(col, row)] = std::move(text);
    }

    int ColWidth(int col) const {
        return col >= 0 && col < colCount_ ? colWidths_[static_cast<std::size_t>(col)] : 0;
    }
    void SetColWidth(int col, int width) {
        if (col >= 0 && col < colCount_)
            colWidths_[static_cast<std::size_t>(col)] = width;
    }

private:
    bool inside(int col, int row) const {
        return col >= 0 && row >= 0 && col < colCount_ && row < rowCount_;
    }
    std::size_t index(int col, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(colCount_) +
               static_cast<std::size_t>(col);
    }
    void resize(int colCount, int rowCount) {
        colCount = colCount < 0 ? 0 : colCount;
        rowCount = rowCount < 0 ? 0 : rowCount;
        if (colCount == colCount_) {
            // Rows are stored one after the other: adding or dropping rows keeps every cell
            // where it is, so a table grown row by row costs no copying.
            cells_.resize(static_cast<std::size_t>(colCount) * static_cast<std::size_t>(rowCount));
            rowCount_ = rowCount;
            return;
        }
        std::vector<std::string> cells(static_cast<std::size_t>(colCount) *
                                       static_cast<std::size_t>(rowCount));
        for (int r = 0; r < rowCount && r < rowCount_; ++r)
            for (int c = 0; c < colCount && c < colCount_; ++c)
                cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(colCount) +
                      static_cast<std::size_t>(c)] = std::move(cells_[index(c, r)]);
        cells_ = std::move(cells);
        colWidths_.resize(static_cast<std::size_t>(colCount), DefaultColWidth);
        colCount_ = colCount;
        rowCount_ = rowCount;
    }

    int colCount_ = 0;
    int rowCount_ = 0;
    std::vector<std::string> cells_;
    std::vector<int> colWidths_;
};

} // namespace ovena
