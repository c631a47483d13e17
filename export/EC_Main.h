#pragma once

#include "EnumSet.h"
#include "ExportList.h"

#include "platform/LocaleSettings.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovena {

class Form;
class SettingsStore;
class Shell;
class UiServices;
class WriterRegistry;

// The export formats, in the order of their one-byte values.
enum class TExportType : std::uint8_t {
    xHTML,
    xMicrosoft_Word,
    xMicrosoft_Excel,
    xText,
    xRichText,
    xText_Comma_Delimited,
    xText_Tab_Delimited,
    xDIF,
    xSYLK,
    xClipboard,
    xExcel_Workbook,
};
inline constexpr int ExportTypeCount = 11;
using TExportTypeSet = EnumSet<TExportType>;
TExportTypeSet allExportTypes();

enum class TExportOption {
    DetailedMode,
    ExportAllWhenNoneSelected,
    ExportInvisibleCols,
    NumberRows,
    SelectedRowsOnly,
    ShowColHeaders,
    ShowClipboardMsg,
    ShowProgress,
    TimeStamp,
    TimeDisplaySeconds,
    Time24HourFormat,
};
inline constexpr int ExportOptionCount = 11;
using TExportOptions = EnumSet<TExportOption>;

enum class THTML_Option {
    htShowGridLines,
    htColHeadersBold,
    htAutoLink,
    htOddRowColoring,
    htDisplayTitle,
    htHorzRules,
    htIgnoreLineBreaks,
};
inline constexpr int HtmlOptionCount = 7;
using THTML_Options = EnumSet<THTML_Option>;

enum class THTML_Template {
    htClassic,
    htSimple,
    htPlain,
    htMurky,
    htMS_Money,
    htColorful,
    htGray,
    htOlive,
    htBW,
};
inline constexpr int HtmlTemplateCount = 9;

// Member names as written in code and configuration ("NumberRows", "htAutoLink", "htSimple").
std::string_view optionName(TExportOption option);
std::string_view htmlOptionName(THTML_Option option);
std::string_view htmlTemplateName(THTML_Template t);
std::string_view exportTypeMember(TExportType type);

// The display name of a type ("Microsoft Excel"), its default extension without the point
// ("xls"; empty for the clipboard) and the class name of its writer.
const std::string& DisplayName(TExportType type);
std::string_view DefaultExtension(TExportType type);
std::string_view WriterClassName(TExportType type, bool detailedMode);
// The type of a display name, compared exactly in type order; xText when none matches.
TExportType TypeFromDisplayName(std::string_view name);

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = EnumSet<TFontStyle>;

struct TFont {
    std::string Name;
    int Size = 8;
    TFontStyles Style;
    std::uint32_t Color = 0;  // black
    std::uint8_t Charset = 1; // the default character set
};

// Fonts of the printed and detailed layouts (kept with the component's settings).
struct TPrint_Options {
    TFont DefaultFont{"Courier New", 8, {}};
    TFont DetailedTitle{"Arial", 16, {TFontStyle::fsBold, TFontStyle::fsUnderline}};
    TFont DetailedHeader{"Arial", 12, {TFontStyle::fsItalic}};
    TFont DetailedFooter{"Arial", 12, {TFontStyle::fsItalic}};
    TFont DetailedFont{"Courier New", 9, {}};
};

// Page setup of the spreadsheet writer.
struct TXL_Options {
    bool PrintGridlines = false;
    bool PrintHeadings = false;
    std::string PageHeader;
    std::string PageFooter = "Page &P of &N";
};

// How a source writes its numbers and date-time texts, for the xlsx workbook, which types its
// cells by it rather than by the locale.
struct TTableNotation {
    // The decimal mark of the numbers; empty for the locale's decimal separator.
    std::string DecimalMark;
    // The layout of the date-time texts, position by position ("DD.MM.YY  hh:mm": D day, M
    // month, Y year, h hour, m minute digits, other characters as they stand); empty for none.
    std::string DateTimePicture;
};

// Page margins of the RTF writer, in twentieths of a point.
struct TRTF_Options {
    std::uint16_t LeftMargin = 1250;
    std::uint16_t RightMargin = 1250;
    std::uint16_t TopMargin = 1000;
    std::uint16_t BottomMargin = 1000;
};

// The process-wide list of temporary files, deleted when the program ends (files a viewer
// still holds are left; failures are ignored).
void rememberTempFile(const std::string& path);
void deleteTempFiles();

// What the export engine needs of the platform, handed to the component by its owner.
struct ExportServices {
    UiServices& ui;
    Shell& shell;
    // Read for the list separator of the CSV writer and the locale of the spreadsheet writer.
    const SettingsStore& settings;
    LocaleSettings locale;
    // The time the time stamp shows.
    std::function<std::chrono::system_clock::time_point()> clock = [] {
        return std::chrono::system_clock::now();
    };
    // The writers by class name; none means the engine's built-in writers.
    const WriterRegistry* writers = nullptr;
};

// The export component: holds every export setting, lets the user choose a format and a
// destination, runs the writer of the chosen format over the rows of a source, and reports the
// outcome through its events. Sources derive from it and supply captions, row count and rows.
class TExportXComponent {
public:
    using NotifyEvent = std::function<void(TExportXComponent& sender)>;
    using WriteFooterEvent =
        std::function<void(TExportXComponent& sender, std::int32_t numItemsExported)>;

