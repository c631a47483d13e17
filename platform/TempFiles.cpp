#include "TempFiles.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace ovena {

std::string tempFolder() {
    std::string folder = "/tmp";
    struct stat info {};
    if (const char* tmpdir = std::getenv("TMPDIR");
        tmpdir && tmpdir[0] == '/' && stat(tmpdir, &info) == 0 && S_ISDIR(info.st_mode))
        folder = tmpdir;
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string createUniqueFile(const std::string& folder, const std::string& prefix,
                             const std::string& extension) {
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    std::string path = folder + prefix + "XXXXXX" + suffix;
    // mkstemps creates the name with O_CREAT | O_EXCL and mode 0600, so it never follows a
    // link or opens a file someone else put there first.
    const int fd = mkstemps(path.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        return {};
    close(fd);
    return path;
}

} // namespace ovena
