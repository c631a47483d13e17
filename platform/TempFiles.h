#pragma once

#include <string>

namespace ovena {

// The temporary-files folder: $TMPDIR when it is the absolute path of an existing folder, else
// /tmp. Always ends with "/".
std::string tempFolder();

// Creates a new, empty file <folder><prefix><unique part>.<extension> atomically (mode 0600),
// so no other user can have planted a file or link under that name. `folder` ends with "/".
// Answers the path, or an empty text when no file could be created.
std::string createUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension);

} // namespace ovena
