// The run loop: the only loop of the simulator, on the only thread.
//
// Each step evaluates the activated components in index order, applies every event due at the next
// event time (waking the components that listen to a changed bit), serves input every second step and
// waits when slowed.  Activated components are kept in a worklist so that a step costs what changed,
// not the size of the netlist; the pass still runs them in index order.
#include <algorithm>
#include <cstdio>

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

// Text written during the run (probe reports above all) collects in one large buffer on standard
// error instead of costing a write per line.  It is written out whenever the run may wait for a
// person or a scripted key (the circuit at rest, halted or slowed), every so many input polls while
// the circuit keeps running, when the run ends, and by exit() on every other way out.  Only standard
// error's own order matters: it is one stream, and standard output keeps its own buffering.
char stderrBuffer[1 << 16];
const int pollsBetweenFlushes = 1024;

void bufferStandardError() {
  fflush(stderr);
  setvbuf(stderr, stderrBuffer, _IOFBF, sizeof stderrBuffer);
}

void unbufferStandardError() {
  fflush(stderr);
  setvbuf(stderr, nullptr, _IONBF, 0);
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
  activated[activatedCount++] = cind;
}

namespace {

// The worklist in index order.  Short lists are insertion-sorted; long ones are often already in
// order (one activation list), and otherwise go through a bitmap over the range they span, which
// costs a word per 64 components of that range instead of a comparison sort's unpredictable branches.
void sortWorklist(int* a, size_t n, std::vector<uint64_t>& bits) {
  if (n <= 32) {
    for (size_t i = 1; i < n; i++) {
      int v = a[i];
      size_t j = i;
      for (; j > 0 && a[j - 1] > v; j--) a[j] = a[j - 1];
      a[j] = v;
    }
    return;
  }
  if (std::is_sorted(a, a + n)) return;
  int low = *std::min_element(a, a + n), high = *std::max_element(a, a + n);
  size_t first = size_t(low) / 64, words = size_t(high) / 64 - first + 1;
  if (words > 4 * n) {
    std::sort(a, a + n);
    return;
  }
  if (bits.size() < words) bits.resize(words);
  for (size_t i = 0; i < n; i++) bits[size_t(a[i]) / 64 - first] |= uint64_t(1) << (a[i] % 64);
  size_t k = 0;
  for (size_t w = 0; w < words; w++) {
    uint64_t word = bits[w];
    bits[w] = 0;
    while (word) {
      a[k++] = int((first + w) * 64 + size_t(__builtin_ctzll(word)));
      word &= word - 1;
    }
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
  int* list = activated.data();
  size_t count = activatedCount;
  sortWorklist(list, count, worklistBits);
  const ComponentRoutine* evaluate = p2.logicEvaluate.data();
  const ComponentRoutine* draw = p2.drawDynamic.data();
  int* marks = p3.componentsActivated.data();
  // No event is applied during the pass, so nothing can be activated while it runs: each mark is
  // cleared as its component comes up.
  for (size_t i = 0; i < count; i++) {
    int c = list[i];
    marks[c] = 0;
    if (evaluate[c]) evaluate[c](c);
    if (draw[c] && phaseFive->isVisible(c)) draw[c](c);
  }
  if (phaseFive->superProbeSelect) phaseFive->displaySuperProbes();
  activatedCount = 0;
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
  int* list = activated.data();
  size_t count = activatedCount;
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
    // Every listener is written at the end of the list; the count only moves past the unmarked
    // ones.  Each component stands at most once, so the list never outgrows its room.
    const int* listeners = lists[s];
    for (int k = 0, n = changed ? lengths[s] : 0; k < n; k++) {
      int c = listeners[k];
      list[count] = c;
      count += size_t(1 - marks[c]);
      marks[c] = 1;
    }
  } while (skewHeap.root && skewHeap.root->time == now);
  activatedCount = count;
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
  if (--pollsUntilFlush <= 0 || settled() || stallLevel) {
    fflush(stderr);
    pollsUntilFlush = pollsBetweenFlushes;
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
  bufferStandardError();
  pollsUntilFlush = pollsBetweenFlushes;
  startRun();
  while (!done) {
    if (stopTime != 0 && time > stopTime) break;
    if (haltFlag) {
      fflush(stderr);
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
  unbufferStandardError();
}
