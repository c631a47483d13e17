#include "export/RTFText.h"

#include "HtmlRtfFixture.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

namespace {

using namespace ovena;
using ovena::test::crlfLines;

constexpr std::string_view PageNumberFooter =
    "{\\footer\\pard\\plain\\qc\\f1\\fs16 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of "
    "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}\\par}";

TEST(RtfText, PrologueHasNineLinesAndTheMarginsPaperAndFooterLine) {
    const std::string prologue = rtfPrologue(1250, 1250, 1000, 1000, RTFPage{});
    const auto all = crlfLines(prologue);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[4], "\\margl1250\\margr1250\\margt1000\\margb1000\\paperw11906\\paperh16838" +
                          std::string(PageNumberFooter));
    EXPECT_EQ(crlfLines(rtfPrologue(1, 65535, 0, 7, {15840, 12240, true}))[4],
              "\\margl1\\margr65535\\margt0\\margb7\\paperw15840\\paperh12240\\landscape"
              "\\lndscpsxn" +
                  std::string(PageNumberFooter));
    EXPECT_EQ(all[0].rfind("{\\rtf1\\ansi\\ansicpg1252\\", 0), 0u);
    EXPECT_EQ(all[3].back(), ' ');
    EXPECT_EQ(all[8], "\\pnlcrm\\pnstart1\\pnindent720\\pnhang{\\pntxtb (}{\\pntxta )}}\\pard");
    // The prologue leaves exactly the document group open.
    EXPECT_EQ(test::rtfBraceDepth(prologue), 1);
}

TEST(RtfText, EscapingOfSpecialCharactersBytesAndBreaks) {
    EXPECT_EQ(rtfEscape("a{b}c\\d"), "a\\{b\\}c\\\\d");
    EXPECT_EQ(rtfEscape("M\xE4rz \x80"), "M\\'e4rz \\'80");
    EXPECT_EQ(rtfEscape("a\tb"), "a\\tab b");
    EXPECT_EQ(rtfEscape("a\r\nb"), "a\\par\r\nb");
    EXPECT_EQ(rtfEscape(std::string("x\x01\0y", 4)), "xy");
    EXPECT_EQ(test::rtfBraceDepth(rtfEscape("}}{{\\")), 0);
}

TEST(RtfText, BoundariesAre90TwipsPerCharacter) {
    EXPECT_EQ(rtfCellBoundaries({4, 9}, true), (std::vector<int>{540, 1620}));
    EXPECT_EQ(rtfCellBoundaries({9, 4}, false), (std::vector<int>{1080, 1710}));
    EXPECT_TRUE(rtfCellBoundaries({}, true).empty());
}

// Letter in North America, A4 elsewhere; landscape only for a table wider than the page.
TEST(RtfText, PaperFromTheLocaleTurnedForAWideTable) {
    struct Case {
        const char* locale;
        bool letter;
    };
    for (const Case& e :
         {Case{"00000409", true}, Case{"00001009", true}, Case{"0000080A", true},
          Case{"00000407", false}, Case{"00000809", false}, Case{"", false}, Case{"xyz", false}})
        EXPECT_EQ(usesLetterPaper(e.locale), e.letter) << e.locale;
    const RTFPage a4 = rtfPage(false, 11906 - 2500, 2500);
    EXPECT_EQ((std::tuple{a4.width, a4.height, a4.landscape}), (std::tuple{11906, 16838, false}));
    const RTFPage wide = rtfPage(false, 11906 - 2499, 2500);
    EXPECT_EQ((std::tuple{wide.width, wide.height, wide.landscape}),
              (std::tuple{16838, 11906, true}));
    const RTFPage letter = rtfPage(true, 20000, 2500);
    EXPECT_EQ((std::tuple{letter.width, letter.height, letter.landscape}),
              (std::tuple{15840, 12240, true}));
}

