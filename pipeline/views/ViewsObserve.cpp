// The processor's cycles as read off its signals, for the views.
//
// An observer of the run is called each time the circuit comes to rest.  A rest in the high phase of
// the clock that follows one in the low phase is a new cycle: the rising edge has written the register
// WB writes and loaded the flags, and during the high phase IF or MEM holds the memory buses, the stall
// signals and the branch decision stand, and nothing latches before the falling edge.  That is when
// the cycle is read.  While reset is ONE the pipeline holds bubbles only and no cycle is counted.
//
// Which instruction is in which stage is followed the way the pipeline registers pass them on at the
// falling edge: a stage held by its stall keeps its instruction, the stage after a held one receives
// a bubble, and every other stage the previous stage's instruction; IF's is the word fetched.  The
// words the instruction registers then hold must agree; where one does not, that stage's instruction
// is shown from the register alone, as unknown.
#include <cstdio>
#include <cstdlib>

#include "Bundles.h"
#include "Explain.h"
#include "Globals.h"
#include "KeyScript.h"
#include "NameIndex.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Pipeline.h"
#include "ProcessorNames.h"
#include "Views.h"

namespace {

const std::vector<int>& bundleBits(const char* name) {
  std::string problem;
  int b = bundleNamed(name, problem);
  if (b < 0) {
    fprintf(stderr, "ERROR -- the processor's views need the signal %s, which this circuit does not have\n", name);
    exit(2);
  }
  return declaredBundles()[size_t(b)].bits;
}

BusValue busOf(const std::vector<int>& bits) {
  const SignalValue* now = phaseThree->currentSignals.data();
  BusValue v;
  v.unknown = 0;
  for (size_t i = 0; i < bits.size() && i < 16; i++) setBusBit(v, int(i), now[bits[i]]);
  return v;
}

SignalValue bitOf(const std::vector<int>& bits) { return phaseThree->currentSignals[size_t(bits[0])]; }

// The signals read every cycle, looked up once.
struct ProcessorSignals {
  const std::vector<int>*clock, *reset, *pc, *dataBus, *addrBus, *memory, *read, *memReq, *isBranch,
      *branchDecision, *aluo, *writeRegister, *registerSelect, *n, *z;
  const std::vector<int>* instructionRegister[numberOfStages];  // ID .. WB
  const std::vector<int>* stall[numberOfStages];                // IF .. MEM
  const std::vector<int>* reg[8];
  // Null on a processor without forwarding, and without the load interlock.
  const std::vector<int>*forward[numberOfOperands], *loadUse;
};

ProcessorSignals signals;

void lookUpSignals() {
  namespace names = processorNames;
  ProcessorSignals& s = signals;
  s.clock = &bundleBits(names::clock);
  s.reset = &bundleBits(names::reset);
  s.pc = &bundleBits(names::pc);
  s.dataBus = &bundleBits(names::dataBus);
  s.addrBus = &bundleBits(names::addressBus);
  s.memory = &bundleBits(names::memory);
  s.read = &bundleBits(names::read);
  s.memReq = &bundleBits(names::memoryRequest);
  s.isBranch = &bundleBits(names::isBranch);
  s.branchDecision = &bundleBits(names::branchDecision);
  s.aluo = &bundleBits(names::aluOutput);
  s.writeRegister = &bundleBits(names::writeRegister);
  s.registerSelect = &bundleBits(names::registerSelect);
  s.n = &bundleBits(names::n);
  s.z = &bundleBits(names::z);
  for (int k = 0; k < 4; k++) {
    s.instructionRegister[k + 1] = &bundleBits(names::instructionRegisters[k]);
    s.stall[k] = &bundleBits(names::stalls[k]);
  }
  for (int r = 0; r < 8; r++) s.reg[r] = &bundleBits(names::registers[r]);
  const ProcessorVariant& cpu = placedProcessor();
  s.loadUse = cpu.loadInterlock ? &bundleBits(names::loadUse) : nullptr;
  for (int k = 0; k < numberOfOperands; k++) s.forward[k] = cpu.forwarding ? &bundleBits(names::forwards[k]) : nullptr;
}

struct Observation {
  CycleView last;  // the cycle before, or the empty pipeline after reset
  uint64_t cycles = 0;
  int64_t nextId = 0;
  SignalValue clockAtLastRest = UNINITIALIZED;
};

Observation observation;
bool viewsStarted = false;

// What a stage receives at the falling edge that ends cycle `last`.
StageSlot passedOn(const CycleView& last, int stage) {
  if (stage != stageWB && last.stalled[stage]) return last.slot[stage];
  if (last.stalled[stage - 1]) return StageSlot();
  return last.slot[stage - 1];
}

// An instruction whose register disagrees with the bookkeeping is no longer placed.
void checkAgainstRegister(StageSlot& slot, const BusValue& word) {
  if (slot.id == unknownSlot) return;
  uint16_t expected = slot.id == bubbleSlot ? 0 : slot.word;
  if (!word.known() || word.value != expected) slot = {unknownSlot, 0, word.value};
}

void readFetch(CycleView& c) {
  const ProcessorSignals& s = signals;
  c.fetching = !c.stalled[stageIF] && bitOf(*s.memory) == ONE && bitOf(*s.memReq) == ONE;
  if (!c.fetching) return;
  BusValue address = busOf(*s.addrBus);
  c.fetchAddress = address;
  c.word[stageIF] = busOf(*s.dataBus);
  bool placed = address.known() && c.word[stageIF].known();
  c.slot[stageIF] = {placed ? observation.nextId++ : unknownSlot, address.value, c.word[stageIF].value};
}

void readEvents(CycleView& c) {
  const ProcessorSignals& s = signals;
  c.branchInMem = bitOf(*s.isBranch) == ONE;
  SignalValue decision = bitOf(*s.branchDecision);
  c.branchTaken = c.branchInMem && decision == ONE;
  c.branchUnknown = c.branchInMem && decision != ONE && decision != ZERO;
  if (c.branchInMem) c.branchTarget = busOf(*s.aluo);
  BusValue select = busOf(*s.registerSelect);
  if (bitOf(*s.writeRegister) == ONE && select.known() && select.value != 0) {
    c.writtenRegister = select.value;
    c.writtenValue = busOf(*s.reg[select.value]);
  }
  if (bitOf(*s.memory) == ONE && bitOf(*s.memReq) == ZERO) {
    c.access = bitOf(*s.read) == ONE ? loadAccess : storeAccess;
    c.accessAddress = busOf(*s.addrBus);
    c.accessData = busOf(*s.dataBus);
  }
  c.n = bitOf(*s.n);
  c.z = bitOf(*s.z);
}

void readForwarding(CycleView& c, const CycleView& last) {
  const ProcessorSignals& s = signals;
  if (s.loadUse) {
    c.loadUse = bitOf(*s.loadUse) == ONE;
    c.interlockBubble = last.loadUse && c.slot[stageEX].id == bubbleSlot;
  }
  if (!s.forward[0]) return;
  c.hasForwarding = true;
  for (int k = 0; k < numberOfOperands; k++) {
    BusValue fwd = busOf(*s.forward[k]);
    c.forwarded[k] = fwd.known() && fwd.value < forwardUnknown ? ForwardSource(fwd.value) : forwardUnknown;
  }
}

void showCycle(const CycleView& c) {
  if (traceView) traceCycle(c);
  if (diagramView) diagramCycle(c);
  if (summaryView) summaryCycle(c);
  if (compareView) compareCycle(c);
}

void readCycle() {
  const ProcessorSignals& s = signals;
  const CycleView& last = observation.last;
  CycleView c;
  c.cycle = ++observation.cycles;
  c.tick = phaseFour->time;
  c.pc = busOf(*s.pc);
  for (int stage = stageIF; stage < stageWB; stage++) c.stalled[stage] = bitOf(*s.stall[stage]) == ONE;
  for (int stage = stageID; stage <= stageWB; stage++) {
    c.slot[stage] = passedOn(last, stage);
    c.word[stage] = busOf(*s.instructionRegister[stage]);
    checkAgainstRegister(c.slot[stage], c.word[stage]);
  }
  readFetch(c);
  readEvents(c);
  readForwarding(c, last);
  followHalt(c);
  showCycle(c);
  observation.last = c;
  explainCycleRead(c.cycle);
  cyclesAfterRead(c);
}

void atRest() {
  SignalValue clock = bitOf(*signals.clock);
  if (bitOf(*signals.reset) != ZERO)
    observation.last = CycleView();
  else if (clock == ONE && observation.clockAtLastRest != ONE)
    readCycle();
  observation.clockAtLastRest = clock;
  cyclesAtRest();
}

// Every (re)initialisation begins the views again.
void initialized() {
  observation = Observation();
  if (traceView) traceBegin();
  if (diagramView) diagramBegin();
  if (summaryView) summaryBegin();
  haltBegin();
  cyclesBegin();
}

void ended() {
  if (diagramView) diagramEnd();
  if (summaryView) summaryEnd();
  if (compareView) compareEnded();
  fflush(stdout);
}

}  // namespace

