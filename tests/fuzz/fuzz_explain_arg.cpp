// Fuzz target: the arguments of --explain (NAME@TIME) and --explain-depth (N).
//
// The input is a list of arguments separated by NUL bytes; each is given to both options, the
// requests of the previous input forgotten.  Each option takes the argument or refuses it with a
// problem that quotes it, and which of the two must follow docs/explain.md: NAME@TIME needs a
// non-empty NAME before the last '@' and after it a decimal TIME that fits 64 bits; the depth is a
// decimal number from 0 to 1000, which becomes the walk's depth, while a refused one leaves the depth
// as it was.
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

bool validExplain(const std::string& a) {
  size_t at = a.rfind('@');
  return at != std::string::npos && at > 0 && decimalAtMost(a.substr(at + 1), "18446744073709551615");
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
  for (const std::string& argument : nulSeparatedWords(data, size, 16, 256)) {
    std::string problem;
    checkOutcome(takeExplainOption(argument.c_str(), problem), validExplain(argument), argument, problem);
    int before = explainDepth;
    problem.clear();
    bool taken = takeExplainDepthOption(argument.c_str(), problem);
    checkOutcome(taken, validDepth(argument), argument, problem);
    require(explainDepth == (taken ? std::stoi(argument) : before), "only an accepted depth sets the depth");
  }
  return 0;
}
