#include "export/BiffLayout.h"
#include "export/BiffRecords.h"

#include "export/ExportError.h"

#include <gmock/gmock.h>

namespace ovena::biff {
namespace {

TEST(BiffVariant, TwelveLocalesTakeTheBiff2Records) {
    for (const char* locale :
         {"00000404", "00000409", "00000809", "00000C09", "00001007", "00001009", "00001409",
          "0000140C", "00001809", "00001C09", "00002009", "00002409"})
        EXPECT_EQ(variantForLocale(locale), Variant2) << locale;
    for (const char* locale : {"00000407", "0000040C", "00000410", "00000000", "00000408"})
        EXPECT_EQ(variantForLocale(locale), Variant5) << locale;
}

TEST(BiffVariant, OnlyTheLow16BitsCountAndCaseDoesNot) {
    EXPECT_EQ(variantForLocale("00010409"), Variant2); // a sort order in the high word
    EXPECT_EQ(variantForLocale("140c"), Variant2);
    EXPECT_EQ(variantForLocale("FFFF0409"), Variant2);
}

TEST(BiffVariant, TextThatIsNotHexadecimalFails) {
    for (const char* locale : {"", "0409x", " 0409", "0x0409", "-409", "G0000409", "100000409"})
        EXPECT_THROW(variantForLocale(locale), ExportError) << '"' << locale << '"';
}

TEST(BiffRows, PlacementAboveTheTable) {
    struct Case {
        bool title, stamp;
        std::size_t headerLines;
        bool captions;
        int titleRow, stampRow, headerRow, captionRow;
    };
    const Case cases[] = {
        // Nothing above: captions in row 0, or data from row 0 without captions.
        {false, false, 0, true, -1, -1, -1, 0},
        {false, false, 0, false, -1, -1, -1, -1},
        // Title only: row 1 empty, captions in row 2.
        {true, false, 0, true, 0, -1, -1, 2},
        // One header line only: row 1 empty, captions in row 2.
        {false, false, 1, true, -1, -1, 0, 2},
        // Title, time stamp, one header line: rows 2 and 4 empty.
        {true, true, 1, true, 0, 1, 3, 5},
        {true, true, 1, false, 0, 1, 3, 4},
        // Time stamp and three header lines.
        {false, true, 3, true, -1, 0, 2, 6},
        {true, true, 0, true, 0, 1, -1, 3},
    };
    for (const Case& c : cases) {
        const SheetRows rows = placeRows(c.title, c.stamp, c.headerLines, c.captions);
        SCOPED_TRACE(testing::Message() << c.title << c.stamp << c.headerLines << c.captions);
        EXPECT_EQ(rows.TitleRow, c.titleRow);
        EXPECT_EQ(rows.StampRow, c.stampRow);
        EXPECT_EQ(rows.HeaderRow, c.headerRow);
        EXPECT_EQ(rows.CaptionRow, c.captionRow);
    }
}

} // namespace
} // namespace ovena::biff
