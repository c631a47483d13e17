#pragma once

#include <array>

namespace ovena::instrument {

// The fields of a measurement, in the order of the field catalogue: a field's number is its
// place in this list.
enum class Field : int {
    SerialNo,           // the instrument's serial number
    CustomerNo,         // value 1 of the customer line
    DateTime,           // value 1 of the measurement line, YYMMDDhhmm
    Fuel,               // value 2, a fuel number
    AirTemperature,     // degrees Celsius
    FlueGasTemperature, // degrees Celsius
    BoilerTemperature,  // degrees Celsius
    O2,                 // Vol%
    CO2,                // Vol%
    CO,                 // ppm
    COAirFree,          // ppm at 0 % O2
    NO,                 // ppm
    NOx,                // ppm
    SO2,                // ppm
    NO2,                // ppm
    Pressure,           // hPa
    Lambda,             // excess-air ratio
    FlueGasLoss,        // Qa, %
    Efficiency,         // %, computed as 100 minus Qa
    Soot1,
    Soot2,
    Soot3,
    OilDerivate,
    Draft, // Pa, value 4 of the draft line that applies
};

inline constexpr int FieldCount = 24;

constexpr int number(Field field) {
    return static_cast<int>(field);
}

// The number of the value each field is read from: for the customer number and the draft in
// the customer and the draft line, for the fields from DateTime to OilDerivate in a measurement
// line (Efficiency names Qa, which it is computed from). The serial number comes from no record
// line and maps to 0.
inline constexpr std::array<int, FieldCount> FieldValueNumbers = {
    0, 1, 1, 2, 3, 4, 5, 6, 11, 7, 12, 8, 21, 18, 19, 9, 10, 13, 13, 14, 15, 16, 17, 4,
};

constexpr int valueNumber(Field field) {
    return FieldValueNumbers[static_cast<std::size_t>(field)];
}

} // namespace ovena::instrument
