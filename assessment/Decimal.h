#pragma once

#include <compare>
#include <cstdint>

namespace ovena::assessment {

// An exact decimal in thousandths of its unit (89.954 % is 89954). Limits and measured values
// are compared in it, so a value and a limit that differ in the third decimal never compare
// equal by a binary-float accident.
struct Decimal {
    std::int64_t thousandths = 0;

    friend constexpr auto operator<=>(Decimal, Decimal) = default;
    friend constexpr Decimal operator+(Decimal a, Decimal b) {
        return {a.thousandths + b.thousandths};
    }
    friend constexpr Decimal operator-(Decimal a, Decimal b) {
        return {a.thousandths - b.thousandths};
    }
    friend constexpr Decimal operator-(Decimal a) { return {-a.thousandths}; }
};

// The decimal nearest to `value`, halves away from zero.
Decimal nearestDecimal(double value);

double toDouble(Decimal value);

// The exact quotient sum / count rounded to a multiple of `step`, halves away from zero (the
// rounding of DIN 1333). `count` and `step` are positive.
Decimal roundedQuotient(Decimal sum, std::int64_t count, Decimal step);

namespace literals {

// 89.954_dec: a decimal literal with at most three decimals, read exactly at compile time.
consteval Decimal operator""_dec(const char* text) {
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int decimals = -1;
    for (const char* c = text; *c; ++c) {
        if (*c == '.') {
            decimals = 0;
        } else if (*c == '\'') {
            continue;
        } else if (decimals < 0) {
            whole = whole * 10 + (*c - '0');
        } else {
            fraction = fraction * 10 + (*c - '0');
            if (++decimals > 3)
                throw "a decimal literal has at most three decimals";
        }
    }
    for (int i = decimals < 0 ? 0 : decimals; i < 3; ++i)
        fraction *= 10;
    return {whole * 1000 + fraction};
}

} // namespace literals

} // namespace ovena::assessment
