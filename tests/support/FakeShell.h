#pragma once

#include "platform/Shell.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ovena::test {

// File associations as a test machine has them: extension -> file type -> open command, icon.
class FakeShell : public Shell {
public:
    std::map<std::string, std::string> types; // "txt" -> "text/plain"
    std::map<std::string, bool> openCommands; // file type -> has an open command
    std::map<std::string, std::string> icons; // file type -> "icon,index"
    std::vector<std::string> opened;          // documents opened, in order
    int openResult = 42;

    std::optional<std::string> fileTypeForExtension(const std::string& extension) override {
        auto it = types.find(extension);
        return it == types.end() ? std::nullopt : std::optional(it->second);
    }
    bool hasOpenCommand(const std::string& fileType) override {
        auto it = openCommands.find(fileType);
        return it != openCommands.end() && it->second;
    }
    std::optional<std::string> defaultIcon(const std::string& fileType) override {
        auto it = icons.find(fileType);
        return it == icons.end() ? std::nullopt : std::optional(it->second);
    }
    int openDocument(const std::string& path) override {
        opened.push_back(path);
        return openResult;
    }
};

} // namespace ovena::test
