#include "assessment/Rules.h"

namespace ovena::assessment {

using namespace std::chrono;
using namespace literals;

namespace {

constexpr year_month_day earliest = year::min() / January / 1;
constexpr year_month_day latest = year::max() / December / 31;

// DPR 16 aprile 2013 n. 74, Allegato B: minimum combustion efficiency by generator and
// installation date, Pn the useful nominal power in kW, for Pn above 400 kW the value at
// 400 kW (as reproduced by evolmente.it/calcolo-rendimento).
const std::vector<EfficiencyRow> allegatoB = {
    {EfficiencyClass::HotWater, earliest, 1993y / October / 28, 82_dec, 2_dec},
    {EfficiencyClass::HotWater, 1993y / October / 29, 1997y / December / 31, 84_dec, 2_dec},
    {EfficiencyClass::Standard, 1998y / January / 1, 2005y / October / 7, 84_dec, 2_dec},
    {EfficiencyClass::LowTemperature, 1998y / January / 1, 2005y / October / 7, 87.5_dec, 1.5_dec},
    {EfficiencyClass::GasCondensing, 1998y / January / 1, 2005y / October / 7, 91_dec, 1_dec},
    {EfficiencyClass::GasCondensing, 2005y / October / 8, latest, 89_dec, 2_dec},
    {EfficiencyClass::HotWater, 2005y / October / 8, latest, 87_dec, 2_dec},
    {EfficiencyClass::WarmAir, earliest, 1993y / October / 28, 77_dec, 2_dec},
    {EfficiencyClass::WarmAir, 1993y / October / 29, latest, 80_dec, 2_dec},
};

// 1. BImSchV §10 (1): flue-gas loss limits by nominal heat output, from 4 kW
// (mein.kiehl.de/Dokument/1004674_10; lexmea.de/de/gesetz/1-bimschv/10).
const std::vector<LossBand> paragraph10 = {
    {25_dec, 11_dec},
    {50_dec, 10_dec},
    {std::nullopt, 9_dec},
};

// 1. BImSchV §7 (vaporising burners) and §8 (atomising burners), sentence 1 no. 1 and
// sentence 2 (lexmea.de/de/gesetz/1-bimschv/7; jusmeum.de 1-BImSchV §8; buzer.de).
constexpr std::string_view paragraph7 = "1. BImSchV §7 no. 1";
constexpr std::string_view paragraph7Old = "1. BImSchV §7 sentence 2";
constexpr std::string_view paragraph8 = "1. BImSchV §8 no. 1";
constexpr std::string_view paragraph8Old = "1. BImSchV §8 sentence 2";

std::vector<SootRow> sootTable(year_month_day atomisingReliefThrough) {
    return {
        {BurnerKind::Vaporising, 1996y / October / 31, 11_dec, 3_dec, paragraph7Old},
        {BurnerKind::Vaporising, std::nullopt, std::nullopt, 2_dec, paragraph7},
        {BurnerKind::Atomising, atomisingReliefThrough, std::nullopt, 2_dec, paragraph8Old},
        {BurnerKind::Atomising, std::nullopt, std::nullopt, 1_dec, paragraph8},
    };
}

} // namespace

ItalianRules italianRules(const ItalianSettings& settings) {
    return {
        .minimumEfficiency = allegatoB,
        .minimumEfficiencySource = "DPR 74/2013 Allegato B",
        .powerCap = 400_dec,
        // UNI 10389-1: the measured efficiency carries +-2 points, counted in favour of the
        // one who measured (progettogas.com 2024/01/27; osservatorio.energia.provincia.tn.it
        // node/1211).
        .allowance = 2_dec,
        .allowanceSource = "UNI 10389-1",
        // UNI 10389-1: corrected CO (dry, air-free) above 1000 ppm makes the combustion check
        // negative whatever the efficiency (buildnews.it, libretto d'impianto, scheda 11.1).
        .carbonMonoxideLimit = 1000_dec,
        .carbonMonoxideSource = "UNI 10389-1 (libretto d'impianto scheda 11.1)",
        .bacharachGasOil = settings.bacharachGasOil,
        .bacharachFuelOil = settings.bacharachFuelOil,
    };
}

GermanRules germanRules(const GermanSettings& settings) {
    // §8 sentence 2: atomising burners installed up to 1 Oct 1988, in the accession territory
    // up to 3 Oct 1990.
    const year_month_day reliefThrough =
        settings.accessionTerritory ? 1990y / October / 3 : 1988y / October / 1;
    return {
        .lossMinimumPower = 4_dec,
        .flueGasLoss = paragraph10,
        .flueGasLossSource = "1. BImSchV §10 (1)",
        .standardBoilerRelief = 1_dec,
        // Condensing boilers: no flue-gas loss limit (1. BImSchV §14 (3), as the design's
        // REGULATIONS.md records it from lexmea.de).
        .condensingExemptionSource = "1. BImSchV §14 (3)",
        .soot = sootTable(reliefThrough),
        .oilDerivativesSource = "1. BImSchV §7 no. 2, §8 no. 2, Anlage 2 Nr. 3.3",
        .flueGasLossUncertainty = settings.flueGasLossUncertainty,
    };
}

} // namespace ovena::assessment
