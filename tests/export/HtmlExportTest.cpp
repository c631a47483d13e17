#include "HtmlParserCheck.h"
#include "HtmlRtfFixture.h"
#include "PrintedPages.h"

#include "export/HTMLTemplates.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ovena;
using ovena::test::crlfLines;

// The page's style for paper, in its head.
constexpr std::string_view PrintStyle =
    "<style type=\"text/css\">@media print{@page{size:landscape;margin:1cm}table{width:100%}"
    "td{font-size:7pt;padding:1px}thead{display:table-header-group}}</style>";

class HtmlExport : public test::DocumentExportTest {
protected:
    // Three measurements with a fuel name that looks like markup, an ampersand, an empty cell,
    // a web address with a query, and a mail address between a TAB and a line break.
    void measurementTable() {
        setTable({{"Date", "Fuel", "CO2 [%]", "Remark"},
                  {"09.12.2026 08:15", "Gas <L>", "9,8", "see http://tev.example/r?id=1&x=2"},
                  {"09.12.2026 09:00", "Heiz\xF6l & Diesel", "12,1", ""},
                  {"09.12.2026 10:30", "Holz", " ", "call\tservice@tev.example\nasap"}});
        component->SetTitle("TEV 640 Measurements");
        component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
        component->SetFooter({"%.0f measurements exported"});
    }
    std::string page() { return exportToFile(TExportType::xHTML, "page.htm"); }
    // The page of a table of one column holding `cell`, without row numbers and time stamp.
    std::vector<std::string> pageOf(const std::string& cell) {
        setOption(TExportOption::NumberRows, false);
        setOption(TExportOption::TimeStamp, false);
        setTable({{"Note"}, {cell}});
        return crlfLines(page());
    }
};

TEST_F(HtmlExport, MeasurementPageMatchesTheGoldenFile) {
    measurementTable();
    EXPECT_EQ(page(),
              test::readFile(std::string(OVENA_EXPORT_GOLDEN_DIR) + "/html_measurements.htm"));
}

TEST_F(HtmlExport, MeasurementPageParsesInAnIndependentParser) {
    measurementTable();
    setTable({{"Date", "Fuel", "Remark", "Link"},
              {"1", "<script>alert(1)</script>", "a \"quoted\" <b>bold</b>", "x"},
              {"2", "A&B", "http://h.example/\"><i>", "mailto:a@b.example"},
              {"3", "", "</td></tr></table>", "@home x@y.z"}});
    setHtmlOption(THTML_Option::htDisplayTitle, true);
    setHtmlOption(THTML_Option::htHorzRules, true);
    page();
    const auto verdict = test::parseHtmlPage(path("page.htm"));
    if (!verdict.parserAvailable)
        GTEST_SKIP() << "/usr/bin/python3 is missing: the page was not checked by a parser";
    EXPECT_TRUE(verdict.wellFormed) << verdict.report;
}

TEST_F(HtmlExport, PagesDeclareTheirCodePageWithEveryTemplate) {
    setTable({{"Fuel",
               "T gas \xB0"
               "C",
               "Price"},
              {"Heiz\xF6l EL", "182,5", "\x80 12,50"}});
    for (const std::string custom : {"", "#FFFFFF;blue;purple;red;#000000;;#068FE6;#FFFFFF;"
                                         "#FFFFFF;#000000;#FFFCD9"}) {
        component->SetHTML_CustomTemplate(custom);
        page();
        const auto verdict = test::parseHtmlPage(path("page.htm"));
        if (!verdict.parserAvailable)
            GTEST_SKIP() << "/usr/bin/python3 is missing: the page was not checked by a parser";
        EXPECT_TRUE(verdict.wellFormed) << verdict.report;
        EXPECT_EQ(verdict.charset, "windows-1252") << custom;
        for (const char* shown : {"Heiz\u00F6l EL", "T gas \u00B0C", "\u20AC 12,50"})
            EXPECT_NE(verdict.text.find(shown), std::string::npos) << shown << " in\n"
                                                                   << verdict.text;
    }
}

