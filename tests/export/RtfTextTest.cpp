#include "export/RTFText.h"

#include "HtmlRtfFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace ovena;
using ovena::test::crlfLines;

TEST(RtfText, PrologueHasNineLinesAndTheMarginsLine) {
    const std::string prologue = rtfPrologue(1250, 1250, 1000, 1000);
    const auto all = crlfLines(prologue);
    ASSERT_EQ(all.size(), 9u);
    EXPECT_EQ(all[4], "\\margl1250\\margr1250\\margt1000\\margb1000");
    EXPECT_EQ(crlfLines(rtfPrologue(1, 65535, 0, 7))[4], "\\margl1\\margr65535\\margt0\\margb7");
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

TEST(RtfText, RowDefinitionsPutPrefixAndSuffixAroundTheCells) {
    const auto caption = rtfRowDefinition(RTFRowLayout::Caption, {540, 1620});
    ASSERT_EQ(caption.size(), 2u);
    EXPECT_EQ(caption[0],
              "}\\trowd\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw30\\brdrcf1\\trbrdrb\\brdrs"
              "\\brdrw30\\brdrcf1\\clvertalt\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs"
              "\\brdrw15\\brdrcf1\\cltxlrtb\\cellx540\\clvertalt\\clbrdrt");
    EXPECT_EQ(
        caption[1],
        "\\brdrs\\brdrw30\\brdrcf1\\clbrdrb\\brdrs\\brdrw15\\brdrcf1\\cltxlrtb\\cellx1620"
        "\\clvertalt\\clbrdrt\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\b\\f1\\fs16");

    const auto last = rtfRowDefinition(RTFRowLayout::LastDataRow, {100, 200, 300});
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0].substr(last[0].size() - 58),
              "\\clvertalt\\clbrdrb\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx100");
    EXPECT_EQ(last[1], "\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx200\\clvertalt\\clbrdrb");
    EXPECT_EQ(last[2], "\\brdrs\\brdrw30\\brdrcf1\\cltxlrtb\\cellx300"
                       "\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16");

    const auto single = rtfRowDefinition(RTFRowLayout::FirstDataRow, {720});
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
            for (const auto& line : rtfRowDefinition(layout, bounds))
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
