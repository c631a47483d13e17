#include "export/BiffRecords.h"

#include "export/ExportError.h"

#include <cstring>

namespace ovena::biff {

namespace {

// Builds one record: the header is completed from the data collected.
class Record {
public:
    explicit Record(std::uint16_t id) : id_(id) {}

    Record& byte(std::uint8_t value) {
        data_.push_back(static_cast<char>(value));
        return *this;
    }
    Record& word(std::uint16_t value) {
        byte(static_cast<std::uint8_t>(value & 0xFF));
        return byte(static_cast<std::uint8_t>(value >> 8));
    }
    // The IEEE 754 double, least significant byte first.
    Record& real(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < 8; ++i)
            byte(static_cast<std::uint8_t>(bits >> (8 * i)));
        return *this;
    }
    // A count byte followed by the text cut to MaxTextLength characters.
    Record& shortText(std::string_view text) {
        const std::string_view cut = text.substr(0, MaxTextLength);
        byte(static_cast<std::uint8_t>(cut.size()));
        data_.append(cut);
        return *this;
    }
    // Row, column and the three cell-attribute bytes: the XF index with the "not locked" flag.
    Record& cell(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex) {
        word(row).word(column);
        return byte(static_cast<std::uint8_t>(0x40 + xfIndex)).byte(0).byte(0);
    }

    std::string bytes() const {
        std::string out;
        out.reserve(4 + data_.size());
        out.push_back(static_cast<char>(id_ & 0xFF));
        out.push_back(static_cast<char>(id_ >> 8));
        out.push_back(static_cast<char>(data_.size() & 0xFF));
        out.push_back(static_cast<char>(data_.size() >> 8));
        return out + data_;
    }

private:
    std::uint16_t id_;
    std::string data_;
};

constexpr std::uint16_t WorksheetType = 0x0010;

} // namespace

std::string bof(std::uint8_t variant) {
    if (variant == Variant2)
        return Record(BofId2).word(0).word(WorksheetType).bytes();
    return Record(BofId5).word(0).word(WorksheetType).word(0).bytes();
}

std::string dimensions(std::uint8_t variant, std::uint16_t lastRowPlusOne,
                       std::uint16_t lastColumnPlusOne) {
    Record record(variant == Variant2 ? DimensionsId2 : DimensionsId5);
    record.word(0).word(lastRowPlusOne).word(0).word(lastColumnPlusOne);
    if (variant != Variant2)
        record.word(0);
    return record.bytes();
}

std::string pageHeader(std::string_view text) {
    return Record(HeaderId).shortText(text).bytes();
}

std::string pageFooter(std::string_view text) {
    return Record(FooterId).shortText(text).bytes();
}

std::string codePage(std::uint16_t codePage) {
    return Record(CodePageId).word(codePage).bytes();
}

std::string printHeaders(bool print) {
    return Record(PrintHeadersId).word(print ? 1 : 0).bytes();
}

std::string printGridlines(bool print) {
    return Record(PrintGridlinesId).word(print ? 1 : 0).bytes();
}

std::string font(std::uint16_t heightTwips, std::uint16_t optionFlags, std::string_view name) {
    return Record(FontId).word(heightTwips).word(optionFlags).shortText(name).bytes();
}

std::string format(std::string_view formatText) {
    return Record(FormatId).shortText(formatText).bytes();
}

std::string xf(std::uint8_t fontIndex, std::uint8_t formatIndex, std::uint8_t borderByte) {
    constexpr std::uint8_t Locked = 0x40;
    return Record(XfId)
        .byte(fontIndex)
        .byte(0)
        .byte(static_cast<std::uint8_t>(formatIndex + Locked))
        .byte(borderByte)
        .bytes();
}

std::string xfFromValues(std::initializer_list<int> values) {
    if (values.size() != 3)
        throw ExportError("TBIFFExport.WriteXF: Invalid Number of Parameters");
    const int* value = values.begin();
    constexpr int FirstSelectableFont = 5;
    return xf(static_cast<std::uint8_t>(value[1] + FirstSelectableFont),
              static_cast<std::uint8_t>(value[0]), static_cast<std::uint8_t>(value[2]));
}

std::string number(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex, double value) {
    return Record(NumberId).cell(row, column, xfIndex).real(value).bytes();
}

std::string label(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex,
                  std::string_view text) {
    return Record(LabelId).cell(row, column, xfIndex).shortText(text).bytes();
}

std::string boolean(std::uint16_t row, std::uint16_t column, std::uint8_t xfIndex, bool value) {
    constexpr std::uint8_t IsBoolean = 0;
    return Record(BoolErrId).cell(row, column, xfIndex).byte(value ? 1 : 0).byte(IsBoolean).bytes();
}

std::string colWidth(std::uint8_t firstColumn, std::uint8_t lastColumn, std::uint16_t width) {
    return Record(ColWidthId).byte(firstColumn).byte(lastColumn).word(width).bytes();
}

std::string eof() {
    return Record(EofId).bytes();
}

} // namespace ovena::biff
