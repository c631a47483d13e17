#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// The records of a one-sheet Excel workbook in the BIFF2 layouts, each encoded as the bytes it
// occupies in the file: a 16-bit identifier, a 16-bit data length and the data, every integer
// little-endian. Only BOF and DIMENSIONS have a second, later form (`BiffVariant` 5).
namespace ovena::biff {

// Record identifiers.
inline constexpr std::uint16_t BofId2 = 0x0009;
inline constexpr std::uint16_t BofId5 = 0x0809;
inline constexpr std::uint16_t DimensionsId2 = 0x0000;
inline constexpr std::uint16_t DimensionsId5 = 0x0200;
inline constexpr std::uint16_t NumberId = 0x0003;
inline constexpr std::uint16_t LabelId = 0x0004;
inline constexpr std::uint16_t BoolErrId = 0x0005;
inline constexpr std::uint16_t EofId = 0x000A;
inline constexpr std::uint16_t HeaderId = 0x0014;
inline constexpr std::uint16_t FooterId = 0x0015;
inline constexpr std::uint16_t FormatId = 0x001E;
inline constexpr std::uint16_t ColWidthId = 0x0024;
inline constexpr std::uint16_t PrintHeadersId = 0x002A;
inline constexpr std::uint16_t PrintGridlinesId = 0x002B;
inline constexpr std::uint16_t FontId = 0x0031;
inline constexpr std::uint16_t CodePageId = 0x0042;
inline constexpr std::uint16_t XfId = 0x0043;

// The longest text a string record holds; longer texts are cut.
inline constexpr std::size_t MaxTextLength = 255;

// The stream variants: 2 writes BOF and DIMENSIONS in their BIFF2 form, 5 in the later form.
inline constexpr std::uint8_t Variant2 = 2;
inline constexpr std::uint8_t Variant5 = 5;

// The code page of the texts: Windows-1252.
inline constexpr std::uint16_t Windows1252 = 1252;

// Font option flags.
inline constexpr std::uint16_t FontBold = 0x0001;
inline constexpr std::uint16_t FontItalic = 0x0002;
inline constexpr std::uint16_t FontUnderline = 0x0004;
inline constexpr std::uint16_t FontStruckOut = 0x0008;

// Border bits of the XF alignment, border and shading byte.
inline constexpr std::uint8_t BorderTop = 0x20;
inline constexpr std::uint8_t BorderBottom = 0x40;

std::string bof(std::uint8_t variant);
// The used range as first row 0, `lastRowPlusOne`, first column 0, `lastColumnPlusOne`.
std::string dimensions(std::uint8_t variant, std::uint16_t lastRowPlusOne,
                       std::uint16_t lastColumnPlusOne);
// The code page in which readers decode the workbook's texts.
std::string codePage(std::uint16_t codePage);
std::string pageHeader(std::string_view text);
std::string pageFooter(std::string_view text);
// The print options carry a 16-bit flag, 1 for on.
std::string printHeaders(bool print);
std::string printGridlines(bool print);
std::string font(std::uint16_t heightTwips, std::uint16_t optionFlags, std::string_view name);
std::string format(std::string_view formatText);
// A cell style: font index, number-format index (marked locked) and the border byte.
std::string xf(std::uint8_t fontIndex, std::uint8_t formatIndex, std::uint8_t borderByte);
// A cell style from exactly three values: format index, font selector (0 to 3 selecting font
// index selector + 5) and border byte. Any other count of values throws ExportError.
std::string xfFromValues(std::initializer_list<int> values);

// Cell records; `xfIndex` selects the cell's style and goes into the cell attributes.
std::string number(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex, double value);
std::string label(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex,
                  std::string_view text);
std::string boolean(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex, bool value);

// The width of columns first to last in 1/256 of a character.
std::string colWidth(std::uint8_t firstColumn, std::uint8_t lastColumn, std::uint16_t width);
std::string eof();

} // namespace ovena::biff
