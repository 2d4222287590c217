// The run phase: simulation time, the event queue, the transition rules and the run loop.
#ifndef TARVIK_PH4_H
#define TARVIK_PH4_H

#include <cstdint>
#include <map>
#include <vector>

#include "Event.h"
#include "Globals.h"
#include "Ph3.h"
#include "SimpleGate.h"
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
  void callInputRoutines();
  void serveInput();
  void pace();

  // The components' activation flags (due for evaluation in the next pass), as a bitmap in index
  // order: bit c%64 of activeWords[c/64],
  // and bit w%64 of activeSummary[w/64] for every word w that has a bit set.  The pass reads them
  // off with count-trailing-zeros, so it costs what was activated, not the size of the netlist.
  std::vector<uint64_t> activeWords;
  std::vector<uint64_t> activeSummary;
  void markAllActivated();
  bool anyActivated() const;
  // Each signal's activation list as words of that bitmap: the components of one list that share a
  // word are marked by one OR.  groupBegin[s] .. groupBegin[s + 1] are signal s's groups.
  struct ActivationGroup {
    uint64_t mask;
    uint32_t word;
  };
  std::vector<ActivationGroup> activationGroups;
  std::vector<uint32_t> groupBegin;
  void groupActivationLists();
  // The simple gates (SimpleGate.h), which the pass evaluates itself; built when the run starts.
  struct GateRecord {
    const int* inputs;
    int32_t inputCount;
    int32_t output;
    bool simple;  // false: the component's routine runs
    GateReduction reduction;
    bool invert;
  };
  std::vector<GateRecord> gateRecords;
  void classifyGates();
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
