#include "export/XLSXText.h"

#include <gtest/gtest.h>

namespace {

using namespace ovena;

TEST(XlsxText, CellTextsBecomeUtf8WithoutWhatXmlCannotCarry) {
    EXPECT_EQ(xlsxCellText("Heiz\xF6l EL, 12 \xB0"
                           "C, 5 \x80"),
              "Heiz\xC3\xB6l EL, 12 \xC2\xB0"
              "C, 5 \xE2\x82\xAC");
    EXPECT_EQ(xlsxCellText(std::string("a\0b\x01\x08\x0B\x0C\x0E\x1F"
                                       "c",
                                       11)),
              "abc");
    EXPECT_EQ(xlsxCellText("tab\tline\r\nend"), "tab\tline\r\nend") << "XML carries these";
    EXPECT_EQ(xlsxCellText("<a href=\"x\">&amp;</a>"), "<a href=\"x\">&amp;</a>")
        << "markup is the library's to escape";
}

TEST(XlsxText, CharacterCodesInTheTextAreEscaped) {
    EXPECT_EQ(xlsxCellText("_x0041_"), "_x005F_x0041_");
    EXPECT_EQ(xlsxCellText("a_x00fF_b_x0041_"), "a_x005F_x00fF_b_x005F_x0041_");
    EXPECT_EQ(xlsxCellText("_x004_ _X0041_ _x00G1_ _x0041"), "_x004_ _X0041_ _x00G1_ _x0041");
    EXPECT_EQ(xlsxCellText("_x00\x01"
                           "41_"),
              "_x005F_x0041_")
        << "a code that appears once a control character is dropped is escaped too";
}

TEST(XlsxText, LongCellTextsAreCutToWhatACellHolds) {
    EXPECT_EQ(xlsxCellText(std::string(40000, 'a')), std::string(XlsxCellCharacters, 'a'));
    const std::string umlauts = xlsxCellText(std::string(40000, '\xE4'));
    EXPECT_EQ(umlauts.size(), 2 * XlsxCellCharacters) << "characters count, not bytes";

    // An escape that would pass the limit is left out whole.
    const std::string text = std::string(XlsxCellCharacters - 3, 'a') + "_x0041_";
    EXPECT_EQ(xlsxCellText(text), std::string(XlsxCellCharacters - 3, 'a'));
    EXPECT_EQ(xlsxCellText(std::string(XlsxCellCharacters - 7, 'a') + "_x0041_"),
              std::string(XlsxCellCharacters - 7, 'a') + "_x005F_")
        << "the escape fits; the code's own characters do not";
}

TEST(XlsxText, PageTextsAreCentredUnlessTheyNameASection) {
    EXPECT_EQ(xlsxPageText("Page &P of &N"), "&CPage &P of &N");
    EXPECT_EQ(xlsxPageText("&LHalvoer&RPage &P"), "&LHalvoer&RPage &P");
    EXPECT_EQ(xlsxPageText("&RRight"), "&RRight");
    EXPECT_EQ(xlsxPageText("&&Co"), "&C&&Co");
    EXPECT_EQ(xlsxPageText(""), "");
    EXPECT_EQ(xlsxPageText("Messung \xB0"
                           "C\x01"),
              "&CMessung \xC2\xB0"
              "C");
}

TEST(XlsxText, PageTextsHaveNoPictureCodes) {
    EXPECT_EQ(xlsxPageText("&LLogo &G&RPage"), "&LLogo &RPage");
    EXPECT_EQ(xlsxPageText("&[Picture]x"), "&Cx");
    EXPECT_EQ(xlsxPageText("&&&G"), "&C&&") << "a literal ampersand, then a picture";
    EXPECT_EQ(xlsxPageText("H&&G"), "&CH&&\xE2\x80\x8BG")
        << "a literal ampersand before G keeps its G, set apart by a zero-width space";
}

TEST(XlsxText, LongPageTextsAreCut) {
    EXPECT_EQ(xlsxPageText(std::string(300, 'h')), "&C" + std::string(253, 'h'));
    const std::string umlauts = xlsxPageText(std::string(300, '\xFC'));
    EXPECT_EQ(
        umlauts, "&C" + [] {
            std::string u;
            for (int i = 0; i < 253; ++i)
                u += "\xC3\xBC";
            return u;
        }());
}

} // namespace
