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

bool isSignalValue(int v) { return unsigned(v) <= unsigned(ONE); }

}  // namespace

// The TIME WARP diagnostic: a change requested earlier than the bit's last queued change.
void PhaseFour::reportTimeWarp(int n, SignalValue value, uint64_t requested) {
  const PhaseThree& p3 = *phaseThree;
  fprintf(stderr, "TIME WARP  sigNr = %d sigName = %s\n already sked to become %s at time = %llu, which was queued at time = %llu\n",
          n, phaseTwo->signalNames[n].c_str(), signalValueName(p3.scheduledSignals[n]),
          static_cast<unsigned long long>(p3.scheduledTimes[n]), static_cast<unsigned long long>(p3.whenScheduled[n]));
  fprintf(stderr, "  Now scheduling to become %s at time = %llu.  Now Queueing-time = %llu\n", signalValueName(value),
          static_cast<unsigned long long>(requested), static_cast<unsigned long long>(time));
}

// recordEventQueueInput without building the event first: the transition rules call it for every
// event they make.
inline void PhaseFour::queueChange(uint64_t at, int n, SignalValue value) {
  PhaseThree& p3 = *phaseThree;
  uint64_t last = p3.scheduledTimes[n];
  if (at < last) {
    if (value != UNINITIALIZED && value != XXX) reportTimeWarp(n, value, at);
    at = last + 1;
  }
  p3.scheduledSignals[n] = value;
  p3.scheduledTimes[n] = at;
  p3.whenScheduled[n] = time;
  skewHeap.add(at, n, value);
}

// signalTransition past its first test: the request differs from the scheduled value.
void PhaseFour::requestTransition(int n, SignalValue newSignalValue, int quickTime, int lazyTime) {
  SignalValue old = phaseThree->scheduledSignals[n];
  if (!isSignalValue(old) || !isSignalValue(newSignalValue)) return;
  const Transition& t = transitionTable[old][newSignalValue];
  if (t.first.delay == none) return;
  queueChange(time + uint64_t(int64_t(t.first.delay == Q ? quickTime : lazyTime)), n, t.first.value);
  if (t.second.delay == none) return;
  queueChange(time + uint64_t(int64_t(t.second.delay == Q ? quickTime : lazyTime)), n, t.second.value);
}

void PhaseFour::altSignalTransition(int n, SignalValue newSignalValue, int deltaTime) {
  signalTransition(n, newSignalValue, deltaTime + defaultQuickTimeDelta, deltaTime + defaultLazyTimeDelta);
}

void PhaseFour::recordEventQueueInput(Event ev) { queueChange(ev.time, ev.signalSerialNumber, ev.sigValue); }

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
