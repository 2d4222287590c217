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
}

void PhaseFour::evaluationPass() {
  const PhaseTwo& p2 = *phaseTwo;
  PhaseThree& p3 = *phaseThree;
  std::sort(activated.begin(), activated.end());
  for (int c : activated) {
    if (p2.logicEvaluate[c]) p2.logicEvaluate[c](c);
    if (p2.drawDynamic[c] && phaseFive->isVisible(c)) p2.drawDynamic[c](c);
  }
  if (phaseFive->superProbeSelect) phaseFive->displaySuperProbes();
  for (int c : activated) p3.componentsActivated[c] = 0;
  activated.clear();
}

void PhaseFour::applyNextBatch() {
  if (skewHeap.isEmpty()) return;
  PhaseThree& p3 = *phaseThree;
  bool observed = !runObservers.empty();
  changedBits.clear();
  time = skewHeap.root->time;
  while (!skewHeap.isEmpty() && skewHeap.root->time == time) {
    const Event& e = *skewHeap.root;
    int s = e.signalSerialNumber;
    if (e.sigValue != p3.currentSignals[s]) {
      p3.currentSignals[s] = e.sigValue;
      if (observed) changedBits.push_back(s);
      const int* listeners = p3.activationList[s];
      for (int k = 0; k < p3.lengthOfActivationList[s]; k++) activate(listeners[k]);
    }
    skewHeap.removeMin();
  }
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
