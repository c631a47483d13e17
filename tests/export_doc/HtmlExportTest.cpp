#include "DocumentExport.h"
#include "HtmlParserCheck.h"

#include "export/HTMLTemplates.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ovena;
using ovena::test::crlfLines;
using ovena::test::DocumentExport;

// The main window's table of three measurements, with a fuel name that looks like markup, an
// ampersand, an empty cell, a web address with a query, and a mail address between a TAB and
// a line break.
void measurementTable(DocumentExport& doc) {
    doc.setTable({{"Date", "Fuel", "CO2 [%]", "Remark"},
                  {"09.12.2026 08:15", "Gas <L>", "9,8", "see http://tev.example/r?id=1&x=2"},
                  {"09.12.2026 09:00", "Heiz\xF6l & Diesel", "12,1", ""},
                  {"09.12.2026 10:30", "Holz", " ", "call\tservice@tev.example\nasap"}});
    doc.component.SetTitle("TEV 640 Measurements");
    doc.component.SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
    doc.component.SetFooter({"%.0f measurements exported"});
}

// A small table of one column for the option cases.
std::vector<std::string> pageOf(DocumentExport& doc, const std::string& cell) {
    doc.setOption(TExportOption::NumberRows, false);
    doc.setOption(TExportOption::TimeStamp, false);
    doc.setTable({{"Note"}, {cell}});
    return crlfLines(doc.exportAs(TExportType::xHTML));
}

TEST(HtmlExport, MeasurementPageMatchesTheGoldenFile) {
    DocumentExport doc;
    measurementTable(doc);
    EXPECT_EQ(doc.exportAs(TExportType::xHTML),
              test::readFile(std::string(DOC_GOLDEN_DIR) + "/measurements.htm"));
}

TEST(HtmlExport, MeasurementPageParsesInAnIndependentParser) {
    DocumentExport doc;
    measurementTable(doc);
    doc.setTable({{"Date", "Fuel", "Remark", "Link"},
                  {"1", "<script>alert(1)</script>", "a \"quoted\" <b>bold</b>", "x"},
                  {"2", "A&B", "http://h.example/\"><i>", "mailto:a@b.example"},
                  {"3", "", "</td></tr></table>", "@home x@y.z"}});
    doc.setHtmlOption(THTML_Option::htDisplayTitle, true);
    doc.setHtmlOption(THTML_Option::htHorzRules, true);
    doc.exportAs(TExportType::xHTML);
    const auto verdict = test::parseHtmlPage(test::sandboxFolder() + "/export.htm");
    if (!verdict.parserAvailable)
        GTEST_SKIP() << "/usr/bin/python3 is missing: the page was not checked by a parser";
    EXPECT_TRUE(verdict.wellFormed) << verdict.report;
}

