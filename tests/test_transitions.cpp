// Signal transitions: the event table, the scheduling record, time warps and tri-state arbitration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "Netlist.h"
#include "Sim.h"

namespace {

struct Queued {
  uint64_t time;
  SignalValue value;
  bool operator==(const Queued& o) const { return time == o.time && value == o.value; }
};

std::vector<Queued> drain() {
  std::vector<Queued> q;
  while (!phaseFour->skewHeap.isEmpty()) {
    Event e = phaseFour->skewHeap.min();
    q.push_back({e.time, e.sigValue});
    phaseFour->skewHeap.removeMin();
  }
  return q;
}

// One bit (serial number 2) in a fresh run state.
int oneBit() {
  static Signal* s = new Signal(1, "s");
  elaborate();
  return s->serialNumber[0];
}

void schedule(int n, SignalValue v) { phaseThree->scheduledSignals[n] = v; }

}  // namespace

TEST(Transition, RequestOneFromZero) {
  int n = oneBit();
  schedule(n, ZERO);
  phaseFour->time = 100;
  phaseFour->signalTransition(n, ONE, 7, 10);
  EXPECT_EQ(phaseThree->scheduledSignals[n], ONE);
  EXPECT_EQ(phaseThree->scheduledTimes[n], 110u);
  EXPECT_EQ(phaseThree->whenScheduled[n], 100u);
  phaseFour->time = 101;
  phaseFour->signalTransition(n, ONE, 7, 10);  // already scheduled: nothing
  EXPECT_EQ(drain(), (std::vector<Queued>{{107, XXX}, {110, ONE}}));
}

TEST(Transition, TheWholeTable) {
  int n = oneBit();
  const SignalValue values[] = {ZERO, UNINITIALIZED, XXX, HIZ, ONE};
  // Rows: scheduled value; columns: requested value; Q = 7, L = 10, time 0.
  const std::vector<Queued> table[5][5] = {
      {{}, {{10, HIZ}}, {{7, XXX}}, {{10, HIZ}}, {{7, XXX}, {10, ONE}}},
      {{{7, XXX}, {10, ZERO}}, {}, {{7, XXX}}, {{10, HIZ}}, {{7, XXX}, {10, ONE}}},
      {{{10, ZERO}}, {{10, HIZ}}, {}, {{10, HIZ}}, {{10, ONE}}},
      {{{7, XXX}, {10, ZERO}}, {{7, XXX}}, {{7, XXX}}, {}, {{7, XXX}, {10, ONE}}},
      {{{7, XXX}, {10, ZERO}}, {{10, UNINITIALIZED}}, {{10, XXX}}, {{10, HIZ}}, {}},
  };
  for (int row = 0; row < 5; row++)
    for (int col = 0; col < 5; col++) {
      schedule(n, values[row]);
      phaseThree->scheduledTimes[n] = 0;
      phaseFour->signalTransition(n, values[col], 7, 10);
      EXPECT_EQ(drain(), table[row][col]) << "scheduled " << row << " requested " << col;
    }
  schedule(n, SignalValue(7));
  phaseFour->signalTransition(n, ONE, 7, 10);
  schedule(n, ZERO);
  phaseFour->signalTransition(n, SignalValue(-1), 7, 10);
  EXPECT_TRUE(drain().empty());
}

TEST(Transition, ChangesOfOneBitKeepTheirRequestOrder) {
  int n = oneBit();
  schedule(n, ZERO);
  phaseFour->time = 100;
  phaseFour->signalTransition(n, ONE, 7, 10);
  phaseFour->time = 101;
  phaseFour->signalTransition(n, ZERO, 7, 10);  // XXX at 108 moves silently to 111; ZERO at 111 stays
  EXPECT_EQ(phaseThree->scheduledTimes[n], 111u);
  std::vector<Queued> q = drain();
  ASSERT_EQ(q.size(), 4u);
  EXPECT_EQ(q[2].time, 111u);
  EXPECT_EQ(q[3].time, 111u);
}

