// Reading a --test table.
//
// '#' starts a comment and blank lines are skipped.  The first other line names the inputs, then a
// word ':', then the outputs, each as --expect names it (an output may also be MEMORY[ADDR]).  Every
// further line is one step: a value per input, then a value per output (a ':' between them may be
// written).  An input takes 0, 1, a number (decimal, 0x.., 0b.., a negative decimal) or C, a pulse.
// An output takes a number or a word of the letters 0 1 X Z U, in which X means "don't care" (a lone
// X, Z or U stands for the whole bundle); '=' before a word of letters compares every letter exactly,
// so =X expects XXX.  repeat(N) ... end repeats its lines N times with the counter i at 0, 1, ..,
// N - 1; a value may then be an expression of i (VectorExpr.cpp).
#include <sstream>

#include "CompKinds.h"
#include "Globals.h"
#include "HeldBits.h"
#include "NameIndex.h"
#include "Numbers.h"
#include "Ph2.h"
#include "Vectors.h"

namespace {

std::vector<std::string> wordsOf(const std::string& line) {
  std::istringstream in(line.substr(0, line.find('#')));
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The switch or pulser that drives bit (an entry of the key bindings), or -1.  A bit held by a fault
// keeps its switch, which drives a signal of its own: pressing it changes nothing the circuit sees.
int keyBindingOf(int bit) {
  const auto& bindings = phaseTwo->activationsFromWindow;
  int driven = signalOfDrivers(bit);
  for (size_t j = 0; j < bindings.size(); j++)
    if (bindings[j][2] == driven && kindOf(bindings[j][1]).onKey) return int(j);
  return -1;
}

// A key reaches the first switch bound to it only, and the key script types printable characters.
bool keyReaches(size_t binding) {
  const auto& bindings = phaseTwo->activationsFromWindow;
  int key = bindings[binding][0];
  if (key < 32 || key > 126) return false;
  for (size_t j = 0; j < binding; j++)
    if (bindings[j][0] == key) return false;
  return true;
}

bool readInputColumn(const std::string& name, InputColumn& c, std::string& problem) {
  c.name = name;
  if (!readCheckTarget(name, c.target, problem)) return false;
  if (c.target.bits.empty()) {
    problem = "input " + name + " is a memory word; an input is a bundle that switches drive";
    return false;
  }
  for (size_t k = 0; k < c.target.bits.size(); k++) {
    int bit = c.target.bits[k];
    std::string which = c.target.bits.size() == 1 ? "it" : "its bit " + std::to_string(k) + " (" + fullBitName(bit) + ")";
    int j = keyBindingOf(bit);
    if (j < 0) {
      problem = "input " + name + ": no Switch or Pulser drives " + which;
      return false;
    }
    if (!keyReaches(size_t(j))) {
      problem = "input " + name + ": no key press reaches the switch of " + which + " (its key belongs to another)";
      return false;
    }
    const auto& binding = phaseTwo->activationsFromWindow[size_t(j)];
    c.keys.push_back(char(binding[0]));
    c.pulser.push_back(kindRowOf(binding[1]) == KindRow::Pulser);
  }
  return true;
}

// Each bit has one column: two would press its key once each, and the second press undoes the first.
bool drivenOnce(const VectorTable& t, const InputColumn& c, std::string& problem) {
  for (int bit : c.target.bits)
    for (const InputColumn& earlier : t.inputs)
      for (int other : earlier.target.bits)
        if (other == bit) {
          problem = "inputs " + earlier.name + " and " + c.name + " both drive " + fullBitName(bit) +
                    ": give each bit one column";
          return false;
        }
  return true;
}

bool readHeader(const std::vector<std::string>& words, VectorTable& t, std::string& problem) {
  size_t colon = 0;
  while (colon < words.size() && words[colon] != ":") colon++;
  if (colon == words.size()) {
    problem = "the first line names the inputs, then a word :, then the outputs (a b cin : s cout)";
    return false;
  }
  for (size_t k = 0; k < colon; k++) {
    InputColumn c;
    if (!readInputColumn(words[k], c, problem) || !drivenOnce(t, c, problem)) return false;
    t.inputs.push_back(c);
  }
  for (size_t k = colon + 1; k < words.size(); k++) {
    CheckTarget target;
    if (words[k] == ":") {
      problem = "the first line has more than one :";
      return false;
    }
    if (!readCheckTarget(words[k], target, problem)) return false;
    t.outputs.push_back(target);
    t.outputNames.push_back(words[k]);
  }
  if (t.inputs.empty() && t.outputs.empty()) problem = "the table names no inputs and no outputs";
  return problem.empty();
}

bool readInputValue(const std::string& text, const InputColumn& c, InputValue& v, std::string& problem) {
  if (text == "C") {
    v.pulse = true;
    return true;
  }
  if (text.find_first_of("XZU") != std::string::npos) {
    problem = "input " + c.name + " takes 0, 1, a number or C, not " + text;
    return false;
  }
  return readCheckValue(text, c.target, c.name, v.bits, problem);
}

bool isValueLetter(char c) { return c == 'X' || c == 'Z' || c == 'U'; }

// =LETTERS: every bit exactly as written, most significant first; one letter stands for every bit.
bool readExactLetters(const std::string& text, const CheckTarget& target, const std::string& name,
                      std::vector<SignalValue>& bits, std::string& problem) {
  std::string letters = text.substr(1);
  if (letters.empty() || letters.find_first_not_of("01XZU") != std::string::npos) {
    problem = "cannot read value " + text + " (= comes before a word of the letters 0 1 X Z U)";
    return false;
  }
  if (letters.size() == 1) letters.assign(target.width, letters[0]);
  if (letters.size() != target.width) {
    problem = "value " + text + " has " + std::to_string(letters.size()) + " letters but " + name + " has " +
              std::to_string(target.width) + " bits";
    return false;
  }
  bits.clear();
  for (size_t k = letters.size(); k-- > 0;) bits.push_back(valueOfLetter(letters[k]));
  return true;
}

bool readExpectedValue(const std::string& text, const CheckTarget& target, const std::string& name,
                       ExpectedValue& e, std::string& problem) {
  bool exact = !text.empty() && text[0] == '=';
  if (text == "C") {
    problem = "output " + name + " takes a value; C pulses an input";
    return false;
  }
  std::string written = text;
  if (written.size() == 1 && isValueLetter(written[0])) written.assign(target.width, written[0]);
  bool read = exact ? readExactLetters(text, target, name, e.bits, problem)
                    : readCheckValue(written, target, name, e.bits, problem);
  if (!read) return false;
  e.text = text;
  e.compared.assign(e.bits.size(), true);
  if (!exact)
    for (size_t k = 0; k < e.bits.size(); k++) e.compared[k] = e.bits[k] != XXX;
  return true;
}

bool looksLikeExpression(const std::string& w) {
  return w[0] != '=' && (w.find_first_of("i+*/%()") != std::string::npos || w.find('-', 1) != std::string::npos);
}

// A value as the step means it: an expression of the counter worked out to a decimal.
bool workedOut(std::string& w, const long long* counter, std::string& problem) {
  if (!looksLikeExpression(w)) return true;
  if (!counter && w.find(counterName) != std::string::npos) {
    problem = std::string("the counter ") + counterName + " is used outside repeat(N) ... end";
    return false;
  }
  long long value = 0;
  if (!evaluateCounterExpression(w, counter ? *counter : 0, value, problem)) return false;
  w = std::to_string(value);
  return true;
}

// One step's words, with counter the repeat's counter (null outside a repeat).
bool readStep(std::vector<std::string> w, const long long* counter, const VectorTable& t, TestStep& s,
              std::string& problem) {
  size_t ni = t.inputs.size(), no = t.outputs.size();
  if (w.size() == ni + no + 1 && w[ni] == ":") w.erase(w.begin() + long(ni));
  if (w.size() != ni + no) {
    problem = "a step needs " + std::to_string(ni) + " input and " + std::to_string(no) + " output values, found " +
              std::to_string(w.size()) + " words";
    return false;
  }
  for (size_t k = 0; k < w.size(); k++) {
    if (!workedOut(w[k], counter, problem)) return false;
    if (k < ni) {
      InputValue v;
      if (!readInputValue(w[k], t.inputs[k], v, problem)) return false;
      s.inputs.push_back(v);
    } else {
      ExpectedValue e;
      if (!readExpectedValue(w[k], t.outputs[k - ni], t.outputNames[k - ni], e, problem)) return false;
      s.outputs.push_back(e);
    }
  }
  return true;
}

struct Line {
  int number;
  std::vector<std::string> words;
};

// The reader's state: the table so far, the open repeat and the faults.
struct TableReader {
  const std::string& file;
  VectorTable& table;
  std::vector<std::string>& errors;
  int headerLine = 0;  // 0 until the first line is read
  int repeatLine = 0;  // of the open repeat, 0 when none is open
  uint64_t repeatCount = 0;
  std::vector<Line> body;
  std::vector<std::string> bodyFaults;  // per line of the body: its fault found before the end, or empty

  TableReader(const std::string& f, VectorTable& t, std::vector<std::string>& e) : file(f), table(t), errors(e) {}

  // False when the faults reached their cap and reading stops.
  bool fault(int line, const std::string& problem) {
    if (errors.size() == maxExpectationFaults) {
      errors.push_back(file + ": more than " + std::to_string(maxExpectationFaults) + " faulty lines, the rest not read");
      return false;
    }
    errors.push_back(file + (line ? ":" + std::to_string(line) : std::string()) + ": " + problem);
    return true;
  }

  // Why one more step would not fit the table's caps; empty while it would.
  std::string noRoom() const {
    if (table.steps.size() >= maxTestSteps) return "the table has more than " + std::to_string(maxTestSteps) + " steps";
    size_t columns = table.inputs.size() + table.outputs.size();
    if ((table.steps.size() + 1) * columns > maxTestValues)
      return "the table has more than " + std::to_string(maxTestValues) + " values (its steps times its columns)";
    return "";
  }

  // Reads one step into the table; false with problem when the line is faulty.
  bool readInto(const Line& l, const long long* counter, std::string& problem) {
    TestStep s;
    s.line = l.number;
    if (!readStep(l.words, counter, table, s, problem)) {
      if (counter) problem += " (when " + std::string(1, counterName) + " is " + std::to_string(*counter) + ")";
      return false;
    }
    table.steps.push_back(s);
    return true;
  }

  // A step outside a repeat.  False when reading stops.
  bool step(const Line& l) {
    std::string problem = noRoom();
    if (!problem.empty()) return fault(l.number, problem) && false;
    return readInto(l, nullptr, problem) || fault(l.number, problem);
  }

  // The faults of the body's lines, problems[k] that of body[k].  False when reading stops.
  bool bodyFaultsInLineOrder(const std::vector<std::string>& problems) {
    for (size_t k = 0; k < body.size(); k++)
      if (!problems[k].empty() && !fault(body[k].number, problems[k])) return false;
    return true;
  }

  // Each line of the repeat's body reports its first fault only, not one for every turn, and the
  // faults come in the order of their lines; a table out of room stops at the line that did not fit.
  bool closeRepeat() {
    std::vector<std::string> problems = bodyFaults;
    const Line* unfit = nullptr;
    std::string noRoomProblem;
    for (long long i = 0; i < (long long)repeatCount && !unfit; i++)
      for (size_t k = 0; k < body.size() && !unfit; k++) {
        if (!problems[k].empty()) continue;
        noRoomProblem = noRoom();
        if (!noRoomProblem.empty()) unfit = &body[k];
        else readInto(body[k], &i, problems[k]);
      }
    if (!bodyFaultsInLineOrder(problems)) return false;
    if (unfit) return fault(unfit->number, noRoomProblem) && false;
    repeatLine = 0;
    body.clear();
    bodyFaults.clear();
    return true;
  }

  void addToBody(const Line& l, const std::string& problem) {
    body.push_back(l);
    bodyFaults.push_back(problem);
  }

  bool openRepeat(const Line& l) {
    const std::string& w = l.words[0];
    if (repeatLine) {  // reported with the body's faults, in line order
      addToBody(l, "a repeat inside a repeat (close the first with end)");
      return true;
    }
    if (l.words.size() != 1 || w.back() != ')' ||
        !readNumber(w.substr(7, w.size() - 8), decimalFrom(1, maxTestSteps), repeatCount))
      return fault(l.number, "repeat needs a count from 1 to " + std::to_string(maxTestSteps) + ": repeat(N)");
    repeatLine = l.number;
    return true;
  }

  bool line(const Line& l) {
    if (l.words.empty()) return true;
    if (!headerLine) {
      std::string problem;
      headerLine = l.number;
      if (!readHeader(l.words, table, problem)) return fault(l.number, problem) && false;  // no steps without it
      return true;
    }
    if (l.words[0].compare(0, 7, "repeat(") == 0) return openRepeat(l);
    if (l.words[0] == "end" && l.words.size() == 1) {
      if (!repeatLine) return fault(l.number, "end without repeat(N)");
      return closeRepeat();
    }
    if (repeatLine) {
      addToBody(l, "");
      return true;
    }
    return step(l);
  }

  void finish() {
    if (!headerLine) fault(0, "no table: its first line names the inputs, then :, then the outputs");
    if (repeatLine && fault(repeatLine, "repeat(N) without its end")) bodyFaultsInLineOrder(bodyFaults);
    // A table that tests nothing must not pass as "0 passed, 0 failed".
    if (errors.empty() && table.steps.empty()) fault(headerLine, "the table has no steps, only its first line");
  }
};

}  // namespace

bool parseVectorTable(const std::string& text, const std::string& file, VectorTable& table,
                      std::vector<std::string>& errors) {
  errors.clear();
  TableReader reader{file, table, errors};
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); number++)
    if (!reader.line({number, wordsOf(line)})) return false;
  if (errors.size() <= maxExpectationFaults) reader.finish();
  return errors.empty();
}
