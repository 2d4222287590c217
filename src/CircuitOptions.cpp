// A circuit's own long options.
//
// The options are a table filled by the circuit's static initialisers, so it lives in a function-local
// static (ready whatever the order of initialisation); the command line looks each word up in it and
// --help lists it after the library's own options.
#include <cstdio>
#include <string>
#include <vector>

#include "CircuitHooks.h"

std::vector<CircuitOption>& circuitOptions() {
  static std::vector<CircuitOption> options;
  return options;
}

void addCircuitOption(const CircuitOption& option) { circuitOptions().push_back(option); }

void resetCircuitOptions() { circuitOptions().clear(); }

namespace {

const size_t helpColumn = 19;  // where the help text starts, as in the library's option list

std::string optionHead(const CircuitOption& o) {
  std::string head = std::string("  ") + o.name;
  if (o.argument) head += std::string(" <") + o.argument + ">";
  return head;
}

}  // namespace

void printCircuitOptions(FILE* to) {
  if (circuitOptions().empty()) return;
  fprintf(to, "Options of this circuit:\n");
  for (const CircuitOption& o : circuitOptions()) {
    std::string head = optionHead(o);
    head += head.size() + 2 <= helpColumn ? std::string(helpColumn - head.size(), ' ') : std::string("  ");
    std::string text = o.help ? o.help : "";
    size_t from = 0;
    for (bool first = true;; first = false) {
      size_t end = text.find('\n', from);
      std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
      fprintf(to, "%s%s\n", first ? head.c_str() : std::string(helpColumn, ' ').c_str(), line.c_str());
      if (end == std::string::npos) break;
      from = end + 1;
    }
  }
}