TEST_F(HtmlExport, TemplatesColourPageCaptionsTableAndRows) {
    for (std::string_view builtIn : HTMLBuiltInTemplates)
        EXPECT_EQ(std::count(builtIn.begin(), builtIn.end(), ';'), 10) << builtIn;

    auto lines = pageOf("x");
    EXPECT_EQ(lines[1], "<body bgcolor=\"#FFFFFF\" link=\"blue\" vlink=\"purple\" text=\"#000000\" "
                        "alink=\"red\">");
    EXPECT_EQ(lines[2], "<font color=\"#004080\" face=\"Arial,Helvetica\">");

    component->HTML_Template = THTML_Template::htPlain;
    EXPECT_EQ(pageOf("x")[2], "<font color=\"#000000\" face=\"\">");

    // Classic has a colour of its own in almost every field, so each position shows.
    component->HTML_Template = THTML_Template::htClassic;
    lines = pageOf("x");
    EXPECT_EQ(lines[1], "<body bgcolor=\"#333399\" link=\"#69EF7D\" vlink=\"#FF00FF\" "
                        "text=\"#FFFFFF\" alink=\"#00FF00\">");
    EXPECT_EQ(lines[3], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"0\" "
                        "bgcolor=\"#006BCE\">");
    EXPECT_EQ(lines[4], "<thead><tr valign=\"top\" bgcolor=\"#FF0000\">");
    EXPECT_EQ(lines[5], "<td><b><font color=\"#FFFFFF\">Note</font></b></td>");
    EXPECT_EQ(lines[7], "<tr valign=\"top\" bgcolor=\"#007AEC\">");

    component->HTML_Template = THTML_Template::htClassic;
    component->SetHTML_CustomTemplate("1;2;3;4;5;6;7;8;9;10;11");
    lines = pageOf("x");
    EXPECT_EQ(lines[1], "<body bgcolor=\"1\" link=\"2\" vlink=\"3\" text=\"10\" alink=\"4\">");
    EXPECT_EQ(lines[2], "<font color=\"5\" face=\"6\">");
    EXPECT_EQ(lines[4], "<thead><tr valign=\"top\" bgcolor=\"7\">");
    EXPECT_EQ(lines[5], "<td><b><font color=\"8\">Note</font></b></td>");
    EXPECT_EQ(lines[7], "<tr valign=\"top\" bgcolor=\"11\">");
}

TEST_F(HtmlExport, OddRowsAlternateColoursOnlyWhenAsked) {
    setOption(TExportOption::ShowColHeaders, false);
    setOption(TExportOption::TimeStamp, false);
    setTable({{"N"}, {"a"}, {"b"}, {"c"}});
    auto lines = crlfLines(page());
    EXPECT_EQ(lines[4], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    EXPECT_EQ(lines[8], "<tr valign=\"top\" bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(lines[12], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    setHtmlOption(THTML_Option::htOddRowColoring, false);
    lines = crlfLines(page());
    EXPECT_EQ(lines[4], "<tr valign=\"top\">");
    EXPECT_EQ(lines[8], "<tr valign=\"top\">");
}

TEST_F(HtmlExport, WithoutColumnHeadersTheTableStartsWithTheFirstRow) {
    setOption(TExportOption::ShowColHeaders, false);
    const auto lines = pageOf("x");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[3], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"0\" "
                        "bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(lines[4], "<tr valign=\"top\" bgcolor=\"#FFFFCF\">");
    EXPECT_EQ(lines[5], "<td>x</td>");
    EXPECT_EQ(lines[7], "</table></font></body></html>") << "no footer, no final line end";
}

TEST_F(HtmlExport, CellsAreFinishedEscapedAndConverted) {
    EXPECT_EQ(pageOf("")[8], "<td>&nbsp;</td>");
    EXPECT_EQ(pageOf("   ")[8], "<td>&nbsp;</td>");
    EXPECT_EQ(pageOf(" a\tb ")[8], "<td>a&nbsp&nbsp&nbspb</td>");
    auto lines = pageOf("a\r\nb");
    EXPECT_EQ(lines[8], "<td>a<br>");
    EXPECT_EQ(lines[9], "b</td>");
    EXPECT_EQ(pageOf("R&D <x> \"q\"")[8], "<td>R&amp;D &lt;x&gt; &quot;q&quot;</td>");

    setHtmlOption(THTML_Option::htIgnoreLineBreaks, true);
    EXPECT_EQ(pageOf("a\tb")[8], "<td>ab</td>");
    lines = pageOf("a\nb");
    EXPECT_EQ(lines[8], "<td>a");
    EXPECT_EQ(lines[9], "b</td>");
}

TEST_F(HtmlExport, CellsLinkAddressesButCaptionsDoNot) {
    setOption(TExportOption::NumberRows, false);
    setOption(TExportOption::TimeStamp, false);
    setTable({{"http://caption.example"},
              {"Info http://tev.example/a?b=1&c=2 here"},
              {"service@tev.example"},
              {"user@localhost"},
              {"MAILTO:Service@Tev.example"}});
    auto lines = crlfLines(page());
    EXPECT_EQ(lines[5], "<td><b><font color=\"#FFFFFF\">http://caption.example</font></b></td>");
    EXPECT_EQ(lines[8], "<td>Info <a href=\"http://tev.example/a?b=1&amp;c=2\">"
                        "http://tev.example/a?b=1&amp;c=2</a> here</td>");
    EXPECT_EQ(lines[11], "<td><a href=\"mailto:service@tev.example\">service@tev.example</a></td>");
    EXPECT_EQ(lines[14], "<td>user@localhost</td>");
    EXPECT_EQ(lines[17], "<td><a href=\"MAILTO:Service@Tev.example\">Service@Tev.example</a></td>");

    setHtmlOption(THTML_Option::htAutoLink, false);
    lines = crlfLines(page());
    EXPECT_EQ(lines[11], "<td>service@tev.example</td>");
}

TEST_F(HtmlExport, TitleHeaderAndFooterKeepTheirMarkupAndFollowTheOptions) {
    component->SetTitle("TEV <i>640</i>");
    component->SetHeader({"Halvoer <b>Safety</b>", "www: http://tev.example"});
    component->SetFooter({"%.0f rows", "mail service@tev.example"});
    setHtmlOption(THTML_Option::htDisplayTitle, true);
    auto lines = pageOf("x");
    EXPECT_EQ(lines[0],
              "<html><head>"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" +
                  std::string(PrintStyle) + "<title>TEV <i>640</i></title></head>");
    EXPECT_EQ(lines[3], "<h1>TEV <i>640</i></h1>");
    EXPECT_EQ(lines[4], "Halvoer <b>Safety</b><br>");
    EXPECT_EQ(lines[5], "www: <a href=\"http://tev.example\">http://tev.example</a><br>");
    EXPECT_EQ(lines[6], "<br>");
    EXPECT_EQ(lines[14], "</table><br>1 rows<br>");
    EXPECT_EQ(lines[15], "mail <a href=\"mailto:service@tev.example\">service@tev.example</a><br>");
    EXPECT_EQ(lines[16], "");
    EXPECT_EQ(lines[17], "</font></body></html>");

    setHtmlOption(THTML_Option::htHorzRules, true);
    setHtmlOption(THTML_Option::htShowGridLines, true);
    lines = pageOf("x");
    EXPECT_EQ(lines[6], "<hr>");
    EXPECT_EQ(lines[7], "<table cellspacing=\"0\" cellpadding=\"4\" border=\"1\" "
                        "bgcolor=\"#FFFFFF\">");
    EXPECT_EQ(lines[14], "</table><hr>1 rows<br>");

    setHtmlOption(THTML_Option::htIgnoreLineBreaks, true);
    setHtmlOption(THTML_Option::htColHeadersBold, false);
    lines = pageOf("x");
    EXPECT_EQ(lines[4], "Halvoer <b>Safety</b>");
    EXPECT_EQ(lines[5], "www: <a href=\"http://tev.example\">http://tev.example</a>");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[9], "<td><font color=\"#FFFFFF\">Note</font></td>");
    EXPECT_EQ(lines[14], "</table>1 rows");
}

