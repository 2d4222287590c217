// The run loop: the only loop of the simulator, on the only thread.
//
// Each step evaluates the activated components in index order, applies every event due at the next
// event time (waking the components that listen to a changed bit), serves input every second step and
// waits when slowed.  Activated components are marked in a two-level bitmap, a word per 64
// components and a summary bit per word, so that a step costs what changed, not the size of the
// netlist, and the pass reads them off in index order without sorting.  Simple gates, tri-state
// buffers and D flip-flops are evaluated by the pass itself rather than through their routines.
#include <algorithm>
#include <cstdio>

#include "Capability.h"
#include "CompKinds.h"
#include "CompSupport.h"
#include "Globals.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Window.h"

namespace {

// 2^level ms after each step; levels above 30 wait as long as 30.
long waitsForStallLevel(int level) { return level <= 0 ? 0 : 1L << std::min(level, 30); }

void replayOptionStrings() {
  for (const char* f = FunctionKeyString; *f; f++) FunctionKeyOperate(*f - '0');
  for (const char* k = CursorKeyString; *k; k++) CursorKeyOperate(*k - '0');
}

// The first drawing is a repaint once the tiles exist.
void firstDrawing() {
  layOutTiles();
  phaseFive->tilesComputed = 1;
  phaseFive->repaint();
}

void drainInput() {
  while (anyWindowEvents()) {
  }
}

// Standard error's text (probe reports above all) collects in a large buffer (StdStreams.cpp).  The
// run writes it out when it starts, whenever it may wait for a person or a scripted key (the circuit
// at rest, halted or slowed), every so many input polls while the circuit keeps running, and when it
// ends; exit() does on every other way out.
const int pollsBetweenFlushes = 1024;

// With a window and nothing to do (the circuit at rest, or halted, and no scripted key waiting), the
// loop blocks on the X connection for a while instead of spinning on it; input ends the wait at once.
const int idleWaitMs = 100;

void idleWait() {
  Windex& w = *phaseFive->windexPointer;
  if (w.usable() && scriptedInput().usedUp()) w.waitForInput(idleWaitMs);
}

}  // namespace

void PhaseFour::markAllActivated() {
  size_t n = size_t(phaseTwo->numberOfComponents);
  size_t words = (n + 63) / 64;
  activeWords.assign(words, ~uint64_t(0));
  if (n % 64) activeWords[words - 1] = (uint64_t(1) << (n % 64)) - 1;
  activeSummary.assign((words + 63) / 64, ~uint64_t(0));
  if (words % 64) activeSummary.back() = (uint64_t(1) << (words % 64)) - 1;
}

void PhaseFour::groupActivationLists() {
  const PhaseThree& p3 = *phaseThree;
  size_t ns = size_t(phaseTwo->numberOfSignals);
  activationGroups.clear();
  groupBegin.assign(ns + 1, 0);
  for (size_t s = 0; s < ns; s++) {
    groupBegin[s] = uint32_t(activationGroups.size());
    const int* list = p3.activationList[s];
    for (int k = 0; k < p3.lengthOfActivationList[s]; k++) {
      uint32_t word = uint32_t(list[k]) / 64;
      uint64_t bit = uint64_t(1) << (unsigned(list[k]) % 64);
      if (groupBegin[s] < activationGroups.size() && activationGroups.back().word == word)
        activationGroups.back().mask |= bit;
      else
        activationGroups.push_back({bit, uint64_t(1) << (word % 64), word});
    }
    if (groupBegin[s] == activationGroups.size()) activationGroups.push_back({0, 0, 0});
  }
  groupBegin[ns] = uint32_t(activationGroups.size());
}

bool PhaseFour::anyActivated() const {
  for (uint64_t w : activeSummary)
    if (w) return true;
  return false;
}

void PhaseFour::callInputRoutines() {
  for (int c = 0; c < phaseTwo->numberOfComponents; c++)
    if (phaseTwo->xEventTriggered[c]) phaseTwo->xEventTriggered[c](c);
}

void PhaseFour::startRun() {
  replayOptionStrings();
  firstDrawing();
  runInitialize();
  classifyDirectEvaluations();
  groupActivationLists();
  callInputRoutines();
  done = phaseTwo->numberOfComponents == 0 ? 1 : 0;
  inputCountdown = 1;
  scriptWakeTime = scriptedInput().wakeTime();
  observeBatches = observeRests = false;
  for (const RunObserver& o : runObservers) {
    if (o.batchApplied) observeBatches = true;
    if (o.settled) observeRests = true;
  }
}

