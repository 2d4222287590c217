// The test tables' record: --test, started after --until's observer (which may end the run first), and
// a failed step as status 1.
#include "Capability.h"
#include "Vectors.h"

namespace {

const LongOption options[] = {
    {"--test", "file",
     "(also --test=<file>) run the test table FILE: its first line names the\n"
     "inputs (bundles that switches drive), then :, then the outputs; each\n"
     "further line is a step: input values (0, 1, numbers, C for a pulse), then\n"
     "expected outputs (X: don't care; =X exactly XXX); repeat(N) .. end repeats\n"
     "lines with the counter i.  Each step presses the switches' keys, waits\n"
     "until the circuit settles and compares; standard output gets a line per\n"
     "failing output and \"N passed, M failed\"; exit status 1 when a step fails\n"
     "(docs/vectors.md); not with --keys",
     takeTestOption, "a file name"},
    {"--explain-failures", nullptr,
     "with --test, print under each failing step why its first wrong output\n"
     "bit has its value: the parts and values behind it, back towards the\n"
     "inputs, at most 6 steps (docs/vectors.md)",
     takeExplainFailuresOption, nullptr},
};

Verdict verdict() { return verdictWhen(vectorTestStatus() != 0, exitFailed, reasonTestFailed); }

}  // namespace

const Capability& vectorsCapability() {
  static const Capability record = {
      "vectors", 60, 40, options, 2, false, loadVectorTests, nullptr, resetVectorTests, verdict, nullptr, nullptr,
  };
  return record;
}
