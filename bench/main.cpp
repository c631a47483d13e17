// ovena-bench: the export engine, the readout, the measurement archive, the assessment and the
// plant register, measured (scripts/bench prints the summary).

#include "ArchiveBench.h"
#include "AssessmentBench.h"
#include "ExportBench.h"
#include "ReadoutBench.h"
#include "RegisterBench.h"

#include "support/TestEnvironment.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    // The sandbox comes first: the benchmarks write files and register a COM port link.
    ovena::test::sandboxFolder();
    ovena::bench::registerExportBenchmarks();
    ovena::bench::registerReadoutBenchmarks();
    ovena::bench::registerArchiveBenchmarks();
    ovena::bench::registerAssessmentBenchmarks();
    ovena::bench::registerRegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
