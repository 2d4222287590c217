// The run phase: simulation time, the event queue, the transition rules and the run loop.
#ifndef TARVIK_PH4_H
#define TARVIK_PH4_H

#include <cstdint>
#include <map>
#include <vector>

#include "Event.h"
#include "FlipFlop.h"
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
  inline void signalTransition(int signalSerialNumber, SignalValue newSignalValue, int quickTime, int lazyTime);
  void altSignalTransition(int signalSerialNumber, SignalValue newSignalValue, int deltaTime);
  // A tri-state buffer's request for a bus bit: arbitrates, then passes it on or refuses.
  void tsbSignalTransition(int cind, int signalSerialNumber, SignalValue newSignalValue, int quickTime,
                           int lazyTime);
  void recordEventQueueInput(Event ev);

  // 1 when the queue is empty, no component waits to be evaluated and no restart is pending.
  int settled() const;

private:
  inline void queueChange(uint64_t at, int signalSerialNumber, SignalValue value);
  uint64_t timeWarp(int signalSerialNumber, SignalValue value, uint64_t requested);
  void startRun();
  void evaluationPass();
  void applyNextBatch();
  void callInputRoutines();
  void serveInput();
  void pace();

  // The components' activation flags (due for evaluation in the next pass), as a bitmap in index
  // order: bit c%64 of activeWords[c/64], and bit w%64 of activeSummary[w/64] for every word w that
  // has a bit set.  The pass reads them off with count-trailing-zeros, so it costs what was
  // activated, not the size of the netlist.
  std::vector<uint64_t> activeWords;
  std::vector<uint64_t> activeSummary;
  void markAllActivated();
  bool anyActivated() const;
  // Each signal's activation list as words of that bitmap: the components of one list that share a
  // word are marked by one OR.  groupBegin[s] .. groupBegin[s + 1] are signal s's groups; a signal
  // without listeners has one group that marks nothing, so that the first group needs no test.
  struct ActivationGroup {
    uint64_t mask;
    uint64_t summaryBit;
    uint32_t word;
  };
  std::vector<ActivationGroup> activationGroups;
  std::vector<uint32_t> groupBegin;
  void groupActivationLists();
  // Components that the pass evaluates itself instead of calling their routine: the simple gates and
  // tri-state buffers (SimpleGate.h) and D flip-flops (FlipFlop.h), the bulk of a gate-level netlist.
  // Built when the run starts.  Two-input gates whose input values are below 8 (every proper value
  // is) read their output from a table made from the same evaluation.
  enum DirectKind : uint8_t { byRoutine, gateOfTwo, gateOfAny, dFlipFlop, triStateBuffer };
  struct DirectEvaluation {
    const int* inputs;
    int32_t inputCount;
    int32_t output;
    int32_t first, second;  // a two-input gate's input bits (a buffer's enable and data), read directly
    DirectKind kind;
    GateReduction reduction;
    bool invert;
  };
  std::vector<DirectEvaluation> directEvaluations;
  uint8_t gatePairs[3][2][64];  // [reduction][invert][8 * first + second]
  void classifyDirectEvaluations();
  inline void evaluateDirectly(int c, const DirectEvaluation& d, const SignalValue* current);
  inline SignalValue evaluateGate(const DirectEvaluation& g, const SignalValue* current) const;
  std::vector<int> changedBits;  // bits changed by the last batch, collected only for observers
  bool observeBatches = false;   // some observer wants batchApplied; fixed when the run starts
  bool observeRests = false;     // some observer wants settled; fixed when the run starts
  uint64_t eventsAtLastRest = ~uint64_t(0);  // eventsApplied when settled observers were last called
  void noticeRest();
  int inputCountdown = 1;
  int pollsUntilFlush = 0;  // input polls left before buffered standard error is written out
  // The tick of the key script's next timed step (0: none), read again after input is served: the
  // run visits that tick even when no event falls on it.
  uint64_t scriptWakeTime = 0;
  void pollInput();
  bool wakeForScript();
};

// What a request queues, by [scheduled][requested] value, packed from the transition table (Transit.cpp):
// the first event's value in the low bits, whether it comes at the lazy delay, and whether the requested
// level follows at the lazy delay.
enum TransitionPlanBits : uint8_t { planValueMask = 7, planFirstLazy = 8, planLevelFollows = 16, planNothing = 32 };
struct TransitionPlans {
  uint8_t plan[5][5];
};
extern const TransitionPlans transitionPlans;

// The transition rules run for almost every evaluation, so they are inline.  A request for the value
// already scheduled (the most common request) returns at once.
void PhaseFour::signalTransition(int n, SignalValue newSignalValue, int quickTime, int lazyTime) {
  SignalValue old = phaseThree->scheduledSignals[n];
  if (newSignalValue == old) return;
  if (unsigned(old) > unsigned(ONE) || unsigned(newSignalValue) > unsigned(ONE)) return;
  unsigned plan = transitionPlans.plan[old][newSignalValue];
  if (plan & planNothing) return;
  uint64_t quick = time + uint64_t(int64_t(quickTime)), lazy = time + uint64_t(int64_t(lazyTime));
  queueChange(plan & planFirstLazy ? lazy : quick, n, SignalValue(plan & planValueMask));
  if (plan & planLevelFollows) queueChange(lazy, n, newSignalValue);
}

// recordEventQueueInput without building the event first.
void PhaseFour::queueChange(uint64_t at, int n, SignalValue value) {
  PhaseThree& p3 = *phaseThree;
  if (at < p3.scheduledTimes[n]) at = timeWarp(n, value, at);
  p3.scheduledSignals[n] = value;
  p3.scheduledTimes[n] = at;
  p3.whenScheduled[n] = time;
  skewHeap.add(at, n, value);
}

// Observers of the run (a waveform dump, an end-of-run check).  Any routine may be null.
struct RunObserver {
  void (*initialized)();  // after every (re)initialisation: time 0, every bit at its initial value
  // After a batch: the bits whose value changed (a bit set twice in one tick may appear twice).
  void (*batchApplied)(uint64_t time, const std::vector<int>& changedBits);
  void (*ended)();  // once, after the run
  // When the circuit has come to rest after activity (queue empty, nothing to evaluate), seen at the
  // input poll, before any input is taken: the moment a key press would be.  Defaulted, so that
  // observers written without it stay as they are.
  void (*settled)() = nullptr;
};
extern std::vector<RunObserver> runObservers;
void notifyRunEnded();

// Bus owner of each tri-state bit: the buffer that last took it from HIZ.  Never reset.  A map from
// serial number to component index in which a bit never recorded reads as 0; serial numbers are dense,
// so it is kept as an array (grown on demand) and a lookup costs no tree walk.
class BusOwnerMap {
public:
  int& operator[](int serial) {
    if (serial < 0) return negativeKeys[serial];
    if (size_t(serial) >= owners.size()) owners.resize(size_t(serial) + 1, 0);
    return owners[size_t(serial)];
  }

private:
  std::vector<int> owners;
  std::map<int, int> negativeKeys;  // never used by a netlist; kept so that any key behaves as in a map
};
extern BusOwnerMap m;

#endif