void PhaseFour::classifyDirectEvaluations() {
  const PhaseTwo& p2 = *phaseTwo;
  directEvaluations.assign(size_t(p2.numberOfComponents),
                           DirectEvaluation{nullptr, 0, 0, 0, 0, byRoutine, reduceMinimum, false});
  for (int c = 0; c < p2.numberOfComponents; c++) {
    DirectEvaluation& d = directEvaluations[size_t(c)];
    // Components without an output drive nothing, and drawn ones need the pass's drawing step: their
    // routines keep those cases.
    if (!directEvaluationFlag || p2.numberOfOutputs[c] <= 0 || p2.drawDynamic[c]) continue;
    const ComponentKind& k = kindOf(c);
    DirectKind kind = byRoutine;
    if (k.direct == directGate)
      kind = p2.numberOfDataInputs[c] == 2 ? gateOfTwo : gateOfAny;
    else if (k.direct == directFlipFlop && p2.numberOfDataInputs[c] == 4)
      kind = dFlipFlop;
    else if (k.direct == directBuffer && p2.numberOfDataInputs[c] >= 1 && p2.numberOfControlInputs[c] >= 1)
      kind = triStateBuffer;
    if (kind == byRoutine) continue;
    const int* in = p2.dataInputs[c];
    int first = kind == gateOfTwo ? in[0] : kind == triStateBuffer ? p2.controlInputs[c][0] : 0;
    int second = kind == gateOfTwo || kind == triStateBuffer ? in[kind == gateOfTwo ? 1 : 0] : 0;
    d = {in, p2.numberOfDataInputs[c], p2.outputs[c][0], first, second, kind, k.reduction, k.invert};
  }
  const int pins[2] = {0, 1};
  for (int r = 0; r < 3; r++)
    for (int inv = 0; inv < 2; inv++)
      for (int a = 0; a < 8; a++)
        for (int b = 0; b < 8; b++) {
          const SignalValue pair[2] = {SignalValue(a), SignalValue(b)};
          gatePairs[r][inv][8 * a + b] = uint8_t(simpleGateOutput(pins, 2, pair, GateReduction(r), inv != 0));
        }
}

namespace {

__attribute__((noinline)) SignalValue anyGateOutput(const int* in, int n, const SignalValue* current,
                                                    GateReduction reduction, bool invert) {
  return simpleGateOutput(in, n, current, reduction, invert);
}

}  // namespace

SignalValue PhaseFour::evaluateGate(const DirectEvaluation& g, const SignalValue* current) const {
  if (g.kind == gateOfTwo) {
    unsigned a = unsigned(current[g.first]), b = unsigned(current[g.second]);
    if ((a | b) < 8) return SignalValue(gatePairs[g.reduction][g.invert][8 * a + b]);
  }
  return anyGateOutput(g.inputs, g.inputCount, current, g.reduction, g.invert);
}

void PhaseFour::evaluateDirectly(int c, const DirectEvaluation& d, const SignalValue* current) {
  if (d.kind == dFlipFlop) {
    SignalValue out;
    if (dffStep(phaseTwo->state[c], d.inputs, current, out)) signalTransition(d.output, out, msiQuickTime, msiLazyTime);
  } else if (d.kind == triStateBuffer) {
    tsbSignalTransition(c, d.output, triStateOutput(current[d.first], current[d.second]), ssiQuickTime, ssiLazyTime);
  } else {
    signalTransition(d.output, evaluateGate(d, current), ssiQuickTime, ssiLazyTime);
  }
}

void PhaseFour::evaluationPass() {
  const PhaseTwo& p2 = *phaseTwo;
  const ComponentRoutine* evaluate = p2.logicEvaluate.data();
  const ComponentRoutine* draw = p2.drawDynamic.data();
  const DirectEvaluation* direct = directEvaluations.data();
  const SignalValue* current = phaseThree->currentSignals.data();
  uint64_t* words = activeWords.data();
  // No event is applied during the pass, so nothing can be activated while it runs: each word is
  // cleared as the pass reaches it, in index order.
  for (size_t s = 0; s < activeSummary.size(); s++) {
    uint64_t summary = activeSummary[s];
    activeSummary[s] = 0;
    while (summary) {
      size_t w = s * 64 + size_t(__builtin_ctzll(summary));
      summary &= summary - 1;
      uint64_t word = words[w];
      words[w] = 0;
      while (word) {
        int c = int(w * 64 + size_t(__builtin_ctzll(word)));
        word &= word - 1;
        const DirectEvaluation& d = direct[c];
        if (d.kind != byRoutine) {
          evaluateDirectly(c, d, current);
          continue;
        }
        if (evaluate[c]) evaluate[c](c);
        if (draw[c] && phaseFive->isVisible(c)) draw[c](c);
      }
    }
  }
  if (phaseFive->superProbeSelect) phaseFive->paceSuperProbes();
}

