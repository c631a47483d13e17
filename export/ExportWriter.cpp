#include "ExportWriter.h"

#include "DateTimeText.h"
#include "ExportError.h"
#include "FooterFormat.h"
#include "TextServices.h"

#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/TempFiles.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

namespace ovena {

namespace {

const std::vector<MessageButton> OkButton{{ModalResult::Ok, "OK"}};

int length(std::string_view text) {
    return static_cast<int>(text.size());
}

// Runs a step when the scope ends, however it ends.
template <typename F> class AtExit {
public:
    explicit AtExit(F f) : f_(std::move(f)) {}
    ~AtExit() { f_(); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    F f_;
};

int currentYear(const ExportServices& services) {
    return localCivilTime(services.clock()).year;
}

[[noreturn]] void failFile(const std::string& what, const std::string& path) {
    throw ExportError(what + " " + path + ": " + std::strerror(errno));
}

} // namespace

// ---- TCustomExport ----

TCustomExport::TCustomExport(TExportXComponent& component, TExportType exportType,
                             const std::string& fileName)
    : Component(component), ExportType(exportType), FileName(fileName) {
    Constructed = false;
    if (!Component.CheckSource())
        throw SilentAbort();
    CurrentRow = 0;
    Component.WidthPadding = 1;
    Extension = std::string(DefaultExtension(exportType));
    ToNamedFile = !isBlank(FileName);
    if (has(TExportOption::ShowProgress))
        Progress = std::make_unique<TProgressForm>(
            Ui(), "Exporting...", "", "%d Items Exported in %.2f Seconds.", Component.RowCount);
    Constructed = true;
}

TCustomExport::~TCustomExport() {
    if (!Constructed)
        return;
    Progress.reset();
    if (!ToNamedFile && ViewerHandle != 0) {
        // Give the viewer time to come to the front; when it did not take the focus from us,
        // step aside so that it can be seen. Activating the program again restores it.
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        Form* front = Ui().foregroundForm();
        if (front && front == Component.Owner()) {
            Ui().minimizeApplication();
            Component.MinimisedByExport = true;
        }
    }
}

bool TCustomExport::Execute() {
    UiServices& ui = Ui();
    ui.processEvents();
    if (!Component.CheckSource())
        return false;
    Component.GetCaptions(Component.CaptionList);
    if (has(TExportOption::NumberRows))
        Component.CaptionList.insert(Component.CaptionList.begin(), ExportItem{"Item", {}});

    HourglassCursor hourglass(ui);
    Form* owner = has(TExportOption::ShowProgress) ? Component.Owner() : nullptr;
    if (owner)
        ui.setFormEnabled(*owner, false);
    ExportList row;
    bool result = false;
    AtExit finish([&] {
        row.clear();
        Component.EndRows();
        if (owner)
            ui.setFormEnabled(*owner, true);
        Succeeded = result;
    });
    Component.BeginRows();
    try {
        WriteHeader(Component.CaptionList);
        Component.ResetRows();
        bool cancelled = false;
        while (!cancelled && Component.HasMoreRows()) {
            Component.GetRow(row);
            WriteRow(row, Component.RowsExported);
            cancelled = Progress && !Progress->Update(Component.RowsExported);
        }
        if (!cancelled) {
            WriteFooter();
            CompleteOutput();
            result = true;
        }
    } catch (const std::exception& error) {
        ReportFailure(error);
        Progress.reset();
        result = false;
    }
    return result;
}

void TCustomExport::WriteHeader(const ExportList& captions) {
    if (Progress)
        Progress->Show();
    CaptionCopy = captions;
    MaxWidths.assign(captions.size(), 0);
    for (std::size_t i = 0; i < captions.size(); ++i)
        MaxWidths[i] = length(captions[i].Text);
}

void TCustomExport::WriteRow(const ExportList& row, int rowNumber) {
    CurrentRow = rowNumber;
    for (std::size_t i = 0; i < row.size() && i < MaxWidths.size(); ++i)
        MaxWidths[i] = std::max(MaxWidths[i], length(row[i].Text));
}

void TCustomExport::WriteFooter() {
    if (Component.OnWriteFooter)
        Component.OnWriteFooter(Component, Component.RowsExported);
    Component.FooterLines = splitLines(
        formatWithNumber(listText(Component.Footer()), Component.RowsExported, Locale()));
}

void TCustomExport::ReportFailure(const std::exception& error) {
    // The engine's own errors say why, in words meant for the user.
    std::string text = "Export Failed.";
    if (const auto* reason = dynamic_cast<const ExportError*>(&error); reason && *reason->what())
        text += std::string("\n\n") + reason->what();
    Ui().messageBox("Error", text, MessageIcon::Error, OkButton);
}

std::string TCustomExport::FitToWidth(std::string_view text, int width, bool alignNumbers) const {
    const std::string clean = cleanText(text);
    const std::string& symbol = Component.TruncateSymbol();
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    if (clean.size() > w && length(symbol) < width)
        return clean.substr(0, w - symbol.size()) + symbol;
    if (clean.size() >= w)
        return clean.substr(0, w);
    const std::string padding(w - clean.size(), ' ');
    return alignNumbers && IsNumeric(clean) ? padding + clean : clean + padding;
}

std::string TCustomExport::TitleAndTimeStamp() const {
    std::string out;
    const std::string& title = Component.Title();
    if (!isBlank(title)) {
        out += title;
        out += CRLF;
        out += std::string(title.size(), '-');
        out += CRLF;
        out += CRLF;
    }
    if (has(TExportOption::TimeStamp)) {
        out += TimeStampText();
        out += CRLF;
        out += CRLF;
    }
    return out;
}

std::string TCustomExport::BuildPreamble(const ExportList& captions) {
    std::string out = TitleAndTimeStamp();
    if (const std::string header = listText(Component.Header()); !isBlank(header)) {
        out += NormalizeBreaks(header, "\t", CRLF);
        out += CRLF;
    }
    if (has(TExportOption::ShowColHeaders)) {
        std::string line;
        for (std::size_t i = 0; i < captions.size(); ++i) {
            if (i > 0)
                line += ' ';
            line += FitToWidth(captions[i].Text, ColumnWidth(i), true);
        }
        RuleLength = length(line);
        out += line;
        out += CRLF;
        out += std::string(line.size(), '-');
        out += CRLF;
    }
    return out;
}

std::string TCustomExport::BuildTextRow(const ExportList& row) const {
    std::string out;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            out += ' ';
        out += FitToWidth(CellText(row, i), ColumnWidth(i), true);
    }
    out += CRLF;
    return out;
}

std::string TCustomExport::FormattedFooter() const {
    return listText(Component.FooterLines);
}

std::string TCustomExport::BuildFooterText() const {
    const std::string footer = FormattedFooter();
    if (isBlank(footer))
        return {};
    std::string out;
    if (has(TExportOption::ShowColHeaders)) {
        out += std::string(static_cast<std::size_t>(std::max(RuleLength, 0)), '-');
        out += CRLF;
        out += CRLF;
    }
    out += NormalizeBreaks(footer, "\t", CRLF);
    out += CRLF;
    return out;
}

std::string TCustomExport::CellText(const ExportList& list, std::size_t i) {
    const ExportItem& item = list[i];
    return item.Info && item.Info->Kind != 0 ? item.Info->Text : item.Text;
}

std::string TCustomExport::NumberText(const ExportItem& item) const {
    return item.Info ? CleanNumber(item.Info->Text, item.Text) : item.Text;
}

void TCustomExport::MeasureCaptions() {
    LongestCaption = 0;
    for (const ExportItem& caption : CaptionCopy)
        LongestCaption = std::max(LongestCaption, length(caption.Text));
}

int TCustomExport::ColumnWidth(std::size_t i) const {
    const bool numbered = has(TExportOption::NumberRows);
    if (numbered && i == 0) {
        const int digits = Component.RowCount > 0 ? length(std::to_string(Component.RowCount)) : 0;
        return std::max(length("Item"), digits);
    }
    const std::size_t j = numbered ? i - 1 : i;
    const std::vector<std::string>& widths = Component.ColWidths();
    if (j < widths.size() && !isBlank(widths[j]))
        return std::stoi(widths[j]);
    return Component.DefaultColumnWidth(static_cast<int>(j));
}

std::uint8_t TCustomExport::ColumnKind(std::size_t i, std::string_view text) const {
    if (CurrentRow == 0 && has(TExportOption::ShowColHeaders))
        return ValueKind::Caption;
    if (i < Component.CaptionList.size()) {
        const auto& info = Component.CaptionList[i].Info;
        if (info && info->Kind != 0)
            return info->Kind;
    }
    if ((i == 0 && has(TExportOption::NumberRows)) || IsNumeric(text))
        return ValueKind::Number;
    return ValueKind::Text;
}

bool TCustomExport::IsNumeric(std::string_view text) const {
    return ovena::IsNumeric(text, Locale());
}

std::string TCustomExport::ToPointDecimal(std::string_view text) const {
    return ovena::ToPointDecimal(text, Locale());
}

std::string TCustomExport::CleanNumber(std::string_view text, const std::string& fallback) const {
    return ovena::CleanNumber(text, fallback, Locale());
}

std::string TCustomExport::SpreadsheetDateFormat() const {
    return ovena::SpreadsheetDateFormat(Locale());
}

std::string TCustomExport::SpreadsheetTimeFormat() const {
    return ovena::SpreadsheetTimeFormat(Locale(), has(TExportOption::TimeDisplaySeconds),
                                        has(TExportOption::Time24HourFormat));
}

std::string TCustomExport::SpreadsheetDateTimeFormat() const {
    return SpreadsheetDateFormat() + " " + SpreadsheetTimeFormat();
}

std::string TCustomExport::SpreadsheetCurrencyFormat() const {
    return ovena::SpreadsheetCurrencyFormat(Locale());
}

double TCustomExport::ParseDate(std::string_view text) const {
    return ovena::ParseDate(text, Locale(), currentYear(Component.Services()));
}

double TCustomExport::ParseDateTime(std::string_view text) const {
    return ovena::ParseDateTime(text, Locale(), currentYear(Component.Services()));
}

double TCustomExport::DateTimeValue(std::uint8_t kind, std::string_view text) const {
    if (kind == ValueKind::Date)
        return ParseDate(text);
    const double serial = ParseDateTime(text);
    switch (kind) {
    case ValueKind::Time:
    case ValueKind::TimePart:
        return serial - std::trunc(serial);
    case ValueKind::DatePart:
        return std::trunc(serial);
    default:
        return serial;
    }
}

std::string TCustomExport::MakeTempFileName(const std::string& extension) const {
    const std::string folder = tempFolder();
    std::string path = createUniqueFile(folder, "exp", extension);
    if (path.empty())
        failFile("Cannot create a temporary file in", folder);
    rememberTempFile(path);
    return path;
}

std::string TCustomExport::TimeStampText() const {
    const CivilDateTime now = localCivilTime(Component.Services().clock());
    std::string text = "Created: " + formatWindowsDateTime(Locale().sShortDate, now, Locale());
    if (now.hour != 0 || now.minute != 0 || now.second != 0)
        text += " " + formatWindowsDateTime(Locale().sTimeFormat, now, Locale());
    return text;
}

std::string TCustomExport::LocaleIdentifier() const {
    const ExportServices& services = Component.Services();
    if (auto stored = services.settings.readString(InternationalKey, "Locale"))
        return *stored;
    return services.locale.Locale.empty() ? "0" : services.locale.Locale;
}

// ---- TCustomShellViewExport ----

TCustomShellViewExport::TCustomShellViewExport(TExportXComponent& component, TExportType exportType,
                                               const std::string& fileName)
    : TCustomExport(component, exportType, fileName) {
    std::string formatName;
    for (int t = 0; t < ExportTypeCount; ++t) {
        const auto type = static_cast<TExportType>(t);
        if (DefaultExtension(type) == Extension) {
            formatName = DisplayName(type);
            break;
        }
    }
    ViewErrorText = "Error occured while trying to view data exported to the " + formatName +
                    " format.\n\nIf this problem persists, you may want to consider "
                    "re-installing the " +
                    formatName + " Viewer Application.";
    if (ToNamedFile) {
        try {
            replacement_.emplace(FileName);
        } catch (const std::system_error& e) {
            throw ExportError(e.what());
        }
        TargetFile = replacement_->path();
    } else {
        TargetFile = MakeTempFileName(Extension);
    }
}

TCustomShellViewExport::~TCustomShellViewExport() {
    if (Constructed && !ToNamedFile && Succeeded) {
        const int code = Component.Services().shell.openDocument(TargetFile);
        if (code <= 32)
            Ui().messageBox("Error", ViewErrorText, MessageIcon::Error, OkButton);
        else
            ViewerHandle = static_cast<std::uint32_t>(code);
    }
}

void TCustomShellViewExport::CompleteOutput() {
    if (!replacement_)
        return;
    try {
        replacement_->commit();
    } catch (const std::system_error& e) {
        throw ExportError(e.what());
    }
}

// ---- TCustomTextExport ----

TCustomTextExport::TCustomTextExport(TExportXComponent& component, TExportType exportType,
                                     const std::string& fileName)
    : TCustomShellViewExport(component, exportType, fileName) {
    Constructed = false;
    Output.emplace(TargetFile);
    Constructed = true;
}

void TCustomTextExport::ReportFailure(const std::exception&) {
    Ui().messageBox(
        "Error",
        "Export failed. Try again with a different file name. Please ensure that there is "
        "enough room on the destination drive and that the target drive is not "
        "write-protected.\n\nNetwork users: Please ensure that the network drive/folder you "
        "are trying to write to is connected and accessible.",
        MessageIcon::Error, OkButton);
}

void TCustomTextExport::CompleteOutput() {
    Output->close();
    TCustomShellViewExport::CompleteOutput();
}

} // namespace ovena