BusValue readBus(const char* name) { return busOf(bundleBits(name)); }
SignalValue readBit(const char* name) { return bitOf(bundleBits(name)); }

bool storeIgnored(const CycleView& c) {
  return c.access == storeAccess && !(c.accessAddress.unknown & ramAddressBit) && !(c.accessAddress.value & ramAddressBit);
}

bool memoryStall(const CycleView& c) { return c.access != noAccess; }

int operandRegister(uint16_t word, int operand) {
  static const int shift[numberOfOperands] = {3, 0, 11};
  return word >> shift[operand] & 0x7;
}

const char* forwardSourceName(ForwardSource source) {
  return source == forwardMEM ? "MEM" : source == forwardWB ? "WB" : "?";
}

void startViews() {
  if (viewsStarted) return;
  viewsStarted = true;
  if (cyclesToRun && keyScriptGiven) {
    fprintf(stderr, "ERROR -- --cycles makes its own key presses: it cannot be used together with --keys\n");
    exit(2);
  }
  lookUpSignals();
  RunObserver observer{initialized, nullptr, ended};
  observer.settled = atRest;
  runObservers.push_back(observer);
}

void keepOnlyViewObserver() {
  std::vector<RunObserver> kept;
  for (const RunObserver& o : runObservers)
    if (o.settled == atRest) kept.push_back(o);
  runObservers = kept;
}

void resetViews() {
  signals = ProcessorSignals();
  observation = Observation();
  viewsStarted = false;
  resetViewOptions();
}
