#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace ovena {

// A new version of a file, produced completely before it takes the old one's place, so a write
// that fails or is abandoned leaves the old file as it was. It keeps what the user has:
// - a symbolic link is followed: the file it leads to gets the new content (and is made when
//   it does not exist yet), the link stays;
// - a file with other hard links, or one that is no regular file, gets the new bytes written
//   into it, so every name sees them;
// - the old file's permission bits stay, and its owner and group where the user may set them;
// - where no new file can be made beside the destination (a folder the user may not write, a
//   name near the length limit), the new file is made in the temporary folder and its bytes are
//   copied over the destination once it is complete;
// - the new content and the folder entry are flushed to the disk.
// Failures throw std::system_error: the step and the file, then the system's reason.
class FileReplacement {
public:
    // Creates the empty new file that the caller writes (path()). Fails when the destination is
    // a folder, when it could not be written, or when no new file can be made anywhere.
    explicit FileReplacement(const std::string& destination);
    // Removes the new file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The new file to write; its content replaces the destination at commit().
    const std::string& path() const { return newFile_; }
    // Puts the written new file in place of the destination.
    void commit();

private:
    void renameIntoPlace();
    void copyIntoPlace();

    std::string target_;  // the destination with its symbolic links followed
    std::string newFile_; // beside the target, or in the temporary folder
    bool beside_ = false;
    std::optional<struct stat> old_; // the file being replaced, when there is one
    bool committed_ = false;
};

// Replaces the content of `destination` with `bytes` through a FileReplacement.
void replaceFileContent(const std::string& destination, std::string_view bytes);

} // namespace ovena
