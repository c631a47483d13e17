#pragma once

#include "assessment/Facts.h"
#include "assessment/Result.h"

#include <chrono>
#include <optional>
#include <string_view>

namespace ovena::assessment {

// A quantity of an instrument line, absent where the line lacks it.
using Quantity = std::optional<Decimal> (*)(const Sample&);

// The value a criterion uses, or why there is none (reason FewerThanThreeTests or
// NotMeasured).
struct Selection {
    std::optional<Decimal> value;
    ValueSource source = ValueSource::Measurement;
    std::optional<InstrumentMeanCheck> instrumentMean;
    NotJudgedReason reason = NotJudgedReason::None;
};

// The mean of the three tests when the tests hold the quantity, else the measurement's value,
// rounded to a multiple of `resolution` (the country's rounding). Tests that hold it but are
// not three give FewerThanThreeTests. Beside a mean, the measurement line's value is the
// instrument's own mean: it is checked against the exact mean of the tests, and differs when
// the two lie further apart than half of `printedStep`, the step the instrument prints it in.
Selection selectValue(const VisitReadings& visit, Quantity quantity, Decimal resolution,
                      Decimal printedStep);

// The mean of the three soot readings (soot number / Bacharach index 1 to 3) of the
// measurement line, else of the first test that has any, rounded to a multiple of
// `resolution`. Fewer than three readings give FewerThanThreeTests, none NotMeasured.
Selection sootMean(const VisitReadings& visit, Decimal resolution);

// The generator's nominal power when it is known and positive, its installation date when it
// is known and a valid date.
std::optional<Decimal> knownPower(const GeneratorFacts& generator);
std::optional<std::chrono::year_month_day> knownInstallation(const GeneratorFacts& generator);

CriterionResult notJudged(Criterion criterion, NotJudgedReason reason);

// The selection's value plus `adjustment` compared with `limit` (a minimum or a maximum, from
// `limitSource`): the verdict and the margin. Not judged, for the selection's reason, when the
// selection holds no value.
CriterionResult compare(Criterion criterion, const Selection& selection, Decimal adjustment,
                        Decimal limit, bool limitIsMinimum, std::string_view limitSource);

} // namespace ovena::assessment
