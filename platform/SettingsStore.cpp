#include "SettingsStore.h"

#include "Cp1252.h"
#include "FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace ovena {

namespace {

constexpr std::string_view Header = "REGEDIT4";
constexpr std::string_view Root = "HKEY_CURRENT_USER";
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// ---- writing ---------------------------------------------------------------------------------

std::string quotedText(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// Texts that a quoted string cannot carry on one line go out as the string type's byte list,
// with the terminating zero byte the format expects.
bool needsByteList(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != text.npos;
}

std::string byteList(std::string_view text) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out = "hex(1):";
    std::string bytes(text);
    bytes += '\0';
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += (i % 24 == 0) ? ",\\\n  " : ",";
        const auto b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    return out;
}

std::string dword(std::uint32_t number) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return text;
}

// ---- reading ---------------------------------------------------------------------------------

// Reads a quoted text starting at `pos` (on the opening quote), undoing the \\ and \" escapes;
// any other backslash stays as it is. Advances `pos` past the closing quote.
std::optional<std::string> readQuoted(std::string_view line, std::size_t& pos) {
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    std::string text;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c == '\\' && pos + 1 < line.size() && (line[pos + 1] == '\\' || line[pos + 1] == '"'))
            ++pos;
        text += line[pos];
    }
    return std::nullopt;
}

std::optional<std::vector<unsigned char>> readByteList(std::string_view list) {
    std::vector<unsigned char> bytes;
    std::size_t pos = 0;
    while (true) {
        while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t'))
            ++pos;
        if (pos == list.size())
            return bytes.empty() ? std::optional(bytes) : std::nullopt; // no trailing comma
        if (pos + 1 >= list.size() || hexDigit(list[pos]) < 0 || hexDigit(list[pos + 1]) < 0)
            return std::nullopt;
        bytes.push_back(
            static_cast<unsigned char>(hexDigit(list[pos]) * 16 + hexDigit(list[pos + 1])));
        pos += 2;
        while (pos < list.size() && (list[pos] == ' ' || list[pos] == '\t'))
            ++pos;
        if (pos == list.size())
            return bytes;
        if (list[pos] != ',')
            return std::nullopt;
        ++pos;
    }
}

// What a value line asks for: set a value, delete it, or nothing that can be read.
struct ValueData {
    enum class Kind { Set, Delete, Unreadable } kind = Kind::Unreadable;
    SettingsStore::Value value;
};

// The data after "=". `complete` is false for a last line that ends without a line end, which
// may have been cut short: a shortened number must not pass for a different one.
ValueData readValueData(std::string_view data, bool complete) {
    using Kind = ValueData::Kind;
    using Type = SettingsStore::ValueType;
    ValueData result;
    data = trimmed(data);
    if (data == "-") {
        result.kind = Kind::Delete;
        return result;
    }
    if (!data.empty() && data[0] == '"') {
        std::size_t pos = 0;
        auto text = readQuoted(data, pos);
        if (text && pos == data.size()) {
            result.kind = Kind::Set;
            result.value = {Type::String, std::move(*text), 0};
        }
        return result;
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8 || (!complete && digits.size() != 8))
            return result;
        std::uint32_t number = 0;
        for (char c : digits) {
            if (hexDigit(c) < 0)
                return result;
            number = number * 16 + static_cast<std::uint32_t>(hexDigit(c));
        }
        result.kind = Kind::Set;
        result.value = {Type::Integer, {}, number};
        return result;
    }
    // Byte lists: "hex:" is binary, "hex(n):" the type n. Strings (1, 2) and 32-bit integers
    // (4 little-endian, 5 big-endian) are kept; other types have no place in this store.
    if (!startsWithIgnoringCase(data, "hex"))
        return result;
    const auto colon = data.find(':');
    if (colon == data.npos)
        return result;
    const std::string_view type = data.substr(3, colon - 3);
    auto bytes = readByteList(data.substr(colon + 1));
    if (!bytes)
        return result;
    if (type == "(1)" || type == "(2)") {
        std::string text(bytes->begin(), bytes->end());
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        else if (!complete)
            return result; // cut before its terminating zero
        result.kind = Kind::Set;
        result.value = {Type::String, std::move(text), 0};
    } else if ((type == "(4)" || type == "(5)") && bytes->size() == 4) {
        const auto& b = *bytes;
        const std::uint32_t number =
            type == "(4)" ? (b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24)
                          : (b[3] | b[2] << 8 | b[1] << 16 | std::uint32_t{b[0]} << 24);
        result.kind = Kind::Set;
        result.value = {Type::Integer, {}, number};
    }
    return result;
}

