// A circuit's own tools in a netlist file.  A circuit program whose options come from tools of its own
// (the processor's --program, --cycles and views) names them and the argument it was built with; the
// file records both, and tarvik-sim adds the same tools before it reads the command line, so that the
// file runs with every option the circuit's own program takes.  The tools offer themselves by name
// from their own folder; the library knows none of them.
#ifndef TARVIK_NETLISTTOOLS_H
#define TARVIK_NETLISTTOOLS_H

#include <string>

#include "MemImage.h"

struct CircuitTools {
  const char* name;  // as the file records it: "processor"
  // False with problem when the argument names nothing the tools know.
  bool (*takes)(const std::string& argument, std::string& problem);
  // Adds the tools' options and records, before the command line is read.
  void (*add)(const std::string& argument);
  // The circuit is built from the file: what its own description would have done beside registering.
  void (*built)(const std::string& argument);
  // An image the file holds that the tools' own option gave (the processor's --program).
  void (*takeImage)(const std::string& memory, MemoryImage image);
};

// Offers tools under their name; returns true so that a static initialiser can offer them.
bool offerCircuitTools(const CircuitTools& tools);
// The tools offered under name, or null.
const CircuitTools* circuitToolsNamed(const std::string& name);

// Called by a circuit's description: the file records name and argument.
void useCircuitTools(const std::string& name, const std::string& argument);
// What the circuit named; both "" when it named none.
const std::string& usedCircuitTools();
const std::string& usedCircuitToolsArgument();
void resetUsedCircuitTools();

#endif
