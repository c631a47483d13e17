#pragma once

#include "assessment/Decimal.h"

#include <optional>
#include <string_view>

namespace ovena::assessment {

enum class Criterion {
    MinimumEfficiency,     // Italy: combustion efficiency at least the legal minimum
    CarbonMonoxideAirFree, // Italy: CO in dry, air-free flue gas
    BacharachIndex,        // Italy, liquid fuels
    FlueGasLoss,           // Germany: qA at most the limit
    SootNumber,            // Germany, oil firing
    OilDerivatives,        // Germany, oil firing: none on the filters
};

enum class Verdict { Met, NotMet, NotJudged, Exempt };

enum class NotJudgedReason {
    None,
    PowerUnknown, // no (or no positive) nominal power
    KindUnknown,  // generator or burner kind missing
    InstallationDateUnknown,
    FuelUnknown,
    FewerThanThreeTests, // tests begun but not three, or fewer than three soot readings
    FuelNotCovered,      // the rule has no limit for this fuel (or kind and fuel)
    LimitNotSet,         // a figure the law leaves to a setting has not been set
    NotMeasured,         // the visit holds no value of the quantity
};

// Where the value used comes from: the mean of the three tests, or the measurement line.
enum class ValueSource { TestMean, Measurement };

// The instrument's "Med." line beside the mean computed from the tests.
struct InstrumentMeanCheck {
    Decimal instrumentValue;
    Decimal difference; // instrument's value minus the computed mean
    bool differs;       // by more than the rounding of the instrument's printed value
};

// One criterion judged. `value` is the value used, `adjustment` what was added to it before
// the comparison (the Italian allowance, or minus the German measurement uncertainty),
// `margin` how far the adjusted value lies on the passing side of the limit (negative: by how
// much it fails). `limitSource` names the law, annex and paragraph of the limit, or, for an
// exempt generator, of the exemption.
struct CriterionResult {
    Criterion criterion{};
    Verdict verdict = Verdict::NotJudged;
    NotJudgedReason reason = NotJudgedReason::None;
    std::optional<Decimal> value;
    ValueSource source = ValueSource::Measurement;
    Decimal adjustment;
    std::optional<Decimal> limit;
    bool limitIsMinimum = false;
    std::string_view limitSource;
    std::optional<Decimal> margin;
    std::optional<InstrumentMeanCheck> instrumentMean;
};

} // namespace ovena::assessment
