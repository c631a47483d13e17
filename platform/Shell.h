#pragma once

#include <optional>
#include <string>

namespace ovena {

// File associations and opening documents: the answers the program asks of the Windows
// class-registration root and of the shell's "open" verb, given here by the freedesktop MIME
// database and default applications.
class Shell {
public:
    virtual ~Shell() = default;

    // The file-type name registered for an extension (without the point): its MIME type.
    virtual std::optional<std::string> fileTypeForExtension(const std::string& extension) = 0;
    // Whether the file type has an "open" command: a default application is registered for it.
    virtual bool hasOpenCommand(const std::string& fileType) = 0;
    // The file type's default icon as "icon,index": the default application's icon (a theme
    // icon name or an icon file) and index 0. No value when there is none.
    virtual std::optional<std::string> defaultIcon(const std::string& fileType) = 0;

    // Opens a document in its default application. Answers a code of the shell's code space:
    // above 32 success, 2 file not found (or its application cannot be started), 3 folder not
    // found, 5 access denied, 31 no associated application.
    virtual int openDocument(const std::string& path) = 0;
};

// The Shell of the desktop, through GIO.
class GioShell : public Shell {
public:
    std::optional<std::string> fileTypeForExtension(const std::string& extension) override;
    bool hasOpenCommand(const std::string& fileType) override;
    std::optional<std::string> defaultIcon(const std::string& fileType) override;
    int openDocument(const std::string& path) override;
};

} // namespace ovena
