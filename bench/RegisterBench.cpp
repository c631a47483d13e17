// The plant register at the size of a large service company's customer base.

#include "RegisterBench.h"

#include "support/PostgresServer.h"
#include "support/TestEnvironment.h"

#include "archive/Archive.h"
#include "archive/Register.h"
#include "archive/RegisterCsv.h"
#include "archive/RegisterSync.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <filesystem>

namespace ovena::bench {

namespace {

constexpr int ImportedPlants = 10000;
constexpr int FoundAmong = 100000;
constexpr int SyncedVersions = 10000;
// A search field's list: the first screen of what is found.
constexpr int Listed = 50;

constexpr std::array<const char*, 10> Surnames{"Rossi",   "Müller",   "Bianchi", "Schmidt",
                                               "Ferrari", "Wójcik",   "Romano",  "Dvořák",
                                               "Colombo", "Schneider"};

std::string nameOf(int n) {
    return std::string(Surnames[static_cast<std::size_t>(n) % Surnames.size()]) + " " +
           std::to_string(n);
}

archive::Plant plantOf(int n) {
    archive::Plant plant;
    plant.customer = std::to_string(100000 + n);
    plant.responsible.name = nameOf(n);
    plant.responsible.role = archive::ResponsibleRole::Owner;
    plant.address = "Via Garibaldi " + std::to_string(n % 300) + ", Torino";
    archive::HeatGenerator generator;
    generator.maker = "Riello";
    generator.kind = archive::GeneratorKind::GasCondensing;
    generator.usefulPowerKw = 24.5;
    generator.installedOn = std::chrono::year{2000 + n % 24} / 5 / 31;
    plant.generators = {generator};
    return plant;
}

std::vector<archive::Plant> plantsOf(int count) {
    std::vector<archive::Plant> plants;
    plants.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        plants.push_back(plantOf(n));
    return plants;
}

archive::Archive newArchive(const std::string& name) {
    const std::string file = test::sandboxFolder() + "/" + name;
    std::filesystem::remove(file);
    return archive::Archive::openFile(file, true);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void importFile(benchmark::State& state) {
    const std::string file = archive::plantsCsv(plantsOf(ImportedPlants));
    archive::CsvImport result;
    for (auto _ : state) {
        archive::Archive archive = newArchive("register-import.sqlite");
        archive::PlantRegister plants(archive.database(), {"bench", "bench"});
        const auto start = std::chrono::steady_clock::now();
        result = archive::importPlants(plants, archive::readPlantsCsv(file));
        state.SetIterationTime(secondsSince(start));
    }
    state.counters["plants"] = result.changed;
    state.counters["bytes"] = static_cast<double>(file.size());
}

void findByName(benchmark::State& state) {
    archive::Archive archive = newArchive("register-find.sqlite");
    archive::PlantRegister plants(archive.database(), {"bench", "bench"});
    plants.savePlants(plantsOf(FoundAmong));
    int typed = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        // A different name each time: "Rossi 12" finds Rossi 12, 120..129, 1200..1299, ...
        const int n = 10 + typed++ * 7 % 990;
        found = plants.findPlants(nameOf(n), Listed).size();
    }
    state.counters["found"] = static_cast<double>(found);
}

void sync(benchmark::State& state) {
    test::PostgresServer server(true);
    if (!server.running()) {
        state.SkipWithError(("no PostgreSQL server: " + server.failure()).c_str());
        return;
    }
    double sendSeconds = 0, receiveSeconds = 0;
    archive::RegisterSyncResult sent, received;
    for (auto _ : state) {
        archive::Archive editor = newArchive("register-editor.sqlite");
        archive::Archive other = newArchive("register-other.sqlite");
        archive::PlantRegister(editor.database(), {"editor", "bench"})
            .savePlants(plantsOf(SyncedVersions));
        archive::Archive remote = archive::Archive::openServer(server.conninfo());
        auto start = std::chrono::steady_clock::now();
        sent = archive::syncRegister(editor.database(), remote.database());
        sendSeconds = secondsSince(start);
        start = std::chrono::steady_clock::now();
        received = archive::syncRegister(other.database(), remote.database());
        receiveSeconds = secondsSince(start);
        state.SetIterationTime(std::max(sendSeconds, receiveSeconds));
    }
    state.counters["sent"] = sent.sent;
    state.counters["received"] = received.received;
    state.counters["send_s"] = sendSeconds;
    state.counters["receive_s"] = receiveSeconds;
}

} // namespace

void registerRegisterBenchmarks() {
    benchmark::RegisterBenchmark("register/import", importFile)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("register/find", findByName)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("register/sync", sync)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
}

} // namespace ovena::bench
