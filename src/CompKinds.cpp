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
  return {name, evaluate, nullptr, nullptr, icon, label ? label : name, false, false, role, noMemory, notDirect,
          reduceMinimum, false, name};
}

constexpr ComponentKind simpleGate(const char* name, ComponentRoutine evaluate, const int* icon,
                                   GateReduction reduction, bool invert) {
  ComponentKind k = evaluated(name, evaluate, icon, gateRole);
  k.direct = directGate;
  k.reduction = reduction;
  k.invert = invert;
  return k;
}

constexpr ComponentKind directly(ComponentKind k, DirectForm direct) {
  k.direct = direct;
  return k;
}

// Its outputs may share a signal with other drivers.
constexpr ComponentKind outputsShared(ComponentKind k) {
  k.outputOverloadable = true;
  return k;
}

// Sources have no inputs and one output bit, which wakes them; their pane is a switch's.
constexpr ComponentKind source(const char* name, ComponentRoutine evaluate, ComponentRoutine onKey,
                               const char* label) {
  ComponentKind k = evaluated(name, evaluate, rectIcon, sourceRole, label);
  k.draw = switchPane;
  k.onKey = onKey;
  k.selfActivating = true;
  return k;
}

// Probes have nothing but their drawing; their label is what they show.
constexpr ComponentKind probeKind(const char* name, ComponentRoutine draw, ComponentRole role) {
  ComponentKind k = evaluated(name, nullptr, circleIcon, role, "");
  k.draw = draw;
  return k;
}

constexpr ComponentKind memory(const char* name, ComponentRoutine evaluate, const char* label, ComponentRole role,
                               MemorySort sort) {
  ComponentKind k = evaluated(name, evaluate, rectIcon, role, label);
  k.memory = sort;
  return k;
}

// Module boxes and spaces only take room on the schematic; a circuit's own components are "component" too.
constexpr ComponentKind structure(const char* netlistName, const int* icon, const char* label) {
  ComponentKind k = evaluated("component", nullptr, icon, otherRole, label);
  k.netlistName = netlistName;
  return k;
}

}  // namespace

// In the order of KindRow.
constexpr ComponentKind componentKindTable[] = {
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
    outputsShared(directly(evaluated("Tsb", tsb, tsbIcon, busDriver), directBuffer)),
    source("PowerOn", powerOn, nullptr, "PowerOn"),
    source("Clock", clock, nullptr, "Clock"),
    source("Switch", nullptr, toggleSwitch, ""),
    source("Pulser", nullptr, togglePulser, ""),
    evaluated("Stop", stop, rectIcon, otherRole),
    probeKind("Probe", probe, bitProbe),
    probeKind("ProbeByte", probebyte, byteColumnProbe),
    probeKind("ProbeByteH", probebyteh, byteRowProbe),
    outputsShared(structure("Module", rectIcon, "Module")),
    structure("Space", spaceIcon, ""),
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
    structure(nullptr, nullptr, ""),
};
static_assert(std::size(componentKindTable) == size_t(KindRow::count), "one row per KindRow");

void takeComponentKinds() {
  componentKinds.clear();
  for (const ComponentNode* n = phaseOne->componentList.start; n; n = n->ptr) componentKinds.push_back(n->kind);
}

void resetComponentKinds() { componentKinds.clear(); }

bool kindRowNamed(const std::string& netlistName, KindRow& row) {
  for (size_t k = 0; k < size_t(KindRow::count); k++)
    if (componentKindTable[k].netlistName && netlistName == componentKindTable[k].netlistName) {
      row = KindRow(k);
      return true;
    }
  return false;
}
