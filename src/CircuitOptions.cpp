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

void printCircuitOptions(FILE* to) {
  if (circuitOptions().empty()) return;
  fprintf(to, "Options of this circuit:\n");
  printLongOptions(to, circuitOptions().data(), circuitOptions().size());
}
