#include "HtmlRtfFixture.h"
#include "PrintedPages.h"

#include <algorithm>
#include <cctype>
#include <regex>

#include <gtest/gtest.h>

namespace {

using namespace ovena;
using ovena::test::crlfLines;
using ovena::test::rtfBraceDepth;

// The document's lines after the nine lines of the prologue.
std::vector<std::string> bodyOf(const std::string& rtf) {
    auto lines = crlfLines(rtf);
    return {lines.begin() + 9, lines.end() - 1};
}

class RtfExport : public test::DocumentExportTest {
protected:
    // Exports a complete document and checks what every complete document must be: balanced
    // groups and a final line end.
    std::string exportRtf(TExportType type = TExportType::xRichText) {
        const std::string rtf = exportToFile(type, "document.rtf");
        EXPECT_EQ(rtfBraceDepth(rtf), 0) << "groups must balance";
        EXPECT_EQ(rtf.substr(rtf.size() - 2), "\r\n");
        return rtf;
    }
    void measurementTable() {
        setTable({{"Date", "Fuel", "CO2 [%]", "Remark"},
                  {"09.12.2026 08:15", "Gas {L}", "9,8", "a{b}c\\d"},
                  {"09.12.2026 09:00", "Heiz\xF6l", "12,1", ""},
                  {"09.12.2026 10:30", "Holz", "", "call\tservice\r\nasap"}});
        component->SetTitle("TEV 640 Measurements");
        component->SetHeader({"Halvoer Safety TEV GmbH,  Germany"});
        component->SetFooter({"%.0f measurements exported"});
    }
};

constexpr const char* BodyOpening =
    "\\pard\\plain\\nowidctlpar\\widctlpar\\adjustright\\fs20\\cgrid {\\f1\\fs16";
constexpr const char* FirstRowStart =
    "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright {\\i\\f1\\fs16\\row}\\trowd";
constexpr const char* MiddleRow =
    "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}"
    "\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16";
constexpr const char* LastRowStart =
    "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}\\trowd";
constexpr const char* ClosingStart =
    "}\\pard\\nowidctlpar\\widctlpar\\intbl\\adjustright{\\f1\\fs16\\row}"
    "\\pard\\nowidctlpar\\widctlpar\\adjustright{\\f1\\fs16\\par ";

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST_F(RtfExport, MeasurementDocumentMatchesTheGoldenFile) {
    measurementTable();
    const std::string golden =
        test::readFile(std::string(OVENA_EXPORT_GOLDEN_DIR) + "/rtf_measurements.rtf");
    EXPECT_EQ(exportRtf(), golden);
    EXPECT_EQ(exportRtf(TExportType::xMicrosoft_Word), golden) << "Word gets the same";
}

TEST_F(RtfExport, MarginsComeFromTheOptions) {
    setTable({{"N"}, {"x"}});
    EXPECT_TRUE(crlfLines(exportRtf())[4].starts_with(
        "\\margl1250\\margr1250\\margt1000\\margb1000\\paperw11906\\paperh16838{\\footer"));
    component->Word_RTF_Options = {720, 360, 1440, 0};
    EXPECT_TRUE(crlfLines(exportRtf())[4].starts_with("\\margl720\\margr360\\margt1440\\margb0\\"));
}

TEST_F(RtfExport, BoundariesFollowCaptionLengthsAndColumnWidths) {
    setTable({{"Date", "Fuel"}, {"1", "2"}});
    auto body = bodyOf(exportRtf());
    // Body opening and time stamp, then the caption row: Item 6 x 90, Date (4 + 5 + 3) x 90.
    EXPECT_NE(body[2].find("\\cellx540\\"), std::string::npos);
    EXPECT_NE(body[3].find("\\cellx1620\\"), std::string::npos);
    EXPECT_NE(body[4].find("\\cellx2700\\"), std::string::npos);

    component->SetColWidths({"10"});
    setOption(TExportOption::NumberRows, false);
    body = bodyOf(exportRtf());
    EXPECT_NE(body[2].find("\\cellx1170\\"), std::string::npos);
    EXPECT_NE(body[3].find("\\cellx2250\\"), std::string::npos);
}

TEST_F(RtfExport, OneRowUsesTheFirstRowLayoutAndTheClosingFollows) {
    setOption(TExportOption::TimeStamp, false);
    setTable({{"Date"}, {"d1"}});
    const auto body = bodyOf(exportRtf());
    ASSERT_EQ(body.size(), 10u);
    EXPECT_EQ(body[0], BodyOpening);
    EXPECT_TRUE(startsWith(body[5], FirstRowStart));
    EXPECT_EQ(body[7], "1\\cell ");
    EXPECT_EQ(body[8], "d1\\cell ");
    EXPECT_EQ(body[9], std::string(ClosingStart) + "}}");
}

TEST_F(RtfExport, ThreeRowsOpenFirstMiddleAndLast) {
    setOption(TExportOption::NumberRows, false);
    setOption(TExportOption::TimeStamp, false);
    setTable({{"Date"}, {"d1"}, {"d2"}, {"d3"}, {"d4"}});
    const auto body = bodyOf(exportRtf());
    ASSERT_EQ(body.size(), 12u);
    EXPECT_TRUE(startsWith(body[3], FirstRowStart));
    EXPECT_EQ(body[5], MiddleRow);
    EXPECT_EQ(body[7], MiddleRow);
    EXPECT_TRUE(startsWith(body[9], LastRowStart));
    EXPECT_EQ(body[10], "d4\\cell ");
    EXPECT_TRUE(startsWith(body[11], ClosingStart));
}

TEST_F(RtfExport, WithoutCaptionsOrTitleTheFirstRowClosesTheBodyGroup) {
    setOption(TExportOption::ShowColHeaders, false);
    setOption(TExportOption::TimeStamp, false);
    setTable({{"Date", "Fuel"}, {"d1", "f1"}, {"d2", "f2"}});
    const auto body = bodyOf(exportRtf());
    EXPECT_EQ(body[0], BodyOpening);
    EXPECT_TRUE(startsWith(body[1], FirstRowStart));
}

TEST_F(RtfExport, CellsAreEscaped) {
    setOption(TExportOption::NumberRows, false);
    setOption(TExportOption::TimeStamp, false);
    setTable({{"C"}, {"a{b}c\\d"}, {"x\ty"}, {"M\xE4rz\r\nApril"}, {"}}}"}});
    const auto body = bodyOf(exportRtf());
    EXPECT_EQ(body[4], "a\\{b\\}c\\\\d\\cell ");
    EXPECT_EQ(body[6], "x\\tab y\\cell ");
    EXPECT_EQ(body[8], "M\\'e4rz\\par");
    EXPECT_EQ(body[9], "April\\cell ");
    EXPECT_EQ(body[11], "\\}\\}\\}\\cell ");
}

TEST_F(RtfExport, TitleHeaderAndFooterAreEscapedAndTheFooterMayBeEmpty) {
    setOption(TExportOption::TimeStamp, false);
    setTable({{"C"}, {"x"}});
    component->SetTitle("Report {1}");
    component->SetHeader({"Line \\1", "Line 2"});
    auto body = bodyOf(exportRtf());
    EXPECT_EQ(body[0], "\\plain\\s1\\keepn\\nowidctlpar\\widctlpar\\outlinelevel0\\adjustright\\b"
                       "\\f1\\fs28\\cgrid {Report \\{1\\}}\\fs16\\par\\par");
    EXPECT_EQ(body[1], BodyOpening);
    EXPECT_EQ(body[2], "Line \\\\1\\par");
    EXPECT_EQ(body[3], "Line 2\\par");
    EXPECT_EQ(body[4], "\\par");
    EXPECT_EQ(body.back(), std::string(ClosingStart) + "}}");

    component->SetFooter({"%.0f {rows}", "\xA9 TEV"});
    body = bodyOf(exportRtf());
    EXPECT_EQ(body[body.size() - 3], std::string(ClosingStart) + "1 \\{rows\\}\\par");
    EXPECT_EQ(body[body.size() - 2], "\\'a9 TEV\\par");
    EXPECT_EQ(body.back(), "}}");
}

// A source whose rows can be shorter than its captions.
class RaggedSource : public TExportXComponent {
public:
    explicit RaggedSource(ExportServices& services) : TExportXComponent(services, nullptr) {}
    std::vector<std::string> captions;
    std::vector<std::vector<std::string>> rows;

