#include "EC_Main.h"

#include "EC_Choice.h"
#include "ExportError.h"
#include "ExportWriter.h"
#include "TextServices.h"
#include "WriterRegistry.h"

#include "platform/CNumericLocale.h"
#include "platform/Cp1252.h"
#include "platform/Shell.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <unistd.h>

namespace ovena {

namespace {

struct TypeEntry {
    std::string_view member;
    std::string displayName;
    std::string_view extension;
    std::string_view writer;
    std::string_view detailedWriter;
};

// The display names are the program's texts for the types; the table is filled once.
const std::array<TypeEntry, ExportTypeCount>& typeTable() {
    static const std::array<TypeEntry, ExportTypeCount> table{{
        {"xHTML", "HTML", "htm", "THTMLExport", "THTMLExport"},
        {"xMicrosoft_Word", "Microsoft Word", "doc", "TRichTextExport", "TRichTextExport"},
        {"xMicrosoft_Excel", "Microsoft Excel", "xls", "TBIFFExport", "TBIFFExport"},
        {"xText", "Text", "txt", "TTextExport", "TDetailedTextExport"},
        {"xRichText", "Rich Text", "rtf", "TRichTextExport", "TRichTextExport"},
        {"xText_Comma_Delimited", "Comma-Delimited Text (CSV)", "csv", "TCSVExport", "TCSVExport"},
        {"xText_Tab_Delimited", "Tab-Delimited Text", "txt", "TTabExport", "TTabExport"},
        {"xDIF", "Data Interchange Format (DIF)", "dif", "TDIFExport", "TDIFExport"},
        {"xSYLK", "SYLK Format", "slk", "TSYLKExport", "TSYLKExport"},
        {"xClipboard", "Clipboard", "", "TClipboardExport", "TDetailedClipboardExport"},
        {"xExcel_Workbook", "Excel Workbook (xlsx)", "xlsx", "TXLSXExport", "TXLSXExport"},
    }};
    return table;
}

// The order in which types are offered: type order, with the xlsx workbook beside the BIFF one.
constexpr std::array<TExportType, ExportTypeCount> OfferedOrder{
    TExportType::xHTML,
    TExportType::xMicrosoft_Word,
    TExportType::xMicrosoft_Excel,
    TExportType::xExcel_Workbook,
    TExportType::xText,
    TExportType::xRichText,
    TExportType::xText_Comma_Delimited,
    TExportType::xText_Tab_Delimited,
    TExportType::xDIF,
    TExportType::xSYLK,
    TExportType::xClipboard,
};

const TypeEntry& entry(TExportType type) {
    return typeTable()[static_cast<std::size_t>(type)];
}

constexpr std::array<std::string_view, ExportOptionCount> OptionNames{
    "DetailedMode",        "ExportAllWhenNoneSelected",
    "ExportInvisibleCols", "NumberRows",
    "SelectedRowsOnly",    "ShowColHeaders",
    "ShowClipboardMsg",    "ShowProgress",
    "TimeStamp",           "TimeDisplaySeconds",
    "Time24HourFormat"};
constexpr std::array<std::string_view, HtmlOptionCount> HtmlOptionNames{
    "htShowGridLines", "htColHeadersBold", "htAutoLink",        "htOddRowColoring",
    "htDisplayTitle",  "htHorzRules",      "htIgnoreLineBreaks"};
constexpr std::array<std::string_view, HtmlTemplateCount> HtmlTemplateNames{
    "htClassic",  "htSimple", "htPlain", "htMurky", "htMS_Money",
    "htColorful", "htGray",   "htOlive", "htBW"};

// The files to delete when the program ends.
class TempFileList {
public:
    ~TempFileList() { deleteAll(); }
    void add(const std::string& path) { files_.push_back(path); }
    void deleteAll() {
        for (const std::string& path : files_)
            ::unlink(path.c_str());
        files_.clear();
    }

private:
    std::vector<std::string> files_;
};

TempFileList& tempFileList() {
    static TempFileList list;
    return list;
}

const std::vector<MessageButton> OkButton{{ModalResult::Ok, "OK"}};

} // namespace

TExportTypeSet allExportTypes() {
    return TExportTypeSet::fromBits((1u << ExportTypeCount) - 1);
}

std::string_view optionName(TExportOption option) {
    return OptionNames[static_cast<std::size_t>(option)];
}
std::string_view htmlOptionName(THTML_Option option) {
    return HtmlOptionNames[static_cast<std::size_t>(option)];
}
std::string_view htmlTemplateName(THTML_Template t) {
    return HtmlTemplateNames[static_cast<std::size_t>(t)];
}
std::string_view exportTypeMember(TExportType type) {
    return entry(type).member;
}

const std::string& DisplayName(TExportType type) {
    return entry(type).displayName;
}
std::string_view DefaultExtension(TExportType type) {
    return entry(type).extension;
}
std::string_view WriterClassName(TExportType type, bool detailedMode) {
    return detailedMode ? entry(type).detailedWriter : entry(type).writer;
}

TExportType TypeFromDisplayName(std::string_view name) {
    for (int t = 0; t < ExportTypeCount; ++t)
        if (typeTable()[static_cast<std::size_t>(t)].displayName == name)
            return static_cast<TExportType>(t);
    return TExportType::xText;
}

void rememberTempFile(const std::string& path) {
    tempFileList().add(path);
}
void deleteTempFiles() {
    tempFileList().deleteAll();
}

// ---- TExportXComponent ----

TExportXComponent::TExportXComponent(ExportServices& services, Form* owner)
    : services_(services), owner_(owner) {
    tempFileList(); // exists before the first temporary file, so it outlives the writers
    savedActivateHandler_ = services_.ui.setActivationHandler([this] { activated(); });
}

TExportXComponent::~TExportXComponent() {
    services_.ui.setActivationHandler(std::move(savedActivateHandler_));
}

void TExportXComponent::activated() {
    if (savedActivateHandler_)
        savedActivateHandler_();
    if (MinimisedByExport) {
        services_.ui.restoreApplication();
        MinimisedByExport = false;
    }
}

void TExportXComponent::SetOptions(TExportOptions options) {
    options_ = options.without(DisabledOptions);
}

void TExportXComponent::SetTitle(std::string_view title) {
    title_ = cleanText(title);
}

void TExportXComponent::SetHeader(std::vector<std::string> lines) {
    header_ = withoutTrailingBlanks(std::move(lines));
}

void TExportXComponent::SetFooter(std::vector<std::string> lines) {
    footer_ = withoutTrailingBlanks(std::move(lines));
}

void TExportXComponent::SetCaptions(std::vector<std::string> captions) {
    captions_ = withoutTrailingBlanks(std::move(captions));
}

void TExportXComponent::SetHTML_CustomTemplate(std::string_view text) {
    if (isBlank(text)) {
        htmlCustomTemplate_.clear();
        return;
    }
    const auto count = std::count(text.begin(), text.end(), ';');
    if (count != 10)
        throw ExportError("Invalid Template! Please correct it.\n\nYou should have \"10\" "
                          "semicolons but instead you have \"" +
                          std::to_string(count) + "\"");
    htmlCustomTemplate_ = std::string(text);
}

void TExportXComponent::SetTruncateSymbol(std::string_view symbol) {
    truncateSymbol_ = trim(symbol);
}

void TExportXComponent::FillTypeList(std::vector<std::string>& list) const {
    list.clear();
    for (TExportType type : OfferedOrder)
        if (AllowedTypes.contains(type))
            list.push_back(DisplayName(type));
}

bool TExportXComponent::CanView(TExportType type) const {
    const std::string extension(DefaultExtension(type));
    if (extension.empty())
        return true;
    try {
        const auto fileType = services_.shell.fileTypeForExtension(extension);
        if (!fileType)
            return false;
        if (type == TExportType::xDIF && equalsIgnoringCase(*fileType, "QuickTime.dif"))
            return false;
        return services_.shell.hasOpenCommand(*fileType);
    } catch (...) {
        return false;
    }
}

std::string TExportXComponent::ColumnCaption(int i) const {
    return i >= 0 && i < static_cast<int>(captions_.size()) ? captions_[static_cast<std::size_t>(i)]
                                                            : SourceCaption(i);
}

bool TExportXComponent::HasVisibleData() {
    ExportList scratch;
    GetCaptions(scratch);
    for (const ExportItem& caption : scratch)
        if (!isBlank(caption.Text))
            return true;
    services_.ui.messageBox("Warning",
                            "There is no Data to Export.\n\nPlease ensure your columns are "
                            "visible and have data.",
                            MessageIcon::Warning, OkButton);
    return false;
}

int TExportXComponent::DefaultColumnWidth(int j) const {
    const std::size_t i = static_cast<std::size_t>(has(TExportOption::NumberRows) ? j + 1 : j);
    const int caption = i < CaptionList.size() ? static_cast<int>(CaptionList[i].Text.size()) : 0;
    return caption + WidthPadding;
}

void TExportXComponent::EndRows() {
    for (ExportItem& caption : CaptionList)
        caption.Info.reset();
}

void TExportXComponent::ResetRows() {
    SourceRow = 0;
    RowsExported = 0;
}

void TExportXComponent::GetRow(ExportList& list) {
    if (SelectionRows != 0 || !has(TExportOption::ExportAllWhenNoneSelected))
        while (has(TExportOption::SelectedRowsOnly) && !RowSelected())
            SkipRow();
    list.clear();
    FillRow(list);
    ++RowsExported;
    ++SourceRow;
    if (has(TExportOption::NumberRows))
        list.insert(list.begin(), ExportItem{std::to_string(RowsExported), {}});
}

bool TExportXComponent::Export() {
    // Files hold numbers in their format's own form, whatever the process's locale says.
    const CNumericLocale cNumbers;
    bool succeeded = false;
    bool failureReported = false;
    auto fail = [&] {
        ExportFile.clear();
        if (!failureReported && OnExportFailed)
            OnExportFailed(*this);
        failureReported = true;
    };
    const WriterRegistry& writers = services_.writers ? *services_.writers : builtInWriters();
    const std::string_view writerClass =
        WriterClassName(ExportType, has(TExportOption::DetailedMode));
    const WriterFactory* factory = writers.find(writerClass);
    if (!factory) {
        fail();
        throw ExportError("Export to " + DisplayName(ExportType) + " is not available: the " +
                          std::string(writerClass) + " writer is not part of this program.");
    }
    try {
        if (CheckSource()) {
            services_.ui.processEvents();
            bool view = true;
            if (ExportType != TExportType::xClipboard) {
                view = ViewOnly && CanView(ExportType);
                if (ViewOnly && !view)
                    ExportFile.clear();
            }
            bool haveFile = view || !isBlank(ExportFile);
            if (!haveFile) {
                const std::string name = DisplayName(ExportType);
                const std::string extension(DefaultExtension(ExportType));
                SaveFileRequest request;
                request.title = "Export to " + name + " File";
                request.filter =
                    name + " files (*." + extension + ")|*." + extension + "|All Files (*.*)|*.*";
                request.defaultExtension = extension;
                request.confirmOverwrite = true;
                request.hideReadOnly = true;
                request.pathMustExist = true;
                if (auto chosen = services_.ui.saveFileDialog(request)) {
                    ExportFile = *chosen;
                    haveFile = true;
                }
            }
            if (haveFile) {
                const std::string fileName = view ? std::string() : ExportFile;
                RowCount = SourceRowCount();
                std::unique_ptr<TCustomExport> writer;
                try {
                    writer = (*factory)(*this, ExportType, fileName);
                } catch (const SilentAbort&) {
                }
                if (writer) {
                    if (OnBeginExport)
                        OnBeginExport(*this);
                    succeeded = writer->Execute();
                    writer.reset();
                    if (succeeded && OnExportFinished)
                        OnExportFinished(*this);
                }
            }
        }
    } catch (...) {
        fail();
        throw;
    }
    ExportFile.clear();
    if (!succeeded)
        fail();
    return succeeded;
}

bool TExportXComponent::ExportWithDialog() {
    if (!CheckSource()) {
        if (OnExportFailed)
            OnExportFailed(*this);
        return false;
    }
    TExportChoiceForm dialog(*this);
    dialog.ItemCount = SourceRowCount();
    dialog.ChosenType = LastChosenType;
    FillTypeList(dialog.ExportTypeComboBox.Items);
    dialog.FormShow();
    if (services_.ui.showModal(dialog) != ModalResult::Ok) {
        if (OnExportFailed)
            OnExportFailed(*this);
        return false;
    }
    ViewOnly = dialog.ViewChoice;
    ExportFile.clear();
    ExportType = LastChosenType = dialog.ChosenType;
    return Export();
}

} // namespace ovena
