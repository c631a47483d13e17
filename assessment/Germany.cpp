#include "assessment/Germany.h"

#include "assessment/ValueSelection.h"

namespace ovena::assessment {

using namespace literals;

namespace {

// The step the instrument prints the flue-gas loss in.
constexpr Decimal lossPrinted = 0.1_dec;
constexpr int sootReadingsRequired = 3; // Anlage 2 Nr. 3.2: three single measurements

std::optional<Decimal> flueGasLoss(const Sample& line) {
    return line.flueGasLoss;
}

CriterionResult notJudged(Criterion criterion, NotJudgedReason reason) {
    CriterionResult result;
    result.criterion = criterion;
    result.reason = reason;
    return result;
}

CriterionResult exempt(Criterion criterion, std::string_view source) {
    CriterionResult result;
    result.criterion = criterion;
    result.verdict = Verdict::Exempt;
    result.limitSource = source;
    return result;
}

CriterionResult judgeLoss(const VisitReadings& visit, const GeneratorFacts& generator,
                          const GermanRules& rules) {
    constexpr Criterion criterion = Criterion::FlueGasLoss;
    if (!generator.fuel)
        return notJudged(criterion, NotJudgedReason::FuelUnknown);
    if (*generator.fuel == Fuel::Solid)
        return notJudged(criterion, NotJudgedReason::FuelNotCovered);
    if (!generator.kind)
        return notJudged(criterion, NotJudgedReason::KindUnknown);
    if (*generator.kind == GeneratorKind::Condensing)
        return exempt(criterion, rules.condensingExemptionSource);
    if (!generator.nominalPower)
        return notJudged(criterion, NotJudgedReason::PowerUnknown);
    const Decimal power = *generator.nominalPower;
    if (power < rules.lossMinimumPower)
        return exempt(criterion, rules.flueGasLossSource);
    if (!rules.flueGasLossUncertainty)
        return notJudged(criterion, NotJudgedReason::LimitNotSet);
    Decimal limit;
    for (const LossBand& band : rules.flueGasLoss)
        if (!band.through || power <= *band.through) {
            limit = band.limit;
            break;
        }
    if (*generator.kind == GeneratorKind::Standard && generator.standardBoilerByDesign)
        limit = limit + rules.standardBoilerRelief;
    const Selection selection = selectValue(visit, flueGasLoss, germanLossResolution, lossPrinted);
    if (!selection.value)
        return notJudged(criterion, selection.reason);
    CriterionResult result;
    result.criterion = criterion;
    result.limitSource = rules.flueGasLossSource;
    compare(result, selection, -*rules.flueGasLossUncertainty, limit, false);
    return result;
}

CriterionResult judgeSoot(const VisitReadings& visit, const GeneratorFacts& generator,
                          const GermanRules& rules) {
    constexpr Criterion criterion = Criterion::SootNumber;
    if (!generator.burner)
        return notJudged(criterion, NotJudgedReason::KindUnknown);
    const SootRow* row = nullptr;
    for (const SootRow& candidate : rules.soot) {
        if (candidate.burner != *generator.burner)
            continue;
        if (candidate.powerThrough) {
            if (!generator.nominalPower)
                return notJudged(criterion, NotJudgedReason::PowerUnknown);
            if (*generator.nominalPower > *candidate.powerThrough)
                continue;
        }
        if (candidate.installedThrough) {
            if (!generator.installed || !generator.installed->ok())
                return notJudged(criterion, NotJudgedReason::InstallationDateUnknown);
            if (*generator.installed > *candidate.installedThrough)
                continue;
        }
        row = &candidate;
        break;
    }
    if (!row) // a gas burner on oil
        return notJudged(criterion, NotJudgedReason::FuelNotCovered);
    const SootReadings readings = sootReadings(visit);
    if (readings.count < sootReadingsRequired)
        return notJudged(criterion, readings.count == 0 ? NotJudgedReason::NotMeasured
                                                        : NotJudgedReason::FewerThanThreeTests);
    Selection selection;
    selection.value = roundedQuotient(readings.sum, readings.count, germanSootResolution);
    CriterionResult result;
    result.criterion = criterion;
    result.limitSource = row->source;
    compare(result, selection, {}, row->limit, false);
    return result;
}

// Met when no filter of the visit shows oil derivatives; the value is the number of lines
// that found them.
CriterionResult judgeOilDerivatives(const VisitReadings& visit, const GermanRules& rules) {
    int checked = 0;
    int found = 0;
    auto count = [&](const Sample& line) {
        if (line.oilDerivatives) {
            ++checked;
            found += *line.oilDerivatives ? 1 : 0;
        }
    };
    for (const Sample& test : visit.tests)
        count(test);
    if (visit.measurement)
        count(*visit.measurement);
    if (checked == 0)
        return notJudged(Criterion::OilDerivatives, NotJudgedReason::NotMeasured);
    Selection selection;
    selection.value = Decimal{found * 1000};
    CriterionResult result;
    result.criterion = Criterion::OilDerivatives;
    result.limitSource = rules.oilDerivativesSource;
    compare(result, selection, {}, {}, false);
    return result;
}

} // namespace

std::vector<CriterionResult> judgeGermany(const VisitReadings& visit,
                                          const GeneratorFacts& generator,
                                          const GermanRules& rules) {
    std::vector<CriterionResult> results;
    results.push_back(judgeLoss(visit, generator, rules));
    if (!generator.fuel) {
        results.push_back(notJudged(Criterion::SootNumber, NotJudgedReason::FuelUnknown));
        results.push_back(notJudged(Criterion::OilDerivatives, NotJudgedReason::FuelUnknown));
    } else if (isLiquid(*generator.fuel)) {
        results.push_back(judgeSoot(visit, generator, rules));
        results.push_back(judgeOilDerivatives(visit, rules));
    }
    return results;
}

} // namespace ovena::assessment
