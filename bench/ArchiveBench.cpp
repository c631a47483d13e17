// The measurement archive at the size of a service company's years of readouts: 100 readouts of
// 1000 records each, from 10 instruments and 1000 customers.

#include "ArchiveBench.h"

#include "support/FakeShell.h"
#include "support/FakeUi.h"
#include "support/PostgresServer.h"
#include "support/TestEnvironment.h"

#include "app/OvenaForms.h"
#include "archive/Archive.h"
#include "archive/Sync.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace ovena::bench {

namespace {

constexpr int Readouts = 100;
constexpr int RecordsPerReadout = 1000;
constexpr int Instruments = 10;
constexpr int Customers = 1000;

std::string instrumentSerial(int readout) {
    return "6400" + std::to_string(1000 + readout % Instruments);
}

// Record `n` of the archive: a customer line, a measurement and a draft line, with a date that
// moves on by minutes so no two records are the same.
archive::RecordLines record(int n) {
    char date[11];
    std::snprintf(date, sizeof date, "%02d%02d%02d%02d%02d", 20 + n / 50000, 1 + n / 4000 % 12,
                  1 + n / 100 % 28, n / 4 % 24, n % 60);
    return {"1;" + std::to_string(1000 + n % Customers) + ";Kunde " + std::to_string(n),
            std::string("2;") + date +
                ";1;19.0;143.0;50.0;5.4;9;30;1000.0;1.30;11.0;8;6.3;0;0;0;0;0;0;0;30",
            "12;0;0;-0.12"};
}

archive::ReadoutInfo readoutInfo(int readout) {
    archive::ReadoutInfo info;
    char started[32];
    std::snprintf(started, sizeof started, "2024-01-01T%02d:%02d:00.000Z", readout / 60,
                  readout % 60);
    info.startedAt = started;
    info.workstation = "bench";
    info.user = "bench";
    info.port = "COM1 /dev/ttyS0";
    info.instrumentSerial = instrumentSerial(readout);
    info.fuelNames = {"Heiz\xF6l EL", "Erdgas H", "Holz"};
    return info;
}

// Keeps every readout in a new archive file; answers the seconds it took.
double fillArchive(const std::string& file) {
    std::filesystem::remove(file);
    archive::Archive archive = archive::Archive::openFile(file, true);
    double seconds = 0;
    for (int r = 0; r < Readouts; ++r) {
        std::vector<archive::RecordLines> records;
        records.reserve(RecordsPerReadout);
        for (int i = 0; i < RecordsPerReadout; ++i)
            records.push_back(record(r * RecordsPerReadout + i));
        const archive::ReadoutInfo info = readoutInfo(r);
        const auto start = std::chrono::steady_clock::now();
        archive.store(info, records);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return seconds;
}

// The full archive the queries run on, made once.
const std::string& fullArchive() {
    static const std::string file = [] {
        std::string path = test::sandboxFolder() + "/full.sqlite";
        fillArchive(path);
        return path;
    }();
    return file;
}

void store(benchmark::State& state) {
    const std::string file = test::sandboxFolder() + "/store.sqlite";
    double seconds = 0;
    for (auto _ : state) {
        seconds = fillArchive(file);
        state.SetIterationTime(seconds);
    }
    state.counters["records"] = Readouts * RecordsPerReadout;
    state.counters["records_per_s"] = Readouts * RecordsPerReadout / seconds;
}

void listCustomer(benchmark::State& state) {
    archive::Archive archive = archive::Archive::openFile(fullArchive(), false);
    archive::RecordFilter filter;
    int customer = 0;
    std::size_t listed = 0;
    for (auto _ : state) {
        // A different customer each time, so no answer comes from a cache of the last one.
        filter.customer = std::to_string(1000 + customer++ % Customers);
        listed = archive.listRecords(filter, {}).size();
    }
    state.counters["listed"] = static_cast<double>(listed);
}

void exportRecords(benchmark::State& state) {
    const std::string output = test::sandboxFolder() + "/export.csv";
    const std::string command = test::buildFolder() + "/cli/ovena-cli archive export --archive '" +
                                fullArchive() + "' --instrument " + instrumentSerial(3) +
                                " --format csv --output '" + output + "' 2>&1";
    for (auto _ : state) {
        int status = 0;
        const std::string said = test::commandOutput(command, status);
        if (status != 0) {
            state.SkipWithError(("ovena-cli archive export failed: " + said).c_str());
            return;
        }
    }
    state.counters["records"] = Readouts / Instruments * RecordsPerReadout;
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(output));
}

void sync(benchmark::State& state) {
    test::PostgresServer server(true);
    if (!server.running()) {
        state.SkipWithError(("no PostgreSQL server: " + server.failure()).c_str());
        return;
    }
    archive::Archive local = archive::Archive::openFile(fullArchive(), false);
    double seconds = 0;
    archive::SyncResult result;
    for (auto _ : state) {
        archive::Archive remote = archive::Archive::openServer(server.conninfo());
        const auto start = std::chrono::steady_clock::now();
        result = archive::pushToServer(local, remote);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
    }
    state.counters["records"] = result.records;
    state.counters["records_per_s"] = result.records / seconds;
}

// The archive window's form over the full archive, without its view: what the window asks of
// the archive to show its count line, the first screen of rows and the chart.
constexpr int ScreenRows = 40;

struct WindowRig {
    test::FakeUi ui;
    test::FakeShell shell;
    SettingsStore store;
    OvenaForms forms{ui, shell, store};

    TFormArchive window() {
        return TFormArchive(ui, store, forms.FormMain.session(),
                            [] { return archive::Archive::openFile(fullArchive(), false); });
    }
};

std::size_t showScreen(TFormArchive& window) {
    std::size_t cells = 0;
    for (int row = 0; row < ScreenRows; ++row)
        cells += window.Row(row).size();
    return cells;
}

void windowOpen(benchmark::State& state) {
    fullArchive();
    WindowRig rig;
    std::size_t cells = 0;
    for (auto _ : state) {
        TFormArchive window = rig.window();
        window.Open();
        cells = showScreen(window);
    }
    state.counters["cells"] = static_cast<double>(cells);
}

void windowFilter(benchmark::State& state) {
    WindowRig rig;
    TFormArchive window = rig.window();
    window.Open();
    int typed = 0;
    std::int64_t rows = 0;
    for (auto _ : state) {
        // The first two digits of a customer number, different each time: 100 of the 1000
        // customers, 10,000 of the 100,000 measurements.
        window.CustomerFilter = std::to_string(10 + typed++ % 10);
        window.FilterChanged();
        showScreen(window);
        rows = window.RowCount();
    }
    state.counters["rows"] = static_cast<double>(rows);
}

} // namespace

void registerArchiveBenchmarks() {
    benchmark::RegisterBenchmark("archive/window-open", windowOpen)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("archive/window-filter", windowFilter)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("archive/store", store)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("archive/list-customer", listCustomer)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("archive/export", exportRecords)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("archive/sync", sync)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1);
}

} // namespace ovena::bench
