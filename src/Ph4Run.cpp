// The run loop: the only loop of the simulator, on the only thread.
//
// Each step evaluates the activated components in index order, applies every event due at the next
// event time (waking the components that listen to a changed bit), serves input every second step and
// waits when slowed.  Activated components are kept in a worklist so that a step costs what changed,
// not the size of the netlist; the pass still runs them in index order.
#include <algorithm>

#include "Globals.h"
#include "KeyScript.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "SchCell.h"
#include "Window.h"

namespace {

// 2^level ms after each step; levels above 30 wait as long as 30.
long waitsForStallLevel(int level) { return level <= 0 ? 0 : 1L << std::min(level, 30); }

void replayOptionStrings() {
  for (const char* f = FunctionKeyString; *f; f++) FunctionKeyOperate(*f - '0');
  for (const char* k = CursorKeyString; *k; k++) CursorKeyOperate(*k - '0');
}

void firstDrawing() {
  PhaseFive& p5 = *phaseFive;
  SchematicCell root;
  p5.componentTiling(&root);
  p5.drawSchematic();
  p5.superProbeCollect = 0;
  if (p5.interconnectFlag) p5.connect();
  p5.drawPanes();
  if (p5.superProbeSelect) p5.displaySuperProbes();
  p5.windexPointer->drawSubWindow();
}

void drainInput() {
  while (anyWindowEvents()) {
  }
}

// With a window and nothing to do (the circuit at rest, or halted, and no scripted key waiting), the
// loop blocks on the X connection for a while instead of spinning on it; input ends the wait at once.
const int idleWaitMs = 100;

void idleWait() {
  Windex& w = *phaseFive->windexPointer;
  if (w.usable() && keyScriptNext >= keyScript.size()) w.waitForInput(idleWaitMs);
}

}  // namespace

void PhaseFour::activate(int cind) {
  int& mark = phaseThree->componentsActivated[cind];
  if (mark) return;
  mark = 1;
  activated.push_back(cind);
}

namespace {

// The worklist in index order.  It is mostly a few sorted runs (activation lists are in index order),
// so short lists are insertion-sorted and long ones are checked before being sorted.
void sortWorklist(std::vector<int>& list) {
  size_t n = list.size();
  int* a = list.data();
  if (n <= 32) {
    for (size_t i = 1; i < n; i++) {
      int v = a[i];
      size_t j = i;
      for (; j > 0 && a[j - 1] > v; j--) a[j] = a[j - 1];
      a[j] = v;
    }
  } else if (!std::is_sorted(list.begin(), list.end())) {
    std::sort(list.begin(), list.end());
  }
}

}  // namespace

void PhaseFour::callInputRoutines() {
  for (int c = 0; c < phaseTwo->numberOfComponents; c++)
    if (phaseTwo->xEventTriggered[c]) phaseTwo->xEventTriggered[c](c);
}

void PhaseFour::startRun() {
  replayOptionStrings();
  firstDrawing();
  runInitialize();
  callInputRoutines();
  done = phaseTwo->numberOfComponents == 0 ? 1 : 0;
  inputCountdown = 1;
  observeBatches = false;
  for (const RunObserver& o : runObservers)
    if (o.batchApplied) observeBatches = true;
}

void PhaseFour::evaluationPass() {
  const PhaseTwo& p2 = *phaseTwo;
  PhaseThree& p3 = *phaseThree;
  sortWorklist(activated);
  const ComponentRoutine* evaluate = p2.logicEvaluate.data();
  const ComponentRoutine* draw = p2.drawDynamic.data();
  int* marks = p3.componentsActivated.data();
  // No event is applied during the pass, so nothing can be activated while it runs: each mark is
  // cleared as its component comes up.
  for (int c : activated) {
    marks[c] = 0;
    if (evaluate[c]) evaluate[c](c);
    if (draw[c] && phaseFive->isVisible(c)) draw[c](c);
  }
  if (phaseFive->superProbeSelect) phaseFive->displaySuperProbes();
  activated.clear();
}

void PhaseFour::applyNextBatch() {
  if (skewHeap.isEmpty()) return;
  PhaseThree& p3 = *phaseThree;
  bool observed = observeBatches;
  if (observed) changedBits.clear();
  SignalValue* current = p3.currentSignals.data();
  int* const* lists = p3.activationList.data();
  const int* lengths = p3.lengthOfActivationList.data();
  int* marks = p3.componentsActivated.data();
  uint64_t now = skewHeap.root->time;
  time = now;
  uint64_t applied = 0;
  do {
    const Event& e = *skewHeap.root;
    int s = e.signalSerialNumber;
    SignalValue v = e.sigValue;
    skewHeap.removeMin();
    applied++;
    if (v == current[s]) continue;
    current[s] = v;
    if (observed) changedBits.push_back(s);
    const int* listeners = lists[s];
    for (int k = 0, n = lengths[s]; k < n; k++) {
      int c = listeners[k];
      if (marks[c]) continue;
      marks[c] = 1;
      activated.push_back(c);
    }
  } while (skewHeap.root && skewHeap.root->time == now);
  eventsApplied += applied;
  if (observed && !changedBits.empty())
    for (const RunObserver& o : runObservers)
      if (o.batchApplied) o.batchApplied(time, changedBits);
}

void PhaseFour::serveInput() {
  if (inputCountdown > 0) {
    inputCountdown--;
    return;
  }
  drainInput();
  inputCountdown = 1;
}

void PhaseFour::pace() {
  for (long waits = 0; waits < waitsForStallLevel(stallLevel);) {
    msWait();
    while (anyWindowEvents())
      if (displayTimeFlag) phaseFive->windexPointer->drawTimeAndQueue(time, skewHeap.getLength(), stallLevel);
    if (done) break;
    waits++;
    if (reStart) break;
  }
  if (settled()) idleWait();
}

void PhaseFour::run() {
  startRun();
  while (!done) {
    if (stopTime != 0 && time > stopTime) break;
    if (haltFlag) {
      drainInput();
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
    pace();
  }
}
