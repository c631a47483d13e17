#include "assessment/Assessment.h"

#include <gtest/gtest.h>

namespace ovena::assessment {
namespace {

using namespace literals;
using namespace std::chrono;
using Reason = NotJudgedReason;

constexpr GermanSettings settings{0.5_dec, false};

GeneratorFacts oilBoiler(Decimal power, year_month_day installed = 2000y / May / 1,
                         BurnerKind burner = BurnerKind::Atomising) {
    return {GeneratorKind::LowTemperature, Fuel::GasOil, burner, power, installed};
}

Sample lossLine(Decimal loss) {
    Sample line;
    line.flueGasLoss = loss;
    return line;
}

Sample sootLine(Decimal first, Decimal second, Decimal third) {
    Sample line;
    line.soot = {first, second, third};
    line.oilDerivatives = false;
    return line;
}

CriterionResult judged(const VisitReadings& visit, const GeneratorFacts& generator,
                       Criterion criterion, const GermanSettings& chosen = settings) {
    for (const CriterionResult& result : assess(visit, generator, germanRules(chosen)))
        if (result.criterion == criterion)
            return result;
    return {};
}

// §10 (1) by nominal output, the uncertainty (0.5 here) subtracted from a loss kept to 0.1 %.
struct Loss {
    Decimal power;
    std::vector<Decimal> tests;
    Decimal value;
    Decimal limit;
    Verdict verdict;
};
class FlueGasLoss : public testing::TestWithParam<Loss> {};

TEST_P(FlueGasLoss, IsJudgedAgainstTheBandOfTheOutput) {
    VisitReadings visit;
    for (Decimal loss : GetParam().tests)
        visit.tests.push_back(lossLine(loss));
    if (visit.tests.size() == 1)
        visit = {{}, visit.tests.front()};
    const CriterionResult result =
        judged(visit, oilBoiler(GetParam().power), Criterion::FlueGasLoss);
    EXPECT_EQ(result.value, GetParam().value);
    EXPECT_EQ(result.adjustment, -0.5_dec);
    EXPECT_EQ(result.limit, GetParam().limit);
    EXPECT_EQ(result.verdict, GetParam().verdict);
    EXPECT_EQ(result.limitSource, "1. BImSchV §10 (1)");
}

INSTANTIATE_TEST_SUITE_P(
    Germany, FlueGasLoss,
    testing::Values(
        Loss{4_dec, {11.5_dec}, 11.5_dec, 11_dec, Verdict::Met},
        Loss{25_dec, {11.4_dec}, 11.4_dec, 11_dec, Verdict::Met},
        Loss{25.1_dec, {11.4_dec}, 11.4_dec, 10_dec, Verdict::NotMet},
        Loss{50_dec, {10.5_dec}, 10.5_dec, 10_dec, Verdict::Met},
        Loss{50.1_dec, {10.5_dec}, 10.5_dec, 9_dec, Verdict::NotMet},
        Loss{30_dec, {10.4_dec, 10.4_dec, 10.5_dec}, 10.4_dec, 10_dec, Verdict::Met},
        Loss{30_dec, {10.4_dec, 10.5_dec, 10.6_dec}, 10.5_dec, 10_dec, Verdict::Met},
        Loss{30_dec, {10.5_dec, 10.5_dec, 10.6_dec}, 10.5_dec, 10_dec, Verdict::Met},
        Loss{30_dec, {10.5_dec, 10.6_dec, 10.6_dec}, 10.6_dec, 10_dec, Verdict::NotMet}));

TEST(Germany, ADeclaredStandardBoilerGetsOnePointMore) {
    GeneratorFacts boiler = oilBoiler(30_dec);
    boiler.kind = GeneratorKind::Standard;
    EXPECT_EQ(judged({{}, lossLine(10_dec)}, boiler, Criterion::FlueGasLoss).limit, 10_dec);
    boiler.standardBoilerByDesign = true;
    EXPECT_EQ(judged({{}, lossLine(10_dec)}, boiler, Criterion::FlueGasLoss).limit, 11_dec);
}

TEST(Germany, CondensingBoilersAndOutputsBelow4kWAreExempt) {
    GeneratorFacts boiler = oilBoiler(30_dec);
    boiler.kind = GeneratorKind::Condensing;
    const CriterionResult condensing =
        judged({{}, lossLine(12_dec)}, boiler, Criterion::FlueGasLoss);
    EXPECT_EQ(condensing.verdict, Verdict::Exempt);
    EXPECT_EQ(condensing.limitSource, "1. BImSchV §14 (3)");
    EXPECT_EQ(judged({{}, lossLine(12_dec)}, oilBoiler(3.9_dec), Criterion::FlueGasLoss).verdict,
              Verdict::Exempt);
}

// Soot number: the mean of three readings rounded to a whole number, against the limit of the
// burner's kind, output and installation date.
struct Soot {
    GeneratorFacts generator;
    Sample readings;
    Decimal limit;
    Verdict verdict;
    bool accessionTerritory = false;
};
class SootNumber : public testing::TestWithParam<Soot> {};

TEST_P(SootNumber, RoundsTheMeanAndTakesTheLimitOfItsRow) {
    const CriterionResult result =
        judged({{}, GetParam().readings}, GetParam().generator, Criterion::SootNumber,
               {0.5_dec, GetParam().accessionTerritory});
    EXPECT_EQ(result.limit, GetParam().limit);
    EXPECT_EQ(result.verdict, GetParam().verdict);
}

const auto Vaporising = BurnerKind::Vaporising;
INSTANTIATE_TEST_SUITE_P(
    Germany, SootNumber,
    testing::Values(Soot{oilBoiler(20_dec), sootLine(1_dec, 1_dec, 2_dec), 1_dec, Verdict::Met},
                    Soot{oilBoiler(20_dec), sootLine(1_dec, 2_dec, 2_dec), 1_dec, Verdict::NotMet},
                    Soot{oilBoiler(20_dec, 1988y / October / 1), sootLine(1_dec, 2_dec, 2_dec),
                         2_dec, Verdict::Met},
                    Soot{oilBoiler(20_dec, 1988y / October / 2), sootLine(1_dec, 2_dec, 2_dec),
                         1_dec, Verdict::NotMet},
                    Soot{oilBoiler(20_dec, 1990y / October / 3), sootLine(2_dec, 2_dec, 2_dec),
                         2_dec, Verdict::Met, true},
                    Soot{oilBoiler(11_dec, 1996y / October / 31, Vaporising),
                         sootLine(3_dec, 3_dec, 3_dec), 3_dec, Verdict::Met},
                    Soot{oilBoiler(11_dec, 1996y / November / 1, Vaporising),
                         sootLine(3_dec, 3_dec, 2_dec), 2_dec, Verdict::NotMet},
                    Soot{oilBoiler(11.1_dec, 1990y / May / 1, Vaporising),
                         sootLine(2_dec, 2_dec, 3_dec), 2_dec, Verdict::Met}));

TEST(Germany, OilDerivativesOnAnyFilterFail) {
    Sample line = sootLine(0_dec, 0_dec, 0_dec);
    EXPECT_EQ(judged({{}, line}, oilBoiler(20_dec), Criterion::OilDerivatives).verdict,
              Verdict::Met);
    line.oilDerivatives = true;
    EXPECT_EQ(judged({{}, line}, oilBoiler(20_dec), Criterion::OilDerivatives).verdict,
              Verdict::NotMet);
}

TEST(Germany, GasFiringIsJudgedByItsFlueGasLossAlone) {
    GeneratorFacts boiler = oilBoiler(20_dec);
    boiler.fuel = Fuel::NaturalGas;
    const auto results = assess({{}, lossLine(8_dec)}, boiler, germanRules(settings));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.front().verdict, Verdict::Met);
}

// Each fact, setting or reading missing, alone, and the reason the verdict gives.
struct Missing {
    Criterion criterion;
    GeneratorFacts generator;
    Sample line;
    Reason reason;
    GermanSettings chosen = settings;
};
class GermanNotJudged : public testing::TestWithParam<Missing> {};

TEST_P(GermanNotJudged, SaysWhy) {
    const CriterionResult result = judged({{}, GetParam().line}, GetParam().generator,
                                          GetParam().criterion, GetParam().chosen);
    EXPECT_EQ(result.verdict, Verdict::NotJudged);
    EXPECT_EQ(result.reason, GetParam().reason);
}

Sample line(std::optional<Decimal> loss, std::array<std::optional<Decimal>, 3> soot,
            std::optional<bool> oilDerivatives) {
    Sample sample;
    sample.flueGasLoss = loss;
    sample.soot = soot;
    sample.oilDerivatives = oilDerivatives;
    return sample;
}

constexpr auto LossCriterion = Criterion::FlueGasLoss;
constexpr auto SootCriterion = Criterion::SootNumber;
constexpr auto Derivatives = Criterion::OilDerivatives;
constexpr auto LowTemperature = GeneratorKind::LowTemperature;
constexpr auto Oil = Fuel::GasOil;
const year_month_day in2000 = 2000y / May / 1;
const GeneratorFacts vaporiser = oilBoiler(20_dec, in2000, Vaporising);
const Sample full = line(8_dec, {1_dec, 1_dec, 1_dec}, false);
INSTANTIATE_TEST_SUITE_P(
    Germany, GermanNotJudged,
    testing::Values(
        Missing{LossCriterion,
                {LowTemperature, {}, Vaporising, 20_dec, in2000},
                full,
                Reason::FuelUnknown},
        Missing{Derivatives,
                {LowTemperature, {}, Vaporising, 20_dec, in2000},
                full,
                Reason::FuelUnknown},
        Missing{LossCriterion,
                {LowTemperature, Fuel::Solid, Vaporising, 20_dec, in2000},
                full,
                Reason::FuelNotCovered},
        Missing{LossCriterion, {{}, Oil, Vaporising, 20_dec, in2000}, full, Reason::KindUnknown},
        Missing{LossCriterion,
                {LowTemperature, Oil, Vaporising, {}, in2000},
                full,
                Reason::PowerUnknown},
        Missing{LossCriterion,
                {LowTemperature, Oil, Vaporising, 0_dec, in2000},
                full,
                Reason::PowerUnknown},
        Missing{LossCriterion, vaporiser, full, Reason::LimitNotSet, {std::nullopt, false}},
        Missing{LossCriterion, vaporiser, line({}, {1_dec, 1_dec, 1_dec}, false),
                Reason::NotMeasured},
        Missing{
            SootCriterion, {LowTemperature, Oil, {}, 20_dec, in2000}, full, Reason::KindUnknown},
        Missing{SootCriterion,
                {LowTemperature, Oil, Vaporising, {}, in2000},
                full,
                Reason::PowerUnknown},
        Missing{SootCriterion,
                {LowTemperature, Oil, Vaporising, 10_dec, {}},
                full,
                Reason::InstallationDateUnknown},
        Missing{SootCriterion,
                {LowTemperature, Oil, BurnerKind::Gas, 20_dec, in2000},
                full,
                Reason::FuelNotCovered},
        Missing{SootCriterion, vaporiser, line(8_dec, {1_dec, {}, 1_dec}, false),
                Reason::FewerThanThreeTests},
        Missing{SootCriterion, vaporiser, line(8_dec, {}, false), Reason::NotMeasured},
        Missing{Derivatives, vaporiser, line(8_dec, {1_dec, 1_dec, 1_dec}, {}),
                Reason::NotMeasured}));

} // namespace
} // namespace ovena::assessment
