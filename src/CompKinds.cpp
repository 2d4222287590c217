// The table of component kinds, and the copy of each registered component's row into the flat netlist.
#include "CompKinds.h"

#include <iterator>

#include "Globals.h"
#include "Ph1.h"
#include "iconData.h"
#include "msiPh1.h"
#include "ssiPh1.h"
#include "vlsiPh1.h"

std::vector<KindRow> componentKinds;

namespace {

constexpr ComponentKind evaluated(const char* name, ComponentRoutine evaluate, const int* icon, ComponentRole role,
                                  const char* label = nullptr) {
  return {name,  evaluate, nullptr, nullptr, icon, label ? label : name, false, false, role, noMemory, notDirect,
          reduceMinimum, false};
}

constexpr ComponentKind simpleGate(const char* name, ComponentRoutine evaluate, const int* icon,
                                   GateReduction reduction, bool invert) {
  return {name, evaluate, nullptr, nullptr, icon, name, false, false, gateRole, noMemory, directGate, reduction, invert};
}

constexpr ComponentKind directly(ComponentKind k, DirectForm direct) {
  k.direct = direct;
  return k;
}

// Sources have no inputs and one output bit, which wakes them; their pane is a switch's.
constexpr ComponentKind source(const char* name, ComponentRoutine evaluate, ComponentRoutine onKey,
                               const char* label) {
  return {name,       evaluate, switchPane, onKey,         rectIcon, label, false, true,
          sourceRole, noMemory, notDirect,  reduceMinimum, false};
}

// Probes have nothing but their drawing; their label is what they show.
constexpr ComponentKind probeKind(const char* name, ComponentRoutine draw, ComponentRole role) {
  return {name, nullptr, draw, nullptr, circleIcon, "", false, false, role, noMemory, notDirect, reduceMinimum, false};
}

constexpr ComponentKind memory(const char* name, ComponentRoutine evaluate, const char* label, ComponentRole role,
                               MemorySort sort) {
  return {name, evaluate, nullptr, nullptr, rectIcon, label, false, false, role, sort, notDirect, reduceMinimum, false};
}

// Module boxes and spaces only take room on the schematic; circuits' own components are "component" too.
constexpr ComponentKind structure(const int* icon, const char* label, bool outputOverloadable) {
  return {"component", nullptr, nullptr,   nullptr,       icon, label, outputOverloadable, false,
          otherRole,   noMemory, notDirect, reduceMinimum, false};
}

}  // namespace

// In the order of KindRow.
const ComponentKind componentKindTable[] = {
    simpleGate("And", and_, andIcon, reduceMinimum, false),
    simpleGate("Or", or_, orIcon, reduceMaximum, false),
    simpleGate("Nand", nand, nandIcon, reduceMinimum, true),
    simpleGate("Nor", nor, norIcon, reduceMaximum, true),
    simpleGate("Xor", xor_, xorIcon, reduceParity, false),
    simpleGate("Xnor", xnor, xnorIcon, reduceParity, true),
    simpleGate("Not", not_, notIcon, reduceMinimum, true),
    evaluated("Iand", iand, iAndIcon, gateRole),
    evaluated("Inand", inand, iNandIcon, gateRole),
    evaluated("CiOr", ciOr, CiOrIcon, gateRole),
    evaluated("CiNor", ciNor, CiNorIcon, gateRole),
    evaluated("MultiLevelCompare", multiLevelCompare, rectIcon, gateRole, "mLevCmp"),
    {"Tsb", tsb, nullptr, nullptr, tsbIcon, "Tsb", true, false, busDriver, noMemory, directBuffer, reduceMinimum, false},
    source("PowerOn", powerOn, nullptr, "PowerOn"),
    source("Clock", clock, nullptr, "Clock"),
    source("Switch", nullptr, toggleSwitch, ""),
    source("Pulser", nullptr, togglePulser, ""),
    evaluated("Stop", stop, rectIcon, otherRole),
    probeKind("Probe", probe, bitProbe),
    probeKind("ProbeByte", probebyte, byteColumnProbe),
    probeKind("ProbeByteH", probebyteh, byteRowProbe),
    structure(rectIcon, "Module", true),
    structure(spaceIcon, "", false),
    evaluated("Adder", adder, rectIcon, otherRole),
    evaluated("Increment", increment, rectIcon, otherRole),
    evaluated("Counter", counter, rectIcon, otherRole),
    evaluated("Gate", gate, rectIcon, gateRole),
    directly(evaluated("Dff", dff, rectIcon, flipFlop), directFlipFlop),
    evaluated("Jkff", jkff, rectIcon, otherRole),
    evaluated("Mux", mux, rectIcon, selector),
    evaluated("Decoder", decoder, rectIcon, otherRole),
    evaluated("Encoder", encoder, rectIcon, otherRole),
    evaluated("Register", enabledRegister, rectIcon, wordRegister),
    evaluated("BitAddressibleRegister", bitAddressibleRegister, rectIcon, otherRole, "BitAddrReg"),
    evaluated("Stderr", _stderr, rectIcon, otherRole),
    evaluated("IntOut", intOut, rectIcon, otherRole),
    evaluated("HexOut", hexOut, rectIcon, otherRole),
    memory("RegisterFile", multiPortRam, "RegFile", multiPort, ramMemory),
    memory("Ram", multiPortRam, "Ram", multiPort, ramMemory),
    memory("Rom", rom, "Rom", readOnly, romMemory),
    structure(nullptr, "", false),
};
static_assert(std::size(componentKindTable) == size_t(KindRow::count), "one row per KindRow");

void takeComponentKinds() {
  componentKinds.clear();
  for (const ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr) componentKinds.push_back(n->kind);
}

void resetComponentKinds() { componentKinds.clear(); }
