#pragma once

#include "ExportWriter.h"

#include <string>

namespace ovena {

class WriterRegistry;

// Adds the text, delimited and clipboard writers to the registry.
void registerTextWriters(WriterRegistry& registry);

// Fixed-width text: preamble, one padded line per row, footer.
class TTextExport : public TCustomTextExport {
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;
};

// The base of the delimited files, whose readers evaluate texts that look like formulas.
class TCustomDelimitedExport : public TCustomTextExport {
public:
    using TCustomTextExport::TCustomTextExport;

protected:
    // A text cell's clean text, with a leading apostrophe when a spreadsheet would take it for a
    // formula and the component's EscapeFormulaTexts is set.
    std::string DelimitedText(std::string_view text) const;
};

// Comma-separated values; the separator is the list separator stored in the settings, else the
// locale's when it differs from the decimal separator, else ";" when the decimal separator is ","
// and "," otherwise. Texts are quoted, numbers written as they are.
class TCSVExport : public TCustomDelimitedExport {
public:
    using TCustomDelimitedExport::TCustomDelimitedExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;

private:
    void writeLine(const ExportList& entries);
    std::string separator() const;
};

// Tab-separated values.
class TTabExport : public TCustomDelimitedExport {
public:
    using TCustomDelimitedExport::TCustomDelimitedExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
};

// Text collected in memory and put on the clipboard when the export succeeded.
class TCustomClipboardExport : public TCustomExport {
public:
    using TCustomExport::TCustomExport;
    ~TCustomClipboardExport() override;

protected:
    std::string ClipText;
};

// The fixed-width text layout on the clipboard.
class TClipboardExport : public TCustomClipboardExport {
public:
    using TCustomClipboardExport::TCustomClipboardExport;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;
};

// The detailed layout: every row a block of lines "caption: value", one per column, followed
// by an empty line; the captions padded so that the colons line up.
template <typename Base> class DetailedLayout : public Base {
public:
    using Base::Base;

protected:
    // Title, time stamp and header; no caption line.
    std::string detailedPreamble(const ExportList& captions);
    std::string detailedRecord(const ExportList& row) const;
};

class TDetailedTextExport : public DetailedLayout<TCustomTextExport> {
public:
    using DetailedLayout::DetailedLayout;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;
};

class TDetailedClipboardExport : public DetailedLayout<TCustomClipboardExport> {
public:
    using DetailedLayout::DetailedLayout;

protected:
    void WriteHeader(const ExportList& captions) override;
    void WriteRow(const ExportList& row, int rowNumber) override;
    void WriteFooter() override;
};

} // namespace ovena
