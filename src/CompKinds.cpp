// The table of component kinds, and the one place that learns a component's kind from its routines.
#include "CompKinds.h"

#include "Globals.h"
#include "Ph2.h"
#include "msiPh1.h"
#include "ssiPh1.h"
#include "vlsiPh1.h"

std::vector<const ComponentKind*> componentKinds;

namespace {

constexpr ComponentKind evaluated(ComponentRoutine routine, const char* name, ComponentRole role,
                                  DirectForm direct = notDirect) {
  return {routine, byEvaluation, false, name, role, noMemory, direct, reduceMinimum, false};
}

constexpr ComponentKind simpleGate(ComponentRoutine routine, const char* name, GateReduction reduction, bool invert) {
  return {routine, byEvaluation, false, name, gateRole, noMemory, directGate, reduction, invert};
}

constexpr ComponentKind memory(ComponentRoutine routine, const char* name, ComponentRole role, MemorySort sort,
                               bool wordZeroIsZero = false) {
  return {routine, byEvaluation, wordZeroIsZero, name, role, sort, notDirect, reduceMinimum, false};
}

// Switches and pulsers have no evaluation: their key routine tells them.
constexpr ComponentKind keyed(ComponentRoutine routine, const char* name) {
  return {routine, byKey, false, name, sourceRole, noMemory, notDirect, reduceMinimum, false};
}

// Probes have nothing but their drawing.
constexpr ComponentKind drawn(ComponentRoutine routine, const char* name, ComponentRole role) {
  return {routine, byDrawing, false, name, role, noMemory, notDirect, reduceMinimum, false};
}

// The first row that recognises a component is its kind: RegisterFile comes before Ram.
const ComponentKind kinds[] = {
    simpleGate(and_, "And", reduceMinimum, false),
    simpleGate(or_, "Or", reduceMaximum, false),
    simpleGate(nand, "Nand", reduceMinimum, true),
    simpleGate(nor, "Nor", reduceMaximum, true),
    simpleGate(xor_, "Xor", reduceParity, false),
    simpleGate(xnor, "Xnor", reduceParity, true),
    simpleGate(not_, "Not", reduceMinimum, true),
    evaluated(iand, "Iand", gateRole),
    evaluated(inand, "Inand", gateRole),
    evaluated(ciOr, "CiOr", gateRole),
    evaluated(ciNor, "CiNor", gateRole),
    evaluated(multiLevelCompare, "MultiLevelCompare", gateRole),
    evaluated(tsb, "Tsb", busDriver, directBuffer),
    evaluated(powerOn, "PowerOn", sourceRole),
    evaluated(clock, "Clock", sourceRole),
    keyed(toggleSwitch, "Switch"),
    keyed(togglePulser, "Pulser"),
    evaluated(stop, "Stop", otherRole),
    drawn(probe, "Probe", bitProbe),
    drawn(probebyte, "ProbeByte", byteColumnProbe),
    drawn(probebyteh, "ProbeByteH", byteRowProbe),
    evaluated(adder, "Adder", otherRole),
    evaluated(increment, "Increment", otherRole),
    evaluated(counter, "Counter", otherRole),
    evaluated(gate, "Gate", gateRole),
    evaluated(dff, "Dff", flipFlop, directFlipFlop),
    evaluated(jkff, "Jkff", otherRole),
    evaluated(mux, "Mux", selector),
    evaluated(decoder, "Decoder", otherRole),
    evaluated(encoder, "Encoder", otherRole),
    evaluated(enabledRegister, "Register", wordRegister),
    evaluated(bitAddressibleRegister, "BitAddressibleRegister", otherRole),
    evaluated(_stderr, "Stderr", otherRole),
    evaluated(intOut, "IntOut", otherRole),
    evaluated(hexOut, "HexOut", otherRole),
    memory(multiPortRam, "RegisterFile", multiPort, ramMemory, true),
    memory(multiPortRam, "Ram", multiPort, ramMemory),
    memory(rom, "Rom", readOnly, romMemory),
};

const ComponentKind unknownKind = evaluated(nullptr, "component", otherRole);

bool wordZeroIsZero(int c) {
  const PhaseTwo& p2 = *phaseTwo;
  return p2.numberOfIntegerParameters[size_t(c)] > zeroIsZEROParameter &&
         p2.integerParameters[size_t(c)][zeroIsZEROParameter] != 0;
}

bool recognises(const ComponentKind& k, int c) {
  const PhaseTwo& p2 = *phaseTwo;
  bool routine = k.knownBy == byEvaluation ? p2.logicEvaluate[size_t(c)] == k.routine
                 : k.knownBy == byKey      ? p2.xEventTriggered[size_t(c)] == k.routine
                                           : p2.drawDynamic[size_t(c)] == k.routine;
  return routine && (!k.wordZeroIsZero || wordZeroIsZero(c));
}

const ComponentKind& recognise(int c) {
  for (const ComponentKind& k : kinds)
    if (recognises(k, c)) return k;
  return unknownKind;
}

}  // namespace

void recogniseComponentKinds() {
  componentKinds.assign(size_t(phaseTwo->numberOfComponents), &unknownKind);
  for (int c = 0; c < phaseTwo->numberOfComponents; c++) componentKinds[size_t(c)] = &recognise(c);
}

void resetComponentKinds() { componentKinds.clear(); }
