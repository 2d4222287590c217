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

// The counts of pins and parameters its constructor fixes (anyCount: its own rules decide).
constexpr ComponentKind pinCounts(ComponentKind k, KindCounts counts) {
  k.counts = counts;
  return k;
}

const int8_t any = anyCount;

// Module boxes and spaces only take room on the schematic; a circuit's own components are "component" too.
constexpr ComponentKind structure(const char* netlistName, const int* icon, const char* label) {
  ComponentKind k = evaluated("component", nullptr, icon, otherRole, label);
  k.netlistName = netlistName;
  return k;
}

}  // namespace

// In the order of KindRow.
constexpr ComponentKind componentKindTable[] = {
    pinCounts(simpleGate("And", and_, andIcon, reduceMinimum, false), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Or", or_, orIcon, reduceMaximum, false), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Nand", nand, nandIcon, reduceMinimum, true), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Nor", nor, norIcon, reduceMaximum, true), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Xor", xor_, xorIcon, reduceParity, false), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Xnor", xnor, xnorIcon, reduceParity, true), {any, 0, 1, 0, 0}),
    pinCounts(simpleGate("Not", not_, notIcon, reduceMinimum, true), {1, 0, 1, 0, 0}),
    pinCounts(evaluated("Iand", iand, iAndIcon, gateRole), {any, any, 1, 0, 0}),
    pinCounts(evaluated("Inand", inand, iNandIcon, gateRole), {any, any, 1, 0, 0}),
    pinCounts(evaluated("CiOr", ciOr, CiOrIcon, gateRole), {any, any, 1, 0, 0}),
    pinCounts(evaluated("CiNor", ciNor, CiNorIcon, gateRole), {any, any, 1, 0, 0}),
    pinCounts(evaluated("MultiLevelCompare", multiLevelCompare, rectIcon, gateRole, "mLevCmp"), {any, 0, any, 0, 0}),
    pinCounts(outputsShared(directly(evaluated("Tsb", tsb, tsbIcon, busDriver), directBuffer)), {1, 1, 1, 0, 0}),
    pinCounts(source("PowerOn", powerOn, nullptr, "PowerOn"), {0, 0, 1, 2, 0}),
    pinCounts(source("Clock", clock, nullptr, "Clock"), {0, 0, 1, 4, 0}),
    pinCounts(source("Switch", nullptr, toggleSwitch, ""), {0, 0, 1, 1, 0}),
    pinCounts(source("Pulser", nullptr, togglePulser, ""), {0, 0, 1, 2, 0}),
    pinCounts(evaluated("Stop", stop, rectIcon, otherRole), {any, 0, 0, 0, 0}),
    pinCounts(probeKind("Probe", probe, bitProbe), {1, 0, 0, 0, 0}),
    pinCounts(probeKind("ProbeByte", probebyte, byteColumnProbe), {any, 0, 0, 0, 0}),
    pinCounts(probeKind("ProbeByteH", probebyteh, byteRowProbe), {any, 0, 0, 0, 0}),
    pinCounts(outputsShared(structure("Module", rectIcon, "Module")), {any, 0, any, 0, 0}),
    pinCounts(structure("Space", spaceIcon, ""), {0, 0, 0, 0, 0}),
    pinCounts(evaluated("Adder", adder, rectIcon, otherRole), {any, 0, any, 1, 0}),
    pinCounts(evaluated("Increment", increment, rectIcon, otherRole), {any, 0, any, 0, 0}),
    pinCounts(evaluated("Counter", counter, rectIcon, otherRole), {any, 0, any, 0, 0}),
    pinCounts(evaluated("Gate", gate, rectIcon, gateRole), {any, 0, any, 0, 0}),
    pinCounts(directly(evaluated("Dff", dff, rectIcon, flipFlop), directFlipFlop), {4, 0, 1, 0, 0}),
    pinCounts(evaluated("Jkff", jkff, rectIcon, otherRole), {5, 0, 2, 0, 0}),
    pinCounts(evaluated("Mux", mux, rectIcon, selector), {any, any, any, 0, 0}),
    pinCounts(evaluated("Decoder", decoder, rectIcon, otherRole), {any, any, any, 0, 0}),
    pinCounts(evaluated("Encoder", encoder, rectIcon, otherRole), {any, 0, any, 0, 0}),
    pinCounts(evaluated("Register", enabledRegister, rectIcon, wordRegister), {any, 2, any, 0, 0}),
    pinCounts(evaluated("BitAddressibleRegister", bitAddressibleRegister, rectIcon, otherRole, "BitAddrReg"),
              {any, any, any, 0, 0}),
    pinCounts(evaluated("Stderr", _stderr, rectIcon, otherRole), {any, 0, 0, 0, 0}),
    pinCounts(evaluated("IntOut", intOut, rectIcon, otherRole), {any, any, 0, 0, 0}),
    pinCounts(evaluated("HexOut", hexOut, rectIcon, otherRole), {any, any, 0, 0, 0}),
    pinCounts(memory("RegisterFile", multiPortRam, "RegFile", multiPort, ramMemory), {any, any, any, 8, 0}),
    pinCounts(memory("Ram", multiPortRam, "Ram", multiPort, ramMemory), {any, any, any, 8, 0}),
    pinCounts(memory("Rom", rom, "Rom", readOnly, romMemory), {any, 0, any, 3, any}),
    structure(nullptr, nullptr, ""),  // Other: its pins are its own
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
