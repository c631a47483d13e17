#include "assessment/ValueSelection.h"

#include <cstdlib>

namespace ovena::assessment {

namespace {

constexpr int testsOfAMean = 3;

std::optional<InstrumentMeanCheck> checkInstrumentMean(const VisitReadings& visit,
                                                       Quantity quantity, Decimal sum, Decimal mean,
                                                       Decimal printedStep) {
    if (!visit.measurement)
        return std::nullopt;
    const std::optional<Decimal> instrument = quantity(*visit.measurement);
    if (!instrument)
        return std::nullopt;
    // |instrument - sum / 3| > step / 2, in whole thousandths.
    const std::int64_t apart = std::llabs(testsOfAMean * instrument->thousandths - sum.thousandths);
    return InstrumentMeanCheck{*instrument, *instrument - mean,
                               2 * apart > testsOfAMean * printedStep.thousandths};
}

} // namespace

Selection selectValue(const VisitReadings& visit, Quantity quantity, Decimal resolution,
                      Decimal printedStep) {
    Selection selection;
    Decimal sum;
    int holding = 0;
    for (const Sample& test : visit.tests)
        if (const std::optional<Decimal> value = quantity(test)) {
            sum = sum + *value;
            ++holding;
        }
    if (holding == testsOfAMean && visit.tests.size() == testsOfAMean) {
        selection.value = roundedQuotient(sum, testsOfAMean, resolution);
        selection.source = ValueSource::TestMean;
        selection.instrumentMean =
            checkInstrumentMean(visit, quantity, sum, *selection.value, printedStep);
    } else if (holding > 0) {
        selection.reason = NotJudgedReason::FewerThanThreeTests;
    } else if (const std::optional<Decimal> value =
                   visit.measurement ? quantity(*visit.measurement) : std::nullopt) {
        selection.value = roundedQuotient(*value, 1, resolution);
    } else {
        selection.reason = NotJudgedReason::NotMeasured;
    }
    return selection;
}

SootReadings sootReadings(const VisitReadings& visit) {
    auto readingsOf = [](const Sample& line) {
        SootReadings readings;
        for (const std::optional<Decimal>& soot : line.soot)
            if (soot) {
                readings.sum = readings.sum + *soot;
                ++readings.count;
            }
        return readings;
    };
    if (visit.measurement)
        if (SootReadings readings = readingsOf(*visit.measurement); readings.count > 0)
            return readings;
    for (const Sample& test : visit.tests)
        if (SootReadings readings = readingsOf(test); readings.count > 0)
            return readings;
    return {};
}

void compare(CriterionResult& result, const Selection& selection, Decimal adjustment, Decimal limit,
             bool limitIsMinimum) {
    result.value = selection.value;
    result.source = selection.source;
    result.instrumentMean = selection.instrumentMean;
    result.adjustment = adjustment;
    result.limit = limit;
    result.limitIsMinimum = limitIsMinimum;
    const Decimal adjusted = *selection.value + adjustment;
    result.margin = limitIsMinimum ? adjusted - limit : limit - adjusted;
    result.verdict = result.margin->thousandths >= 0 ? Verdict::Met : Verdict::NotMet;
}

} // namespace ovena::assessment
