// ovena-bench: the export engine and the readout, measured (scripts/bench prints the summary).

#include "ExportBench.h"
#include "ReadoutBench.h"

#include "support/TestEnvironment.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    // The sandbox comes first: the benchmarks write files and register a COM port link.
    ovena::test::sandboxFolder();
    ovena::bench::registerExportBenchmarks();
    ovena::bench::registerReadoutBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
