#include "instrument/Visit.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <cstdio>

namespace ovena::instrument {

namespace {

// Qa below this leaves the efficiency empty: no meaningful loss was measured.
constexpr double LeastLossForEfficiency = 0.1;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int twoDigits(std::string_view digits, std::size_t at) {
    return (digits[at] - '0') * 10 + (digits[at + 1] - '0');
}

Value valueOf(std::string_view text) {
    return {std::string(text), numberValue(text)};
}

bool isTestType(int type) {
    return type >= FirstTestLine && type <= LastTestLine;
}

} // namespace

std::string_view item(std::string_view line, int index) {
    for (; index > 0; --index) {
        const std::size_t separator = line.find(';');
        if (separator == std::string_view::npos)
            return {};
        line.remove_prefix(separator + 1);
    }
    return line.substr(0, line.find(';'));
}

int lineType(std::string_view line) {
    return TextToInt(item(line, 0));
}

std::string DateTime::iso() const {
    const auto minutes = static_cast<int>(time.count());
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  minutes / 60, minutes % 60);
    return text;
}

std::optional<DateTime> parseDateTime(std::string_view digits) {
    if (digits.size() != 10 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year(2000 + twoDigits(digits, 0)),
                              month(static_cast<unsigned>(twoDigits(digits, 2))),
                              day(static_cast<unsigned>(twoDigits(digits, 4)))};
    const int hour = twoDigits(digits, 6);
    const int minute = twoDigits(digits, 8);
    if (!date.ok() || hour > 23 || minute > 59)
        return std::nullopt;
    return DateTime{date, minutes(hour * 60 + minute)};
}

std::optional<double> EfficiencyFromLoss(double qa) {
    if (qa < LeastLossForEfficiency)
        return std::nullopt;
    return 100.0 - qa;
}

const Value& Measurement::value(Field field) const {
    static const Value none;
    if (field == Field::Draft)
        return draft ? *draft : none;
    if (field == Field::SerialNo || field == Field::CustomerNo)
        return none;
    return values[static_cast<std::size_t>(valueNumber(field))];
}

std::optional<double> Measurement::number(Field field) const {
    if (field < Field::AirTemperature)
        return std::nullopt;
    const std::optional<double> n = value(field).number;
    if (field == Field::Efficiency)
        return n ? EfficiencyFromLoss(*n) : std::nullopt;
    return n;
}

std::vector<const Measurement*> Visit::tests() const {
    std::vector<const Measurement*> found;
    for (const Measurement& m : measurements)
        if (m.isTest())
            found.push_back(&m);
    return found;
}

const Measurement* Visit::mean() const {
    const auto found = std::find_if(measurements.begin(), measurements.end(),
                                    [](const Measurement& m) { return m.mean; });
    return found == measurements.end() ? nullptr : &*found;
}

Visit VisitReader::read(std::span<const std::string> lines) {
    Visit visit;
    visit.lineTypes.reserve(lines.size());
    bool haveCustomer = false;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        const int type = lineType(line);
        visit.lineTypes.push_back(type);
        if (type == CustomerLine) {
            Row& row = visit.rows.emplace_back();
            row.openedBy = Row::Opening::CustomerLine;
            row.line = index;
            row.customer = std::string(item(line, 1));
            if (!haveCustomer)
                visit.customer = *row.customer;
            haveCustomer = true;
            rowOpen_ = true;
        } else if (type == DraftLine) {
            pendingDraft_ = valueOf(item(line, DraftValue));
        } else if (type == MeasurementLine || isTestType(type)) {
            if (!rowOpen_) {
                Row& row = visit.rows.emplace_back();
                row.openedBy = Row::Opening::Measurement;
                row.line = index;
                if (visit.rows.size() > 1)
                    row.customer = visit.rows[visit.rows.size() - 2].customer;
            } else if (visit.rows.empty()) {
                Row& row = visit.rows.emplace_back();
                row.openedBy = Row::Opening::EarlierRecord;
                row.line = index;
            }
            rowOpen_ = false;
            visit.rows.back().measurement = visit.measurements.size();

            Measurement& m = visit.measurements.emplace_back();
            m.line = index;
            m.type = type;
            for (int k = 1; k <= ValueCount; ++k)
                m.values[static_cast<std::size_t>(k)] = valueOf(item(line, k));
            m.takenAt = parseDateTime(m.values[1].text);
            m.fuel = TextToInt(m.values[2].text);
            if (isTestType(type)) {
                m.test = type - FirstTestLine + 1;
                afterTest_ = true;
            } else {
                m.mean = afterTest_;
                afterTest_ = false;
                // Tests leave the draft to the measurement that follows them.
                m.draft = std::move(pendingDraft_);
                pendingDraft_.reset();
            }
        }
    }
    return visit;
}

Visit readVisit(std::span<const std::string> lines) {
    return VisitReader().read(lines);
}

} // namespace ovena::instrument
