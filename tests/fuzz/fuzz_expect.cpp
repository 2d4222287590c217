// Fuzz target: the --expect reader (parseExpectations) against a small elaborated netlist.
//
// The input is the text of an expectations file.  It is taken exactly when it has no errors; each
// error is "f.expect:LINE: problem" on a line of the text, one per faulty line in line order, at most
// maxExpectationFaults of them and then the one line that says the rest was not read.  Lines with no
// words (blank or a comment) are never faulty, lines with other than two words always are.  For the
// netlist's unambiguous names the verdict on a line must follow the notations of the value (hex,
// binary, decimal, or letters exactly as wide as the bundle, numbers fitting its width).  Reading the
// same text again gives the same errors.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "CheckedNames.h"
#include "Expect.h"
#include "FuzzCheck.h"
#include "MemImage.h"
#include "Notations.h"

namespace {

// The lines reported faulty, checked for their form; the last line read (all, unless cut short).
std::set<long> faultyLines(const std::vector<std::string>& errors, size_t lineCount, size_t& lastRead) {
  const std::string cut = "f.expect: more than " + std::to_string(maxExpectationFaults) + " faulty lines, the rest not read";
  bool cutShort = errors.size() == maxExpectationFaults + 1;
  require(errors.size() <= maxExpectationFaults || (cutShort && errors.back() == cut),
          "at most maxExpectationFaults errors, then the line that says the rest was not read");
  std::set<long> lines;
  long last = 0;
  for (size_t i = 0; i < errors.size() - (cutShort ? 1 : 0); i++) {
    size_t at = 0;
    long line = lineOfMessage(errors[i], "f.expect", at);
    require(line > last && size_t(line) <= lineCount, "errors name lines of the text, one each, in order");
    require(errors[i].compare(at, 1, " ") == 0 && errors[i].size() > at + 1, "an error says what is wrong");
    lines.insert(line);
    last = line;
  }
  lastRead = cutShort ? size_t(last) : lineCount;
  return lines;
}

void checkLines(const std::vector<std::string>& lines, const std::set<long>& faulty, size_t lastRead) {
  for (size_t i = 0; i < lastRead; i++) {
    std::vector<std::string> words = wordsOf(lines[i]);
    bool isFaulty = faulty.count(long(i + 1)) > 0;
    if (words.size() != 2) {
      require(isFaulty == !words.empty(), "a line without words is fine, one with other than two is faulty");
      continue;
    }
    int width = widthOfCheckedName(words[0]);
    if (width != 0) require(isFaulty == (width < 0 || !valueFits(words[1], width)), "a value is read by its notation");
  }
}

std::vector<std::string> parsed(const std::string& text, bool& good) {
  resetExpectations();  // the checks of the last input would pile up
  std::vector<std::string> errors;
  good = parseExpectations(text, "f.expect", errors);
  return errors;
}

}  // namespace

// The netlist is built and elaborated once; reading expectations does not change it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  buildCheckedNames();
  elaborate();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text = textOf(data, size);
  std::vector<std::string> lines = sourceLines(text);
  bool good = false, again = false;
  std::vector<std::string> errors = parsed(text, good);
  require(good == errors.empty(), "a text is taken exactly when it has no errors");
  size_t lastRead = 0;
  std::set<long> faulty = faultyLines(errors, lines.size(), lastRead);
  checkLines(lines, faulty, lastRead);
  require(parsed(text, again) == errors && again == good, "reading the same text again gives the same errors");
  resetExpectations();
  return 0;
}