    std::string SourceCaption(int i) const override { return captions[std::size_t(i)]; }
    int SourceRowCount() override { return static_cast<int>(rows.size()); }
    void GetCaptions(ExportList& list) override {
        list.clear();
        for (std::size_t i = 0; i < captions.size(); ++i)
            list.push_back({ColumnCaption(static_cast<int>(i)), {}});
    }
    void FillRow(ExportList& list) override {
        for (const std::string& cell : rows[std::size_t(SourceRow)])
            list.push_back({cell, {}});
    }
    bool CheckSource() override { return true; }
};

TEST_F(RtfExport, ShortRowsArePaddedToTheCaptionCount) {
    RaggedSource source(services);
    source.SetOptions({TExportOption::ShowColHeaders});
    source.ViewOnly = false;
    source.captions = {"A", "B", "C"};
    source.rows = {{"a1"}, {"a2", "b2", "c2"}};
    source.ExportType = TExportType::xRichText;
    source.ExportFile = path("ragged.rtf");
    ASSERT_TRUE(source.Export());
    const std::string rtf = test::readFile(path("ragged.rtf"));
    EXPECT_EQ(rtfBraceDepth(rtf), 0);
    const auto body = bodyOf(rtf);
    EXPECT_TRUE(startsWith(body[7], FirstRowStart));
    EXPECT_EQ(body[10], "a1\\cell ");
    EXPECT_EQ(body[11], "\\cell ");
    EXPECT_EQ(body[12], "\\cell ");
    EXPECT_TRUE(startsWith(body[13], LastRowStart));
}

// The main window's widest table: every field and the row numbers, on US Letter.
TEST_F(RtfExport, AWideTableFitsALandscapePageWithEveryColumn) {
    setTable(test::widestTable(60, "Heiz\xF6l"));
    const std::vector<std::string> captions = test::widestTable(0, "").front();
    services.locale.Locale = "00000409";
    const std::string rtf = exportRtf();
    EXPECT_NE(crlfLines(rtf)[4].find("\\paperw15840\\paperh12240\\landscape"), std::string::npos);
    int widest = 0;
    const std::regex boundary(R"(\\cellx(\d+))");
    for (auto it = std::sregex_iterator(rtf.begin(), rtf.end(), boundary);
         it != std::sregex_iterator(); ++it)
        widest = std::max(widest, std::stoi((*it)[1]));
    EXPECT_LE(widest, 15840 - 2 * 1250) << "the table within the printable width";
    EXPECT_NE(rtf.find("\\trowd\\trhdr"), std::string::npos) << "the caption row repeats";

    const std::optional<std::string> soffice = test::libreOffice();
    if (!soffice || !test::pdftotextInstalled())
        GTEST_SKIP() << "LibreOffice or poppler's pdftotext is not installed (Debian packages "
                        "libreoffice-writer, poppler-utils); the document's structure was checked";
    const std::vector<std::string> pages = test::libreOfficePages(*soffice, path("document.rtf"));
    ASSERT_GE(pages.size(), 2u);
    auto squeezed = [](std::string text) {
        std::erase_if(text, [](unsigned char c) { return std::isspace(c); });
        return text;
    };
    // Writer 7.4 does not repeat a \trhdr row (not even in a minimal document), so page 2 is
    // only checked to hold the rest of the table.
    for (const std::string& caption : captions)
        EXPECT_NE(squeezed(pages[0]).find(squeezed(caption)), std::string::npos) << caption << ":\n"
                                                                                 << pages[0];
    EXPECT_NE(pages[1].find("60,5"), std::string::npos);
    EXPECT_NE(pages[0].find("Heiz\xC3\xB6l"), std::string::npos) << "whole words in their cells";
    EXPECT_NE(pages[0].find("Page 1 of " + std::to_string(pages.size())), std::string::npos);
}

} // namespace
