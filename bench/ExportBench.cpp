// The export engine over measurement tables: every format the engine has writers for, on the
// instrument's largest memory and on a table a hundred times that size.

#include "ExportBench.h"

#include "MeasurementTable.h"
#include "ProcessMeasures.h"

#include "support/FakeUi.h"
#include "support/Locales.h"
#include "support/TestEnvironment.h"

#include "export/EC_SGrid.h"
#include "export/WriterRegistry.h"
#include "platform/Form.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

namespace ovena::bench {

namespace {

// A desktop without file associations: nothing is opened or offered for viewing.
class NoAssociations : public Shell {
public:
    std::optional<std::string> fileTypeForExtension(const std::string&) override {
        return std::nullopt;
    }
    bool hasOpenCommand(const std::string&) override { return false; }
    std::optional<std::string> defaultIcon(const std::string&) override { return std::nullopt; }
    int openDocument(const std::string&) override { return 31; }
};

StringGrid& cachedTable(int rows) {
    static std::map<int, StringGrid> tables;
    auto it = tables.find(rows);
    if (it == tables.end())
        it = tables.emplace(rows, measurementTable(rows)).first;
    return it->second;
}

// One export component over a table, with the default options of the main window's
// component, writing one format to a named file (or the clipboard).
class ExportRun {
public:
    ExportRun(StringGrid& grid, TExportType type, bool detailed)
        : services{ui, shell, settings, test::commaLocale()},
          component(std::make_unique<TExportStringGrid>(services, &owner, &grid)),
          file(test::sandboxFolder() + "/export." + std::string(DefaultExtension(type))) {
        component->ExportType = type;
        component->ViewOnly = false;
        component->SetTitle("TEV 640");
        if (detailed) {
            TExportOptions options = component->Options();
            options.insert(TExportOption::DetailedMode);
            component->SetOptions(options);
        }
    }

    // Exports once; answers the bytes written, or -1 when the export failed.
    long long once() {
        // Every export clears the destination when it ends.
        if (component->ExportType != TExportType::xClipboard)
            component->ExportFile = file;
        if (!component->Export())
            return -1;
        if (component->ExportType == TExportType::xClipboard)
            return static_cast<long long>(ui.clipboard.size());
        return static_cast<long long>(std::filesystem::file_size(file));
    }

private:
    test::FakeUi ui;
    NoAssociations shell;
    SettingsStore settings;
    ExportServices services;
    Form owner;
    std::unique_ptr<TExportStringGrid> component;
    std::string file;
};

void exportTable(benchmark::State& state, TExportType type, bool detailed, int rows) {
    StringGrid& grid = cachedTable(rows);
    ExportRun run(grid, type, detailed);
    long long bytes = 0;
    for (auto _ : state) {
        bytes = run.once();
        if (bytes < 0) {
            state.SkipWithError("the export failed");
            return;
        }
    }
    state.counters["rows"] = rows;
    state.counters["cells"] = static_cast<double>(dataCells(grid));
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["plain_write_s"] =
        plainWriteSeconds(test::sandboxFolder() + "/plain.bin", static_cast<std::uint64_t>(bytes));
    state.counters["peak_kib"] = static_cast<double>(peakMemoryGrowthKiB([&run] { run.once(); }));
}

} // namespace

void registerExportBenchmarks() {
    struct Format {
        TExportType type;
        bool detailed;
    };
    std::vector<Format> formats;
    for (int i = 0; i < ExportTypeCount; ++i) {
        const auto type = static_cast<TExportType>(i);
        for (bool detailed : {false, true}) {
            // Detailed mode changes the writer of the text format only.
            if (detailed && WriterClassName(type, true) == WriterClassName(type, false))
                continue;
            if (builtInWriters().find(WriterClassName(type, detailed)))
                formats.push_back({type, detailed});
        }
    }
    for (int rows : {1000, 100000})
        for (const Format& f : formats) {
            const std::string name = "export/" + std::string(exportTypeMember(f.type)) +
                                     (f.detailed ? "_Detailed" : "") + "/" + std::to_string(rows);
            auto* b =
                benchmark::RegisterBenchmark(name.c_str(), exportTable, f.type, f.detailed, rows);
            b->Unit(benchmark::kMillisecond)->UseRealTime();
            if (rows > 1000)
                b->Iterations(3);
            else
                b->MinTime(1.0);
        }
}

} // namespace ovena::bench
