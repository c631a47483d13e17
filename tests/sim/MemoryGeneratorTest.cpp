// The generated memory: the same for the same seed, and realistic in every field.

#include "support/SimProcess.h"
#include "support/TestEnvironment.h"

#include "sim/MemoryFile.h"
#include "sim/MemoryGenerator.h"

#include <chrono>
#include <gmock/gmock.h>
#include <regex>

namespace ovena::test {
namespace {

using sim::InstrumentMemory;

std::vector<std::string> items(const std::string& line) {
    std::vector<std::string> result;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(';', start);
        result.push_back(line.substr(start, end - start));
        if (end == std::string::npos)
            return result;
        start = end + 1;
    }
}

double number(const std::string& text) {
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(-?\d+(\.\d+)?)"))) << text;
    return std::stod(text);
}

void expectDecimal(const std::string& text, int decimals, double lo, double hi, const char* field) {
    EXPECT_TRUE(
        std::regex_match(text, std::regex(R"(-?\d+\.\d{)" + std::to_string(decimals) + "}")))
        << field << " " << text;
    EXPECT_GE(number(text), lo) << field;
    EXPECT_LE(number(text), hi) << field;
}

void expectWhole(const std::string& text, int lo, int hi, const char* field) {
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d+)"))) << field << " " << text;
    EXPECT_GE(number(text), lo) << field;
    EXPECT_LE(number(text), hi) << field;
}

// A valid calendar date YYMMDDhhmm in working hours.
void expectDate(const std::string& text) {
    using namespace std::chrono;
    ASSERT_TRUE(std::regex_match(text, std::regex(R"(\d{10})"))) << text;
    const year_month_day date{year(2000 + std::stoi(text.substr(0, 2))),
                              month(static_cast<unsigned>(std::stoi(text.substr(2, 2)))),
                              day(static_cast<unsigned>(std::stoi(text.substr(4, 2))))};
    EXPECT_TRUE(date.ok()) << text;
    EXPECT_GE(std::stoi(text.substr(6, 2)), 7) << text;
    EXPECT_LE(std::stoi(text.substr(6, 2)), 19) << text;
    EXPECT_LE(std::stoi(text.substr(8, 2)), 59) << text;
}

void expectMeasurement(const std::vector<std::string>& v, int fuelCount) {
    ASSERT_EQ(v.size(), 22u) << "type and 21 values";
    expectDate(v[1]);
    expectWhole(v[2], 1, fuelCount, "fuel");
    expectDecimal(v[3], 1, 0, 40, "TA");
    expectDecimal(v[4], 1, 60, 250, "TG");
    expectDecimal(v[5], 1, 30, 95, "TB");
    expectDecimal(v[6], 1, 2, 10, "O2");
    expectWhole(v[7], 0, 500, "CO");
    expectWhole(v[8], 0, 300, "NO");
    expectDecimal(v[9], 1, 900, 1100, "P");
    expectDecimal(v[10], 2, 1.05, 1.95, "lambda");
    EXPECT_NEAR(number(v[10]), 21 / (21 - number(v[6])), 0.01) << "lambda follows O2";
    expectDecimal(v[11], 1, 4, 21, "CO2");
    expectWhole(v[12], number(v[7]), 1000, "CO-0%");
    expectDecimal(v[13], 1, 3, 12, "Qa");
    for (int soot : {14, 15, 16})
        expectWhole(v[soot], 0, 3, "soot");
    expectWhole(v[17], 0, 1, "oil derivative");
    expectWhole(v[18], 0, 100, "SO2");
    expectWhole(v[19], 0, 20, "NO2");
    expectWhole(v[21], number(v[8]), 400, "NOx");
}

TEST(MemoryGenerator, EveryFieldHasARealisticValue) {
    const InstrumentMemory memory = sim::generateMemory(400, 3, 10);
    ASSERT_EQ(memory.records.size(), 400u);
    EXPECT_EQ(memory.fuelNames.front(), "Heiz\xF6l EL");
    for (const std::string& name : memory.fuelNames)
        EXPECT_LE(name.size(), 30u);
    int drafts = 0, testRuns = 0, secondMeasurements = 0, measurements = 0;
    std::string lastDate;
    for (const sim::Record& record : memory.records) {
        ASSERT_GE(record.size(), 2u);
        const auto customer = items(record[0]);
        ASSERT_EQ(customer.size(), 2u);
        EXPECT_EQ(customer[0], "1");
        expectWhole(customer[1], 1, 99999, "customer");
        std::vector<std::string> types;
        for (size_t i = 1; i < record.size(); ++i) {
            const auto v = items(record[i]);
            types.push_back(v[0]);
            if (v[0] == "12") {
                ASSERT_EQ(v.size(), 5u);
                expectDate(v[1]);
                expectDecimal(v[4], 1, 0, 30, "draft");
                EXPECT_NEAR(number(v[2]) + number(v[3]), number(v[4]), 0.01);
                continue;
            }
            expectMeasurement(v, 10);
            EXPECT_GE(v[1], lastDate) << "dates go forward";
            lastDate = v[1];
            measurements += v[0] == "2";
        }
        const std::string shape = testing::PrintToString(types);
        drafts += types.front() == "12";
        if (std::find(types.begin(), types.end(), "21") != types.end()) {
            ++testRuns;
            const std::vector<std::string> afterDraft(types.begin() + (types[0] == "12"),
                                                      types.begin() + (types[0] == "12") + 4);
            EXPECT_EQ(afterDraft, (std::vector<std::string>{"21", "22", "23", "2"})) << shape;
        }
        secondMeasurements +=
            types.back() == "2" && types.size() >= 2 && types[types.size() - 2] == "2";
    }
    EXPECT_EQ(memory.measurements, measurements);
    EXPECT_EQ(memory.used, 400);
    // Occasional, not never and not always.
    EXPECT_GT(drafts, 150);
    EXPECT_LT(drafts, 350);
    EXPECT_GT(testRuns, 10);
    EXPECT_LT(testRuns, 100);
    EXPECT_GT(secondMeasurements, 10);
}

TEST(MemoryGenerator, SameSeedSameMemoryOtherSeedOtherMemory) {
    EXPECT_EQ(sim::generateMemory(50, 11, 8), sim::generateMemory(50, 11, 8));
    EXPECT_NE(sim::generateMemory(50, 11, 8).records, sim::generateMemory(50, 12, 8).records);
    EXPECT_EQ(sim::generateMemory(60, 1, 60).fuelNames.size(), 60u);
    EXPECT_TRUE(sim::generateMemory(0, 1, 1).records.empty());
    EXPECT_THROW(sim::generateMemory(1001, 1, 8), std::invalid_argument);
    EXPECT_THROW(sim::generateMemory(1, 1, 61), std::invalid_argument);
}

TEST(MemoryGenerator, ProgramGeneratesTheSameMemoryOnEveryRun) {
    std::string dumps[2];
    for (std::string& dump : dumps) {
        const std::string path = sandboxFolder() + "/dump.mem";
        SimProcess sim({"--records", "200", "--seed", "42", "--dump-memory", path});
        ASSERT_TRUE(sim.started());
        dump = readFile(path);
    }
    EXPECT_EQ(dumps[0], dumps[1]);
    EXPECT_EQ(sim::parseMemoryFile(dumps[0], "dump"), sim::generateMemory(200, 42, 8));
}

} // namespace
} // namespace ovena::test
