#include "assessment/Assessment.h"

#include "assessment/Germany.h"
#include "assessment/Italy.h"

namespace ovena::assessment {

std::vector<CriterionResult> assess(const VisitReadings& visit, const GeneratorFacts& generator,
                                    const RuleSet& rules) {
    struct Judge {
        const VisitReadings& visit;
        const GeneratorFacts& generator;
        std::vector<CriterionResult> operator()(const ItalianRules& italian) const {
            return judgeItaly(visit, generator, italian);
        }
        std::vector<CriterionResult> operator()(const GermanRules& german) const {
            return judgeGermany(visit, generator, german);
        }
    };
    return std::visit(Judge{visit, generator}, rules);
}

} // namespace ovena::assessment
