#include "export/XLSXText.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>

namespace ovena {

namespace {

// Stands for the zero-width space while the text is still Windows-1252: a control character
// that never survives the cleaning, so it cannot come from the text itself.
constexpr char ZeroWidthMark = '\x01';
constexpr std::string_view ZeroWidthSpace = "\xE2\x80\x8B";

bool xmlCarries(char c) {
    return static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r';
}

std::string withoutXmlIllegal(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(clean), xmlCarries);
    return clean;
}

// "_x" followed by four hexadecimal digits and "_": the form in which the workbook's XML
// carries character codes.
bool isCharacterCode(std::string_view text) {
    return text.size() >= 7 && text[0] == '_' && text[1] == 'x' && text[6] == '_' &&
           std::all_of(text.begin() + 2, text.begin() + 6,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

bool startsWithSection(std::string_view text) {
    return text.starts_with("&L") || text.starts_with("&C") || text.starts_with("&R");
}

} // namespace

std::string xlsxCellText(std::string_view text) {
    const std::string clean = withoutXmlIllegal(text);
    // "_x005F_" is the code of "_" itself: put in place of the underscore that starts a code.
    constexpr std::string_view EscapedUnderscore = "_x005F_";
    std::string stored;
    stored.reserve(std::min(clean.size(), XlsxCellCharacters));
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const bool escape = isCharacterCode(std::string_view(clean).substr(i));
        const std::size_t length = escape ? EscapedUnderscore.size() : 1;
        if (stored.size() + length > XlsxCellCharacters)
            break;
        if (escape)
            stored += EscapedUnderscore;
        else
            stored += clean[i];
    }
    return cp1252ToUtf8(stored);
}

std::string xlsxPageText(std::string_view text) {
    const std::string clean = withoutXmlIllegal(text);
    std::string kept;
    for (std::size_t i = 0; i < clean.size(); ++i) {
        const std::string_view rest = std::string_view(clean).substr(i);
        if (rest.starts_with("&&")) {
            kept += "&&";
            // The workbook library takes "&G" and "&[Picture]" for a picture wherever they
            // stand, and has none to give; a literal ampersand is set apart from them.
            if (rest.substr(2).starts_with("G") || rest.substr(2).starts_with("[Picture]"))
                kept += ZeroWidthMark;
            ++i;
        } else if (rest.starts_with("&G")) {
            ++i;
        } else if (rest.starts_with("&[Picture]")) {
            i += std::string_view("&[Picture]").size() - 1;
        } else {
            kept += clean[i];
        }
    }
    if (!kept.empty() && !startsWithSection(kept))
        kept.insert(0, "&C");
    if (kept.size() > XlsxPageTextCharacters)
        kept.resize(XlsxPageTextCharacters);

    std::string utf8;
    for (const char c : cp1252ToUtf8(kept)) {
        if (c == ZeroWidthMark)
            utf8 += ZeroWidthSpace;
        else
            utf8 += c;
    }
    return utf8;
}

std::string xlsxSheetName(std::string_view title) {
    constexpr std::size_t MaxSheetNameCharacters = 31;
    std::string name;
    for (const char c : title)
        if (static_cast<unsigned char>(c) >= 32 &&
            std::string_view("[]:*?/\\").find(c) == std::string_view::npos)
            name += c;
    const std::size_t first = name.find_first_not_of("' ");
    if (first == std::string::npos)
        return "Worksheet";
    name = name.substr(first, MaxSheetNameCharacters);
    name.erase(name.find_last_not_of("' ") + 1);
    return cp1252ToUtf8(name);
}

} // namespace ovena
