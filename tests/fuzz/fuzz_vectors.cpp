// Fuzz target: the --test table reader (parseVectorTable) with its counter expressions, against a
// small elaborated netlist of switches, a pulser and the outputs they drive.
//
// The input is the text of a table.  It is taken exactly when it has no errors; each error is
// "t.test:LINE: problem" (or "t.test: problem" for a text with no first line), one a line, in the
// order of the lines, but for a last fault that stops the reading (a table too large) and the line
// that says the rest was not read.  A taken table has the steps its lines count out: a step line
// once, a repeat's lines once a turn in the order of their lines, each step with a value for every
// column.  Each word of a step that the counter's arithmetic takes has the same value after 0+ and
// before *1.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "Netlist.h"
#include "Sim.h"
#include "Vectors.h"

namespace {

void build() {
  Signal n(4, "n"), en(1, "en"), p(1, "p"), copy(4, "copy"), bus(1, "bus"), count(4, "count");
  Switch(SD("aa"), n, 'a', Zero, "n");
  Switch(SD("ba"), en, 'e', Zero, "en");
  Pulser(SD("ca"), p, 'p', 10, Zero);
  Or(SD("ab"), n, n, copy);
  Tsb(SD("ac"), One, en, bus);
  Counter(SD("ad"), (en, p), count);
}

// The line of each step a taken table's text counts out, in order; its step lines' words in words.
std::vector<int> countedSteps(const std::vector<std::string>& lines, std::vector<std::string>& words) {
  std::vector<int> steps, body;
  bool header = false, open = false;
  unsigned long turns = 0;
  for (size_t k = 0; k < lines.size(); k++) {
    std::vector<std::string> w = wordsOf(lines[k]);
    if (w.empty()) continue;
    if (!header) {
      header = true;
    } else if (w[0].compare(0, 7, "repeat(") == 0) {
      open = true;
      turns = std::stoul(w[0].substr(7));
    } else if (w.size() == 1 && w[0] == "end") {
      for (unsigned long t = 0; t < turns; t++) steps.insert(steps.end(), body.begin(), body.end());
      body.clear();
      open = false;
    } else {
      (open ? body : steps).push_back(int(k + 1));
      words.insert(words.end(), w.begin(), w.end());
    }
  }
  return steps;
}

void checkErrors(const std::vector<std::string>& errors, size_t lineCount) {
  const std::string cut =
      "t.test: more than " + std::to_string(maxExpectationFaults) + " faulty lines, the rest not read";
  size_t listed = errors.size() - (!errors.empty() && errors.back() == cut ? 1 : 0);
  require(listed <= maxExpectationFaults, "at most maxExpectationFaults errors, then the line that says so");
  long last = 0;
  for (size_t i = 0; i < listed; i++) {
    size_t at = 0;
    long line = lineOfMessage(errors[i], "t.test", at);
    if (line < 0) {
      require(errors[i].compare(0, 8, "t.test: ") == 0 && errors.size() == 1,
              "only a text without a table has no line");
      continue;
    }
    bool stops = i + 1 == listed && errors[i].find(": the table has more than ") != std::string::npos;
    require(line > 0 && size_t(line) <= lineCount, "errors name lines of the text");
    require(stops || line > last, "errors come one a line, in the order of the lines");
    last = line;
  }
}

void checkArithmetic(const std::string& word) {
  long long value = 0, again = 0;
  std::string problem;
  if (!evaluateCounterExpression(word, 3, value, problem)) return;
  require(evaluateCounterExpression("0+" + word, 3, again, problem) && again == value, "0+ keeps a value");
  require(evaluateCounterExpression(word + "*1", 3, again, problem) && again == value, "*1 keeps a value");
}

void checkTaken(const VectorTable& table, const std::vector<std::string>& lines) {
  std::vector<std::string> words;
  std::vector<int> steps = countedSteps(lines, words);
  require(table.steps.size() == steps.size(), "a table has the steps its lines count out");
  for (size_t k = 0; k < steps.size(); k++) {
    require(table.steps[k].line == steps[k], "steps come in the order their lines count them out");
    require(table.steps[k].inputs.size() == table.inputs.size() &&
                table.steps[k].outputs.size() == table.outputs.size(),
            "a step has a value for every column");
  }
  for (const std::string& w : words) checkArithmetic(w);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  build();
  elaborate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = textOf(data, size);
  std::vector<std::string> lines = sourceLines(text), errors;
  VectorTable table;
  bool good = parseVectorTable(text, "t.test", table, errors);
  require(good == errors.empty(), "a table is taken exactly when it has no errors");
  checkErrors(errors, lines.size());
  if (good) checkTaken(table, lines);
  return 0;
}
