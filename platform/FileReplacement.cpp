#include "FileReplacement.h"

#include "TempFiles.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ovena {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what, int error = errno) {
    throw std::system_error(error, std::generic_category(), what);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether this process may write `path` (with its effective user and groups).
bool writable(const std::string& path) {
    return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// Closes a descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that an error of the close is seen.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR;
    }

private:
    int fd_;
};

void syncFile(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (file.get() < 0 || (::fsync(file.get()) != 0 && errno != EINVAL))
        fail("Cannot write " + path);
}

// Makes the entries of the folder durable (a rename or a new file in it).
void syncFolder(const std::string& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

void writeAll(int fd, const char* data, std::size_t size, const std::string& path) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("Cannot write " + path, n == 0 ? EIO : errno);
        done += static_cast<std::size_t>(n);
    }
}

// Where a chain of symbolic links leads, also when the file at its end does not exist yet.
fs::path linkTarget(fs::path path, std::error_code& error) {
    for (int hops = 0; fs::is_symlink(path, error); ++hops) {
        if (hops == 40) {
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
            return {};
        }
        const fs::path next = fs::read_symlink(path, error);
        if (error)
            return {};
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return fs::weakly_canonical(path, error);
}

} // namespace

FileReplacement::FileReplacement(const std::string& destination) : target_(destination) {
    std::error_code error;
    if (fs::is_symlink(destination, error)) {
        fs::path resolved = linkTarget(destination, error);
        if (error)
            fail("Cannot follow the link " + destination, error.value());
        target_ = resolved.string();
    }
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            fail("Cannot replace " + target_, EISDIR);
        old_ = old;
    } else if (errno != ENOENT) {
        fail("Cannot replace " + target_);
    }

    const std::string folder = folderOf(target_);
    newFile_ = createUniqueFile(folder, "." + nameOf(target_) + ".", "part");
    beside_ = !newFile_.empty();
    if (beside_)
        return;
    const int besideError = errno;
    // The copy at the end must be possible; find out now rather than after the whole content.
    if (old_ ? !writable(target_) : !writable(folder))
        fail(old_ ? "Cannot write " + target_ : "Cannot create a file in " + folder, besideError);
    newFile_ = createUniqueFile(tempFolder(), "replacement-", "part");
    if (newFile_.empty())
        fail("Cannot create a file in " + tempFolder());
}

FileReplacement::~FileReplacement() {
    if (!committed_)
        ::unlink(newFile_.c_str());
}

void FileReplacement::commit() {
    syncFile(newFile_);
    const bool sharedOrSpecial = old_ && (old_->st_nlink > 1 || !S_ISREG(old_->st_mode));
    if (beside_ && !sharedOrSpecial)
        renameIntoPlace();
    else
        copyIntoPlace();
    committed_ = true;
}

void FileReplacement::renameIntoPlace() {
    if (old_) {
        // The owner and group where this user may set them (a user may give a file any group
        // of their own); then the permission bits, which a change of owner may have cleared.
        const bool ownerKept = ::chown(newFile_.c_str(), old_->st_uid, old_->st_gid) == 0 ||
                               ::chown(newFile_.c_str(), static_cast<uid_t>(-1), old_->st_gid) == 0;
        static_cast<void>(ownerKept); // otherwise the file stays the user's own
        if (::chmod(newFile_.c_str(), old_->st_mode & 07777) != 0)
            fail("Cannot write " + newFile_);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::chmod(newFile_.c_str(), 0666 & ~mask) != 0)
            fail("Cannot write " + newFile_);
    }
    if (::rename(newFile_.c_str(), target_.c_str()) != 0)
        fail("Cannot replace " + target_);
    syncFolder(folderOf(target_));
}

void FileReplacement::copyIntoPlace() {
    Descriptor from(::open(newFile_.c_str(), O_RDONLY | O_CLOEXEC));
    if (from.get() < 0)
        fail("Cannot read " + newFile_);
    struct stat source {};
    if (::fstat(from.get(), &source) != 0)
        fail("Cannot read " + newFile_);
    Descriptor to(::open(target_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (to.get() < 0)
        fail("Cannot write " + target_);
    // A regular file is not truncated first: the space for the new content is claimed before
    // any byte of the old one is overwritten, so a full disk leaves the old content whole (on
    // file systems that can claim space), and the tail is cut once the new content is in.
    struct stat target {};
    const bool regular = ::fstat(to.get(), &target) == 0 && S_ISREG(target.st_mode);
    if (regular && source.st_size > 0 && ::fallocate(to.get(), 0, 0, source.st_size) != 0 &&
        errno != EOPNOTSUPP)
        fail("Cannot write " + target_);
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(from.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("Cannot read " + newFile_);
        if (n == 0)
            break;
        writeAll(to.get(), buffer.data(), static_cast<std::size_t>(n), target_);
    }
    if (regular && ::ftruncate(to.get(), source.st_size) != 0)
        fail("Cannot write " + target_);
    if ((::fsync(to.get()) != 0 && errno != EINVAL && errno != EROFS) || !to.close())
        fail("Cannot write " + target_);
    if (!old_)
        syncFolder(folderOf(target_));
    ::unlink(newFile_.c_str());
}

void replaceFileContent(const std::string& destination, std::string_view bytes) {
    FileReplacement replacement(destination);
    {
        Descriptor file(::open(replacement.path().c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
        if (file.get() < 0)
            fail("Cannot write " + replacement.path());
        writeAll(file.get(), bytes.data(), bytes.size(), replacement.path());
        if (!file.close())
            fail("Cannot write " + replacement.path());
    }
    replacement.commit();
}

} // namespace ovena
