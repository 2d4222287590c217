// Fuzz target: the arguments of --explain (NAME@TIME) and --explain-depth (N).
//
// The input is a list of arguments separated by NUL bytes; each is given to both options, the
// requests of the previous input forgotten.  An input whose first byte is odd is read for a circuit
// that numbers its cycles (as the processor offers them), else for one that does not.  Each option
// takes the argument or refuses it with a problem that quotes it, and which of the two must follow
// docs/explain.md: NAME@TIME needs a non-empty NAME before the last '@' and after it a decimal TIME
// that fits 64 bits, or, where cycles are offered, c and a cycle from 1 that fits 64 bits; the depth
// is a decimal number from 0 to 1000, which becomes the walk's depth, while a refused one leaves the
// depth as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CircuitHooks.h"
#include "Explain.h"
#include "FuzzCheck.h"
#include "Globals.h"
#include "Notations.h"

namespace {

void startNoCycles() {}

bool validExplain(const std::string& a, bool cycles) {
  size_t at = a.rfind('@');
  if (at == std::string::npos || at == 0) return false;
  std::string when = a.substr(at + 1);
  if (cycles && when.compare(0, 1, "c") == 0)
    return decimalAtMost(when.substr(1), "18446744073709551615") && !decimalAtMost(when.substr(1), "0");
  return decimalAtMost(when, "18446744073709551615");
}

bool validDepth(const std::string& a) { return decimalAtMost(a, "1000"); }

void checkOutcome(bool taken, bool valid, const std::string& argument, const std::string& problem) {
  require(taken == valid, "an argument is taken exactly when it is well formed");
  require(taken || (!problem.empty() && problem.find(argument) != std::string::npos),
          "a refusal quotes the argument");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A request registers its resolver among the after-elaboration routines; forget those too.
  resetExplanations();
  resetCircuitHooks();
  bool cycles = size > 0 && data[0] % 2 == 1;
  if (cycles) offerExplainCycles(startNoCycles);
  for (const std::string& argument : nulSeparatedWords(data, size, 16, 256)) {
    std::string problem;
    checkOutcome(takeExplainOption(argument.c_str(), problem), validExplain(argument, cycles), argument, problem);
    int before = explainDepth;
    problem.clear();
    bool taken = takeExplainDepthOption(argument.c_str(), problem);
    checkOutcome(taken, validDepth(argument), argument, problem);
    require(explainDepth == (taken ? std::stoi(argument) : before), "only an accepted depth sets the depth");
  }
  return 0;
}