    // `owner` is the window the component belongs to (disabled while the progress window is
    // used); it may be none.
    TExportXComponent(ExportServices& services, Form* owner);
    virtual ~TExportXComponent();
    TExportXComponent(const TExportXComponent&) = delete;
    TExportXComponent& operator=(const TExportXComponent&) = delete;

    // Settings. Setters that only store a value are plain members.
    TExportOptions Options() const { return options_; }
    void SetOptions(TExportOptions options);
    bool has(TExportOption option) const { return options_.contains(option); }
    THTML_Options HTML_Options{THTML_Option::htColHeadersBold, THTML_Option::htAutoLink,
                               THTML_Option::htOddRowColoring};
    std::string ExportFile;
    const std::string& Title() const { return title_; }
    void SetTitle(std::string_view title); // control characters are removed
    const std::vector<std::string>& Header() const { return header_; }
    void SetHeader(std::vector<std::string> lines); // trailing blank lines are dropped
    const std::vector<std::string>& Footer() const { return footer_; }
    void SetFooter(std::vector<std::string> lines);
    bool ViewOnly = true;
    TExportType ExportType = TExportType::xMicrosoft_Excel;
    TExportTypeSet AllowedTypes = allExportTypes();
    const std::vector<std::string>& Captions() const { return captions_; }
    void SetCaptions(std::vector<std::string> captions);
    const std::string& HTML_CustomTemplate() const { return htmlCustomTemplate_; }
    // Eleven fields separated by ";"; throws ExportError otherwise, keeping the old value.
    void SetHTML_CustomTemplate(std::string_view text);
    THTML_Template HTML_Template = THTML_Template::htSimple;
    const std::string& TruncateSymbol() const { return truncateSymbol_; }
    void SetTruncateSymbol(std::string_view symbol); // blanks around it are removed
    TPrint_Options Print_Options;
    TXL_Options XL_Options;
    TRTF_Options Word_RTF_Options;
    TTableNotation TableNotation;
    // Texts of the CSV and tab files that a spreadsheet would run as formulas (StartsLikeFormula)
    // are written with a leading apostrophe; off writes every text as it is.
    bool EscapeFormulaTexts = true;
    // Column widths in characters, one per exported data column; a blank entry means the
    // default width. Sources that lay out columns publish a validating setter.
    const std::vector<std::string>& ColWidths() const { return colWidths_; }

    NotifyEvent OnBeginExport;      // the writer exists, the rows follow
    NotifyEvent OnExportFinished;   // the export succeeded
    NotifyEvent OnExportFailed;     // any export that did not succeed
    WriteFooterEvent OnWriteFooter; // the footer may still be changed

    // Call once the settings are in place: the choice dialog then preselects ExportType.
    void Loaded() { LastChosenType = ExportType; }

    // One export with the current ExportType, ViewOnly and ExportFile. Answers whether it
    // succeeded. An error of the source or of creating the writer (the output cannot be
    // created, the format's writer is not built in) throws ExportError after OnExportFailed.
    bool Export();
    // The choice dialog, then Export.
    bool ExportWithDialog();
    // The display names of AllowedTypes in type order, except that the xlsx workbook follows
    // the BIFF workbook, so both Excel formats stand together.
    void FillTypeList(std::vector<std::string>& list) const;
    // Whether a type can be viewed: it has no extension, or its file type has an "open" command.
    bool CanView(TExportType type) const;
    std::string ColumnCaption(int i) const;
    bool HasVisibleData();

    ExportServices& Services() const { return services_; }
    Form* Owner() const { return owner_; }

    // Source operations.
    virtual int DefaultColumnWidth(int j) const;
    virtual void BeginRows() {}
    virtual void EndRows();
    virtual std::string SourceCaption(int i) const = 0;
    virtual int SourceRowCount() = 0; // also records SelectionRows
    virtual bool RowSelected() const { return true; }
    virtual void GetCaptions(ExportList& list) { list.clear(); }
    virtual void ResetRows();
    virtual void SkipRow() { ++SourceRow; }
    virtual void GetRow(ExportList& list);
    virtual void FillRow(ExportList& list) = 0;
    virtual bool HasMoreRows() const { return RowsExported < RowCount; }
    virtual bool CheckSource() = 0; // shows its own message when there is nothing to export

    // Working state of the export that runs, read and written by the writers.
    bool MinimisedByExport = false;
    int WidthPadding = 1;
    TExportOptions DisabledOptions;
    ExportList CaptionList;
    std::vector<std::string> FooterLines;
    int SourceRow = 0;
    int RowsExported = 0;
    int RowCount = 0;
    int SelectionRows = 0;
    TExportType LastChosenType = TExportType::xMicrosoft_Excel;

protected:
    std::vector<std::string> colWidths_;

private:
    void activated();

    ExportServices& services_;
    Form* owner_;
    std::function<void()> savedActivateHandler_;
    TExportOptions options_{TExportOption::NumberRows, TExportOption::ShowColHeaders,
                            TExportOption::ShowClipboardMsg, TExportOption::ShowProgress,
                            TExportOption::TimeStamp};
    std::string title_;
    std::vector<std::string> header_;
    std::vector<std::string> footer_;
    std::vector<std::string> captions_;
    std::string htmlCustomTemplate_;
    std::string truncateSymbol_ = "-";
};

} // namespace ovena
