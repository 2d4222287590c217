// The registry of circuits' own tools, and the tools the built circuit named (NetlistTools.h).
#include "NetlistTools.h"

#include <vector>

namespace {

std::vector<CircuitTools>& offeredTools() {
  static std::vector<CircuitTools> offered;  // static initialisers of other files offer into it
  return offered;
}

std::string usedName, usedArgument;  // what the circuit description named; "" for none

}  // namespace

bool offerCircuitTools(const CircuitTools& tools) {
  offeredTools().push_back(tools);
  return true;
}

const CircuitTools* circuitToolsNamed(const std::string& name) {
  for (const CircuitTools& t : offeredTools())
    if (name == t.name) return &t;
  return nullptr;
}

void useCircuitTools(const std::string& name, const std::string& argument) {
  usedName = name;
  usedArgument = argument;
}

const std::string& usedCircuitTools() { return usedName; }
const std::string& usedCircuitToolsArgument() { return usedArgument; }

void resetUsedCircuitTools() {
  usedName.clear();
  usedArgument.clear();
}
