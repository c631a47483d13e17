// The readout procedure against tev640-sim over its pseudo-terminal: how many exchanges a
// second the command exchange manages when the line is not the limit, and how well it uses a
// 9600 baud line and how little processor time it takes when the line is; and what keeping the
// records in the measurement archive adds to a readout of 1000 records.

#include "ReadoutBench.h"

#include "ProcessMeasures.h"

#include "support/FakeUi.h"
#include "support/SilentProgress.h"
#include "support/SimProcess.h"
#include "support/TestEnvironment.h"

#include "archive/Workstation.h"
#include "link/komm.h"
#include "procedures/InstrumentData.h"
#include "procedures/Procedures.h"
#include "procedures/ReadoutSink.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <optional>

namespace ovena::bench {

namespace {

constexpr int Baud = 9600;

// What crossed the line, counted from the exchange's monitor log: "<" lines are the commands
// with their carriage return, ">" lines the replies without theirs.
struct LineTraffic {
    long long exchanges = 0;
    long long sent = 0;
    long long received = 0;
};

// Keeps each readout in an empty archive file, as the front ends do in the workstation's.
class ArchiveRecorder : public ReadoutSink {
public:
    explicit ArchiveRecorder(std::string file) : file_(std::move(file)) {}
    // An empty archive, made before the readout is timed, as the workstation's exists already.
    void reset() {
        std::filesystem::remove(file_);
        archive::Archive::openFile(file_, true);
    }
    void ReadoutStarted() override { recorder_.start("COM9"); }
    void RecordRead(std::span<const std::string> lines) override {
        recorder_.addRecord({lines.begin(), lines.end()});
    }
    Outcome ReadoutEnded(const InstrumentData& data, ReadoutEnd end) override {
        return recorder_.finish(data.InstrumentSerial, data.FuelNamesRead(),
                                std::string(ReadoutEndText(end)));
    }

private:
    std::string file_;
    archive::ReadoutRecorder recorder_{file_, "bench"};
};

LineTraffic traffic(const Memo& monitor) {
    LineTraffic t;
    for (const std::string& line : monitor.Lines) {
        if (line.starts_with("<")) {
            ++t.exchanges;
            t.sent += static_cast<long long>(line.size()) - 1;
        } else if (line.starts_with(">")) {
            t.received += static_cast<long long>(line.size());
        }
    }
    return t;
}

// A readout of `records` records on a port of its own per case (a simulator stopped by the case
// before leaves its link), paced at 9600 baud or not, its records archived or not.
void readout(benchmark::State& state, int port, int records, bool paced, bool archived) {
    std::vector<std::string> options{"--port", std::to_string(port), "--records",
                                     std::to_string(records)};
    if (paced)
        options.insert(options.end(), {"--baud", std::to_string(Baud)});
    test::SimProcess simulator(options);
    if (!simulator.started()) {
        state.SkipWithError("tev640-sim did not start");
        return;
    }

    test::FakeUi ui;
    TFormKomm komm(ui);
    komm.Visible = true; // keeps the monitor log that counts the bytes
    test::SilentProgress progress;
    InstrumentData data;
    bool tableBuilt = false;
    ProcedureHost host{ui,
                       komm,
                       progress,
                       data,
                       [port] { return port; },
                       [] { return InstrumentGeneration::First; },
                       [&tableBuilt] { tableBuilt = true; },
                       [](const std::vector<std::string>&, const std::string&) {}};
    std::optional<ArchiveRecorder> recorder;
    if (archived) {
        recorder.emplace(test::sandboxFolder() + "/readout.sqlite");
        host.Archive = &*recorder;
    }

    LineTraffic total;
    double wall = 0;
    double processor = 0;
    for (auto _ : state) {
        komm.Memo.Lines.clear();
        tableBuilt = false;
        if (recorder)
            recorder->reset();
        const double processorBefore = processorSeconds();
        const auto start = std::chrono::steady_clock::now();
        ReadInstrument(host);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        processor += processorSeconds() - processorBefore;
        wall += took.count();
        if (!tableBuilt || !ui.boxes.empty() ||
            data.Memo1.Lines.size() < static_cast<std::size_t>(records)) {
            state.SkipWithError("the readout failed");
            return;
        }
        const LineTraffic t = traffic(komm.Memo);
        total.exchanges += t.exchanges;
        total.sent += t.sent;
        total.received += t.received;
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["exchanges"] = static_cast<double>(total.exchanges) / runs;
    state.counters["bytes_sent"] = static_cast<double>(total.sent) / runs;
    state.counters["bytes_received"] = static_cast<double>(total.received) / runs;
    state.counters["wall_s"] = wall / runs;
    state.counters["processor_s"] = processor / runs;
}

} // namespace

void registerReadoutBenchmarks() {
    benchmark::RegisterBenchmark("readout/unpaced", readout, 9, 50, false, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("readout/9600", readout, 10, 50, true, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("readout/unpaced1000", readout, 11, 1000, false, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("readout/archived1000", readout, 12, 1000, false, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);
}

} // namespace ovena::bench
