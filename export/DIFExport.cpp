#include "export/DIFExport.h"

#include "export/ExportError.h"
#include "export/TextServices.h"
#include "export/WriterRegistry.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace ovena {

namespace {

// A DIF string value: in double quotes, each double quote inside doubled.
std::string quoted(std::string_view text) {
    return '"' + EscapeChar(text, '"', '"') + '"';
}

// The header line before which the tuple count goes (the eighth line of the file).
constexpr int TupleCountLine = 8;

} // namespace

void registerDIFExport(WriterRegistry& registry) {
    registry.add("TDIFExport",
                 [](TExportXComponent& component, TExportType type,
                    const std::string& fileName) -> std::unique_ptr<TCustomExport> {
                     return std::make_unique<TDIFExport>(component, type, fileName);
                 });
}

TDIFExport::~TDIFExport() {
    if (TempFile) {
        TempFile.reset();
        ::unlink(TempName.c_str());
    }
}

void TDIFExport::WriteHeader(const ExportList& captions) {
    TCustomTextExport::WriteHeader(captions);
    TempName = MakeTempFileName("z93");
    TempFile.emplace(TempName);
    for (const std::string& line :
         {std::string("TABLE"), std::string("0,1"), quoted(Component.Title()),
          std::string("VECTORS"), "0," + std::to_string(captions.size()), quoted(""),
          std::string("TUPLES"), quoted(""), std::string("DATA"), std::string("0,0"), quoted("")})
        TempFile->writeLine(line);
    if (has(TExportOption::ShowColHeaders))
        writeTuple(captions);
}

void TDIFExport::WriteRow(const ExportList& row, int rowNumber) {
    TCustomTextExport::WriteRow(row, rowNumber);
    writeTuple(row);
}

void TDIFExport::WriteFooter() {
    TCustomTextExport::WriteFooter();
    TempFile->writeLine("-1,0");
    TempFile->writeLine("EOD");
    TempFile->close();
    copyWithTupleCount(CurrentRow + (has(TExportOption::ShowColHeaders) ? 1 : 0));
    TempFile.reset();
    ::unlink(TempName.c_str());
}

void TDIFExport::writeTuple(const ExportList& entries) {
    TempFile->writeLine("-1,0");
    TempFile->writeLine("BOT");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string clean = cleanText(entries[i].Text);
        const std::uint8_t kind = ColumnKind(i, clean);
        if (kind == ValueKind::Number || kind == ValueKind::Currency) {
            // DIF numbers carry a decimal point whatever the user's locale.
            TempFile->writeLine("0," +
                                ToPointDecimal(NumberText(ExportItem{clean, entries[i].Info})));
            TempFile->writeLine("V");
        } else {
            TempFile->writeLine("1,0");
            TempFile->writeLine(quoted(clean));
        }
    }
}

void TDIFExport::copyWithTupleCount(int tupleCount) {
    std::ifstream in(TempName, std::ios::binary);
    if (!in)
        throw ExportError("Cannot read " + TempName + ": " + std::strerror(errno));
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        if (++lineNumber == TupleCountLine)
            Output->writeLine("0," + std::to_string(tupleCount));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Output->writeLine(line);
    }
    if (in.bad())
        throw ExportError("Cannot read " + TempName + ": " + std::strerror(errno));
}

} // namespace ovena
