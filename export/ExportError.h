#pragma once

#include <stdexcept>
#include <string>

namespace ovena {

// An error of the export engine carrying the message the user sees (Windows-1252). The export
// loop catches every std::exception and reports it through the writer; outside the loop it
// passes to the caller of the export.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const std::string& message) : std::runtime_error(message) {}
};

// Ends an export without a message of its own (the source check has shown one already).
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace ovena
