#include "assessment/InstrumentReadings.h"
#include "assessment/Assessment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovena::assessment {
namespace {

using namespace literals;
using namespace std::chrono;

// A measurement or test line of type `type` with Qa (value 13), the soot numbers (values 14
// to 16) and the oil-derivative value (17); the other values as the instrument writes them.
std::string recordLine(int type, const char* qa, const char* oilDerivative) {
    return std::to_string(type) + ";2405061030;1;18.5;160.2;55.0;3.1;12;0;1013;1.17;10.9;13;" + qa +
           ";1;2;2;" + oilDerivative + ";0;0;;20";
}

TEST(InstrumentReadings, AVisitWhoseMeanLineDiffersFromItsTestsIsJudgedByTheTests) {
    const std::vector<std::string> lines = {
        "1;4711", recordLine(21, "11.9", "0"), recordLine(22, "11.8", "0"),
        recordLine(23, "11.8", "1"), recordLine(2, "11.7", "0")};
    const VisitReadings readings = readingsOf(instrument::readVisit(lines));
    ASSERT_EQ(readings.tests.size(), 3u);
    ASSERT_TRUE(readings.measurement);
    EXPECT_EQ(readings.measurement->efficiency, 88.3_dec);
    EXPECT_EQ(readings.measurement->carbonMonoxideAirFree, 13_dec);
    EXPECT_EQ(readings.tests[2].oilDerivatives, true);

    const GeneratorFacts boiler{GeneratorKind::Standard, Fuel::NaturalGas, BurnerKind::Gas, 30_dec,
                                2010y / May / 1};
    const CriterionResult efficiency = assess(readings, boiler, italianRules({})).front();
    EXPECT_EQ(efficiency.value, 88.167_dec);
    EXPECT_EQ(efficiency.verdict, Verdict::Met);
    ASSERT_TRUE(efficiency.instrumentMean);
    EXPECT_EQ(efficiency.instrumentMean->difference, 0.133_dec);
    EXPECT_TRUE(efficiency.instrumentMean->differs);
}

} // namespace
} // namespace ovena::assessment
