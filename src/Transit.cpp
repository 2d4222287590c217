// Signal transitions: the one way a component drives an output.
//
// A request becomes zero, one or two events, passing through XXX between the two logic levels, and
// the per-bit scheduling record makes a request that changes nothing queue nothing.  Changes of one
// bit always take effect in the order they were requested.
#include <cstdio>

#include "Globals.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"

std::map<int, int> m;

namespace {

// What to queue for a request: up to two (value, delay) steps; Q is the quick delay, L the lazy one.
enum Delay { none, Q, L };
struct Step {
  SignalValue value;
  Delay delay;
};
struct Transition {
  Step first, second;
};

const Step no = {ZERO, none};

// transitionTable[scheduled][requested], values in SignalValue order ZERO, UNINITIALIZED, XXX, HIZ, ONE.
const Transition transitionTable[5][5] = {
    // scheduled ZERO
    {{no, no}, {{HIZ, L}, no}, {{XXX, Q}, no}, {{HIZ, L}, no}, {{XXX, Q}, {ONE, L}}},
    // scheduled UNINITIALIZED
    {{{XXX, Q}, {ZERO, L}}, {no, no}, {{XXX, Q}, no}, {{HIZ, L}, no}, {{XXX, Q}, {ONE, L}}},
    // scheduled XXX
    {{{ZERO, L}, no}, {{HIZ, L}, no}, {no, no}, {{HIZ, L}, no}, {{ONE, L}, no}},
    // scheduled HIZ
    {{{XXX, Q}, {ZERO, L}}, {{XXX, Q}, no}, {{XXX, Q}, no}, {no, no}, {{XXX, Q}, {ONE, L}}},
    // scheduled ONE
    {{{XXX, Q}, {ZERO, L}}, {{UNINITIALIZED, L}, no}, {{XXX, L}, no}, {{HIZ, L}, no}, {no, no}},
};

bool isSignalValue(int v) { return v >= ZERO && v <= ONE; }

}  // namespace

void PhaseFour::signalTransition(int n, SignalValue newSignalValue, int quickTime, int lazyTime) {
  SignalValue old = phaseThree->scheduledSignals[n];
  if (newSignalValue == old || !isSignalValue(old) || !isSignalValue(newSignalValue)) return;
  const Transition& t = transitionTable[old][newSignalValue];
  for (const Step* step : {&t.first, &t.second}) {
    if (step->delay == none) break;
    uint64_t at = time + uint64_t(int64_t(step->delay == Q ? quickTime : lazyTime));
    recordEventQueueInput(Event(at, signalChange, n, step->value));
  }
}

void PhaseFour::altSignalTransition(int n, SignalValue newSignalValue, int deltaTime) {
  signalTransition(n, newSignalValue, deltaTime + defaultQuickTimeDelta, deltaTime + defaultLazyTimeDelta);
}

void PhaseFour::recordEventQueueInput(Event ev) {
  PhaseThree& p3 = *phaseThree;
  int n = ev.signalSerialNumber;
  if (ev.time < p3.scheduledTimes[n]) {
    if (ev.sigValue != UNINITIALIZED && ev.sigValue != XXX) {
      fprintf(stderr, "TIME WARP  sigNr = %d sigName = %s\n already sked to become %s at time = %llu, which was queued at time = %llu\n",
              n, phaseTwo->signalNames[n].c_str(), signalValueName(p3.scheduledSignals[n]),
              static_cast<unsigned long long>(p3.scheduledTimes[n]), static_cast<unsigned long long>(p3.whenScheduled[n]));
      fprintf(stderr, "  Now scheduling to become %s at time = %llu.  Now Queueing-time = %llu\n", signalValueName(ev.sigValue),
              static_cast<unsigned long long>(ev.time), static_cast<unsigned long long>(time));
    }
    ev.time = p3.scheduledTimes[n] + 1;
  }
  p3.scheduledSignals[n] = ev.sigValue;
  p3.scheduledTimes[n] = ev.time;
  p3.whenScheduled[n] = time;
  skewHeap.add(ev);
}

void PhaseFour::tsbSignalTransition(int cind, int n, SignalValue newSignalValue, int quickTime, int lazyTime) {
  SignalValue scheduled = phaseThree->scheduledSignals[n];
  if (scheduled == HIZ) m[n] = cind;
  if (scheduled == ZERO || scheduled == ONE) {
    int owner = m[n];
    if (owner != cind) {
      if (newSignalValue == ONE || newSignalValue == ZERO)
        printf("Another Tsb at %s is trying to drive it to %s, this is not allowed\n", phaseTwo->rcpos[cind].c_str(),
               newSignalValue == ONE ? "ONE" : "ZERO");
      return;
    }
  }
  signalTransition(n, newSignalValue, quickTime, lazyTime);
}
