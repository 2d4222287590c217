// What a component is: one table with a row per kind of component.  A constructor registers its
// component with its kind's row, which gives the routines, icon and flags; the component's node keeps
// the row, and flattening copies it into componentKinds.  Everything that asks what a component is
// (explanations, the run loop's own evaluations, memories, the multiplexer lines, the vector tables)
// reads the row.  A new kind of component is a new row plus its constructor.
#ifndef TARVIK_COMPKINDS_H
#define TARVIK_COMPKINDS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SecEvTyp.h"
#include "SimpleGate.h"

// The rows of the table, in its order.
enum class KindRow : uint8_t {
  And, Or, Nand, Nor, Xor, Xnor, Not, Iand, Inand, CiOr, CiNor, MultiLevelCompare, Tsb,
  PowerOn, Clock, Switch, Pulser, Stop, Probe, ProbeByte, ProbeByteH, Module, Space,
  Adder, Increment, Counter, Gate, Dff, Jkff, Mux, Decoder, Encoder, Register, BitAddressibleRegister,
  Stderr, IntOut, HexOut, RegisterFile, Ram, Rom,
  Other,  // a circuit's own component, registered with routines of its own
  count
};

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

// The pins and parameters a kind's constructor makes: how many of each, or anyCount where the count is
// the constructor's own choice (checked by its rules, as a netlist file's reader checks it).
const int8_t anyCount = -1;
struct KindCounts {
  int8_t data, control, outputs, integers, bytes;
};

struct ComponentKind {
  const char* name;  // as people are shown it
  // What registration takes from the row.
  ComponentRoutine evaluate;
  ComponentRoutine draw;   // its pane's own drawing (probes, switches)
  ComponentRoutine onKey;  // its reaction to its key (switches, pulsers)
  const int* icon;
  const char* label;        // drawn on the icon unless the constructor or the designator gives one
  bool outputOverloadable;  // its outputs may share a signal with other drivers
  bool selfActivating;      // woken by changes of its own outputs
  // What the rest of the program asks.
  ComponentRole role;
  MemorySort memory;
  DirectForm direct;
  GateReduction reduction;  // directGate: its reduction, and whether the result is inverted
  bool invert;
  const char* netlistName;  // its name in a netlist file, one per row; null for Other, which none holds
  KindCounts counts = {anyCount, anyCount, anyCount, anyCount, anyCount};
};

extern const ComponentKind componentKindTable[size_t(KindRow::count)];
inline const ComponentKind& kindRow(KindRow k) { return componentKindTable[size_t(k)]; }

// The row of every component, by component index.
extern std::vector<KindRow> componentKinds;
inline KindRow kindRowOf(int c) { return componentKinds[size_t(c)]; }
inline const ComponentKind& kindOf(int c) { return kindRow(kindRowOf(c)); }

// Fills componentKinds from the registered components; the end of PhaseTwo::listsToArrays calls it.
void takeComponentKinds();
void resetComponentKinds();
// The row whose netlistName is netlistName; false when there is none.
bool kindRowNamed(const std::string& netlistName, KindRow& row);

#endif
