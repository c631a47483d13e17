#include "assessment/Germany.h"

#include "assessment/Judging.h"

namespace ovena::assessment {

using namespace literals;

namespace {

// The step the instrument prints the flue-gas loss in.
constexpr Decimal lossPrinted = 0.1_dec;

std::optional<Decimal> flueGasLoss(const Sample& line) {
    return line.flueGasLoss;
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
    const std::optional<Decimal> power = knownPower(generator);
    if (!power)
        return notJudged(criterion, NotJudgedReason::PowerUnknown);
    if (*power < rules.lossMinimumPower)
        return exempt(criterion, rules.flueGasLossSource);
    if (!rules.flueGasLossUncertainty)
        return notJudged(criterion, NotJudgedReason::LimitNotSet);
    Decimal limit;
    for (const LossBand& band : rules.flueGasLoss)
        if (!band.through || *power <= *band.through) {
            limit = band.limit;
            break;
        }
    if (*generator.kind == GeneratorKind::Standard && generator.standardBoilerByDesign)
        limit = limit + rules.standardBoilerRelief;
    return compare(criterion, selectValue(visit, flueGasLoss, germanLossResolution, lossPrinted),
                   -*rules.flueGasLossUncertainty, limit, false, rules.flueGasLossSource);
}

CriterionResult judgeSoot(const VisitReadings& visit, const GeneratorFacts& generator,
                          const GermanRules& rules) {
    constexpr Criterion criterion = Criterion::SootNumber;
    if (!generator.burner)
        return notJudged(criterion, NotJudgedReason::KindUnknown);
    const std::optional<Decimal> power = knownPower(generator);
    const std::optional<std::chrono::year_month_day> installed = knownInstallation(generator);
    const SootRow* row = nullptr;
    for (const SootRow& candidate : rules.soot) {
        if (candidate.burner != *generator.burner)
            continue;
        if (candidate.powerThrough) {
            if (!power)
                return notJudged(criterion, NotJudgedReason::PowerUnknown);
            if (*power > *candidate.powerThrough)
                continue;
        }
        if (candidate.installedThrough) {
            if (!installed)
                return notJudged(criterion, NotJudgedReason::InstallationDateUnknown);
            if (*installed > *candidate.installedThrough)
                continue;
        }
        row = &candidate;
        break;
    }
    if (!row) // a gas burner on oil
        return notJudged(criterion, NotJudgedReason::FuelNotCovered);
    return compare(criterion, sootMean(visit, germanSootResolution), {}, row->limit, false,
                   row->source);
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
    return compare(Criterion::OilDerivatives, selection, {}, {}, false, rules.oilDerivativesSource);
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
