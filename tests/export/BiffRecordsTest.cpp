#include "export/BiffRecords.h"

#include "export/ExportError.h"

#include <gmock/gmock.h>

#include <string>

namespace ovena::biff {
namespace {

// Bytes written as a list of values, to compare records with their documented layout.
std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TEST(BiffRecords, BofAndDimensionsInBothVariants) {
    EXPECT_EQ(bof(Variant2), bytes({0x09, 0x00, 0x04, 0x00, 0x00, 0x00, 0x10, 0x00}));
    EXPECT_EQ(bof(Variant5), bytes({0x09, 0x08, 0x06, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00}));
    EXPECT_EQ(dimensions(Variant2, 12, 4),
              bytes({0x00, 0x00, 0x08, 0x00, 0, 0, 12, 0, 0, 0, 4, 0}));
    EXPECT_EQ(dimensions(Variant5, 0x1234, 0x0102),
              bytes({0x00, 0x02, 0x0A, 0x00, 0, 0, 0x34, 0x12, 0, 0, 0x02, 0x01, 0, 0}));
}

TEST(BiffRecords, PageSetupRecords) {
    EXPECT_EQ(pageHeader(""), bytes({0x14, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(pageFooter("Page &P"),
              bytes({0x15, 0x00, 0x08, 0x00, 7, 'P', 'a', 'g', 'e', ' ', '&', 'P'}));
    EXPECT_EQ(printHeaders(true), bytes({0x2A, 0x00, 0x02, 0x00, 0x01, 0x00}));
    EXPECT_EQ(printHeaders(false), bytes({0x2A, 0x00, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(printGridlines(true), bytes({0x2B, 0x00, 0x02, 0x00, 0x01, 0x00}));
    EXPECT_EQ(printGridlines(false), bytes({0x2B, 0x00, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(codePage(Windows1252), bytes({0x42, 0x00, 0x02, 0x00, 0xE4, 0x04}));
}

TEST(BiffRecords, FontFormatAndStyle) {
    EXPECT_EQ(font(240, FontBold | FontUnderline, "Arial"),
              bytes({0x31, 0x00, 0x0A, 0x00, 0xF0, 0x00, 0x05, 0x00, 5, 'A', 'r', 'i', 'a', 'l'}));
    EXPECT_EQ(format("h:mm"), bytes({0x1E, 0x00, 0x05, 0x00, 4, 'h', ':', 'm', 'm'}));
    EXPECT_EQ(xf(8, 0, BorderTop | BorderBottom),
              bytes({0x43, 0x00, 0x04, 0x00, 8, 0, 0x40, 0x60}));
    EXPECT_EQ(xf(5, 4, 0), bytes({0x43, 0x00, 0x04, 0x00, 5, 0, 0x44, 0x00}));
}

TEST(BiffRecords, StyleFromValuesNeedsExactlyThree) {
    // Format 1, font selector 2 (font index 7), border byte 0x60.
    EXPECT_EQ(xfFromValues({1, 2, 0x60}), xf(7, 1, 0x60));
    for (auto wrong : {std::initializer_list<int>{}, {1, 2}, {1, 2, 3, 4}}) {
        try {
            xfFromValues(wrong);
            ADD_FAILURE() << "accepted " << wrong.size() << " values";
        } catch (const ExportError& e) {
            EXPECT_STREQ(e.what(), "TBIFFExport.WriteXF: Invalid Number of Parameters");
        }
    }
}

TEST(BiffRecords, CellRecords) {
    // 12.5 is 0x4029000000000000.
    EXPECT_EQ(number(0x0102, 3, 1, 12.5), bytes({0x03, 0x00, 0x0F, 0x00, 0x02, 0x01, 3, 0, 0x41, 0,
                                                 0, 0, 0, 0, 0, 0, 0, 0x29, 0x40}));
    EXPECT_EQ(label(5, 0, 8, "A\xE4"),
              bytes({0x04, 0x00, 0x0A, 0x00, 5, 0, 0, 0, 0x48, 0, 0, 2, 'A', 0xE4}));
    EXPECT_EQ(label(0, 0, 1, ""), bytes({0x04, 0x00, 0x08, 0x00, 0, 0, 0, 0, 0x41, 0, 0, 0}));
    EXPECT_EQ(boolean(1, 2, 1, true),
              bytes({0x05, 0x00, 0x09, 0x00, 1, 0, 2, 0, 0x41, 0, 0, 1, 0}));
    EXPECT_EQ(boolean(1, 2, 1, false),
              bytes({0x05, 0x00, 0x09, 0x00, 1, 0, 2, 0, 0x41, 0, 0, 0, 0}));
}

TEST(BiffRecords, StringRecordsCutAt255Characters) {
    const std::string longText(300, 'x');
    const std::string cell = label(0, 0, 1, longText);
    ASSERT_EQ(cell.size(), 4u + 263u);
    EXPECT_EQ(cell.substr(2, 2), bytes({0x07, 0x01})); // data length 263
    EXPECT_EQ(static_cast<unsigned char>(cell[11]), 255);
    EXPECT_EQ(cell.substr(12), std::string(255, 'x'));

    for (const std::string& record :
         {pageHeader(longText), pageFooter(longText), format(longText)}) {
        EXPECT_EQ(record.substr(2, 3), bytes({0x00, 0x01, 0xFF})); // data length 256, count 255
        EXPECT_EQ(record.size(), 4u + 256u);
    }
}

TEST(BiffRecords, ColumnWidthAndEnd) {
    EXPECT_EQ(colWidth(3, 3, 65280), bytes({0x24, 0x00, 0x04, 0x00, 3, 3, 0x00, 0xFF}));
    EXPECT_EQ(eof(), bytes({0x0A, 0x00, 0x00, 0x00}));
}

} // namespace
} // namespace ovena::biff
