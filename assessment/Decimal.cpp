#include "assessment/Decimal.h"

#include <cmath>

namespace ovena::assessment {

Decimal nearestDecimal(double value) {
    return {std::llround(value * 1000.0)};
}

double toDouble(Decimal value) {
    return static_cast<double>(value.thousandths) / 1000.0;
}

Decimal roundedQuotient(Decimal sum, std::int64_t count, Decimal step) {
    const std::int64_t divisor = count * step.thousandths;
    const std::int64_t magnitude = sum.thousandths < 0 ? -sum.thousandths : sum.thousandths;
    const std::int64_t steps = (2 * magnitude + divisor) / (2 * divisor);
    return {(sum.thousandths < 0 ? -steps : steps) * step.thousandths};
}

} // namespace ovena::assessment