TEST(HtmlExport, TemplatesColourPageCaptionsTableAndRows) {
    for (std::string_view builtIn : HTMLBuiltInTemplates)
        EXPECT_EQ(std::count(builtIn.begin(), builtIn.end(), ';'), 10) << builtIn;

    DocumentExport simple;
    auto page = pageOf(simple, "x");
    EXPECT_EQ(page[1], "<body bgcolor=\"#FFFFFF\" link=\"blue\" vlink=\"purple\" text=\"#000000\" "
                       "alink=\"red\">");
    EXPECT_EQ(page[2], "<font color=\"#004080\" face=\"Arial,Helvetica\">");

    DocumentExport plain;
    plain.component.HTML_Template = THTML_Template::htPlain;
    EXPECT_EQ(pageOf(plain, "x")[2], "<font color=\"#000000\" face=\"\">");

    // Classic has a colour of its own in almost every field, so each position shows.
    DocumentExport classic;
    classic.component.HTML_Template = THTML_Template::htClassic;
    page = pageOf(classic, "x");
    EXPECT_EQ(page[1], "<body bgcolor=\"#333399\" link=\"#69EF7D\" vlink=\"#FF00FF\" "
                       "text=\"#FFFFFF\" alink=\"#00FF00\">");
    EXPECT_EQ(page[3], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"0\" "
                       "bgcolor=\"#006BCE\">");
    EXPECT_EQ(page[4], "<tr valign=\"top\" bgcolor=\"#FF0000\">");
    EXPECT_EQ(page[5], "<td><b><font color=\"#FFFFFF\">Note</font></b></td>");
    EXPECT_EQ(page[7], "<tr valign=\"top\" bgcolor=\"#007AEC\">");

    DocumentExport custom;
    custom.component.HTML_Template = THTML_Template::htClassic;
    custom.component.SetHTML_CustomTemplate("1;2;3;4;5;6;7;8;9;10;11");
    page = pageOf(custom, "x");
    EXPECT_EQ(page[1], "<body bgcolor=\"1\" link=\"2\" vlink=\"3\" text=\"10\" alink=\"4\">");
    EXPECT_EQ(page[2], "<font color=\"5\" face=\"6\">");
    EXPECT_EQ(page[4], "<tr valign=\"top\" bgcolor=\"7\">");
    EXPECT_EQ(page[5], "<td><b><font color=\"8\">Note</font></b></td>");
    EXPECT_EQ(page[7], "<tr valign=\"top\" bgcolor=\"11\">");
}

