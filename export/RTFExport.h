#pragma once

#include "export/ExportWriter.h"
#include "export/RTFText.h"

#include <string>

namespace ovena {

class WriterRegistry;

// Adds TRichTextExport to the registry.
void registerRichTextExport(WriterRegistry& registry);

// The table as an RTF document for Word ("doc") and other rich-text readers ("rtf"): the
// prologue with the page margins, the locale's paper and a page-number footer, title, time
// stamp and header, a real table with a bold caption row repeated on every page, and the
// footer. Columns are 90 twips wide per character of their width; a table wider than the
// upright page turns the paper to landscape, and one wider than that is scaled to fit it.
class TRichTextExport : public TCustomTextExport {
public:
    TRichTextExport(TExportXComponent& component, TExportType exportType,
                    const std::string& fileName);

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;

private:
    void writeRowDefinition(RTFRowLayout layout);

    RTFColumns columns_;
};

} // namespace ovena
