#include "assessment/Italy.h"
#include "assessment/Assessment.h"

#include <gtest/gtest.h>

namespace ovena::assessment {
namespace {

using namespace literals;
using namespace std::chrono;
using Reason = NotJudgedReason;

GeneratorFacts gasBoiler(Decimal power, year_month_day installed,
                         GeneratorKind kind = GeneratorKind::Standard,
                         Fuel fuel = Fuel::NaturalGas) {
    return {kind, fuel, BurnerKind::Gas, power, installed};
}

Sample efficiencyLine(Decimal efficiency) {
    Sample line;
    line.efficiency = efficiency;
    return line;
}

CriterionResult judged(const VisitReadings& visit, const GeneratorFacts& generator,
                       Criterion criterion, const ItalianSettings& settings = {}) {
    for (const CriterionResult& result : assess(visit, generator, italianRules(settings)))
        if (result.criterion == criterion)
            return result;
    ADD_FAILURE() << "no result for criterion " << static_cast<int>(criterion);
    return {};
}

// The published example: a 30 kW gas boiler installed in 2010 must reach 87 + 2 log 30 =
// 89.954 %; 2 points are added to the measured value. 87.95 + 2 = 89.95 stays below.
struct Measured {
    Decimal efficiency;
    Verdict verdict;
    Decimal margin;
};
class WorkedExample : public testing::TestWithParam<Measured> {};

TEST_P(WorkedExample, AddsTheAllowanceAndComparesExactly) {
    const CriterionResult result =
        judged({{}, efficiencyLine(GetParam().efficiency)}, gasBoiler(30_dec, 2010y / May / 1),
               Criterion::MinimumEfficiency);
    EXPECT_EQ(result.limit, 89.954_dec);
    EXPECT_TRUE(result.limitIsMinimum);
    EXPECT_EQ(result.limitSource, "DPR 74/2013 Allegato B");
    EXPECT_EQ(result.adjustment, 2_dec);
    EXPECT_EQ(result.value, GetParam().efficiency);
    EXPECT_EQ(result.source, ValueSource::Measurement);
    EXPECT_EQ(result.verdict, GetParam().verdict);
    EXPECT_EQ(result.margin, GetParam().margin);
}

INSTANTIATE_TEST_SUITE_P(Italy, WorkedExample,
                         testing::Values(Measured{88_dec, Verdict::Met, 0.046_dec},
                                         Measured{87_dec, Verdict::NotMet, -0.954_dec},
                                         Measured{87.95_dec, Verdict::NotMet, -0.004_dec},
                                         Measured{87.954_dec, Verdict::Met, 0_dec}));

// Allegato B at its date boundaries, at Pn 10 kW (log Pn = 1), and its power cap.
struct Row {
    GeneratorKind kind;
    Fuel fuel;
    year_month_day installed;
    Decimal power;
    std::optional<Decimal> minimum;
};
class AllegatoB : public testing::TestWithParam<Row> {};

TEST_P(AllegatoB, GivesTheMinimumOfTheMatchingRow) {
    const Row& row = GetParam();
    const MinimumEfficiency minimum = minimumEfficiency(
        italianRules({}), gasBoiler(row.power, row.installed, row.kind, row.fuel));
    EXPECT_EQ(minimum.limit, row.minimum);
    EXPECT_EQ(minimum.reason, row.minimum ? Reason::None : Reason::FuelNotCovered);
}

constexpr auto Standard = GeneratorKind::Standard;
constexpr auto LowTemperature = GeneratorKind::LowTemperature;
constexpr auto Condensing = GeneratorKind::Condensing;
constexpr auto WarmAir = GeneratorKind::WarmAir;
constexpr auto Gas = Fuel::NaturalGas;
constexpr auto Oil = Fuel::GasOil;
INSTANTIATE_TEST_SUITE_P(
    Italy, AllegatoB,
    testing::Values(Row{Standard, Gas, 1993y / October / 28, 10_dec, 84_dec},
                    Row{Condensing, Oil, 1993y / October / 28, 10_dec, 84_dec},
                    Row{Standard, Gas, 1993y / October / 29, 10_dec, 86_dec},
                    Row{LowTemperature, Gas, 1997y / December / 31, 10_dec, 86_dec},
                    Row{Standard, Gas, 1998y / January / 1, 10_dec, 86_dec},
                    Row{LowTemperature, Oil, 1998y / January / 1, 10_dec, 89_dec},
                    Row{Condensing, Gas, 1998y / January / 1, 10_dec, 92_dec},
                    Row{Condensing, Gas, 2005y / October / 7, 10_dec, 92_dec},
                    Row{Condensing, Oil, 2005y / October / 7, 10_dec, std::nullopt},
                    Row{Standard, Gas, 2005y / October / 7, 10_dec, 86_dec},
                    Row{Condensing, Gas, 2005y / October / 8, 10_dec, 91_dec},
                    Row{Condensing, Oil, 2005y / October / 8, 10_dec, 89_dec},
                    Row{LowTemperature, Gas, 2005y / October / 8, 10_dec, 89_dec},
                    Row{WarmAir, Gas, 1993y / October / 28, 10_dec, 79_dec},
                    Row{WarmAir, Gas, 1993y / October / 29, 10_dec, 82_dec},
                    Row{Standard, Gas, 2010y / May / 1, 400_dec, 92.204_dec},
                    Row{Standard, Gas, 2010y / May / 1, 1000_dec, 92.204_dec}));

TEST(Italy, ARegionalTableReplacesAllegatoB) {
    ItalianRules rules = italianRules({});
    rules.minimumEfficiency = {{EfficiencyClass::HotWater, 2007y / February / 24,
                                year::max() / December / 31, 90_dec, 2_dec}};
    rules.minimumEfficiencySource = "regional table";
    const GeneratorFacts boiler = gasBoiler(10_dec, 2010y / May / 1);
    EXPECT_EQ(minimumEfficiency(rules, boiler).limit, 92_dec);
    const auto results = assess({{}, efficiencyLine(91_dec)}, boiler, rules);
    EXPECT_EQ(results.front().limitSource, "regional table");
    EXPECT_EQ(results.front().verdict, Verdict::Met);
}

// Each fact or reading missing, alone, and the reason the verdict gives.
struct Missing {
    const char* what;
    GeneratorFacts generator;
    VisitReadings visit;
    Reason reason;
};
class NotJudged : public testing::TestWithParam<Missing> {};

TEST_P(NotJudged, SaysWhy) {
    const CriterionResult result =
        judged(GetParam().visit, GetParam().generator, Criterion::MinimumEfficiency);
    EXPECT_EQ(result.verdict, Verdict::NotJudged);
    EXPECT_EQ(result.reason, GetParam().reason);
    EXPECT_FALSE(result.limit);
}

const year_month_day in2010 = 2010y / May / 1;
const GeneratorFacts boiler = gasBoiler(30_dec, in2010);
const Sample at90 = efficiencyLine(90_dec);
const VisitReadings measured{{}, at90};
constexpr auto GasBurner = BurnerKind::Gas;
INSTANTIATE_TEST_SUITE_P(
    Italy, NotJudged,
    testing::Values(
        Missing{"kind", {{}, Gas, GasBurner, 30_dec, in2010}, measured, Reason::KindUnknown},
        Missing{"fuel", {Standard, {}, GasBurner, 30_dec, in2010}, measured, Reason::FuelUnknown},
        Missing{"solid",
                {Standard, Fuel::Solid, GasBurner, 30_dec, in2010},
                measured,
                Reason::FuelNotCovered},
        Missing{"date",
                {Standard, Gas, GasBurner, 30_dec, {}},
                measured,
                Reason::InstallationDateUnknown},
        Missing{"power", {Standard, Gas, GasBurner, {}, in2010}, measured, Reason::PowerUnknown},
        Missing{
            "zeroPower", {Standard, Gas, GasBurner, 0_dec, in2010}, measured, Reason::PowerUnknown},
        Missing{"twoTests", boiler, {{at90, at90}, {}}, Reason::FewerThanThreeTests},
        Missing{"aTestWithout", boiler, {{at90, at90, {}}, {}}, Reason::FewerThanThreeTests},
        Missing{"value", boiler, {{}, Sample{}}, Reason::NotMeasured}),
    [](const auto& info) { return std::string(info.param.what); });

// The mean of three tests is the value used; the instrument's "Med." line beside it differs
// when it lies more than half its printed step (0.05 %) from the exact mean.
struct MeanLine {
    Decimal instrument;
    Decimal difference;
    bool differs;
};
class InstrumentMean : public testing::TestWithParam<MeanLine> {};

TEST_P(InstrumentMean, IsComparedWithTheMeanOfTheTests) {
    const VisitReadings visit{
        {efficiencyLine(88.1_dec), efficiencyLine(88.2_dec), efficiencyLine(88.2_dec)},
        efficiencyLine(GetParam().instrument)};
    const CriterionResult result =
        judged(visit, gasBoiler(30_dec, 2010y / May / 1), Criterion::MinimumEfficiency);
    EXPECT_EQ(result.source, ValueSource::TestMean);
    EXPECT_EQ(result.value, 88.167_dec);
    EXPECT_EQ(result.verdict, Verdict::Met);
    ASSERT_TRUE(result.instrumentMean);
    EXPECT_EQ(result.instrumentMean->instrumentValue, GetParam().instrument);
    EXPECT_EQ(result.instrumentMean->difference, GetParam().difference);
    EXPECT_EQ(result.instrumentMean->differs, GetParam().differs);
}

INSTANTIATE_TEST_SUITE_P(Italy, InstrumentMean,
                         testing::Values(MeanLine{88.2_dec, 0.033_dec, false},
                                         MeanLine{88.1_dec, -0.067_dec, true},
                                         MeanLine{88.3_dec, 0.133_dec, true}));

TEST(Italy, CarbonMonoxideIsTakenAirFreeOrComputedFromOxygen) {
    Sample computed;
    computed.carbonMonoxide = 100_dec;
    computed.oxygen = 10.5_dec;
    Sample given;
    given.carbonMonoxideAirFree = 1000.001_dec;
    const GeneratorFacts boiler = gasBoiler(30_dec, 2010y / May / 1);
    const CriterionResult low = judged({{}, computed}, boiler, Criterion::CarbonMonoxideAirFree);
    EXPECT_EQ(low.value, 200_dec);
    EXPECT_EQ(low.limit, 1000_dec);
    EXPECT_EQ(low.verdict, Verdict::Met);
    const CriterionResult high = judged({{}, given}, boiler, Criterion::CarbonMonoxideAirFree);
    EXPECT_EQ(high.verdict, Verdict::NotMet);
    EXPECT_EQ(high.margin, -0.001_dec);
}

TEST(Italy, BacharachIndexNeedsItsLimitSetAndThreeReadings) {
    const GeneratorFacts oil = gasBoiler(30_dec, 2010y / May / 1, Standard, Oil);
    Sample line;
    line.soot = {1_dec, 2_dec, 2_dec};
    EXPECT_EQ(judged({{}, line}, oil, Criterion::BacharachIndex).reason, Reason::LimitNotSet);
    const ItalianSettings settings{2_dec, std::nullopt};
    const CriterionResult result = judged({{}, line}, oil, Criterion::BacharachIndex, settings);
    EXPECT_EQ(result.value, 1.667_dec);
    EXPECT_EQ(result.verdict, Verdict::Met);
    line.soot[2].reset();
    EXPECT_EQ(judged({{}, line}, oil, Criterion::BacharachIndex, settings).reason,
              Reason::FewerThanThreeTests);
    EXPECT_EQ(assess({{}, line}, gasBoiler(30_dec, 2010y / May / 1), italianRules(settings)).size(),
              2u);
}

} // namespace
} // namespace ovena::assessment
