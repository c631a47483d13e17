#include "assessment/Italy.h"

#include "assessment/ValueSelection.h"

#include <algorithm>
#include <cmath>

namespace ovena::assessment {

using namespace literals;

namespace {

// The steps the instrument prints its values in: efficiency 0.1 %, CO 1 ppm.
constexpr Decimal efficiencyPrinted = 0.1_dec;
constexpr Decimal carbonMonoxidePrinted = 1_dec;
constexpr Decimal oxygenInAir = 21_dec;

bool matches(EfficiencyClass generators, GeneratorKind kind, Fuel fuel) {
    switch (generators) {
    case EfficiencyClass::HotWater:
        return kind != GeneratorKind::WarmAir;
    case EfficiencyClass::Standard:
        return kind == GeneratorKind::Standard;
    case EfficiencyClass::LowTemperature:
        return kind == GeneratorKind::LowTemperature;
    case EfficiencyClass::GasCondensing:
        return kind == GeneratorKind::Condensing && isGas(fuel);
    case EfficiencyClass::WarmAir:
        return kind == GeneratorKind::WarmAir;
    }
    return false;
}

std::optional<Decimal> efficiency(const Sample& line) {
    return line.efficiency;
}

// CO-0% as the instrument gives it, else CO x 21 / (21 - O2) (UNI 10389-1).
std::optional<Decimal> carbonMonoxideAirFree(const Sample& line) {
    if (line.carbonMonoxideAirFree)
        return line.carbonMonoxideAirFree;
    if (!line.carbonMonoxide || !line.oxygen || *line.oxygen >= oxygenInAir)
        return std::nullopt;
    return roundedQuotient(Decimal{line.carbonMonoxide->thousandths * oxygenInAir.thousandths},
                           (oxygenInAir - *line.oxygen).thousandths, italianResolution);
}

CriterionResult notJudged(Criterion criterion, NotJudgedReason reason) {
    CriterionResult result;
    result.criterion = criterion;
    result.reason = reason;
    return result;
}

CriterionResult judgeEfficiency(const VisitReadings& visit, const GeneratorFacts& generator,
                                const ItalianRules& rules) {
    const MinimumEfficiency minimum = minimumEfficiency(rules, generator);
    if (!minimum.limit)
        return notJudged(Criterion::MinimumEfficiency, minimum.reason);
    const Selection selection =
        selectValue(visit, efficiency, italianResolution, efficiencyPrinted);
    if (!selection.value)
        return notJudged(Criterion::MinimumEfficiency, selection.reason);
    CriterionResult result;
    result.criterion = Criterion::MinimumEfficiency;
    result.limitSource = rules.minimumEfficiencySource;
    compare(result, selection, rules.allowance, *minimum.limit, true);
    return result;
}

CriterionResult judgeCarbonMonoxide(const VisitReadings& visit, const ItalianRules& rules) {
    const Selection selection =
        selectValue(visit, carbonMonoxideAirFree, italianResolution, carbonMonoxidePrinted);
    if (!selection.value)
        return notJudged(Criterion::CarbonMonoxideAirFree, selection.reason);
    CriterionResult result;
    result.criterion = Criterion::CarbonMonoxideAirFree;
    result.limitSource = rules.carbonMonoxideSource;
    compare(result, selection, {}, rules.carbonMonoxideLimit, false);
    return result;
}

// The mean of the three readings of the soot line against the limit for the fuel.
CriterionResult judgeBacharach(const VisitReadings& visit, std::optional<Fuel> fuel,
                               const ItalianRules& rules) {
    if (!fuel)
        return notJudged(Criterion::BacharachIndex, NotJudgedReason::FuelUnknown);
    const std::optional<Decimal> limit =
        *fuel == Fuel::GasOil ? rules.bacharachGasOil : rules.bacharachFuelOil;
    if (!limit)
        return notJudged(Criterion::BacharachIndex, NotJudgedReason::LimitNotSet);
    const SootReadings readings = sootReadings(visit);
    if (readings.count < 3)
        return notJudged(Criterion::BacharachIndex, readings.count == 0
                                                        ? NotJudgedReason::NotMeasured
                                                        : NotJudgedReason::FewerThanThreeTests);
    Selection selection;
    selection.value = roundedQuotient(readings.sum, readings.count, italianResolution);
    CriterionResult result;
    result.criterion = Criterion::BacharachIndex;
    result.limitSource = "company setting";
    compare(result, selection, {}, *limit, false);
    return result;
}

} // namespace

MinimumEfficiency minimumEfficiency(const ItalianRules& rules, const GeneratorFacts& generator) {
    if (!generator.kind)
        return {std::nullopt, NotJudgedReason::KindUnknown};
    if (!generator.fuel)
        return {std::nullopt, NotJudgedReason::FuelUnknown};
    if (*generator.fuel == Fuel::Solid)
        return {std::nullopt, NotJudgedReason::FuelNotCovered};
    if (!generator.installed || !generator.installed->ok())
        return {std::nullopt, NotJudgedReason::InstallationDateUnknown};
    if (!generator.nominalPower || generator.nominalPower->thousandths <= 0)
        return {std::nullopt, NotJudgedReason::PowerUnknown};
    const auto row = std::ranges::find_if(rules.minimumEfficiency, [&](const EfficiencyRow& r) {
        return matches(r.generators, *generator.kind, *generator.fuel) &&
               r.from <= *generator.installed && *generator.installed <= r.through;
    });
    // Allegato B names condensing boilers of 1998 to 2005 only when fired with gas.
    if (row == rules.minimumEfficiency.end())
        return {std::nullopt, NotJudgedReason::FuelNotCovered};
    const double power = toDouble(std::min(*generator.nominalPower, rules.powerCap));
    return {nearestDecimal(toDouble(row->base) + toDouble(row->slope) * std::log10(power)),
            NotJudgedReason::None};
}

std::vector<CriterionResult> judgeItaly(const VisitReadings& visit, const GeneratorFacts& generator,
                                        const ItalianRules& rules) {
    std::vector<CriterionResult> results;
    results.push_back(judgeEfficiency(visit, generator, rules));
    if (generator.fuel == Fuel::Solid)
        results.push_back(
            notJudged(Criterion::CarbonMonoxideAirFree, NotJudgedReason::FuelNotCovered));
    else
        results.push_back(judgeCarbonMonoxide(visit, rules));
    if (!generator.fuel || isLiquid(*generator.fuel))
        results.push_back(judgeBacharach(visit, generator.fuel, rules));
    return results;
}

} // namespace ovena::assessment
