#pragma once

// Shared by the spreadsheet writer tests: a reader of BIFF record streams, a source whose
// cells carry annotations (the string grid attaches none) and text helpers.

#include "export/EC_Main.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ovena::test {

struct BiffRecord {
    std::uint16_t id = 0;
    std::string data;

    unsigned byte(std::size_t at) const { return static_cast<unsigned char>(data.at(at)); }
    unsigned word(std::size_t at) const { return byte(at) | (byte(at + 1) << 8); }
    // Cell records: row, column, XF index.
    unsigned row() const { return word(0); }
    unsigned column() const { return word(2); }
    unsigned xf() const { return byte(4) & 0x3F; }
    double number() const {
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | byte(7 + static_cast<std::size_t>(i));
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string label() const { return data.substr(8, byte(7)); }
};

// Splits a stream into its records; a truncated record fails the test that reads it.
inline std::vector<BiffRecord> biffRecords(const std::string& stream) {
    std::vector<BiffRecord> records;
    std::size_t at = 0;
    while (at + 4 <= stream.size()) {
        BiffRecord r;
        r.id = static_cast<std::uint16_t>(static_cast<unsigned char>(stream[at]) |
                                          (static_cast<unsigned char>(stream[at + 1]) << 8));
        const std::size_t length = static_cast<unsigned char>(stream[at + 2]) |
                                   (static_cast<unsigned char>(stream[at + 3]) << 8);
        r.data = stream.substr(at + 4, length);
        if (r.data.size() != length)
            throw std::runtime_error("truncated record");
        records.push_back(std::move(r));
        at += 4 + length;
    }
    if (at != stream.size())
        throw std::runtime_error("bytes after the last record");
    return records;
}

// The cell records (NUMBER, LABEL, BOOLERR) of a stream, in file order.
inline std::vector<BiffRecord> biffCells(const std::string& stream) {
    std::vector<BiffRecord> cells;
    for (BiffRecord& r : biffRecords(stream))
        if (r.id == 0x0003 || r.id == 0x0004 || r.id == 0x0005)
            cells.push_back(std::move(r));
    return cells;
}

// A source of fixed captions and rows whose entries may carry annotations.
class AnnotatedSource : public TExportXComponent {
public:
    explicit AnnotatedSource(ExportServices& services) : TExportXComponent(services, nullptr) {}

    ExportList captions;
    std::vector<ExportList> rows;

    std::string SourceCaption(int i) const override {
        return captions.at(static_cast<std::size_t>(i)).Text;
    }
    int SourceRowCount() override { return static_cast<int>(rows.size()); }
    void GetCaptions(ExportList& list) override { list = captions; }
    void FillRow(ExportList& list) override { list = rows.at(static_cast<std::size_t>(SourceRow)); }
    bool CheckSource() override { return true; }
};

// An entry annotated with a value kind (and a Boolean state for kind 6).
inline ExportItem annotated(std::string text, std::uint8_t kind, std::uint8_t state = 0) {
    return ExportItem{text, TExportItemInfo{kind, text, state}};
}

// Nine captions that give their columns the kinds only annotations produce: currency, Boolean,
// date, time, date and time, date part, time part, number and (12) text.
inline ExportList typedCaptions() {
    return {annotated("Amount", 5),  annotated("Ok", 6),    annotated("Day", 7),
            annotated("At", 8),      annotated("When", 9),  annotated("DayOf", 10),
            annotated("TimeOf", 11), annotated("Count", 4), annotated("Note", 12)};
}

// A row of `columns` empty cells except the ones given by their column.
inline ExportList rowOf(std::size_t columns,
                        std::initializer_list<std::pair<std::size_t, ExportItem>> cells) {
    ExportList row(columns);
    for (const auto& [column, item] : cells)
        row.at(column) = item;
    return row;
}

// Each line followed by CR LF.
inline std::string crlfLines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace ovena::test
