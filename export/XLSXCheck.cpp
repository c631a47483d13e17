#include "export/XLSXCheck.h"

#include "export/ExportError.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ovena {

namespace {

constexpr std::uint32_t EndOfDirectorySignature = 0x06054B50;
constexpr std::uint32_t DirectoryEntrySignature = 0x02014B50;
constexpr std::uint32_t LocalHeaderSignature = 0x04034B50;
constexpr std::size_t EndOfDirectorySize = 22;
constexpr std::size_t DirectoryEntrySize = 46;
constexpr std::size_t LocalHeaderSize = 30;
constexpr std::uint16_t Stored = 0;
constexpr std::uint16_t Deflated = 8;
constexpr std::size_t ChunkSize = 64 * 1024;

std::uint16_t u16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t u32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// One entry of the container's central directory.
struct Part {
    std::string name;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint32_t packedSize = 0;
    std::uint32_t size = 0;
    std::uint32_t headerOffset = 0;
};

class Container {
public:
    explicit Container(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0)
            throw ExportError("Cannot read " + path + ": " + std::strerror(errno));
        size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~Container() { ::close(fd_); }
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    std::vector<Part> parts() {
        // The end record sits at the very end unless a comment follows it (up to 65535 bytes).
        const std::size_t tail =
            static_cast<std::size_t>(std::min<std::uint64_t>(size_, EndOfDirectorySize + 65535));
        const std::vector<unsigned char> end = read(size_ - tail, tail);
        std::optional<std::size_t> found;
        for (std::size_t at = tail < EndOfDirectorySize ? 0 : tail - EndOfDirectorySize + 1;
             !found && at-- > 0;)
            if (u32(&end[at]) == EndOfDirectorySignature)
                found = at;
        if (!found)
            fail("it is no zip container");
        const std::size_t at = *found;
        const std::uint16_t count = u16(&end[at + 10]);
        const std::uint32_t directorySize = u32(&end[at + 12]);
        const std::uint32_t directoryOffset = u32(&end[at + 16]);
        const std::vector<unsigned char> directory = read(directoryOffset, directorySize);
        directory_ = directory;
        directoryOffset_ = directoryOffset;
        endRecord_.assign(end.begin() + static_cast<std::ptrdiff_t>(at),
                          end.begin() + static_cast<std::ptrdiff_t>(at + EndOfDirectorySize));

        std::vector<Part> parts;
        std::size_t p = 0;
        for (int i = 0; i < count; ++i) {
            if (p + DirectoryEntrySize > directory.size() ||
                u32(&directory[p]) != DirectoryEntrySignature)
                fail("its directory is damaged");
            Part part;
            part.method = u16(&directory[p + 10]);
            part.crc = u32(&directory[p + 16]);
            part.packedSize = u32(&directory[p + 20]);
            part.size = u32(&directory[p + 24]);
            const std::uint16_t nameLength = u16(&directory[p + 28]);
            const std::size_t skip = nameLength + u16(&directory[p + 30]) + u16(&directory[p + 32]);
            part.headerOffset = u32(&directory[p + 42]);
            if (p + DirectoryEntrySize + skip > directory.size())
                fail("its directory is damaged");
            part.name.assign(reinterpret_cast<const char*>(&directory[p + DirectoryEntrySize]),
                             nameLength);
            parts.push_back(std::move(part));
            p += DirectoryEntrySize + skip;
        }
        if (parts.empty())
            fail("it holds no parts");
        return parts;
    }

    // The unpacked bytes of a part, handed to `sink` piece by piece.
    template <typename Sink> void unpack(const Part& part, Sink&& sink) {
        const std::vector<unsigned char> header = read(part.headerOffset, LocalHeaderSize);
        if (u32(header.data()) != LocalHeaderSignature)
            fail(part.name + " has no header");
        std::uint64_t offset =
            part.headerOffset + LocalHeaderSize + u16(&header[26]) + u16(&header[28]);
        std::uint64_t left = part.packedSize;
        if (part.method == Stored) {
            while (left > 0) {
                const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, ChunkSize));
                const std::vector<unsigned char> piece = read(offset, n);
                sink(piece.data(), n);
                offset += n;
                left -= n;
            }
            return;
        }
        if (part.method != Deflated)
            fail(part.name + " is packed in an unknown way");
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            fail("no memory to unpack it");
        std::array<unsigned char, ChunkSize> out;
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, ChunkSize));
            std::vector<unsigned char> piece = read(offset, n);
            offset += n;
            left -= n;
            z.next_in = piece.data();
            z.avail_in = static_cast<uInt>(n);
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                status = inflate(&z, Z_NO_FLUSH);
                if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                    inflateEnd(&z);
                    fail(part.name + " does not unpack");
                }
                sink(out.data(), out.size() - z.avail_out);
            } while (z.avail_out == 0 && status != Z_STREAM_END);
            if (status != Z_STREAM_END && n == 0) {
                inflateEnd(&z);
                fail(part.name + " ends early");
            }
        }
        inflateEnd(&z);
    }

    // The central directory and the end record as parts() read them, and where they began.
    const std::vector<unsigned char>& directory() const { return directory_; }
    const std::vector<unsigned char>& endRecord() const { return endRecord_; }
    std::uint32_t directoryOffset() const { return directoryOffset_; }

    [[noreturn]] void fail(const std::string& reason) const {
        throw ExportError("The workbook " + path_ + " is not whole: " + reason + ".");
    }

