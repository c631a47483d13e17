#pragma once

#include <string>
#include <string_view>

namespace ovena {

// Checks that a finished xlsx workbook is whole: every part of its zip container unpacks to
// the size and checksum its directory gives, and every part, all of them XML, ends with the
// closing tag of its root element. The workbook library builds its parts in temporary files
// without noticing when writing them fails (a full temporary folder), and would then report
// success for a workbook whose parts are cut short. Throws ExportError naming the first part
// that is not whole, or when the file is no zip container.
void checkWorkbookWhole(const std::string& path);

// Names `application` as the program that made the workbook (docProps/app.xml), where the
// workbook library names Microsoft Excel. Throws ExportError when the file cannot be read or
// written.
void nameWorkbookApplication(const std::string& path, std::string_view application);

} // namespace ovena
