#pragma once

namespace ovena::bench {

// Registers the assessment's benchmark: 100 000 archived visits judged, half by the Italian and
// half by the German rules.
void registerAssessmentBenchmarks();

} // namespace ovena::bench
