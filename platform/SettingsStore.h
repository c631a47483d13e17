#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ovena {

// The per-user settings store: a registry in a text file of the REGEDIT4 format.
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\TEV\Ovena\Fields]
//   "OVENA\\FIELDS\\FIELD00"=dword:00000001
//
// Keys are paths below HKEY_CURRENT_USER written with backslashes ("Software\TEV\Ovena\Settings";
// a leading backslash is ignored). Value names may contain backslashes: they are part of the
// name. Values are typed: a string stays a string and a 32-bit integer an integer. Look-ups
// ignore letter case; names keep the case they were first written with. The empty name is the
// key's default value ("@" in the file). Texts are Windows-1252 bytes; a text with line breaks
// or zero bytes is written as the format's byte list of a string. Key paths and value names
// cannot hold line breaks.
class SettingsStore {
public:
    enum class ValueType { String, Integer };
    struct Value {
        ValueType type = ValueType::String;
        std::string text;         // for String
        std::uint32_t number = 0; // for Integer
    };

    SettingsStore() = default;
    explicit SettingsStore(std::string filePath);

    const std::string& filePath() const { return filePath_; }

    // Replaces the store's contents with the file's. A missing file gives an empty store. Besides
    // strings and dwords it takes what registry exports hold where it fits the two types (string
    // and 32-bit byte lists) and their deletions ("name"=- and [-key]). Lines that cannot be
    // read or have no place here are skipped; when any were, `warning` receives one message
    // naming the file. Never throws for the file's content.
    void load(std::string* warning = nullptr);
    // Writes the whole store as a new file that replaces the old one only once it is complete
    // (FileReplacement: links, permissions and hard links stay). Creates the folder when
    // missing. Answers false with a message in `error` when it failed; the old file is then as
    // it was.
    bool save(std::string* error = nullptr) const;

    bool keyExists(std::string_view key) const;
    void createKey(std::string_view key);

    std::optional<Value> read(std::string_view key, std::string_view name) const;
    // The value when it exists with that type; no value otherwise.
    std::optional<std::string> readString(std::string_view key, std::string_view name) const;
    std::optional<std::uint32_t> readInteger(std::string_view key, std::string_view name) const;

    // Writing creates the key when missing.
    void writeString(std::string_view key, std::string_view name, std::string_view text);
    void writeInteger(std::string_view key, std::string_view name, std::uint32_t number);

private:
    struct CaseInsensitiveLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    struct Key {
        std::string path; // as first written
        std::map<std::string, Value, CaseInsensitiveLess> values;
    };

    static std::string normalizeKey(std::string_view key);

    std::string filePath_;
    std::map<std::string, Key, CaseInsensitiveLess> keys_;
};

} // namespace ovena