private:
    std::vector<unsigned char> read(std::uint64_t offset, std::size_t length) const {
        std::vector<unsigned char> bytes(length);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n =
                ::pread(fd_, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw ExportError("Cannot read " + path_ + ": " + std::strerror(errno));
            if (n == 0)
                fail("it ends early");
            done += static_cast<std::size_t>(n);
        }
        return bytes;
    }

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<unsigned char> directory_;
    std::vector<unsigned char> endRecord_;
    std::uint32_t directoryOffset_ = 0;
};

void put16(std::vector<unsigned char>& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}
void put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

// The name of the root element of an XML text's beginning: the first tag that is no
// declaration, comment or processing instruction.
std::string rootName(std::string_view head) {
    std::size_t at = 0;
    while ((at = head.find('<', at)) != std::string_view::npos) {
        if (at + 1 < head.size() && head[at + 1] != '?' && head[at + 1] != '!') {
            const std::size_t end = head.find_first_of(" \t\r\n/>", at + 1);
            return std::string(head.substr(
                at + 1, end == std::string_view::npos ? std::string_view::npos : end - at - 1));
        }
        ++at;
    }
    return {};
}

} // namespace

void checkWorkbookWhole(const std::string& path) {
    Container container(path);
    for (const Part& part : container.parts()) {
        // The first bytes name the root element; the last ones must close it.
        constexpr std::size_t Kept = 512;
        std::string head, tail;
        std::uint64_t size = 0;
        uLong crc = crc32(0, nullptr, 0);
        container.unpack(part, [&](const unsigned char* bytes, std::size_t n) {
            const auto* text = reinterpret_cast<const char*>(bytes);
            if (head.size() < Kept)
                head.append(text, std::min(n, Kept - head.size()));
            tail.append(text, n);
            if (tail.size() > Kept)
                tail.erase(0, tail.size() - Kept);
            crc = crc32(crc, bytes, static_cast<uInt>(n));
            size += n;
        });
        if (size != part.size || crc != part.crc)
            container.fail(part.name + " does not match its checksum");
        const std::string root = rootName(head);
        const std::size_t last = tail.find_last_not_of(" \t\r\n");
        const std::string closing = "</" + root + ">";
        if (root.empty() || last == std::string::npos || last + 1 < closing.size() ||
            tail.compare(last + 1 - closing.size(), closing.size(), closing) != 0)
            container.fail(part.name + " is cut short; the temporary folder may be full");
    }
}

void nameWorkbookApplication(const std::string& path, std::string_view application) {
    constexpr std::string_view PartName = "docProps/app.xml";
    constexpr std::string_view LibraryApplication = "<Application>Microsoft Excel</Application>";
    Container container(path);
    const std::vector<Part> parts = container.parts();
    const auto app = std::find_if(parts.begin(), parts.end(),
                                  [&](const Part& part) { return part.name == PartName; });
    if (app == parts.end())
        return;
    std::string xml;
    container.unpack(*app, [&](const unsigned char* bytes, std::size_t n) {
        xml.append(reinterpret_cast<const char*>(bytes), n);
    });
    const std::size_t at = xml.find(LibraryApplication);
    if (at == std::string::npos)
        return;
    xml.replace(at, LibraryApplication.size(),
                "<Application>" + std::string(application) + "</Application>");

    // The new part, stored, takes the place of the directory; the directory, pointing to it,
    // and the end record follow. The old part stays unreferenced before it.
    const auto size = static_cast<std::uint32_t>(xml.size());
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(xml.data()), static_cast<uInt>(xml.size())));
    std::vector<unsigned char> out(LocalHeaderSize, 0);
    put32(out, 0, LocalHeaderSignature);
    put16(out, 4, 20);
    put16(out, 8, Stored);
    put32(out, 14, crc);
    put32(out, 18, size);
    put32(out, 22, size);
    put16(out, 26, static_cast<std::uint16_t>(PartName.size()));
    out.insert(out.end(), PartName.begin(), PartName.end());
    out.insert(out.end(), xml.begin(), xml.end());
    const std::uint32_t partOffset = container.directoryOffset();
    const auto newDirectoryOffset = static_cast<std::uint32_t>(partOffset + out.size());

    std::vector<unsigned char> directory = container.directory();
    for (std::size_t p = 0; p + DirectoryEntrySize <= directory.size();) {
        const std::uint16_t nameLength = u16(&directory[p + 28]);
        const std::string_view name(
            reinterpret_cast<const char*>(&directory[p + DirectoryEntrySize]), nameLength);
        if (name == PartName) {
            put16(directory, p + 8, static_cast<std::uint16_t>(u16(&directory[p + 8]) & ~0x0008));
            put16(directory, p + 10, Stored);
            put32(directory, p + 16, crc);
            put32(directory, p + 20, size);
            put32(directory, p + 24, size);
            put32(directory, p + 42, partOffset);
        }
        p += DirectoryEntrySize + nameLength + u16(&directory[p + 30]) + u16(&directory[p + 32]);
    }
    std::vector<unsigned char> end = container.endRecord();
    put32(end, 16, newDirectoryOffset);
    out.insert(out.end(), directory.begin(), directory.end());
    out.insert(out.end(), end.begin(), end.end());

    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(partOffset);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    file.close();
    std::error_code error;
    if (file)
        std::filesystem::resize_file(path, partOffset + out.size(), error);
    if (!file || error)
        throw ExportError("Cannot write " + path + ": " +
                          (error ? error.message() : std::string(std::strerror(errno))));
}

} // namespace ovena
