#include "export/HTMLText.h"

#include "export/TextServices.h"

#include <array>
#include <cctype>

namespace ovena {

namespace {

// Where an address ends: a blank, a control character or the byte 255.
bool endsAddress(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 33 || code == 255;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

constexpr std::array<std::string_view, 7> LinkMarkers = {"http://", "https://", "ftp://", "news://",
                                                         "nntp://", "mailto:",  "@"};
constexpr std::string_view MailtoMarker = "mailto:";

// The first position at which any marker occurs, ignoring letter case; npos when none does.
std::size_t firstMarker(std::string_view lowered) {
    std::size_t first = std::string_view::npos;
    for (std::string_view marker : LinkMarkers)
        first = std::min(first, lowered.find(marker));
    return first;
}

// An "@" word is an address when text precedes the "@" and the part after it holds a "." that
// is not its first character.
bool isMailAddress(std::string_view word) {
    const std::size_t at = word.find('@');
    if (at == 0)
        return false;
    const std::string_view domain = word.substr(at + 1);
    return !domain.empty() && domain.front() != '.' && domain.find('.') != std::string_view::npos;
}

std::string linkLabel(const std::string& target) {
    const std::size_t mailto = lowerAscii(target).find(MailtoMarker);
    return mailto == std::string::npos ? target : target.substr(mailto + MailtoMarker.size());
}

} // namespace

std::string htmlEscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string htmlConvertBreaks(std::string_view text, bool ignoreLineBreaks) {
    if (ignoreLineBreaks)
        return NormalizeBreaks(text, "", "\r\n");
    return NormalizeBreaks(text, "&nbsp&nbsp&nbsp", "<br>\r\n");
}

std::string htmlAutoLink(std::string_view text) {
    std::string result;
    std::string_view rest = text;
    for (;;) {
        const std::string lowered = lowerAscii(rest);
        std::size_t p = firstMarker(lowered);
        if (p == std::string_view::npos)
            break;
        std::size_t end = p;
        while (end < rest.size() && !endsAddress(rest[end]))
            ++end;
        std::string target;
        if (rest[p] == '@') {
            std::size_t start = p;
            while (start > 0 && !endsAddress(rest[start - 1]))
                --start;
            const std::string_view word = rest.substr(start, end - start);
            if (!isMailAddress(word)) {
                result.append(rest.substr(0, p + 1));
                rest.remove_prefix(p + 1);
                continue;
            }
            target = std::string(MailtoMarker) + std::string(word);
            p = start;
        } else {
            target = std::string(rest.substr(p, end - p));
        }
        result.append(rest.substr(0, p));
        result += "<a href=\"" + target + "\">" + linkLabel(target) + "</a>";
        rest.remove_prefix(end);
    }
    result.append(rest);
    return result;
}

std::string htmlText(std::string_view text, bool escapeMarkup, bool autoLink,
                     bool ignoreLineBreaks) {
    std::string out = escapeMarkup ? htmlEscapeMarkup(text) : std::string(text);
    if (autoLink)
        out = htmlAutoLink(out);
    return htmlConvertBreaks(out, ignoreLineBreaks);
}

std::string htmlFinishCell(std::string_view text) {
    std::string cell = trim(text);
    return cell.empty() ? std::string("&nbsp;") : cell;
}

} // namespace ovena
