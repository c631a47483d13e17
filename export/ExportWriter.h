#pragma once

#include "EC_Main.h"
#include "ExportList.h"
#include "OutputFile.h"
#include "XProgress.h"

#include "platform/FileReplacement.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena {

// The root of every writer. A writer lives for one run: the component constructs it, calls
// Execute once and destroys it; the destructors do the closing work (clipboard, viewer).
//
// How to write a writer:
// - Derive from TCustomTextExport for a text file (write to Output), from
//   TCustomShellViewExport for a file of your own making (write to TargetFile and close it in
//   CompleteOutput before calling the base), from TCustomExport for output that is no file.
// - Override WriteHeader, WriteRow and WriteFooter; call the base first unless the format says
//   otherwise (the base keeps CaptionCopy, MaxWidths and CurrentRow and formats the footer).
// - Throw (ExportError or any std::exception) on every failure: the loop reports it through
//   ReportFailure and the export fails; a named destination then keeps its old content.
// - Offer a register function that adds the writer to a WriterRegistry under the class name
//   the type table gives, and call it from builtInWriters().
class TCustomExport {
public:
    TCustomExport(TExportXComponent& component, TExportType exportType,
                  const std::string& fileName);
    virtual ~TCustomExport();
    TCustomExport(const TCustomExport&) = delete;
    TCustomExport& operator=(const TCustomExport&) = delete;

    // The export loop: captions, every row, the footer. Answers whether every row and the
    // footer were written; false when cancelled or failed (a failure has been reported).
    bool Execute();

protected:
    virtual void WriteHeader(const ExportList& captions);
    virtual void WriteRow(const ExportList& row, int rowNumber);
    virtual void WriteFooter();
    virtual void ReportFailure(const std::exception& error);
    // Runs after WriteFooter, inside the loop's error handling: finishes the output (closes
    // and commits files) so that an error doing so fails the export.
    virtual void CompleteOutput() {}

    // Shared services.
    // text without control characters in exactly `width` characters: cut (with TruncateSymbol
    // when it fits) or padded, numbers to the right when alignNumbers is set.
    std::string FitToWidth(std::string_view text, int width, bool alignNumbers) const;
    // The title with its rule and the time stamp, each followed by an empty line, as far as
    // they are set.
    std::string TitleAndTimeStamp() const;
    // Title, time stamp, header and caption line of the plain-text layouts; sets RuleLength.
    std::string BuildPreamble(const ExportList& captions);
    // One fixed-width row line with CR LF.
    std::string BuildTextRow(const ExportList& row) const;
    // Rule and formatted footer of the plain-text layouts, or empty.
    std::string BuildFooterText() const;
    // The formatted footer: each line of FooterLines followed by CR LF.
    std::string FormattedFooter() const;
    static std::string CellText(const ExportList& list, std::size_t i);
    std::string NumberText(const ExportItem& item) const;
    void MeasureCaptions();
    int ColumnWidth(std::size_t i) const;
    std::uint8_t ColumnKind(std::size_t i, std::string_view text) const;
    bool IsNumeric(std::string_view text) const;
    std::string ToPointDecimal(std::string_view text) const;
    std::string CleanNumber(std::string_view text, const std::string& fallback) const;
    std::string SpreadsheetDateFormat() const;
    std::string SpreadsheetTimeFormat() const;
    std::string SpreadsheetDateTimeFormat() const;
    std::string SpreadsheetCurrencyFormat() const;
    double ParseDate(std::string_view text) const;
    double ParseDateTime(std::string_view text) const;
    // The date-time serial a cell of a date or time kind holds: the date, the time of day, the
    // date and time, or the date or time part of a date and time. Throws when the text is no
    // date or time.
    double DateTimeValue(std::uint8_t kind, std::string_view text) const;
    // A new empty file in the temporary folder ("exp..." with the extension), created
    // atomically and deleted when the program ends. Throws ExportError when none can be made.
    std::string MakeTempFileName(const std::string& extension) const;
    std::string TimeStampText() const;
    // The locale identifier as hexadecimal text: the stored "Locale" value when the store has
    // one, otherwise the platform's own locale (none at all counts as "0").
    std::string LocaleIdentifier() const;

    bool has(TExportOption option) const { return Component.has(option); }
    const LocaleSettings& Locale() const { return Component.Services().locale; }
    UiServices& Ui() const { return Component.Services().ui; }

    std::uint32_t ViewerHandle = 0;
    TExportXComponent& Component;
    ExportList CaptionCopy;
    std::vector<int> MaxWidths;
    int CurrentRow = 0;
    TExportType ExportType;
    std::string FileName;
    std::string Extension;
    bool Succeeded = false;
    bool ToNamedFile = false;
    bool Constructed = false;
    std::unique_ptr<TProgressForm> Progress;
    int RuleLength = 0;
    int LongestCaption = 0;
};

// A writer of a file. A named destination is written through a FileReplacement that replaces
// it only when the export succeeded, so a failed or cancelled export leaves the old file as it
// was (links, permissions and hard links stay). Without a name the file is a temporary one that
// is opened in the application registered for it when the export succeeded.
class TCustomShellViewExport : public TCustomExport {
public:
    TCustomShellViewExport(TExportXComponent& component, TExportType exportType,
                           const std::string& fileName);
    ~TCustomShellViewExport() override;

protected:
    // Puts the finished file in place of the destination (named exports).
    void CompleteOutput() override;

    // The file the writer writes: the new file of a named destination, or the temporary file
    // that is viewed.
    std::string TargetFile;
    std::string ViewErrorText;

private:
    std::optional<FileReplacement> replacement_;
};

// A writer of a text file: Output is open on TargetFile from construction on.
class TCustomTextExport : public TCustomShellViewExport {
public:
    TCustomTextExport(TExportXComponent& component, TExportType exportType,
                      const std::string& fileName);

protected:
    void ReportFailure(const std::exception& error) override;
    void CompleteOutput() override;

    std::optional<OutputFile> Output;
};

} // namespace ovena
