#pragma once

#include "export/ExportWriter.h"
#include "export/HTMLTemplates.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ovena {

class WriterRegistry;

// Adds THTMLExport to the registry.
void registerHTMLExport(WriterRegistry& registry);

// The table as one HTML page in the attribute style of early HTML: colours from a template,
// an optional heading, time stamp and header, the table with its caption row (a thead, so that
// it is printed on every page), the footer. Numbers are right-aligned and dates never wrap;
// printed, the page is landscape with the table as wide as the paper.
// Captions and cells come from the instrument and are escaped; the component's own title,
// header and footer may carry markup and pass as they are.
class THTMLExport : public TCustomTextExport {
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;

private:
    bool hasHtml(THTML_Option option) const { return Component.HTML_Options.contains(option); }
    std::string field(HTMLTemplateField field) const;
    // A caption or cell: escaped, linked when asked, converted and finished.
    std::string tableCell(std::string_view text, bool autoLink) const;
    // The component's own title, header or footer: converted, linked when asked.
    std::string pageText(std::string_view text, bool autoLink) const;

    // The opening tag of a data cell: numbers to the right, dates and times unbroken.
    std::string cellStart(std::size_t i, std::string_view text) const;

    // The colour template of this page.
    std::string Template;
    LocaleSettings notation_; // the locale with the source's decimal mark
};

} // namespace ovena
