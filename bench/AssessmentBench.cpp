// Judging archived visits against the law: 100 000 visits of varied generators (one in ten with
// three tests and the instrument's mean), each judged by the Italian or the German rules.

#include "AssessmentBench.h"

#include "assessment/Assessment.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace ovena::bench {

namespace {

using namespace assessment;
using namespace assessment::literals;

constexpr int Visits = 100000;

struct ArchivedVisit {
    VisitReadings readings;
    GeneratorFacts generator;
    bool italian;
};

Sample line(std::mt19937& random) {
    std::uniform_int_distribution<int> loss(40, 160); // tenths of a percent
    Sample sample;
    sample.flueGasLoss = Decimal{loss(random) * 100};
    sample.efficiency = 100_dec - *sample.flueGasLoss;
    sample.carbonMonoxide = Decimal{std::uniform_int_distribution<int>(0, 1500)(random) * 1000};
    sample.oxygen = Decimal{std::uniform_int_distribution<int>(20, 90)(random) * 100};
    for (auto& soot : sample.soot)
        soot = Decimal{std::uniform_int_distribution<int>(0, 3)(random) * 1000};
    sample.oilDerivatives = random() % 20 == 0;
    return sample;
}

std::vector<ArchivedVisit> archivedVisits() {
    std::mt19937 random(640);
    std::vector<ArchivedVisit> visits(Visits);
    for (ArchivedVisit& visit : visits) {
        if (random() % 10 == 0)
            visit.readings.tests = {line(random), line(random), line(random)};
        visit.readings.measurement = line(random);
        const auto year = std::chrono::year(1985 + static_cast<int>(random() % 40));
        visit.generator = {static_cast<GeneratorKind>(random() % 4),
                           static_cast<Fuel>(random() % 4), static_cast<BurnerKind>(random() % 3),
                           Decimal{std::uniform_int_distribution<int>(5, 600)(random) * 1000},
                           year / std::chrono::month(1 + random() % 12) / std::chrono::day(1)};
        visit.italian = random() % 2 == 0;
    }
    return visits;
}

void assessVisits(benchmark::State& state) {
    const std::vector<ArchivedVisit> visits = archivedVisits();
    const RuleSet italy = italianRules({2_dec, 6_dec});
    const RuleSet germany = germanRules({1_dec, false});
    std::size_t judged = 0;
    for (auto _ : state) {
        judged = 0;
        for (const ArchivedVisit& visit : visits) {
            const auto results =
                assess(visit.readings, visit.generator, visit.italian ? italy : germany);
            judged += results.size();
            benchmark::DoNotOptimize(results.data());
        }
    }
    state.counters["visits"] = Visits;
    state.counters["criteria"] = static_cast<double>(judged);
}

} // namespace

void registerAssessmentBenchmarks() {
    benchmark::RegisterBenchmark("assessment/visits", assessVisits)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace ovena::bench
