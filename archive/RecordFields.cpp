#include "archive/RecordFields.h"

#include "instrument/Visit.h"

#include <openssl/evp.h>

#include <algorithm>
#include <stdexcept>

namespace ovena::archive {

namespace {

// Whether a line type is written as a plain number, as the line types of a record are listed.
bool plainNumber(std::string_view text) {
    return !text.empty() && text.size() <= 4 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
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

} // namespace

std::vector<MeasurementRow> measurementRows(const RecordLines& lines) {
    const instrument::Visit visit = instrument::readVisit(lines);
    std::vector<MeasurementRow> rows;
    rows.reserve(visit.rows.size());
    for (const instrument::Row& r : visit.rows) {
        MeasurementRow& row = rows.emplace_back();
        row.position = static_cast<int>(rows.size() - 1);
        row.lineType = instrument::CustomerLine;
        if (!r.measurement)
            continue;
        const instrument::Measurement& m = visit.measurements[*r.measurement];
        row.lineType = m.type;
        if (m.takenAt)
            row.measuredAt = m.takenAt->iso();
        for (int k = FirstNumberValue; k <= LastNumberValue; ++k)
            row.values[static_cast<std::size_t>(k)] = m.values[static_cast<std::size_t>(k)].number;
        if (m.draft)
            row.draft = m.draft->number;
    }
    return rows;
}

std::optional<std::string> isoDateTime(std::string_view digits) {
    const std::optional<instrument::DateTime> parsed = instrument::parseDateTime(digits);
    return parsed ? std::optional<std::string>(parsed->iso()) : std::nullopt;
}

RecordFields deriveFields(const RecordLines& lines, const std::vector<std::string>& fuelNames) {
    const instrument::Visit visit = instrument::readVisit(lines);
    RecordFields fields;
    fields.customer = visit.customer;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            fields.lineTypes += ',';
        fields.lineTypes +=
            plainNumber(instrument::item(lines[i], 0)) ? std::to_string(visit.lineTypes[i]) : "?";
    }
    if (!visit.measurements.empty()) {
        const instrument::Measurement& first = visit.measurements.front();
        if (first.takenAt)
            fields.measuredAt = first.takenAt->iso();
        if (!fuelNames.empty()) {
            const int count = static_cast<int>(fuelNames.size());
            fields.fuel = fuelNames[static_cast<std::size_t>(std::clamp(first.fuel, 1, count) - 1)];
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
