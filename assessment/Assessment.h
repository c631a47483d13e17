#pragma once

#include "assessment/Facts.h"
#include "assessment/Result.h"
#include "assessment/Rules.h"

#include <vector>

namespace ovena::assessment {

// Judges one visit of a heat generator by the rules of the chosen country: one result per
// criterion those rules hold for the generator's fuel, in a fixed order. Pure: the same
// readings, facts and rules give the same results.
std::vector<CriterionResult> assess(const VisitReadings& visit, const GeneratorFacts& generator,
                                    const RuleSet& rules);

} // namespace ovena::assessment
