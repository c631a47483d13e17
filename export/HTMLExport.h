#pragma once

#include "export/ExportWriter.h"
#include "export/HTMLTemplates.h"

#include <string>
#include <string_view>

namespace ovena {

class WriterRegistry;

// Adds THTMLExport to the registry.
void registerHTMLExport(WriterRegistry& registry);

// The table as one HTML page in the attribute style of early HTML: colours from a template,
// an optional heading, time stamp and header, the table with its caption row, the footer.
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

    // The colour template of this page.
    std::string Template;
};

} // namespace ovena
