// Capabilities: what a program offers beyond the core simulator (key scripts, memory images,
// end-of-run checks, stop conditions, test tables, waveform dumps, explanations, and a circuit's own
// tools such as the processor's views).  Each lives in a folder of its own and describes itself in one
// record: its long options with their help, and what it does at the fixed points of a run.  The core
// keeps the records and calls them; it includes none of their headers and knows none by name.
//
// The library's own capabilities are listed once, in the build (TARVIK_CAPABILITIES in CMakeLists.txt):
// each folder defines `const Capability& FOLDERCapability()`, and the build makes the list that adds
// them before anything asks for the records.  A program's own capability (a circuit's tools, a test's)
// adds its record from a static initialiser of its own source:
//
//     static const bool added = addCapability(myCapability);
//
// The fixed order.  Records are called in increasing listedAt (for --help and the command line) or
// stepAt (for everything else); records with equal numbers in the order added.
//   --help         the library's records' options, then --help itself; then, under "Options of this
//                  circuit:", the circuit records' options and those added by addCircuitOption
//   after construction  the circuit description has returned and the registration lists are
//                  complete, before flattening: each record's afterConstruction (a step that ends the
//                  program here ends it before anything is checked further or run)
//   before the steps    the netlist is flattened and checked: each record's beforeSteps (a program
//                  serving jobs forks there, and each job reads its own options and takes every
//                  later step)
//   after elaboration   the name index, the steps the given options attached (in the order the options
//                  were given), then each record's afterElaboration
//   end of the run the run observers' ended (Ph4.h), then each record's runEnded
//   exit           the highest status any record's verdict gives (the first such record names the reason,
//                  unless no stop condition held and the status is 0 or 1: that names it)
//   reset          each record's reset (tests that build several netlists in one process)
// The library's numbers:
//   listedAt   keys 10, waves 20, checks 30, memimage 40, stop 50, vectors 60, the core's --quiet and
//              --palette 70, explain 80, netlist 90, faults 95, serve 97;  the processor's: program 10,
//              waves views 20, views 30, compare 40
//   stepAt     memimage 10 (images are queued by then), stop 20, checks 30, vectors 40 (after --until's
//              observer, which may end the run first), waves 50 (the dump starts last), netlist 60
//              (its only step is after construction), faults 55 (after construction, so that a netlist
//              file written then holds the faulty circuit); the processor's compare 100 (the reference
//              runs in a child forked once every other step is done)
#ifndef TARVIK_CAPABILITY_H
#define TARVIK_CAPABILITY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ExitStatus.h"
#include "LongOption.h"

// Presses that come from a script rather than from a person: the run loop asks the record that offers
// them (at most one does) when to wake and whether anything more can come.
struct ScriptedInput {
  bool (*given)();                         // a script was given: the run polls for it even without a window
  bool (*usedUp)();                        // every entry taken
  uint64_t (*wakeTime)();                  // the tick a timed step waits for; 0 when none
  bool (*finished)();                      // without a window, nothing more can come and the circuit rests
  void (*next)(int* eventType, int* keyChar);  // the next press, or eventType 0
};

struct Capability {
  const char* name;  // its folder: "keys"
  int listedAt;      // where its options come among the others'
  int stepAt;        // where its steps come among the others'
  const LongOption* options;  // in the order --help lists them; null with optionCount 0 for none
  size_t optionCount;
  bool circuitOwn;                 // a circuit's tools: listed under "Options of this circuit:"
  void (*afterElaboration)();      // the netlist is built, flattened and named; before the run
  void (*runEnded)();              // the run has ended (the phases still exist)
  void (*reset)();                 // back to the state before any option was read
  Verdict (*verdict)();            // its part of the exit status; {exitPassed, reasonPassed} for none
  const ScriptedInput* input;      // presses it replays, or null
  bool (*paneClicked)(int x, int y);  // the window's Shift-click on a pane: true when taken
  void (*afterConstruction)() = nullptr;  // the circuit description has returned; before flattening
  std::string (*paneValue)(int x, int y) = nullptr;  // what the pane at window pixel (x, y) shows; "" for none
  void (*beforeSteps)() = nullptr;  // flattened and checked; before the name index and every step
};

// Adds a record (see above); returns true so that a static initialiser can add it.
bool addCapability(const Capability& capability);
// Every record, the library's first; in the order added.
const std::vector<Capability>& capabilities();
// Records in listedAt or in stepAt order.
std::vector<const Capability*> capabilitiesListed();
std::vector<const Capability*> capabilitiesInSteps();

// The fixed points, called by the driver.
void callCapabilityAfterConstruction();
void callCapabilityBeforeSteps();
void callCapabilityAfterElaboration();
void callCapabilityRunEnded();
Verdict capabilitiesVerdict();
void resetCapabilities();

// The press script the run loop reads: the one a record offers, or none (never given, always used up).
const ScriptedInput& scriptedInput();
// The window's Shift-click: offered to each record in turn; false when none takes it.
bool capabilityTakesPaneClick(int x, int y);
// What the pane at window pixel (x, y) shows, for a pointer resting there: the first record's answer.
std::string capabilityPaneValue(int x, int y);

// The library's own records, from the build's list (generated).
void addLibraryCapabilities();

#endif
