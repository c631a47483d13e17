#include "export/HTMLExport.h"

#include "export/HTMLText.h"
#include "export/TableCells.h"
#include "export/TextServices.h"
#include "export/WriterRegistry.h"

namespace ovena {

namespace {

// Tells readers that the page's texts are Windows-1252.
constexpr std::string_view CharsetDeclaration =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">";

// On paper: landscape, the table as wide as the page (its cells wrap), the caption row
// repeated on every page.
constexpr std::string_view PrintStyle =
    "<style type=\"text/css\">@media print{@page{size:landscape;margin:1cm}"
    "table{width:100%}td{font-size:7pt;padding:1px}"
    "thead{display:table-header-group}}</style>";

} // namespace

static_assert(HTMLBuiltInTemplates.size() == HtmlTemplateCount, "one template per member");

void registerHTMLExport(WriterRegistry& registry) {
    registry.add("THTMLExport",
                 [](TExportXComponent& component, TExportType type, const std::string& fileName) {
                     return std::make_unique<THTMLExport>(component, type, fileName);
                 });
}

std::string THTMLExport::field(HTMLTemplateField field) const {
    return TemplateToken(Template, static_cast<int>(field));
}

std::string THTMLExport::tableCell(std::string_view text, bool autoLink) const {
    return htmlFinishCell(
        htmlText(text, true, autoLink, hasHtml(THTML_Option::htIgnoreLineBreaks)));
}

std::string THTMLExport::pageText(std::string_view text, bool autoLink) const {
    return htmlText(text, false, autoLink, hasHtml(THTML_Option::htIgnoreLineBreaks));
}

std::string THTMLExport::cellStart(std::size_t i, std::string_view text) const {
    const std::uint8_t kind = ColumnKind(i, text);
    const std::string trimmed = trim(text);
    if (kind == ValueKind::Number || kind == ValueKind::Currency ||
        (kind == ValueKind::Text && ovena::IsNumeric(trimmed, notation_)))
        return "<td align=\"right\">";
    if (pictureDateTime(trimmed, Component.TableNotation.DateTimePicture) ||
        ValueKind::holdsNumber(kind))
        return "<td nowrap>";
    return "<td>";
}

void THTMLExport::WriteHeader(const ExportList& captions) {
    TCustomTextExport::WriteHeader(captions);
    notation_ = notationLocale(Locale(), Component.TableNotation);
    using F = HTMLTemplateField;
    Template =
        isBlank(Component.HTML_CustomTemplate())
            ? std::string(HTMLBuiltInTemplates[static_cast<std::size_t>(Component.HTML_Template)])
            : Component.HTML_CustomTemplate();
    const std::string title = pageText(Component.Title(), false);
    // The page names its code page, so browsers and office programs show its texts as written
    // instead of guessing.
    Output->write("<html><head>" + std::string(CharsetDeclaration) + std::string(PrintStyle) +
                  "<title>" + title + "</title></head>\r\n<body bgcolor=\"" +
                  field(F::PageBackground) + "\" link=\"" + field(F::LinkColour) + "\" vlink=\"" +
                  field(F::VisitedLinkColour) + "\" text=\"" + field(F::TextColour) +
                  "\" alink=\"" + field(F::ActiveLinkColour) + "\">\r\n<font color=\"" +
                  field(F::FontColour) + "\" face=\"" + field(F::FontFace) + "\">\r\n");
    if (hasHtml(THTML_Option::htDisplayTitle))
        Output->writeLine("<h1>" + title + "</h1>");
    if (has(TExportOption::TimeStamp))
        Output->writeLine(TimeStampText() + "<br><br>");
    if (const std::string header = listText(Component.Header()); !isBlank(header)) {
        std::string line = pageText(header, hasHtml(THTML_Option::htAutoLink));
        if (!hasHtml(THTML_Option::htIgnoreLineBreaks))
            line += hasHtml(THTML_Option::htHorzRules) ? "<hr>" : "<br>";
        Output->writeLine(line);
    }
    Output->writeLine(std::string("<table cellspacing=\"0\" cellpadding=\"4\" border=\"") +
                      (hasHtml(THTML_Option::htShowGridLines) ? "1" : "0") + "\" bgcolor=\"" +
                      field(F::TableBackground) + "\">");
    if (!has(TExportOption::ShowColHeaders))
        return;
    const bool bold = hasHtml(THTML_Option::htColHeadersBold);
    Output->writeLine("<thead><tr valign=\"top\" bgcolor=\"" + field(F::CaptionBackground) + "\">");
    for (const ExportItem& caption : captions)
        Output->writeLine(std::string("<td>") + (bold ? "<b>" : "") + "<font color=\"" +
                          field(F::CaptionColour) + "\">" + tableCell(caption.Text, false) +
                          "</font>" + (bold ? "</b>" : "") + "</td>");
    Output->writeLine("</tr></thead>");
}

void THTMLExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    if (hasHtml(THTML_Option::htOddRowColoring))
        Output->writeLine("<tr valign=\"top\" bgcolor=\"" +
                          field(rowNumber % 2 ? HTMLTemplateField::OddRowBackground
                                              : HTMLTemplateField::TableBackground) +
                          "\">");
    else
        Output->writeLine("<tr valign=\"top\">");
    const bool autoLink = hasHtml(THTML_Option::htAutoLink);
    for (std::size_t i = 0; i < row.size(); ++i) {
        const std::string text = CellText(row, i);
        Output->writeLine(cellStart(i, text) + tableCell(text, autoLink) + "</td>");
    }
    Output->writeLine("</tr>");
}

void THTMLExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    Output->write("</table>");
    if (!isBlank(listText(Component.Footer()))) {
        std::string line;
        if (!hasHtml(THTML_Option::htIgnoreLineBreaks))
            line = hasHtml(THTML_Option::htHorzRules) ? "<hr>" : "<br>";
        line += pageText(FormattedFooter(), hasHtml(THTML_Option::htAutoLink));
        Output->writeLine(line);
    }
    Output->write("</font></body></html>");
}

} // namespace ovena
