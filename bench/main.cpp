// ovena-bench: the export engine and the readout, measured (scripts/bench prints the summary).

#include "ExportBench.h"
#include "ReadoutBench.h"

#include "support/TestEnvironment.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // The sandbox comes first: the benchmarks write files and register a COM port link.
    ovena::test::sandboxFolder();
    // tev640-sim is found in the build tree this program belongs to.
    setenv("OVENA_BUILD_DIR", OVENA_DEFAULT_BUILD_DIR, 0);
    ovena::bench::registerExportBenchmarks();
    ovena::bench::registerReadoutBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
