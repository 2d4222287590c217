// What a circuit adds to the simulator beyond its netlist: long options of its own, and observers
// called as the run goes on.  Both are plain tables of function pointers.  A circuit adds its options
// from a static initialiser of its own source (they must exist before the command line is read) and
// sets its observers from simnet or from an option's routine.
#ifndef TARVIK_CIRCUITHOOKS_H
#define TARVIK_CIRCUITHOOKS_H

#include <string>

// A long option of the circuit's own: --NAME ARG or --NAME=ARG, or a flag --NAME when argument is null.
struct CircuitOption {
  const char* name;      // with its dashes: "--program"
  const char* argument;  // placeholder shown in --help ("FILE"); null for a flag
  const char* help;      // its --help text; '\n' separates lines
  // Takes the option's argument (null for a flag).  Returning false refuses it: the program prints
  // "ERROR -- " and problem on standard error and exits with status 2 before the run.
  bool (*take)(const char* argument, std::string& problem);
};

// Adds an option of the circuit's own; call before Sim.
void addCircuitOption(const CircuitOption& option);
void resetCircuitOptions();

// Observers of the run (null = none).  They read the simulation and must not change it.
extern void (*afterElaborationHook)();  // netlist built and flattened, before the run; may exit(2)
extern void (*runStartHook)();          // at time zero of the run and of every restart (F1)
extern void (*settledHook)();           // each time the circuit has come to rest (queue empty) after activity
extern void (*runEndedHook)();          // once, when the run has ended, before the end-of-run checks
void resetCircuitHooks();

#endif
