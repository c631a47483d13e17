#include "archive/RecordFields.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace ovena::archive {

namespace {

constexpr int CustomerLine = 1;
constexpr int MeasurementLine = 2;
constexpr int DraftLine = 12;
constexpr int DraftValue = 4;
constexpr int FirstTestLine = 21;
constexpr int LastTestLine = 23;

// Item `index` of a line (0 the line type), without its ";".
std::string_view item(std::string_view line, int index) {
    for (; index > 0; --index) {
        const std::size_t separator = line.find(';');
        if (separator == std::string_view::npos)
            return {};
        line.remove_prefix(separator + 1);
    }
    return line.substr(0, line.find(';'));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The line type when the first item is a plain number.
std::optional<int> lineType(std::string_view line) {
    const std::string_view text = item(line, 0);
    int type = 0;
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), type);
    return type;
}

// The number a value starts with, as the table reads a fuel number: the first run of digits
// (with a sign before it); 0 without one.
int leadingNumber(std::string_view text) {
    const std::size_t start = text.find_first_of("-0123456789");
    if (start == std::string_view::npos)
        return 0;
    int value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

bool inRange(std::string_view digits, int low, int high) {
    const int value = (digits[0] - '0') * 10 + (digits[1] - '0');
    return value >= low && value <= high;
}

// The length of the valid UTF-8 sequence at the start of `text`; 0 when it is not one.
std::size_t utf8Sequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead >= 0x01 && lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

bool isMeasurement(int type) {
    return type == MeasurementLine || (type >= FirstTestLine && type <= LastTestLine);
}

} // namespace

std::optional<double> numberValue(std::string_view value) {
    const std::size_t start = value.find_first_of(",-.0123456789");
    if (start == std::string_view::npos)
        return std::nullopt;
    std::string number(1, value[start] == ',' ? '.' : value[start]);
    for (std::size_t i = start + 1;
         i < value.size() && (value[i] == ',' || value[i] == '.' || isDigit(value[i])); ++i)
        number += value[i] == ',' ? '.' : value[i];
    double result = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(result))
        return std::nullopt;
    return result;
}

std::vector<MeasurementRow> measurementRows(const RecordLines& lines) {
    std::vector<MeasurementRow> rows;
    // A customer line opened the last row and no measurement has filled it yet.
    bool rowOpen = false;
    std::optional<double> pendingDraft;
    for (const std::string& line : lines) {
        // Line types are read as the table reads them: the number the first item starts with.
        const int type = leadingNumber(item(line, 0));
        if (type == DraftLine) {
            pendingDraft = numberValue(item(line, DraftValue));
            continue;
        }
        if (type != CustomerLine && !isMeasurement(type))
            continue;
        if (type == CustomerLine || !rowOpen) {
            MeasurementRow row;
            row.position = static_cast<int>(rows.size());
            row.lineType = CustomerLine;
            rows.push_back(row);
        }
        rowOpen = type == CustomerLine;
        if (rowOpen)
            continue;
        MeasurementRow& row = rows.back();
        row.lineType = type;
        row.measuredAt = isoDateTime(item(line, 1));
        for (int k = FirstNumberValue; k <= LastNumberValue; ++k)
            row.values[static_cast<std::size_t>(k)] = numberValue(item(line, k));
        // Tests leave the draft to the measurement that follows them.
        if (type == MeasurementLine) {
            row.draft = pendingDraft;
            pendingDraft.reset();
        }
    }
    return rows;
}

std::optional<std::string> isoDateTime(std::string_view digits) {
    if (digits.size() != 10 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    if (!inRange(digits.substr(2), 1, 12) || !inRange(digits.substr(4), 1, 31) ||
        !inRange(digits.substr(6), 0, 23) || !inRange(digits.substr(8), 0, 59))
        return std::nullopt;
    std::string iso = "20";
    iso.append(digits.substr(0, 2)).append("-").append(digits.substr(2, 2)).append("-");
    iso.append(digits.substr(4, 2)).append("T").append(digits.substr(6, 2)).append(":");
    iso.append(digits.substr(8, 2));
    return iso;
}

RecordFields deriveFields(const RecordLines& lines, const std::vector<std::string>& fuelNames) {
    RecordFields fields;
    bool haveCustomer = false;
    bool haveMeasurement = false;
    for (const std::string& line : lines) {
        const std::optional<int> type = lineType(line);
        if (!fields.lineTypes.empty())
            fields.lineTypes += ',';
        fields.lineTypes += type ? std::to_string(*type) : "?";
        if (!type)
            continue;
        if (*type == CustomerLine && !haveCustomer) {
            fields.customer = item(line, 1);
            haveCustomer = true;
        }
        const bool measurement =
            *type == MeasurementLine || (*type >= FirstTestLine && *type <= LastTestLine);
        if (measurement && !haveMeasurement) {
            haveMeasurement = true;
            fields.measuredAt = isoDateTime(item(line, 1));
            if (!fuelNames.empty()) {
                const int count = static_cast<int>(fuelNames.size());
                const int fuel = std::clamp(leadingNumber(item(line, 2)), 1, count);
                fields.fuel = fuelNames[static_cast<std::size_t>(fuel - 1)];
            }
        }
    }
    return fields;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        if (&line != &lines.front())
            joined += '\r';
        joined += line;
    }
    return joined;
}

std::vector<std::string> splitLines(std::string_view joined) {
    std::vector<std::string> lines;
    for (;;) {
        const std::size_t end = joined.find('\r');
        lines.emplace_back(joined.substr(0, end));
        if (end == std::string_view::npos)
            return lines;
        joined.remove_prefix(end + 1);
    }
}

bool fitsOneLine(std::string_view text) {
    return text.find('\r') == std::string_view::npos;
}

std::string recordDigest(std::string_view instrumentSerial, std::string_view joinedLines) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    const bool done = context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) &&
                      EVP_DigestUpdate(context, instrumentSerial.data(), instrumentSerial.size()) &&
                      EVP_DigestUpdate(context, "\r", 1) &&
                      EVP_DigestUpdate(context, joinedLines.data(), joinedLines.size()) &&
                      EVP_DigestFinal_ex(context, digest, &size);
    EVP_MD_CTX_free(context);
    if (!done)
        throw std::runtime_error("SHA-256 is not available");
    return std::string(reinterpret_cast<const char*>(digest), size);
}

std::string cleanText(std::string_view text) {
    std::string clean;
    while (!text.empty()) {
        const std::size_t length = utf8Sequence(text);
        clean.append(length ? text.substr(0, length) : "?");
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return clean;
}

} // namespace ovena::archive
