#pragma once

#include "assessment/Facts.h"
#include "assessment/Result.h"
#include "assessment/Rules.h"

#include <optional>
#include <vector>

namespace ovena::assessment {

// Italy's rounding, written once: values and limits are kept to 0.001 (the minimum of a
// 30 kW boiler installed in 2010 is 89.954 %), halves away from zero. The law gives no
// coarser step.
inline constexpr Decimal italianResolution{1};

// The legal minimum efficiency of a generator, or why it cannot be found.
struct MinimumEfficiency {
    std::optional<Decimal> limit;
    NotJudgedReason reason = NotJudgedReason::None;
};
MinimumEfficiency minimumEfficiency(const ItalianRules& rules, const GeneratorFacts& generator);

// The Italian criteria: minimum combustion efficiency, air-free CO, and for liquid fuels (or
// an unknown fuel) the Bacharach index.
std::vector<CriterionResult> judgeItaly(const VisitReadings& visit, const GeneratorFacts& generator,
                                        const ItalianRules& rules);

} // namespace ovena::assessment
