#pragma once

#include "EC_Main.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace ovena {

class TCustomExport;

// Creates a writer for one run: (component, export type, destination file name; empty for a
// temporary file that is viewed, or for the clipboard).
using WriterFactory = std::function<std::unique_ptr<TCustomExport>(
    TExportXComponent& component, TExportType type, const std::string& fileName)>;

// The writers by class name ("TTextExport"), as the type table names them. A writer module
// offers a function that adds its writers; builtInWriters() calls them all.
class WriterRegistry {
public:
    void add(std::string_view writerClass, WriterFactory factory);
    // None when no writer of that class is built in.
    const WriterFactory* find(std::string_view writerClass) const;

private:
    std::map<std::string, WriterFactory, std::less<>> factories_;
};

// Every writer of the engine.
const WriterRegistry& builtInWriters();

} // namespace ovena
