#pragma once

#include "assessment/Decimal.h"
#include "assessment/Facts.h"

#include <chrono>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace ovena::assessment {

// Italy: rows of minimum combustion efficiency, base + slope * log10(Pn) %, for generators
// installed from `from` through `through` (both inclusive). The first row that matches a
// generator decides.
enum class EfficiencyClass {
    HotWater, // standard, low-temperature and condensing boilers
    Standard,
    LowTemperature,
    GasCondensing, // condensing boilers fired with gas
    WarmAir,
};

struct EfficiencyRow {
    EfficiencyClass generators;
    std::chrono::year_month_day from;
    std::chrono::year_month_day through;
    Decimal base;
    Decimal slope;
};

// An Italian rule set. A region's variant replaces `minimumEfficiency` (and its source).
struct ItalianRules {
    std::vector<EfficiencyRow> minimumEfficiency;
    std::string_view minimumEfficiencySource;
    Decimal powerCap;  // kW: above it the minimum at the cap applies
    Decimal allowance; // added to the measured efficiency before the comparison
    std::string_view allowanceSource;
    Decimal carbonMonoxideLimit; // ppm, air-free
    std::string_view carbonMonoxideSource;
    // Bacharach index limits for liquid fuels: settings (see italianRules).
    std::optional<Decimal> bacharachGasOil;
    std::optional<Decimal> bacharachFuelOil;
};

// Germany: flue-gas loss limit for nominal outputs through `through` kW; the first band whose
// `through` is not below the output decides.
struct LossBand {
    std::optional<Decimal> through; // none: any output
    Decimal limit;
};

// Germany: soot number limit of oil burners of a kind; a row with `installedThrough` or
// `powerThrough` applies only to burners installed by that date or of at most that output.
// The first matching row decides.
struct SootRow {
    BurnerKind burner;
    std::optional<std::chrono::year_month_day> installedThrough;
    std::optional<Decimal> powerThrough;
    Decimal limit;
    std::string_view source;
};

struct GermanRules {
    Decimal lossMinimumPower; // kW: below it the flue-gas loss limit does not apply
    std::vector<LossBand> flueGasLoss;
    std::string_view flueGasLossSource;
    Decimal standardBoilerRelief; // points added to the limit (§10 (1) sentence 2)
    std::string_view condensingExemptionSource;
    std::vector<SootRow> soot;
    std::string_view oilDerivativesSource;
    // Subtracted from the flue-gas loss before the comparison: a setting (see germanRules).
    std::optional<Decimal> flueGasLossUncertainty;
};

// Which country's rules a visit is judged by: the company's choice, which a plant may
// override.
using RuleSet = std::variant<ItalianRules, GermanRules>;

// Figures no published text at hand confirms; they stay unset (and the criteria using them
// unjudged) until the company enters them.
struct ItalianSettings {
    std::optional<Decimal> bacharachGasOil;
    std::optional<Decimal> bacharachFuelOil;
};

struct GermanSettings {
    std::optional<Decimal> flueGasLossUncertainty; // from the instrument's type approval
    // The plant lies in the territory named in Article 3 of the Unification Treaty, whose
    // soot-number relief for old atomising burners runs to a later date (§8 sentence 2).
    bool accessionTerritory = false;
};

ItalianRules italianRules(const ItalianSettings& settings);
GermanRules germanRules(const GermanSettings& settings);

} // namespace ovena::assessment
