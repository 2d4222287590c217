// Fuzz target: --until conditions (resolveStopCondition) against the --expect tests' netlist.
//
// The input is a list of conditions separated by NUL bytes; an input whose first byte is odd is read
// for a circuit that knows when its program halts, else for one that does not.  Each condition is
// taken or refused with a problem, and which of the two must follow the README ("Stopping a run by
// itself"): halt only where the circuit knows halts; otherwise NAME=VALUE or NAME!=VALUE, split at the
// first "!=" (else the first '='), both parts non-empty, and for the netlist's unambiguous names a
// VALUE in a notation that fits the name's width.  A taken condition, written back as its target's
// full name, its operator and its value (0b and binary digits, or letters), is read back the same;
// with the other operator it is read the same but for the operator.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CheckedNames.h"
#include "Expect.h"
#include "FuzzCheck.h"
#include "Notations.h"
#include "Until.h"

namespace {

bool splitAtOperator(const std::string& text, std::string& name, std::string& op, std::string& value) {
  size_t at = text.find("!=");
  op = at == std::string::npos ? "=" : "!=";
  if (at == std::string::npos) at = text.find('=');
  if (at == std::string::npos || at == 0 || at + op.size() == text.size()) return false;
  name = text.substr(0, at);
  value = text.substr(at + op.size());
  return true;
}

// Whether the condition must be taken (1) or refused (0); -1 where the name is not judged here.
int expectedVerdict(const std::string& text, bool knowsHalt) {
  if (text == "halt") return knowsHalt;
  std::string name, op, value;
  if (!splitAtOperator(text, name, op, value)) return 0;
  int width = widthOfCheckedName(name);
  if (width == 0) return -1;
  return width > 0 && valueFits(value, width);
}

// The value as a condition writes it: 0b and its bits when all are 0 or 1, else its letters.
std::string writtenValue(const std::vector<SignalValue>& bits) {
  std::string letters;
  bool binary = true;
  for (size_t k = bits.size(); k-- > 0;) {
    letters += letterOfValue(bits[k]);
    binary = binary && (bits[k] == ZERO || bits[k] == ONE);
  }
  return binary ? "0b" + letters : letters;
}

bool sameCondition(const StopCondition& a, const StopCondition& b) {
  return a.halt == b.halt && a.equal == b.equal && a.target.bits == b.target.bits &&
         a.target.memory == b.target.memory && a.target.address == b.target.address &&
         a.target.width == b.target.width && a.value == b.value;
}

bool resolved(const std::string& text, StopCondition& c) {
  c = StopCondition();
  c.text = text;
  std::string problem;
  bool taken = resolveStopCondition(c, problem);
  require(taken || !problem.empty(), "a refused condition says why");
  return taken;
}

void checkTaken(const StopCondition& c) {
  if (c.halt) return;
  StopCondition again, other;
  std::string written = c.target.path + (c.equal ? "=" : "!=") + writtenValue(c.value);
  require(resolved(written, again) && sameCondition(again, c), "a condition written back is read the same");
  std::string name, op, value;
  require(splitAtOperator(c.text, name, op, value), "a taken condition has an operator");
  require(resolved(name + (c.equal ? "!=" : "=") + value, other), "the other operator takes the same parts");
  other.equal = !other.equal;
  require(sameCondition(other, c), "the other operator reads the same target and value");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  buildCheckedNames();
  elaborate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bool knowsHalt = size > 0 && data[0] % 2 == 1;
  setCircuitStopPoints({nullptr, knowsHalt});
  for (const std::string& text : nulSeparatedWords(data, size, 16, 256)) {
    StopCondition c;
    bool taken = resolved(text, c);
    int verdict = expectedVerdict(text, knowsHalt);
    require(verdict < 0 || taken == (verdict == 1), "a condition is taken exactly when it is well formed");
    if (taken) checkTaken(c);
  }
  return 0;
}