TEST(HtmlExport, OddRowsAlternateColoursOnlyWhenAsked) {
    DocumentExport doc;
    doc.setOption(TExportOption::ShowColHeaders, false);
    doc.setOption(TExportOption::TimeStamp, false);
    doc.setTable({{"N"}, {"a"}, {"b"}, {"c"}});
    auto page = crlfLines(doc.exportAs(TExportType::xHTML));
    EXPECT_EQ(page[4], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    EXPECT_EQ(page[8], "<tr valign=\"top\" bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(page[12], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    doc.setHtmlOption(THTML_Option::htOddRowColoring, false);
    page = crlfLines(doc.exportAs(TExportType::xHTML));
    EXPECT_EQ(page[4], "<tr valign=\"top\">");
    EXPECT_EQ(page[8], "<tr valign=\"top\">");
}

TEST(HtmlExport, WithoutColumnHeadersTheTableStartsWithTheFirstRow) {
    DocumentExport doc;
    doc.setOption(TExportOption::ShowColHeaders, false);
    const auto page = pageOf(doc, "x");
    ASSERT_EQ(page.size(), 8u);
    EXPECT_EQ(page[3], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"0\" "
                       "bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(page[4], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    EXPECT_EQ(page[5], "<td>x</td>");
    EXPECT_EQ(page[7], "</table></font></body></html>") << "no footer, no final line end";
}

TEST(HtmlExport, CellsAreFinishedEscapedAndConverted) {
    DocumentExport doc;
    EXPECT_EQ(pageOf(doc, "")[8], "<td>&nbsp;</td>");
    EXPECT_EQ(pageOf(doc, "   ")[8], "<td>&nbsp;</td>");
    EXPECT_EQ(pageOf(doc, " a\tb ")[8], "<td>a&nbsp&nbsp&nbspb</td>");
    auto page = pageOf(doc, "a\r\nb");
    EXPECT_EQ(page[8], "<td>a<br>");
    EXPECT_EQ(page[9], "b</td>");
    EXPECT_EQ(pageOf(doc, "R&D <x> \"q\"")[8], "<td>R&amp;D &lt;x&gt; &quot;q&quot;</td>");

    doc.setHtmlOption(THTML_Option::htIgnoreLineBreaks, true);
    EXPECT_EQ(pageOf(doc, "a\tb")[8], "<td>ab</td>");
    page = pageOf(doc, "a\nb");
    EXPECT_EQ(page[8], "<td>a");
    EXPECT_EQ(page[9], "b</td>");
}

TEST(HtmlExport, CellsLinkAddressesButCaptionsDoNot) {
    DocumentExport doc;
    doc.setOption(TExportOption::NumberRows, false);
    doc.setOption(TExportOption::TimeStamp, false);
    doc.setTable({{"http://caption.example"},
                  {"Info http://tev.example/a?b=1&c=2 here"},
                  {"service@tev.example"},
                  {"user@localhost"},
                  {"MAILTO:Service@Tev.example"}});
    auto page = crlfLines(doc.exportAs(TExportType::xHTML));
    EXPECT_EQ(page[5], "<td><b><font color=\"#FFFFFF\">http://caption.example</font></b></td>");
    EXPECT_EQ(page[8], "<td>Info <a href=\"http://tev.example/a?b=1&amp;c=2\">"
                       "http://tev.example/a?b=1&amp;c=2</a> here</td>");
    EXPECT_EQ(page[11], "<td><a href=\"mailto:service@tev.example\">service@tev.example</a></td>");
    EXPECT_EQ(page[14], "<td>user@localhost</td>");
    EXPECT_EQ(page[17], "<td><a href=\"MAILTO:Service@Tev.example\">Service@Tev.example</a></td>");

    doc.setHtmlOption(THTML_Option::htAutoLink, false);
    page = crlfLines(doc.exportAs(TExportType::xHTML));
    EXPECT_EQ(page[11], "<td>service@tev.example</td>");
}

TEST(HtmlExport, TitleHeaderAndFooterKeepTheirMarkupAndFollowTheOptions) {
    DocumentExport doc;
    doc.component.SetTitle("TEV <i>640</i>");
    doc.component.SetHeader({"Halvoer <b>Safety</b>", "www: http://tev.example"});
    doc.component.SetFooter({"%.0f rows", "mail service@tev.example"});
    doc.setHtmlOption(THTML_Option::htDisplayTitle, true);
    auto page = pageOf(doc, "x");
    EXPECT_EQ(page[0], "<html><head><title>TEV <i>640</i></title></head>");
    EXPECT_EQ(page[3], "<h1>TEV <i>640</i></h1>");
    EXPECT_EQ(page[4], "Halvoer <b>Safety</b><br>");
    EXPECT_EQ(page[5], "www: <a href=\"http://tev.example\">http://tev.example</a><br>");
    EXPECT_EQ(page[6], "<br>");
    EXPECT_EQ(page[14], "</table><br>1 rows<br>");
    EXPECT_EQ(page[15], "mail <a href=\"mailto:service@tev.example\">service@tev.example</a><br>");
    EXPECT_EQ(page[16], "");
    EXPECT_EQ(page[17], "</font></body></html>");

    doc.setHtmlOption(THTML_Option::htHorzRules, true);
    doc.setHtmlOption(THTML_Option::htShowGridLines, true);
    page = pageOf(doc, "x");
    EXPECT_EQ(page[6], "<hr>");
    EXPECT_EQ(page[7], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"1\" "
                       "bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(page[14], "</table><hr>1 rows<br>");

    doc.setHtmlOption(THTML_Option::htIgnoreLineBreaks, true);
    doc.setHtmlOption(THTML_Option::htColHeadersBold, false);
    page = pageOf(doc, "x");
    EXPECT_EQ(page[4], "Halvoer <b>Safety</b>");
    EXPECT_EQ(page[5], "www: <a href=\"http://tev.example\">http://tev.example</a>");
    EXPECT_EQ(page[6], "");
    EXPECT_EQ(page[9], "<td><font color=\"#FFFFFF\">Note</font></td>");
    EXPECT_EQ(page[14], "</table>1 rows");
}

TEST(HtmlExport, EmptyTitleAndTimeStampLine) {
    DocumentExport doc;
    doc.setTable({{"N"}, {"x"}});
    const auto page = crlfLines(doc.exportAs(TExportType::xHTML));
    EXPECT_EQ(page[0], "<html><head><title></title></head>");
    EXPECT_EQ(page[3], "Created: 09.12.2026 08:30:00<br><br>");
    EXPECT_EQ(page[4].rfind("<table ", 0), 0u);
}

} // namespace
