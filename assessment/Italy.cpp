#include "assessment/Italy.h"

#include "assessment/Judging.h"

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

CriterionResult judgeEfficiency(const VisitReadings& visit, const GeneratorFacts& generator,
                                const ItalianRules& rules) {
    const MinimumEfficiency minimum = minimumEfficiency(rules, generator);
    if (!minimum.limit)
        return notJudged(Criterion::MinimumEfficiency, minimum.reason);
    return compare(Criterion::MinimumEfficiency,
                   selectValue(visit, efficiency, italianResolution, efficiencyPrinted),
                   rules.allowance, *minimum.limit, true, rules.minimumEfficiencySource);
}

CriterionResult judgeCarbonMonoxide(const VisitReadings& visit, const ItalianRules& rules) {
    return compare(
        Criterion::CarbonMonoxideAirFree,
        selectValue(visit, carbonMonoxideAirFree, italianResolution, carbonMonoxidePrinted), {},
        rules.carbonMonoxideLimit, false, rules.carbonMonoxideSource);
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
    return compare(Criterion::BacharachIndex, sootMean(visit, italianResolution), {}, *limit, false,
                   "company setting");
}

} // namespace

MinimumEfficiency minimumEfficiency(const ItalianRules& rules, const GeneratorFacts& generator) {
    if (!generator.kind)
        return {std::nullopt, NotJudgedReason::KindUnknown};
    if (!generator.fuel)
        return {std::nullopt, NotJudgedReason::FuelUnknown};
    if (*generator.fuel == Fuel::Solid)
        return {std::nullopt, NotJudgedReason::FuelNotCovered};
    const std::optional<std::chrono::year_month_day> installed = knownInstallation(generator);
    if (!installed)
        return {std::nullopt, NotJudgedReason::InstallationDateUnknown};
    const std::optional<Decimal> power = knownPower(generator);
    if (!power)
        return {std::nullopt, NotJudgedReason::PowerUnknown};
    const auto row = std::ranges::find_if(rules.minimumEfficiency, [&](const EfficiencyRow& r) {
        return matches(r.generators, *generator.kind, *generator.fuel) && r.from <= *installed &&
               *installed <= r.through;
    });
    // Allegato B names condensing boilers of 1998 to 2005 only when fired with gas.
    if (row == rules.minimumEfficiency.end())
        return {std::nullopt, NotJudgedReason::FuelNotCovered};
    const double capped = toDouble(std::min(*power, rules.powerCap));
    return {nearestDecimal(toDouble(row->base) + toDouble(row->slope) * std::log10(capped)),
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
