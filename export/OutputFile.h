#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ovena {

// A file written sequentially through a buffer of fixed size, so an export streams however
// many rows it has. Every failure (opening, writing, flushing, closing) throws ExportError with
// the file name and the system's reason; nothing is lost silently.
class OutputFile {
public:
    // Opens the file for writing, creating it or truncating it.
    explicit OutputFile(std::string path);
    // Closes the file when close() was not called, ignoring errors (the export failed anyway).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // The text followed by CR LF.
    void writeLine(std::string_view text);
    // Bytes written so far: the offset of the next write.
    std::uint64_t position() const { return written_ + buffer_.size(); }
    // Overwrites bytes already written at `offset` (for records whose values are known only at
    // the end); the file length does not change when they lie inside it.
    void writeAt(std::uint64_t offset, std::string_view bytes);
    // Writes what is buffered, flushes it to the disk and closes the file.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

private:
    void flush();
    [[noreturn]] void fail(const char* action) const;

    std::string path_;
    int fd_ = -1;
    std::uint64_t written_ = 0;
    std::string buffer_;
};

} // namespace ovena
