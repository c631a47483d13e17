#pragma once

#include <string>
#include <string_view>

// The lines of a Symbolic Link (SYLK) file. Columns (X) and rows (Y) count from 1.
namespace ovena::sylk {

// The longest text a cell record holds; longer texts are cut.
inline constexpr std::size_t MaxTextLength = 255;
// The narrowest and widest column a width line gives (readers refuse a width of 0).
inline constexpr int MinColumnWidth = 1;
inline constexpr int MaxColumnWidth = 255;

inline constexpr std::string_view IdLine = "ID;PTEXPORTX";
inline constexpr std::string_view EndLine = "E";

// A number-format line "P;P<format>". Field separators (";") inside the format are doubled so
// that the format stays one field.
std::string formatLine(std::string_view numberFormat);
// Gives the cell at X, Y the number format of the formatNumber-th format line (from 0).
std::string cellFormatRecord(int formatNumber, int x, int y);
// A cell with a value that is already in SYLK notation (a number with a point, or a quoted text).
std::string cellRecord(int x, int y, std::string_view value);
// A text value: the first MaxTextLength characters in double quotes, each ";" doubled so that a
// reader does not take it for the end of the value.
std::string textValue(std::string_view text);
// A number in general notation with up to 15 significant digits and a point: fixed-point from
// 0.00001 up to 15 integer digits, otherwise with an exponent ("1E-6", "1.5E20").
std::string generalNumber(double value);
// The width line for column x, the width kept from MinColumnWidth to MaxColumnWidth.
std::string widthLine(int x, int width);

} // namespace ovena::sylk
