#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ovena {

// Value kinds a writer distinguishes. ColumnKind reports Text, Caption and Number; the other
// codes only arrive through an annotation.
namespace ValueKind {
inline constexpr std::uint8_t Text = 0;
inline constexpr std::uint8_t Caption = 1;
inline constexpr std::uint8_t Number = 4;
inline constexpr std::uint8_t Currency = 5;
inline constexpr std::uint8_t Boolean = 6;
inline constexpr std::uint8_t Date = 7;
inline constexpr std::uint8_t Time = 8;
inline constexpr std::uint8_t DateTime = 9;
inline constexpr std::uint8_t DatePart = 10;
inline constexpr std::uint8_t TimePart = 11;

// The kinds a spreadsheet writes as numbers: number, currency and the date and time kinds.
constexpr bool holdsNumber(std::uint8_t kind) {
    return kind == Number || (kind >= Currency && kind <= TimePart && kind != Boolean);
}
} // namespace ValueKind

// An annotation a source may attach to a caption or cell: how a writer should treat it.
struct TExportItemInfo {
    std::uint8_t Kind = ValueKind::Text; // 0: no kind
    std::string Text;                    // alternative text of the entry
    std::uint8_t State = 0;              // Boolean state: 0 no value, 1 false, 2 true
};

// One caption or cell as the export loop hands it to a writer: the text exactly as the source
// holds it (Windows-1252, control characters included) and an optional annotation.
struct ExportItem {
    std::string Text;
    std::optional<TExportItemInfo> Info;
};

// A caption list or a row list: one entry per exported column, in column order.
using ExportList = std::vector<ExportItem>;

} // namespace ovena
