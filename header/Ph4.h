// The run phase: simulation time, the event queue, the transition rules and the run loop.
#ifndef TARVIK_PH4_H
#define TARVIK_PH4_H

#include <cstdint>
#include <map>
#include <vector>

#include "Event.h"
#include "Globals.h"
#include "Ph3.h"
#include "SkewHeap.h"

// Delays of altSignalTransition beyond its deltaTime.
const int defaultQuickTimeDelta = 4;
const int defaultLazyTimeDelta = 9;

class PhaseFour {
public:
  uint64_t time = 0;
  SkewHeap skewHeap;
  uint64_t eventsApplied = 0;  // events taken from the queue by the run loop, over the whole run

  PhaseFour() = default;
  void runInitialize();
  void run();
  void msWait();

  // Requests that a bit take a value: zero, one or two events, with XXX between the levels.
  // A request for the value already scheduled (the most common request) returns at once.
  void signalTransition(int signalSerialNumber, SignalValue newSignalValue, int quickTime, int lazyTime) {
    if (newSignalValue == phaseThree->scheduledSignals[signalSerialNumber]) return;
    requestTransition(signalSerialNumber, newSignalValue, quickTime, lazyTime);
  }
  void altSignalTransition(int signalSerialNumber, SignalValue newSignalValue, int deltaTime);
  // A tri-state buffer's request for a bus bit: arbitrates, then passes it on or refuses.
  void tsbSignalTransition(int cind, int signalSerialNumber, SignalValue newSignalValue, int quickTime,
                           int lazyTime);
  void recordEventQueueInput(Event ev);

  // 1 when the queue is empty, no component waits to be evaluated and no restart is pending.
  int settled() const;

private:
  void requestTransition(int signalSerialNumber, SignalValue newSignalValue, int quickTime, int lazyTime);
  void queueChange(uint64_t at, int signalSerialNumber, SignalValue value);
  void reportTimeWarp(int signalSerialNumber, SignalValue value, uint64_t requested);
  void startRun();
  void evaluationPass();
  void applyNextBatch();
  void activate(int cind);
  void callInputRoutines();
  void serveInput();
  void pace();

  // The worklist: its first activatedCount entries are the components marked for the next pass,
  // unordered.  It has room for every component and one more, so that appending needs no test.
  std::vector<int> activated;
  size_t activatedCount = 0;
  std::vector<uint64_t> worklistBits;  // scratch for putting long worklists in index order
  std::vector<int> changedBits;  // bits changed by the last batch, collected only for observers
  bool observeBatches = false;   // some observer wants batchApplied; fixed when the run starts
  int inputCountdown = 1;
  int pollsUntilFlush = 0;  // input polls left before buffered standard error is written out
};

// Observers of the run (a waveform dump, an end-of-run check).  Any routine may be null.
struct RunObserver {
  void (*initialized)();  // after every (re)initialisation: time 0, every bit at its initial value
  // After a batch: the bits whose value changed (a bit set twice in one tick may appear twice).
  void (*batchApplied)(uint64_t time, const std::vector<int>& changedBits);
  void (*ended)();  // once, after the run
};
extern std::vector<RunObserver> runObservers;
void notifyRunEnded();

// Bus owner of each tri-state bit: the buffer that last took it from HIZ.  Never reset.
extern std::map<int, int> m;

#endif
