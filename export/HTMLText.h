#pragma once

#include <string>
#include <string_view>

namespace ovena {

// The text services of the HTML page. Texts are Windows-1252 bytes.

// "<", ">", "&" and the double quote as the entities &lt; &gt; &amp; &quot;, so a text taken
// from the instrument shows as written and cannot add markup to the page.
std::string htmlEscapeMarkup(std::string_view text);

// Line breaks and tabs for the page: a TAB becomes "&nbsp&nbsp&nbsp" and an LF "<br>" CR LF;
// with ignoreLineBreaks a TAB is dropped and an LF becomes a plain CR LF. Every other control
// character is dropped.
std::string htmlConvertBreaks(std::string_view text, bool ignoreLineBreaks);

// Web and e-mail addresses as hyperlinks. An address starts at "http://", "https://", "ftp://",
// "news://", "nntp://" or "mailto:" (any letter case) and runs to the next blank or control
// character; a word with an "@" that has text before it and a "." right of it (not directly)
// becomes a "mailto:" link. A "mailto:" link shows the bare address.
std::string htmlAutoLink(std::string_view text);

// A text ready for the page: escaped when escapeMarkup is set, auto-linked when autoLink is set,
// then its breaks converted. Linking before converting keeps the markup of a converted break
// out of an address that ends at it.
std::string htmlText(std::string_view text, bool escapeMarkup, bool autoLink,
                     bool ignoreLineBreaks);

// A table cell's content: trimmed, and "&nbsp;" when nothing remains, so an empty cell still
// shows its borders.
std::string htmlFinishCell(std::string_view text);

} // namespace ovena