TEST(RtfText, ATableWiderThanThePageSharesItByTextLengthInSmallerText) {
    const RTFColumns fits = rtfFitColumns({9, 4}, false, 1710);
    EXPECT_EQ(fits.boundaries, (std::vector<int>{1080, 1710}));
    EXPECT_EQ((std::pair{fits.gap, fits.fontSize}), (std::pair{RTFCellGap, RTFCellFontSize}));
    // 2520 twips wide; text lengths 5 (the row number), 6 and 5 (at least) of 16 share 2000.
    const RTFColumns shared = rtfFitColumns({4, 10, 6}, true, 2000);
    EXPECT_EQ(shared.boundaries, (std::vector<int>{625, 1375, 2000}));
    EXPECT_EQ((std::pair{shared.gap, shared.fontSize}), (std::pair{30, 12}));
    const std::vector<std::string> first = rtfRowDefinition(RTFRowLayout::FirstDataRow, shared);
    EXPECT_NE(first[0].find("\\trowd\\trgaph30\\trleft-30\\"), std::string::npos) << first[0];
    EXPECT_TRUE(first[2].ends_with("{\\f1\\fs12"));
    EXPECT_TRUE(rtfWithCellFont(RTFMiddleRowOpening, shared).ends_with("{\\f1\\fs12"));
    EXPECT_EQ(rtfWithCellFont(RTFMiddleRowOpening, fits), RTFMiddleRowOpening);
}

TEST(RtfText, RowDefinitionsPutPrefixAndSuffixAroundTheCells) {
    const auto caption = rtfRowDefinition(RTFRowLayout::Caption, {{540, 1620}});
    ASSERT_EQ(caption.size(), 2u);
    EXPECT_EQ(
        caption[0],
        "}\\trowd\\trhdr\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs"
        "\\brdrw30\\brdrcf1\\clvertalt\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs"
        "\\brdrw15\\brdrcf1\\cltxlrtb\\cellx540\\clvertalt\\clbrdrt");
    EXPECT_EQ(
        caption[1],
        "\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrw15\\brdrcf1\\cltxlrtb\\cellx1620"
        "\\clvertalt\\clbrdrt\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\b\\f1\\fs16");

    const auto last = rtfRowDefinition(RTFRowLayout::LastDataRow, {{100, 200, 300}});
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0].substr(last[0].size() - 58),
              "\\clvertalt\\clbrdrb\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx100");
    EXPECT_EQ(last[1], "\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx200\\clvertalt\\clbrdrb");
    EXPECT_EQ(last[2], "\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx300"
                       "\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16");

    const auto single = rtfRowDefinition(RTFRowLayout::FirstDataRow, {{720}});
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0],
              "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\i\\f1\\fs16\\row}\\trowd"
              "\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs\\brdrw30"
              "\\brdrcf1\\clvertalt\\cltxlrtb\\cellx720\\pard\\nowidctlpar\\widctlpar\\intbl"
              "\\adjustright {\\f1\\fs16");
}

TEST(RtfText, EveryRowOpeningClosesOneGroupAndOpensOne) {
    for (RTFRowLayout layout :
         {RTFRowLayout::Caption, RTFRowLayout::FirstDataRow, RTFRowLayout::LastDataRow}) {
        for (const std::vector<int>& bounds : {std::vector<int>{}, {90}, {90, 180, 270, 360}}) {
            std::string all;
            for (const auto& line : rtfRowDefinition(layout, {bounds}))
                all += line;
            EXPECT_EQ(test::rtfBraceDepth("{" + all), 1);
        }
    }
    EXPECT_EQ(test::rtfBraceDepth("{" + std::string(RTFMiddleRowOpening)), 1);
    EXPECT_EQ(test::rtfBraceDepth("{" + std::string(RTFBodyOpening)), 2);
    EXPECT_EQ(test::rtfBraceDepth("{{" + rtfClosingLine("")), 0);
    EXPECT_EQ(rtfClosingLine("").substr(rtfClosingLine("").size() - 7), "\\par }}");
}

} // namespace
