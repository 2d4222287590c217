// Equivalent stuck-at faults: two faults that no test can tell apart once the circuit has settled,
// so that a fault simulator runs one of them for both.
#ifndef TARVIK_FAULTCLASSES_H
#define TARVIK_FAULTCLASSES_H

#include <string>
#include <vector>

// Every single stuck-at fault of the nets --fault-nets lists (NET[i]=V), in classes of equivalent
// faults: each class sorted, the classes sorted by their first fault.  The elaborated netlist is read;
// bundles looked up by name so far count as observed.
std::vector<std::vector<std::string>> equivalentFaultClasses();

#endif
