#include "export/BiffLayout.h"

#include "export/BiffRecords.h"
#include "export/ExportError.h"
#include "export/TextServices.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace ovena::biff {

namespace {

constexpr std::array<std::uint16_t, 12> Biff2Locales = {
    0x0404, 0x0409, 0x0809, 0x0C09, 0x1007, 0x1009, 0x1409, 0x140C, 0x1809, 0x1C09, 0x2009, 0x2409};

} // namespace

std::uint8_t variantForLocale(std::string_view localeText) {
    // One to eight hexadecimal digits, nothing else: the 32-bit identifier.
    std::uint32_t locale = 0;
    const char* first = localeText.data();
    const char* last = first + localeText.size();
    const auto [end, error] = std::from_chars(first, last, locale, 16);
    if (localeText.empty() || localeText.size() > 8 || error != std::errc() || end != last)
        throw ExportError("'" + std::string(localeText) + "' is not a valid locale identifier");
    const auto id = static_cast<std::uint16_t>(locale & 0xFFFF);
    return std::find(Biff2Locales.begin(), Biff2Locales.end(), id) != Biff2Locales.end() ? Variant2
                                                                                         : Variant5;
}

RowPlacement placeRows(bool hasTitle, bool hasStamp, std::size_t headerLines, bool showColHeaders) {
    RowPlacement rows;
    int r = 0;
    if (hasTitle)
        rows.TitleRow = r++;
    if (hasStamp)
        rows.StampRow = r++;
    if (headerLines > 0) {
        if (hasTitle || hasStamp)
            ++r;
        rows.HeaderRow = r;
        r += static_cast<int>(headerLines);
    }
    if (hasTitle || hasStamp || headerLines > 0)
        ++r;
    rows.CaptionRow = showColHeaders ? r : r - 1;
    return rows;
}

RowPlacement placeRows(const TExportXComponent& component) {
    const std::vector<std::string>& header = component.Header();
    return placeRows(!isBlank(component.Title()), component.has(TExportOption::TimeStamp),
                     isBlank(listText(header)) ? 0 : header.size(),
                     component.has(TExportOption::ShowColHeaders));
}

void writeRowsAboveTable(const TExportXComponent& component, const RowPlacement& rows,
                         std::string_view timeStamp, const ExportList& captions,
                         const SheetTextWriter& write) {
    if (rows.TitleRow >= 0)
        write(component.Title(), rows.TitleRow, 0);
    if (rows.StampRow >= 0)
        write(timeStamp, rows.StampRow, 0);
    if (rows.HeaderRow >= 0) {
        const std::vector<std::string>& header = component.Header();
        for (std::size_t k = 0; k < header.size(); ++k)
            write(header[k], rows.HeaderRow + static_cast<int>(k), 0);
    }
    if (component.has(TExportOption::ShowColHeaders))
        for (std::size_t i = 0; i < captions.size(); ++i)
            write(captions[i].Text, rows.CaptionRow, static_cast<int>(i));
}

int footerRow(const TExportXComponent& component, int captionRow) {
    return isBlank(listText(component.FooterLines)) ? -1 : component.RowsExported + captionRow + 2;
}

void writeFooterRows(const TExportXComponent& component, int firstRow,
                     const SheetTextWriter& write) {
    if (firstRow < 0)
        return;
    const std::vector<std::string>& lines = component.FooterLines;
    for (std::size_t k = 0; k < lines.size(); ++k)
        write(lines[k], firstRow + static_cast<int>(k), 0);
}

} // namespace ovena::biff
