#pragma once

#include "assessment/Decimal.h"

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace ovena::assessment {

// What the plant register knows of one heat generator. Every fact may be absent: a criterion
// that needs a missing fact is not judged and says which one is missing.
enum class GeneratorKind { Standard, LowTemperature, Condensing, WarmAir };
enum class Fuel { NaturalGas, LiquefiedPetroleumGas, GasOil, FuelOil, Solid };
constexpr bool isGas(Fuel fuel) {
    return fuel == Fuel::NaturalGas || fuel == Fuel::LiquefiedPetroleumGas;
}
constexpr bool isLiquid(Fuel fuel) {
    return fuel == Fuel::GasOil || fuel == Fuel::FuelOil;
}
// Oil burners: pressure atomising (with fan) or vaporising; gas burners of any design.
enum class BurnerKind { Atomising, Vaporising, Gas };

struct GeneratorFacts {
    std::optional<GeneratorKind> kind;
    std::optional<Fuel> fuel;
    std::optional<BurnerKind> burner;
    std::optional<Decimal> nominalPower; // useful nominal power Pn, kW
    std::optional<std::chrono::year_month_day> installed;
    // A boiler declared a standard boiler under Directive 92/42/EEC that cannot meet the
    // flue-gas loss limit by its design (1. BImSchV §10 (1) sentence 2).
    bool standardBoilerByDesign = false;
};

// The values of one instrument line (a test or a measurement), by quantity.
struct Sample {
    std::optional<Decimal> efficiency;            // combustion efficiency, %
    std::optional<Decimal> flueGasLoss;           // qA, %
    std::optional<Decimal> carbonMonoxideAirFree; // CO in dry, air-free flue gas, ppm
    std::optional<Decimal> carbonMonoxide;        // CO as measured, ppm
    std::optional<Decimal> oxygen;                // O2, % by volume
    std::array<std::optional<Decimal>, 3> soot;   // soot number / Bacharach index 1 to 3
    std::optional<bool> oilDerivatives;           // found on the filters
};

// One visit's readings: the instrument's tests ("Pr.1" to "Pr.3", as many as were taken) and
// its measurement line, which follows the tests as the instrument's own mean ("Med.") or
// stands alone.
struct VisitReadings {
    std::vector<Sample> tests;
    std::optional<Sample> measurement;
};

} // namespace ovena::assessment
