#include "OutputFile.h"

#include "ExportError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ovena {

namespace {
constexpr std::size_t BufferSize = 64 * 1024;
} // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd_ < 0)
        fail("create");
    buffer_.reserve(BufferSize);
}

OutputFile::~OutputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

void OutputFile::fail(const char* action) const {
    throw ExportError(std::string("Cannot ") + action + " " + path_ + ": " + std::strerror(errno));
}

void OutputFile::write(std::string_view bytes) {
    if (fd_ < 0) {
        errno = EBADF;
        fail("write");
    }
    if (buffer_.size() + bytes.size() > BufferSize)
        flush();
    if (bytes.size() >= BufferSize) {
        buffer_.assign(bytes);
        flush();
    } else {
        buffer_ += bytes;
    }
}

void OutputFile::writeLine(std::string_view text) {
    write(text);
    write("\r\n");
}

void OutputFile::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            fail("write");
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += buffer_.size();
    buffer_.clear();
}

void OutputFile::writeAt(std::uint64_t offset, std::string_view bytes) {
    flush();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            fail("write");
        }
        done += static_cast<std::size_t>(n);
    }
}

void OutputFile::close() {
    if (fd_ < 0)
        return;
    flush();
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        fail("write");
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        fail("close");
}

} // namespace ovena
