#pragma once

#include "assessment/Facts.h"
#include "assessment/Result.h"
#include "assessment/Rules.h"

#include <vector>

namespace ovena::assessment {

// Germany's rounding, written once (1. BImSchV Anlage 2 Nr. 2.3, DIN 1333, halves away from
// zero): results carry one decimal more than the limit, so the flue-gas loss (limits in whole
// percent) is kept to 0.1 %; the mean of the three soot numbers is rounded to a whole number
// (Anlage 2 Nr. 3.2).
inline constexpr Decimal germanLossResolution{100};
inline constexpr Decimal germanSootResolution{1000};

// The German criteria: the flue-gas loss, and for oil firing (or an unknown fuel) the soot
// number and oil derivatives.
std::vector<CriterionResult>
judgeGermany(const VisitReadings& visit, const GeneratorFacts& generator, const GermanRules& rules);

} // namespace ovena::assessment
