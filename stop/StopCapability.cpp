// The stop conditions' record: --until, resolved before the checks, and a run that no condition ended
// said so in its verdict (it still passes).
#include "Capability.h"
#include "Until.h"

namespace {

const LongOption options[] = {
    {"--until", "cond",
     "(also --until=<cond>) end the run as soon as COND holds (in the window,\n"
     "halt it): NAME=VALUE or NAME!=VALUE, named and written as in --expect\n"
     "(NAME[i] and MEMORY[ADDR] too; -3 is the two's complement), checked each\n"
     "time the circuit settles; may be given several times (any one ends it);\n"
     "standard error says which held and when; -T stays a limit",
     takeUntilOption, "a condition (NAME=VALUE or NAME!=VALUE)"},
};

Verdict verdict() { return verdictWhen(noStopConditionHeld(), exitPassed, reasonNoStopCondition); }

}  // namespace

const Capability& stopCapability() {
  static const Capability record = {
      "stop", 50, 20, options, 1, false, loadStopConditions, nullptr, resetStopConditions, verdict, nullptr, nullptr,
  };
  return record;
}