TEST_F(HtmlExport, EmptyTitleAndTimeStampLine) {
    setTable({{"N"}, {"x"}});
    const auto lines = crlfLines(page());
    EXPECT_EQ(lines[0],
              "<html><head>"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">" +
                  std::string(PrintStyle) + "<title></title></head>");
    EXPECT_EQ(lines[3], "Created: 09.12.2026 08:15:30<br><br>");
    EXPECT_EQ(lines[4].rfind("<table ", 0), 0u);
}

// Numbers to the right in the table's own decimal mark, its date-time texts unbroken.
TEST_F(HtmlExport, NumbersAreRightAlignedAndDatesNeverWrap) {
    services.locale = test::pointLocale();
    component->TableNotation = {",", "DD.MM.YY  hh:mm"};
    setOption(TExportOption::NumberRows, false);
    setTable({{"Date", "O2", "Fuel"}, {"02.01.20  10:22", "18,3", "Heiz\xF6l"}});
    const std::vector<std::string> lines = crlfLines(page());
    for (const char* cell :
         {"<td nowrap>02.01.20  10:22</td>", "<td align=\"right\">18,3</td>", "<td>Heiz\xF6l</td>"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(cell)), lines.end()) << cell;
}

// The main window's widest table printed from Chromium: landscape, every column on the page,
// the caption row again on the next page.
TEST_F(HtmlExport, AWideTablePrintsWholeWithItsCaptionsOnEveryPage) {
    setTable(test::widestTable(80, "Heiz\xF6l EL"));
    const std::vector<std::string> captions = test::widestTable(0, "").front();
    const std::string html = page();
    EXPECT_NE(html.find("<thead><tr valign=\"top\""), std::string::npos);
    EXPECT_NE(html.find("@page{size:landscape"), std::string::npos);

    const std::optional<std::string> browser = test::chromium();
    if (!browser || !test::pdftotextInstalled())
        GTEST_SKIP() << "Chromium or poppler's pdftotext is not installed (Debian packages "
                        "chromium, poppler-utils); the page's print style was checked";
    const std::vector<std::string> pages = test::chromiumPages(*browser, path("page.htm"));
    ASSERT_GE(pages.size(), 2u);
    for (std::size_t p : {std::size_t{0}, std::size_t{1}})
        for (const std::string& caption : captions)
            EXPECT_NE(pages[p].find(caption), std::string::npos)
                << caption << " on page " << p + 1 << ":\n"
                << pages[p];
}

} // namespace
