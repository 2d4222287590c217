// What a component is: one table with a row per kind of component, and per component of the flat
// netlist the row it belongs to.  A kind is recognised by one of its routines, once, when the netlist
// is flattened; everything that asks what a component is (explanations, the run loop's own
// evaluations, memories, the multiplexer lines) reads the row.  A new kind of component is a new row.
#ifndef TARVIK_COMPKINDS_H
#define TARVIK_COMPKINDS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SecEvTyp.h"
#include "SimpleGate.h"

// What an explanation makes of the component's outputs, and which bit its pane shows.
enum ComponentRole : uint8_t {
  gateRole,         // a function of its inputs
  busDriver,        // a tri-state buffer onto a bus
  flipFlop,         // a Dff: R, C, D, S
  wordRegister,     // a Register: write (clock), enable, and a data bit per output
  selector,         // a Mux: select inputs pick a data word
  multiPort,        // a multi-port memory: each read port's address
  readOnly,         // a Rom
  sourceRole,       // switches, pulsers, clocks, power-on sources
  bitProbe,         // shows its one input
  byteColumnProbe,  // shows eight inputs in cells down the middle of its pane
  byteRowProbe,     // the same across
  otherRole
};

// How the run loop may evaluate the kind without calling its routine; whether a component of the
// kind is evaluated so also depends on its pins (Ph4Run.cpp).
enum DirectForm : uint8_t { notDirect, directGate, directFlipFlop, directBuffer };

enum MemorySort : uint8_t { noMemory, romMemory, ramMemory };

// Which of a component's routines tells its kind.
enum KnownBy : uint8_t { byEvaluation, byKey, byDrawing };

struct ComponentKind {
  ComponentRoutine routine;
  KnownBy knownBy;
  bool wordZeroIsZero;  // only a multi-port memory whose word 0 reads ZERO (a RegisterFile)
  const char* name;     // as people are shown it
  ComponentRole role;
  MemorySort memory;
  DirectForm direct;
  GateReduction reduction;  // directGate: its reduction, and whether the result is inverted
  bool invert;
};

// The kind of every component, by component index; a component no row recognises (a module box, a
// space) is a "component" in the role otherRole.
extern std::vector<const ComponentKind*> componentKinds;
inline const ComponentKind& kindOf(int c) { return *componentKinds[size_t(c)]; }

// Fills componentKinds from the flat netlist; the end of PhaseTwo::listsToArrays calls it.
void recogniseComponentKinds();
void resetComponentKinds();

#endif
