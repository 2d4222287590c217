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

BusOwnerMap m;

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

constexpr Step no = {ZERO, none};

// transitionTable[scheduled][requested], values in SignalValue order ZERO, UNINITIALIZED, XXX, HIZ, ONE.
constexpr Transition transitionTable[5][5] = {
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

// The packed form keeps a second step only as "the requested value at L".
constexpr bool packable(const Transition& t, int requested) {
  return t.second.delay == none || (t.second.value == requested && t.second.delay == L && t.first.delay != none);
}

constexpr bool allPackable() {
  for (int s = 0; s < 5; s++)
    for (int r = 0; r < 5; r++)
      if (!packable(transitionTable[s][r], r)) return false;
  return true;
}
static_assert(allPackable(), "every second step is the requested value at the lazy delay");

constexpr uint8_t planOf(const Transition& t) {
  if (t.first.delay == none) return planNothing;
  return uint8_t(t.first.value | (t.first.delay == L ? planFirstLazy : 0) |
                 (t.second.delay == none ? 0 : planLevelFollows));
}

}  // namespace

constexpr TransitionPlans packTransitionTable() {
  TransitionPlans plans{};
  for (int scheduled = 0; scheduled < 5; scheduled++)
    for (int requested = 0; requested < 5; requested++)
      plans.plan[scheduled][requested] = planOf(transitionTable[scheduled][requested]);
  return plans;
}

const TransitionPlans transitionPlans = packTransitionTable();

// A change requested earlier than the bit's last queued change: the TIME WARP diagnostic for a level
// or HIZ, and the time one tick after that change, where it is queued instead.
uint64_t PhaseFour::timeWarp(int n, SignalValue value, uint64_t requested) {
  const PhaseThree& p3 = *phaseThree;
  if (value != UNINITIALIZED && value != XXX) {
    fprintf(stderr, "TIME WARP  sigNr = %d sigName = %s\n already sked to become %s at time = %llu, which was queued at time = %llu\n",
            n, phaseTwo->signalNames[n].c_str(), signalValueName(p3.scheduledSignals[n]),
            static_cast<unsigned long long>(p3.scheduledTimes[n]), static_cast<unsigned long long>(p3.whenScheduled[n]));
    fprintf(stderr, "  Now scheduling to become %s at time = %llu.  Now Queueing-time = %llu\n", signalValueName(value),
            static_cast<unsigned long long>(requested), static_cast<unsigned long long>(time));
  }
  return p3.scheduledTimes[n] + 1;
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
