// What a circuit adds to the simulator beyond its netlist: long options of its own, and observers
// called as the run goes on.  Both are plain tables of function pointers.  A circuit adds its options
// from a static initialiser of its own source (they must exist before the command line is read).
#ifndef TARVIK_CIRCUITHOOKS_H
#define TARVIK_CIRCUITHOOKS_H

#include <cstdio>
#include <string>
#include <vector>

#include "LongOption.h"

// A long option of the circuit's own, of the same kind as the library's (LongOption.h); a circuit
// gives its name, argument, help and take: {"--program", "FILE", "help text", takeProgram}.
using CircuitOption = LongOption;

// Adds an option of the circuit's own; call before Sim.
void addCircuitOption(const CircuitOption& option);
void resetCircuitOptions();
// The options added so far, in the order added (the command line reads them).
std::vector<CircuitOption>& circuitOptions();
// Their --help text under the heading "Options of this circuit:"; nothing when there are none.
void printCircuitOptions(FILE* to);

// Adds a routine called once the netlist is built and flattened, before the run; routines run in the
// order added, before the memory images are loaded (so they may queue some), and may report
// "ERROR -- ..." and exit(2).  Observers of the run itself are RunObservers (Ph4.h).
void addAfterElaborationHook(void (*hook)());
void removeAfterElaborationHook(void (*hook)());
// Runs the steps between flattening and the run in their one order (AfterElaboration.cpp): the name
// index, the routines added above, then memory images, expectations and the waveform dump.
void callAfterElaborationHooks();
void resetCircuitHooks();  // forgets the routines added

#endif