void PhaseFour::applyNextBatch() {
  if (scriptWakeTime > time && wakeForScript()) return;
  if (skewHeap.isEmpty()) return;
  PhaseThree& p3 = *phaseThree;
  bool observed = observeBatches;
  if (observed) changedBits.clear();
  SignalValue* current = p3.currentSignals.data();
  const ActivationGroup* groups = activationGroups.data();
  const uint32_t* begin = groupBegin.data();
  uint64_t* words = activeWords.data();
  uint64_t* summary = activeSummary.data();
  uint64_t now = skewHeap.root->time;
  time = now;
  uint64_t applied = 0;
  do {
    const Event& e = *skewHeap.root;
    int s = e.signalSerialNumber;
    SignalValue v = e.sigValue;
    skewHeap.removeMin();
    applied++;
    // An event that changes nothing wakes nobody: its listener count is taken as 0, which spares
    // the loop an unpredictable branch.
    bool changed = v != current[s];
    current[s] = v;
    if (observed && changed) changedBits.push_back(s);
    // Marking is idempotent, so a listener already marked needs no test, and an unchanged bit's
    // first group is applied with empty masks rather than skipped.
    uint64_t keep = uint64_t(0) - uint64_t(changed);
    const ActivationGroup* group = groups + begin[s];
    words[group->word] |= group->mask & keep;
    summary[group->word / 64] |= group->summaryBit & keep;
    uint32_t more = (begin[s + 1] - begin[s] - 1) & uint32_t(keep);
    for (uint32_t k = 1; k <= more; k++) {
      words[group[k].word] |= group[k].mask;
      summary[group[k].word / 64] |= group[k].summaryBit;
    }
  } while (skewHeap.root && skewHeap.root->time == now);
  eventsApplied += applied;
  if (observed && !changedBits.empty())
    for (const RunObserver& o : runObservers)
      if (o.batchApplied) o.batchApplied(time, changedBits);
}

// The tick of a timed step in the key script comes before the next event (or there is none): time
// moves to it without applying anything, and input is served in this step, so that the press after
// the step is made at that very tick.  A tick beyond the stop time is never visited: the run goes on
// to its next event as without the step, or, with none left, just past the stop time, where it ends.
bool PhaseFour::wakeForScript() {
  bool eventFirst = !skewHeap.isEmpty() && skewHeap.root->time <= scriptWakeTime;
  bool beyondStop = stopTime != 0 && scriptWakeTime > stopTime;
  if (eventFirst || (beyondStop && !skewHeap.isEmpty())) return false;
  time = beyondStop ? stopTime + 1 : scriptWakeTime;
  inputCountdown = 0;
  return true;
}

void PhaseFour::pollInput() {
  drainInput();
  scriptWakeTime = scriptedInput().wakeTime();
}

// Activity since the last rest is read off the event count, so the batches pay nothing for it.
void PhaseFour::noticeRest() {
  if (!observeRests || eventsApplied == eventsAtLastRest || !settled()) return;
  eventsAtLastRest = eventsApplied;
  for (const RunObserver& o : runObservers)
    if (o.settled) o.settled();
}

void PhaseFour::serveInput() {
  if (inputCountdown > 0) {
    inputCountdown--;
    return;
  }
  noticeRest();
  if (--pollsUntilFlush <= 0 || settled() || stallLevel) {
    fflush(stderr);
    pollsUntilFlush = pollsBetweenFlushes;
  }
  // Without a window or a key script nothing can arrive: the poll is skipped, and once the circuit
  // rests nothing can change any more, so the run ends as if a used-up script had ended it.
  if (phaseFive->windexPointer->windowOpen || scriptedInput().given())
    pollInput();
  else if (scriptedInput().finished())
    done = 1;
  inputCountdown = 1;
}

void PhaseFour::pace() {
  for (long waits = 0; waits < waitsForStallLevel(stallLevel);) {
    msWait();
    noticeRest();
    while (anyWindowEvents())
      if (displayTimeFlag) phaseFive->windexPointer->drawTimeAndQueue(time, skewHeap.getLength(), stallLevel);
    scriptWakeTime = scriptedInput().wakeTime();
    if (done) break;
    waits++;
    if (reStart) break;
  }
  if (phaseFive->windexPointer->usable() && settled()) idleWait();
}

void PhaseFour::run() {
  fflush(stderr);
  pollsUntilFlush = pollsBetweenFlushes;
  startRun();
  while (!done) {
    if (stopTime != 0 && time > stopTime) break;
    if (haltFlag) {
      fflush(stderr);
      pollInput();
      idleWait();
      continue;
    }
    if (reStart) {
      runInitialize();
      callInputRoutines();
      reStart = 0;
    }
    if (displayTimeFlag) phaseFive->windexPointer->drawTimeAndQueue(time, skewHeap.getLength(), stallLevel);
    evaluationPass();
    applyNextBatch();
    serveInput();
    if (stallLevel || phaseFive->windexPointer->usable()) pace();  // else it has nothing to do
  }
  fflush(stderr);
}
