#include "assessment/InstrumentReadings.h"

#include <algorithm>

namespace ovena::assessment {

namespace {

using instrument::Field;
using instrument::Measurement;

std::optional<Decimal> decimal(const Measurement& line, Field field) {
    const std::optional<double> number = line.number(field);
    return number ? std::optional(nearestDecimal(*number)) : std::nullopt;
}

Sample sampleOf(const Measurement& line) {
    Sample sample;
    sample.efficiency = decimal(line, Field::Efficiency);
    sample.flueGasLoss = decimal(line, Field::FlueGasLoss);
    sample.carbonMonoxideAirFree = decimal(line, Field::COAirFree);
    sample.carbonMonoxide = decimal(line, Field::CO);
    sample.oxygen = decimal(line, Field::O2);
    sample.soot = {decimal(line, Field::Soot1), decimal(line, Field::Soot2),
                   decimal(line, Field::Soot3)};
    if (const std::optional<double> found = line.number(Field::OilDerivate))
        sample.oilDerivatives = *found != 0;
    return sample;
}

} // namespace

VisitReadings readingsOf(const instrument::Visit& visit) {
    VisitReadings readings;
    for (const Measurement* test : visit.tests())
        readings.tests.push_back(sampleOf(*test));
    const Measurement* measurement = visit.mean();
    if (!measurement) {
        const auto plain = std::ranges::find_if(visit.measurements,
                                                [](const Measurement& m) { return !m.isTest(); });
        measurement = plain == visit.measurements.end() ? nullptr : &*plain;
    }
    if (measurement)
        readings.measurement = sampleOf(*measurement);
    return readings;
}

} // namespace ovena::assessment
