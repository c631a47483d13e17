#pragma once

#include "export/ExportWriter.h"

#include <optional>
#include <string>

namespace ovena {

class WriterRegistry;

// Adds the DIF writer to the registry.
void registerDIFExport(WriterRegistry& registry);

// The Data Interchange Format: a header (table, vectors, tuples, data) followed by one tuple per
// row, captions first when shown. The tuple count is known only at the end, so the text goes to a
// temporary file first and is copied to the output with the count put into the header.
class TDIFExport : public TCustomTextExport {
public:
    using TCustomTextExport::TCustomTextExport;
    // Removes the temporary file of a run that stopped before its footer.
    ~TDIFExport() override;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;

    std::string TempName;
    std::optional<OutputFile> TempFile;

private:
    void writeTuple(const ExportList& entries);
    void copyWithTupleCount(int tupleCount);
};

} // namespace ovena
