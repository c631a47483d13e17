#include "export/HTMLText.h"

#include <gtest/gtest.h>

namespace {

using namespace ovena;

TEST(HtmlText, MarkupCharactersBecomeEntities) {
    EXPECT_EQ(htmlEscapeMarkup("Gas <L>"), "Gas &lt;L&gt;");
    EXPECT_EQ(htmlEscapeMarkup("A & B \"x\""), "A &amp; B &quot;x&quot;");
    EXPECT_EQ(htmlEscapeMarkup("&amp;"), "&amp;amp;") << "an entity in the data is shown as typed";
    EXPECT_EQ(htmlEscapeMarkup("Gr\xFC\xDF 12,5"), "Gr\xFC\xDF 12,5") << "other bytes pass";
}

TEST(HtmlText, BreaksAndTabsWithAndWithoutIgnoreLineBreaks) {
    EXPECT_EQ(htmlConvertBreaks("a\tb", false), "a&nbsp&nbsp&nbspb");
    EXPECT_EQ(htmlConvertBreaks("a\r\nb\nc", false), "a<br>\r\nb<br>\r\nc");
    EXPECT_EQ(htmlConvertBreaks("a\tb", true), "ab");
    EXPECT_EQ(htmlConvertBreaks("a\r\nb\nc", true), "a\r\nb\r\nc");
    EXPECT_EQ(htmlConvertBreaks(std::string("a\x01\x1F\0b", 5), false), "ab");
}

TEST(HtmlText, WebAddressesLinkAndKeepTheirSurroundings) {
    EXPECT_EQ(htmlAutoLink("see http://tev.example/x?a=1 now"),
              "see <a href=\"http://tev.example/x?a=1\">http://tev.example/x?a=1</a> now");
    EXPECT_EQ(htmlAutoLink("HTTPS://A.example"),
              "<a href=\"HTTPS://A.example\">HTTPS://A.example</a>");
    EXPECT_EQ(htmlAutoLink("ftp://f news://n nntp://m"),
              "<a href=\"ftp://f\">ftp://f</a> <a href=\"news://n\">news://n</a> "
              "<a href=\"nntp://m\">nntp://m</a>");
    EXPECT_EQ(htmlAutoLink("www.tev.example"), "www.tev.example") << "no scheme, no link";
    EXPECT_EQ(htmlAutoLink("http://a.example\xFFz"),
              "<a href=\"http://a.example\">http://a.example</a>\xFFz");
}

TEST(HtmlText, MailAddressesFollowTheAtWordRules) {
    EXPECT_EQ(htmlAutoLink("service@tev.example"),
              "<a href=\"mailto:service@tev.example\">service@tev.example</a>");
    EXPECT_EQ(htmlAutoLink("mail: service@tev.example."),
              "mail: <a href=\"mailto:service@tev.example.\">service@tev.example.</a>");
    EXPECT_EQ(htmlAutoLink("user@localhost"), "user@localhost") << "no dot after the @";
    EXPECT_EQ(htmlAutoLink("@tev.example"), "@tev.example") << "nothing before the @";
    EXPECT_EQ(htmlAutoLink("a@.example"), "a@.example") << "dot right after the @";
    EXPECT_EQ(htmlAutoLink("x@y then b@c.de"), "x@y then <a href=\"mailto:b@c.de\">b@c.de</a>");
}

TEST(HtmlText, MailtoLinksShowTheBareAddress) {
    EXPECT_EQ(htmlAutoLink("MAILTO:Service@Tev.example"),
              "<a href=\"MAILTO:Service@Tev.example\">Service@Tev.example</a>");
    EXPECT_EQ(htmlAutoLink("write mailto:a@b.c"), "write <a href=\"mailto:a@b.c\">a@b.c</a>");
}

TEST(HtmlText, EscapedTextStillLinksWithValidTargets) {
    // The query's "&" arrives as "&amp;", which is how an attribute value spells it.
    EXPECT_EQ(htmlText("Info: http://tev.example/q?a=1&b=2 <ok>", true, true, false),
              "Info: <a href=\"http://tev.example/q?a=1&amp;b=2\">"
              "http://tev.example/q?a=1&amp;b=2</a> &lt;ok&gt;");
    // A quote cannot end the attribute early.
    EXPECT_EQ(htmlText("http://x.example/\"onclick=", true, true, false),
              "<a href=\"http://x.example/&quot;onclick=\">http://x.example/&quot;onclick=</a>");
    EXPECT_EQ(
        htmlText("<b>a@b.example</b>", true, true, false),
        "<a href=\"mailto:&lt;b&gt;a@b.example&lt;/b&gt;\">&lt;b&gt;a@b.example&lt;/b&gt;</a>");
}

TEST(HtmlText, AddressesEndAtBreaksAndTabs) {
    EXPECT_EQ(htmlText("http://a.example\nnext", true, true, false),
              "<a href=\"http://a.example\">http://a.example</a><br>\r\nnext");
    EXPECT_EQ(htmlText("x\tb@c.example", true, true, false),
              "x&nbsp&nbsp&nbsp<a href=\"mailto:b@c.example\">b@c.example</a>");
    EXPECT_EQ(htmlText("<i>\nhttp://a", false, false, true), "<i>\r\nhttp://a")
        << "texts that carry their own markup pass unescaped and unlinked";
}

TEST(HtmlText, CellFinishingTrimsAndFillsEmptyCells) {
    EXPECT_EQ(htmlFinishCell("  12,5 "), "12,5");
    EXPECT_EQ(htmlFinishCell(""), "&nbsp;");
    EXPECT_EQ(htmlFinishCell("   "), "&nbsp;");
    EXPECT_EQ(htmlFinishCell("a<br>\r\n"), "a<br>");
}

} // namespace
