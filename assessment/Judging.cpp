#include "assessment/Judging.h"

#include <cstdlib>

namespace ovena::assessment {

namespace {

// Three tests make a mean (UNI 10389-1), three readings a soot number (1. BImSchV Anlage 2
// Nr. 3.2).
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

Selection sootMean(const VisitReadings& visit, Decimal resolution) {
    struct Readings {
        Decimal sum;
        int count = 0;
    };
    auto readingsOf = [](const Sample& line) {
        Readings readings;
        for (const std::optional<Decimal>& soot : line.soot)
            if (soot) {
                readings.sum = readings.sum + *soot;
                ++readings.count;
            }
        return readings;
    };
    Readings readings;
    if (visit.measurement)
        readings = readingsOf(*visit.measurement);
    for (auto test = visit.tests.begin(); readings.count == 0 && test != visit.tests.end(); ++test)
        readings = readingsOf(*test);
    Selection selection;
    if (readings.count == testsOfAMean)
        selection.value = roundedQuotient(readings.sum, readings.count, resolution);
    else
        selection.reason = readings.count == 0 ? NotJudgedReason::NotMeasured
                                               : NotJudgedReason::FewerThanThreeTests;
    return selection;
}

std::optional<Decimal> knownPower(const GeneratorFacts& generator) {
    if (generator.nominalPower && generator.nominalPower->thousandths > 0)
        return generator.nominalPower;
    return std::nullopt;
}

std::optional<std::chrono::year_month_day> knownInstallation(const GeneratorFacts& generator) {
    if (generator.installed && generator.installed->ok())
        return generator.installed;
    return std::nullopt;
}

CriterionResult notJudged(Criterion criterion, NotJudgedReason reason) {
    CriterionResult result;
    result.criterion = criterion;
    result.reason = reason;
    return result;
}

CriterionResult compare(Criterion criterion, const Selection& selection, Decimal adjustment,
                        Decimal limit, bool limitIsMinimum, std::string_view limitSource) {
    if (!selection.value)
        return notJudged(criterion, selection.reason);
    CriterionResult result;
    result.criterion = criterion;
    result.value = selection.value;
    result.source = selection.source;
    result.instrumentMean = selection.instrumentMean;
    result.adjustment = adjustment;
    result.limit = limit;
    result.limitIsMinimum = limitIsMinimum;
    result.limitSource = limitSource;
    const Decimal adjusted = *selection.value + adjustment;
    result.margin = limitIsMinimum ? adjusted - limit : limit - adjusted;
    result.verdict = result.margin->thousandths >= 0 ? Verdict::Met : Verdict::NotMet;
    return result;
}

} // namespace ovena::assessment
