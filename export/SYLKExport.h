#pragma once

#include "export/ExportWriter.h"

namespace ovena {

class WriterRegistry;

// Adds the SYLK writer to the registry.
void registerSYLKExport(WriterRegistry& registry);

// The Symbolic Link format: an identification line, four number formats (date, time, date and
// time, currency), one cell record per value (preceded by a format record for dates, times and
// currency), the column widths and the end line.
class TSYLKExport : public TCustomTextExport {
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;

private:
    void writeCells(const ExportList& entries);
    std::string decimalValue(std::string_view number) const;
};

} // namespace ovena
