#include "MemoryGenerator.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace ovena::sim {

namespace {

// SplitMix64: tiny, and unlike the standard distributions it gives the same numbers with
// every standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number from lo to hi, both included.
    int between(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool chance(int percent) { return between(0, 99) < percent; }

private:
    std::uint64_t state_;
};

// Flue-gas constants per fuel: the highest CO2 content in tenths of Vol% and the Siegert
// factors A2 and B of the flue-gas loss qA = (TG - TA) * (A2 / (21 - O2) + B).
struct Fuel {
    const char* name;
    int co2MaxTenths;
    double a2;
    double b;
    bool oil;
};

constexpr std::array<Fuel, 10> fuels{{
    {"Heiz\xF6l EL", 154, 0.68, 0.007, true},
    {"Erdgas H", 118, 0.66, 0.009, false},
    {"Erdgas L", 116, 0.66, 0.009, false},
    {"Fl\xFCssiggas", 137, 0.63, 0.008, false},
    {"Propan", 137, 0.63, 0.008, false},
    {"Butan", 141, 0.63, 0.008, false},
    {"Stadtgas", 100, 0.63, 0.011, false},
    {"Holzpellets", 203, 0.65, 0.008, false},
    {"Heiz\xF6l S", 159, 0.68, 0.007, true},
    {"Kokereigas", 102, 0.60, 0.011, false},
}};

std::string fixedText(int scaled, int decimals) {
    const int factor = decimals == 1 ? 10 : 100;
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%0*d", scaled < 0 ? "-" : "", std::abs(scaled) / factor,
                  decimals, std::abs(scaled) % factor);
    return text;
}

std::string tenths(int value) {
    return fixedText(value, 1);
}

// Minutes since 1970, written as YYMMDDhhmm.
std::string dateText(std::int64_t minutes) {
    using namespace std::chrono;
    const sys_time<std::chrono::minutes> time{std::chrono::minutes(minutes)};
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02u%02u%02d%02d", static_cast<int>(date.year()) % 100,
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()));
    return text;
}

class Generator {
public:
    Generator(std::uint64_t seed, int fuelCount) : random_(seed), fuelCount_(fuelCount) {
        using namespace std::chrono;
        const year_month_day start{year(2018 + random_.between(0, 6)), month(1), day(2)};
        minutes_ = duration_cast<std::chrono::minutes>(sys_days(start).time_since_epoch()).count() +
                   8 * 60;
    }

    InstrumentMemory memory(int records) {
        InstrumentMemory memory;
        memory.serial = "640" + std::to_string(random_.between(10000, 99999));
        memory.firmware =
            "V3." + std::to_string(random_.between(0, 2)) + std::to_string(random_.between(0, 9));
        for (int i = 0; i < fuelCount_; ++i)
            memory.fuelNames.push_back(i < static_cast<int>(fuels.size())
                                           ? fuels[i].name
                                           : "Brennstoff " + std::to_string(i + 1));
        for (int i = 0; i < records; ++i)
            memory.records.push_back(record());
        memory.countRecords();
        return memory;
    }

private:
    Record record() {
        advanceToNextVisit();
        Record lines{"1;" + std::to_string(random_.between(1000, 99999))};
        const int fuelNumber = random_.between(1, fuelCount_);
        if (random_.chance(60))
            lines.push_back(draftLine());
        if (random_.chance(10))
            for (int type = 21; type <= 23; ++type) {
                lines.push_back(measurementLine(type, fuelNumber));
                minutes_ += 1;
            }
        lines.push_back(measurementLine(2, fuelNumber));
        if (random_.chance(10)) {
            minutes_ += random_.between(3, 10);
            lines.push_back(measurementLine(2, fuelNumber));
        }
        return lines;
    }

    // The next visit: later the same working day or on a later day, between 07:00 and 18:59.
    void advanceToNextVisit() {
        minutes_ += random_.between(20, 240);
        if (minutes_ % (24 * 60) > 18 * 60 + 59)
            minutes_ += (24 * 60 - minutes_ % (24 * 60)) + random_.between(0, 2) * 24 * 60 +
                        7 * 60 + random_.between(0, 59);
    }

    std::string draftLine() {
        const int measured = random_.between(30, 250);
        const int correction = random_.between(-10, 10);
        return "12;" + dateText(minutes_) + ";" + tenths(measured) + ";" + tenths(correction) +
               ";" + tenths(measured + correction);
    }

    // A measurement (type 2) or test line (21 to 23): the type and its 21 values.
    std::string measurementLine(int type, int fuelNumber) {
        const Fuel& fuel = fuels[(fuelNumber - 1) % fuels.size()];
        const int airTemp = random_.between(50, 250);
        const int flueTemp = random_.between(800, 2200);
        const int boilerTemp = random_.between(400, 850);
        const int o2 = random_.between(20, 100);
        const int co = random_.between(0, 250);
        const int no = random_.between(15, 120);
        const int no2 = random_.between(0, 8);
        const int pressure = random_.between(9700, 10350);
        const double excessAir = 210.0 / (210 - o2);
        const int co2 = static_cast<int>(std::lround(fuel.co2MaxTenths * (210 - o2) / 210.0));
        const double loss = (flueTemp - airTemp) / 10.0 * (fuel.a2 / ((210 - o2) / 10.0) + fuel.b);
        const int lossTenths = std::clamp(static_cast<int>(std::lround(loss * 10)), 30, 120);
        const auto soot = [&] { return std::to_string(fuel.oil ? random_.between(0, 2) : 0); };

        const std::array<std::string, 21> values{
            dateText(minutes_),
            std::to_string(fuelNumber),
            tenths(airTemp),
            tenths(flueTemp),
            tenths(boilerTemp),
            tenths(o2),
            std::to_string(co),
            std::to_string(no),
            tenths(pressure),
            fixedText(static_cast<int>(std::lround(excessAir * 100)), 2),
            tenths(co2),
            std::to_string(std::lround(co * excessAir)),
            tenths(lossTenths),
            soot(),
            soot(),
            soot(),
            fuel.oil && random_.chance(10) ? "1" : "0",
            std::to_string(fuel.oil ? random_.between(5, 60) : 0),
            std::to_string(no2),
            "0",
            std::to_string(no + no2),
        };
        std::string line = std::to_string(type);
        for (const std::string& value : values)
            line += ";" + value;
        return line;
    }

    Random random_;
    int fuelCount_;
    std::int64_t minutes_;
};

} // namespace

InstrumentMemory generateMemory(int records, std::uint64_t seed, int fuelCount) {
    if (records < 0 || records > maxRecords)
        throw std::invalid_argument("the number of records must lie between 0 and " +
                                    std::to_string(maxRecords));
    if (fuelCount < 1 || fuelCount > maxFuelNames)
        throw std::invalid_argument("the number of fuel names must lie between 1 and " +
                                    std::to_string(maxFuelNames));
    return Generator(seed, fuelCount).memory(records);
}

} // namespace ovena::sim
