// The explanations' record: --explain and --explain-depth (their steps are attached by the options
// themselves, in the order given), and the window's Shift-click on a pane.
#include "Capability.h"
#include "Explain.h"

namespace {

const LongOption options[] = {
    {"--explain", "name@time",
     "(also --explain=<name@time>) print on standard output why bit NAME\n"
     "(a bundle named like --expect names it, or NAME[i]) has its value at tick\n"
     "TIME: its driver and inputs, back to where an unknown comes from; may be\n"
     "given several times (docs/explain.md); NAME@cN names cycle N instead, in a\n"
     "circuit that numbers its cycles (the processor)",
     takeExplainOption, "NAME@TIME"},
    {"--explain-depth", "n", "steps an explanation goes back (default 12)", takeExplainDepthOption,
     "a number of steps"},
};

}  // namespace

const Capability& explainCapability() {
  static const Capability record = {
      "explain", 80, 0, options, 2, false, nullptr, nullptr, resetExplanations, nullptr, nullptr, explainGesture,
      nullptr, paneValueAt,
  };
  return record;
}
