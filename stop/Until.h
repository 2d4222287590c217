// Runs that stop by themselves (--until COND): the run ends (without a window) or halts (in the
// window) as soon as a condition holds.  COND is NAME=VALUE or NAME!=VALUE, the name and the value as
// --expect reads them (NAME[i] and MEMORY[ADDR] too, negative decimals included), or the word halt for a
// circuit that knows when its program halts.  Conditions are checked when the circuit has settled, or
// at the points a circuit chooses (the processor: once a cycle).
#ifndef TARVIK_UNTIL_H
#define TARVIK_UNTIL_H

#include <cstdint>
#include <string>
#include <vector>

#include "Expect.h"

// --until COND: keeps the condition (read once the netlist is built); may be given several times.
bool takeUntilOption(const char* argument, std::string& problem);
bool stopConditionsGiven();
// The run has ended and no condition held in it (none was given: false).
bool noStopConditionHeld();

// A circuit that checks the conditions at points of its own, set from a static initialiser (before
// the command line is read).  The first --until calls arm, which arranges for the circuit to call
// stopConditionHeld at each of its points; knowsHalt lets --until halt be given.
struct CircuitStopPoints {
  void (*arm)() = nullptr;
  bool knowsHalt = false;
};
void setCircuitStopPoints(const CircuitStopPoints& points);

// What standard error gets when a condition holds: the condition, the tick, the cycle when there is one.
const char stopConditionHeldFormat[] = "--until %s held at tick %llu%s\n";

// At one of the circuit's points (cycle: its count there; halted: its program has halted): when a
// condition holds, says which on standard error, ends the run without a window or halts it in the
// window (dropping the rest of the key script), and returns true.  Once a run, until a restart.
bool stopConditionHeld(uint64_t cycle, bool halted);

// One condition: its text as given, and once resolved what it compares.
struct StopCondition {
  std::string text;  // as given, for the messages
  bool halt = false;
  bool equal = true;  // NAME=VALUE; false for NAME!=VALUE
  CheckTarget target;
  std::vector<SignalValue> value;
};
// Reads c.text against the built netlist into the rest of c; false with problem when it is faulty.
bool resolveStopCondition(StopCondition& c, std::string& problem);

// After elaboration: resolves the names and values, or reports "ERROR -- --until ..." and exits with
// status 2; installs the run observer.
void loadStopConditions();
void resetStopConditions();

#endif