// The logical lines of the file: line ends removed, byte lists continued with a trailing
// backslash joined to their next lines. Each carries the number of its first physical line.
struct LogicalLine {
    std::string text;
    int number;
    bool complete; // ended with a line end
};

std::vector<LogicalLine> splitLines(const std::string& bytes) {
    std::vector<LogicalLine> lines;
    std::size_t pos = 0;
    int number = 0;
    bool continuing = false;
    while (pos < bytes.size()) {
        auto end = bytes.find('\n', pos);
        const bool complete = end != bytes.npos;
        if (!complete)
            end = bytes.size();
        std::string_view line(bytes.data() + pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (continuing) {
            lines.back().text += trimmed(line);
            lines.back().complete = complete;
        } else {
            lines.push_back({std::string(line), number, complete});
        }
        std::string& text = lines.back().text;
        const auto equals = text.find('=');
        continuing =
            !text.empty() && text.back() == '\\' && equals != text.npos &&
            startsWithIgnoringCase(trimmed(std::string_view(text).substr(equals + 1)), "hex");
        if (continuing)
            text.pop_back();
    }
    return lines;
}

bool isWhitespaceOnly(std::string_view text) {
    return trimmed(text).empty();
}

// Reads the file into `bytes`; answers 0, or the error number when it cannot be read. Only a
// regular file is read: a pipe or device in its place must not hang the program.
int readWholeFile(const std::string& path, std::string& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    }
    char buffer[65536];
    int error = 0;
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return error;
}

} // namespace

