#include "platform/Components.h"

#include <gtest/gtest.h>

namespace {

using ovena::StringGrid;

TEST(StringGrid, CellsKeepTheirPlaceWhenRowsOrColumnsAreAddedOrDropped) {
    StringGrid grid(2, 2);
    grid.SetCell(0, 0, "a");
    grid.SetCell(1, 1, "d");

    grid.SetRowCount(4); // rows added one after the other
    grid.SetCell(1, 3, "h");
    EXPECT_EQ(grid.Cell(0, 0), "a");
    EXPECT_EQ(grid.Cell(1, 1), "d");
    EXPECT_EQ(grid.Cell(0, 2), "");

    grid.SetColCount(3);
    EXPECT_EQ(grid.Cell(1, 1), "d");
    EXPECT_EQ(grid.Cell(1, 3), "h");
    EXPECT_EQ(grid.Cell(2, 1), "");

    grid.SetRowCount(2); // dropped rows lose their cells
    grid.SetRowCount(4);
    EXPECT_EQ(grid.Cell(1, 3), "");
    EXPECT_EQ(grid.Cell(1, 1), "d");
}

TEST(StringGrid, OutsideTheGridReadsEmptyAndWritesNothing) {
    StringGrid grid(1, 1);
    grid.SetCell(5, 0, "x");
    grid.SetCell(0, -1, "x");
    EXPECT_EQ(grid.Cell(5, 0), "");
    EXPECT_EQ(grid.Cell(0, -1), "");
    grid.SetRowCount(-3);
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.Cell(0, 0), "");
}

} // namespace
