// Tools named "box" for netlist files in tests: a circuit's own tools that take the argument "1" only
// and do nothing, so that the reader's checks of a tools record can be tried without a processor.
#ifndef TARVIK_TESTS_BOXTOOLS_H
#define TARVIK_TESTS_BOXTOOLS_H

#include <string>

#include "NetlistTools.h"

inline bool boxTakes(const std::string& argument, std::string& problem) {
  problem = "no box " + argument;
  return argument == "1";
}
inline void boxDoesNothing(const std::string&) {}
inline void boxTakesNoImage(const std::string&, MemoryImage) {}
inline const bool boxOffered = offerCircuitTools({"box", boxTakes, boxDoesNothing, boxDoesNothing, boxTakesNoImage});

#endif