bool SettingsStore::CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = cp1252UpperCase(static_cast<unsigned char>(a[i]));
        const unsigned char y = cp1252UpperCase(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

std::string SettingsStore::normalizeKey(std::string_view key) {
    while (!key.empty() && key.front() == '\\')
        key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\')
        key.remove_suffix(1);
    return std::string(key);
}

SettingsStore::SettingsStore(std::string filePath) : filePath_(std::move(filePath)) {}

bool SettingsStore::keyExists(std::string_view key) const {
    const std::string path = normalizeKey(key);
    if (keys_.count(path))
        return true;
    // A key also exists when it only holds subkeys.
    const std::string parent = path + '\\';
    const auto next = keys_.lower_bound(parent);
    return next != keys_.end() && startsWithIgnoringCase(next->first, parent);
}

void SettingsStore::createKey(std::string_view key) {
    std::string path = normalizeKey(key);
    keys_.try_emplace(path, Key{path, {}});
}

std::optional<SettingsStore::Value> SettingsStore::read(std::string_view key,
                                                        std::string_view name) const {
    const auto k = keys_.find(normalizeKey(key));
    if (k == keys_.end())
        return std::nullopt;
    const auto v = k->second.values.find(name);
    if (v == k->second.values.end())
        return std::nullopt;
    return v->second;
}

std::optional<std::string> SettingsStore::readString(std::string_view key,
                                                     std::string_view name) const {
    auto value = read(key, name);
    if (!value || value->type != ValueType::String)
        return std::nullopt;
    return std::move(value->text);
}

std::optional<std::uint32_t> SettingsStore::readInteger(std::string_view key,
                                                        std::string_view name) const {
    const auto value = read(key, name);
    if (!value || value->type != ValueType::Integer)
        return std::nullopt;
    return value->number;
}

void SettingsStore::writeString(std::string_view key, std::string_view name,
                                std::string_view text) {
    createKey(key);
    keys_.find(normalizeKey(key))->second.values[std::string(name)] =
        Value{ValueType::String, std::string(text), 0};
}

void SettingsStore::writeInteger(std::string_view key, std::string_view name,
                                 std::uint32_t number) {
    createKey(key);
    keys_.find(normalizeKey(key))->second.values[std::string(name)] =
        Value{ValueType::Integer, {}, number};
}

void SettingsStore::load(std::string* warning) {
    keys_.clear();
    if (filePath_.empty())
        return;
    std::string content;
    if (const int error = readWholeFile(filePath_, content); error != 0) {
        if (error != ENOENT && warning)
            *warning = "The settings file " + filePath_ + " cannot be read (" +
                       std::strerror(error) + "); the defaults are used.";
        return;
    }
    if (content.starts_with(Utf8ByteOrderMark))
        content.erase(0, Utf8ByteOrderMark.size());

    int skipped = 0;
    int firstSkipped = 0;
    auto skip = [&](int lineNumber) {
        if (skipped++ == 0)
            firstSkipped = lineNumber;
    };

    bool headerSeen = false;
    Key* current = nullptr; // the key that value lines go to
    for (const LogicalLine& line : splitLines(content)) {
        const std::string_view text = trimmed(line.text);
        if (text.empty() || text.front() == ';')
            continue;
        if (text.find('\0') != text.npos) {
            skip(line.number);
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            if (text == Header)
                continue;
            skip(line.number); // not a registry file, or a damaged start: read what can be read
        }
        if (text.front() == '[') {
            current = nullptr;
            const auto close = text.rfind(']');
            if (close == text.npos || !isWhitespaceOnly(text.substr(close + 1))) {
                skip(line.number);
                continue;
            }
            std::string_view path = text.substr(1, close - 1);
            const bool remove = !path.empty() && path.front() == '-';
            if (remove)
                path.remove_prefix(1);
            if (!startsWithIgnoringCase(path, Root) ||
                (path.size() > Root.size() && path[Root.size()] != '\\')) {
                skip(line.number); // another root of the registry
                continue;
            }
            const std::string key = normalizeKey(path.substr(Root.size()));
            if (remove) {
                const std::string parent = key + '\\';
                std::erase_if(keys_, [&](const auto& entry) {
                    return equalsIgnoringCase(entry.first, key) ||
                           startsWithIgnoringCase(entry.first, parent);
                });
                continue;
            }
            createKey(key);
            current = &keys_.find(key)->second;
            continue;
        }

        std::size_t pos = 0;
        std::optional<std::string> name;
        if (text.front() == '@') {
            name = std::string();
            pos = 1;
        } else {
            name = readQuoted(text, pos);
        }
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
        if (!name || pos >= text.size() || text[pos] != '=' || !current) {
            // Values below a deleted key or another root are left out on purpose, but still
            // reported: they were in the file and are not taken.
            skip(line.number);
            continue;
        }
        ValueData data = readValueData(text.substr(pos + 1), line.complete);
        switch (data.kind) {
        case ValueData::Kind::Set:
            current->values[*name] = std::move(data.value);
            break;
        case ValueData::Kind::Delete:
            current->values.erase(*name);
            break;
        case ValueData::Kind::Unreadable:
            skip(line.number);
            break;
        }
    }
    if (skipped > 0 && warning)
        *warning = "The settings file " + filePath_ + " is damaged: " + std::to_string(skipped) +
                   (skipped == 1 ? " line" : " lines") + " could not be read (first at line " +
                   std::to_string(firstSkipped) + ") and " + (skipped == 1 ? "was" : "were") +
                   " skipped.";
}

bool SettingsStore::save(std::string* error) const {
    auto fail = [&](const std::string& message) {
        if (error)
            *error = message;
        return false;
    };
    if (filePath_.empty())
        return fail("The settings store has no file.");

    std::string out = std::string(Header) + "\n\n";
    for (const auto& [normalized, key] : keys_) {
        out += "[" + std::string(Root) + (key.path.empty() ? "" : "\\") + key.path + "]\n";
        for (const auto& [name, value] : key.values) {
            out += name.empty() ? std::string("@") : quotedText(name);
            out += '=';
            if (value.type == ValueType::Integer)
                out += dword(value.number);
            else if (needsByteList(value.text))
                out += byteList(value.text);
            else
                out += quotedText(value.text);
            out += '\n';
        }
        out += '\n';
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::path(filePath_).parent_path();
    if (!folder.empty())
        fs::create_directories(folder, ec);
    if (ec)
        return fail("The folder " + folder.string() + " cannot be created: " + ec.message());
    try {
        replaceFileContent(filePath_, out);
    } catch (const std::system_error& e) {
        return fail("The settings cannot be saved to " + filePath_ + ": " + e.code().message());
    }
    return true;
}

} // namespace ovena
