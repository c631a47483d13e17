#include "TextWriters.h"

#include "TextServices.h"
#include "WriterRegistry.h"

#include "platform/SettingsStore.h"
#include "platform/UiServices.h"

namespace ovena {

namespace {

template <typename Writer> void add(WriterRegistry& registry, std::string_view name) {
    registry.add(name,
                 [](TExportXComponent& component, TExportType type,
                    const std::string& fileName) -> std::unique_ptr<TCustomExport> {
                     return std::make_unique<Writer>(component, type, fileName);
                 });
}

constexpr std::size_t MaxSeparatorLength = 255;

} // namespace

std::string TCustomDelimitedExport::DelimitedText(std::string_view text) const {
    std::string clean = cleanText(text);
    if (Component.EscapeFormulaTexts && StartsLikeFormula(text))
        clean.insert(0, 1, '\'');
    return clean;
}

void registerTextWriters(WriterRegistry& registry) {
    add<TTextExport>(registry, "TTextExport");
    add<TDetailedTextExport>(registry, "TDetailedTextExport");
    add<TCSVExport>(registry, "TCSVExport");
    add<TTabExport>(registry, "TTabExport");
    add<TClipboardExport>(registry, "TClipboardExport");
    add<TDetailedClipboardExport>(registry, "TDetailedClipboardExport");
}

// ---- fixed-width text ----

void TTextExport::WriteHeader(const ExportList& captions) {
    Output->write(BuildPreamble(captions));
}

void TTextExport::WriteRow(const ExportList& row, int) {
    Output->write(BuildTextRow(row));
}

void TTextExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    if (const std::string footer = BuildFooterText(); !footer.empty())
        Output->write(footer);
}

// ---- CSV ----

std::string TCSVExport::separator() const {
    const auto stored = Component.Services().settings.readString(InternationalKey, "sList");
    if (stored && !stored->empty())
        return stored->substr(0, MaxSeparatorLength);
    // The regional list separator, unless it is the decimal separator (a decimal stored for one
    // locale over the list separator of another): unquoted numbers would then split.
    if (const std::string& list = Locale().sList; !list.empty() && list != Locale().sDecimal)
        return list.substr(0, MaxSeparatorLength);
    return Locale().sDecimal == "," ? ";" : ",";
}

void TCSVExport::writeLine(const ExportList& entries) {
    const std::string sep = separator();
    std::string line;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            line += sep;
        const std::uint8_t kind = ColumnKind(i, entries[i].Text);
        if (kind == ValueKind::Number || kind == ValueKind::Currency)
            line += NumberText(entries[i]);
        else
            line += '"' + EscapeChar(DelimitedText(entries[i].Text), '"', '"') + '"';
    }
    Output->writeLine(line);
}

void TCSVExport::WriteHeader(const ExportList& captions) {
    TCustomDelimitedExport::WriteHeader(captions);
    if (has(TExportOption::ShowColHeaders))
        writeLine(captions);
}

void TCSVExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    writeLine(row);
}

// ---- tab-delimited ----

void TTabExport::WriteHeader(const ExportList& captions) {
    TCustomTextExport::WriteHeader(captions);
    if (!has(TExportOption::ShowColHeaders))
        return;
    // As many fields as every row: no TAB after the last caption.
    std::string line;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (i > 0)
            line += '\t';
        line += captions[i].Text;
    }
    Output->writeLine(line);
}

void TTabExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0)
            line += '\t';
        const std::uint8_t kind = ColumnKind(i, row[i].Text);
        line += kind == ValueKind::Number || kind == ValueKind::Currency
                    ? NumberText(row[i])
                    : DelimitedText(row[i].Text);
    }
    Output->writeLine(line);
}

// ---- clipboard ----

TCustomClipboardExport::~TCustomClipboardExport() {
    if (!Constructed || !Succeeded)
        return;
    Ui().setClipboardText(ClipText);
    if (has(TExportOption::ShowClipboardMsg)) {
        if (Progress)
            Progress->Hide();
        Ui().messageBox("Information", "Successfully Exported to Clipboard",
                        MessageIcon::Information, {{ModalResult::Ok, "OK"}});
    }
}

void TClipboardExport::WriteHeader(const ExportList& captions) {
    ClipText = BuildPreamble(captions);
}

void TClipboardExport::WriteRow(const ExportList& row, int) {
    ClipText += BuildTextRow(row);
}

void TClipboardExport::WriteFooter() {
    TCustomClipboardExport::WriteFooter();
    ClipText += BuildFooterText();
}

// ---- detailed layout ----

template <typename Base>
std::string DetailedLayout<Base>::detailedPreamble(const ExportList& captions) {
    Base::WriteHeader(captions);
    this->MeasureCaptions();
    std::string out = this->TitleAndTimeStamp();
    if (const std::string header = listText(this->Component.Header()); !isBlank(header)) {
        out += header;
        out += CRLF;
        out += CRLF;
    }
    return out;
}

template <typename Base>
std::string DetailedLayout<Base>::detailedRecord(const ExportList& row) const {
    const bool labels = this->has(TExportOption::ShowColHeaders);
    std::string out;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (labels && i < this->CaptionCopy.size() && !isBlank(this->CaptionCopy[i].Text))
            out += this->FitToWidth(this->CaptionCopy[i].Text, this->LongestCaption, false) + ": ";
        out += cleanText(this->CellText(row, i));
        out += CRLF;
    }
    out += CRLF;
    return out;
}

void TDetailedTextExport::WriteHeader(const ExportList& captions) {
    Output->write(detailedPreamble(captions));
}

void TDetailedTextExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    Output->write(detailedRecord(row));
}

void TDetailedTextExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    if (const std::string footer = FormattedFooter(); !isBlank(footer))
        Output->writeLine(footer);
}

void TDetailedClipboardExport::WriteHeader(const ExportList& captions) {
    ClipText = detailedPreamble(captions);
}

void TDetailedClipboardExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomClipboardExport::WriteRow(row, rowNumber);
    ClipText += detailedRecord(row);
}

void TDetailedClipboardExport::WriteFooter() {
    TCustomClipboardExport::WriteFooter();
    const std::string footer = FormattedFooter();
    if (isBlank(footer))
        return;
    const std::size_t dataColumns =
        CaptionCopy.size() - (has(TExportOption::NumberRows) && !CaptionCopy.empty() ? 1 : 0);
    if (dataColumns == 1)
        ClipText += CRLF;
    ClipText += footer;
}

template class DetailedLayout<TCustomTextExport>;
template class DetailedLayout<TCustomClipboardExport>;

} // namespace ovena
