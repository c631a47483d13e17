#pragma once

#include "assessment/Facts.h"
#include "assessment/Result.h"

#include <optional>

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

// The soot readings (soot number / Bacharach index 1 to 3) a criterion judges: those of the
// measurement line, else of the first test that has any. Their exact sum and count.
struct SootReadings {
    Decimal sum;
    int count = 0;
};
SootReadings sootReadings(const VisitReadings& visit);

// The part of a result every judged criterion shares: the value and its adjustment set, the
// verdict and the margin from the comparison with `limit`.
void compare(CriterionResult& result, const Selection& selection, Decimal adjustment, Decimal limit,
             bool limitIsMinimum);

} // namespace ovena::assessment