TEST(Transition, TimeWarpIsReportedForLevelsOnly) {
  RunResult r = runInChild([] {
    int n = oneBit();
    schedule(n, ZERO);
    phaseFour->time = 100;
    phaseFour->signalTransition(n, ONE, 7, 10);
    phaseFour->signalTransition(n, ZERO, 1, 2);
    std::vector<Queued> q = drain();
    std::vector<Queued> expected = {{107, XXX}, {110, ONE}, {111, XXX}, {112, ZERO}};
    if (!(q == expected)) fprintf(stdout, "unexpected queue\n");
  });
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "There are 0 components.\nThere are 3 signals.\n"
            "TIME WARP  sigNr = 2 sigName = s[0]\n"
            " already sked to become XXX at time = 111, which was queued at time = 100\n"
            "  Now scheduling to become ZERO at time = 102.  Now Queueing-time = 100\n");
}

TEST(Transition, AltTransitionAddsTheDefaultDeltas) {
  int n = oneBit();
  schedule(n, ZERO);
  phaseFour->altSignalTransition(n, ONE, 20);
  EXPECT_EQ(drain(), (std::vector<Queued>{{24, XXX}, {29, ONE}}));
}

namespace {

Signal* busData[2];
Signal* busEnable[2];
Signal* bus;

void twoBuffersOnOneBus() {
  bus = new Signal(1, "bus");
  for (int k = 0; k < 2; k++) {
    busData[k] = new Signal(1, k ? "db" : "da");
    busEnable[k] = new Signal(1, k ? "eb" : "ea");
  }
  Tsb(SD("aa"), *busData[0], *busEnable[0], *bus);
  Tsb(SD("ab"), *busData[1], *busEnable[1], *bus);
}

}  // namespace

TEST(TriState, TheOwnerHoldsTheBusUntilItReleasesIt) {
  RunResult r = runInChild([] {
    twoBuffersOnOneBus();
    elaborate();
    int n = bus->serialNumber[0];
    schedule(n, HIZ);
    phaseFour->tsbSignalTransition(0, n, ONE, 7, 10);  // A takes the bus
    EXPECT_EQ(m[n], 0);
    phaseFour->tsbSignalTransition(1, n, ZERO, 7, 10);  // refused, reported
    phaseFour->tsbSignalTransition(1, n, HIZ, 7, 10);   // refused silently
    phaseFour->tsbSignalTransition(1, n, ONE, 7, 10);   // refused, reported even though the bus is ONE
    EXPECT_EQ(drain(), (std::vector<Queued>{{7, XXX}, {10, ONE}}));
    phaseFour->tsbSignalTransition(0, n, HIZ, 7, 10);  // the owner releases it
    EXPECT_EQ(drain(), (std::vector<Queued>{{10, HIZ}}));
    phaseFour->time = 10;
    phaseFour->tsbSignalTransition(1, n, ZERO, 7, 10);  // now B may take it
    EXPECT_EQ(m[n], 1);
    EXPECT_EQ(drain(), (std::vector<Queued>{{17, XXX}, {20, ZERO}}));
  });
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Another Tsb at ab is trying to drive it to ZERO, this is not allowed\n"
            "Another Tsb at ab is trying to drive it to ONE, this is not allowed\n");
}

TEST(TriState, ABusWithoutRecordedOwnerBelongsToComponentZero) {
  twoBuffersOnOneBus();
  elaborate();
  int n = bus->serialNumber[0];
  schedule(n, XXX);
  phaseFour->tsbSignalTransition(1, n, ZERO, 7, 10);  // from XXX: no owner recorded
  drain();
  phaseFour->tsbSignalTransition(0, n, ONE, 7, 10);  // component 0 counts as owner
  EXPECT_EQ(drain().size(), 2u);
}
