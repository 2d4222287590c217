// Whole-run traces of the benchmark circuits: every batch the run loop applies (its time, the bits it
// changed in extraction order and their values) folded into one hash.  The hashes were recorded
// before the run loop, the queue and the transition rules were tuned for speed, so any change in the
// order of events at equal times, in the transition rules or in the evaluation order shows up here.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../bench/BenchCircuits.cpp"
#include "Harness.h"
#include "Ph3.h"
#include "Ph4.h"

namespace {

uint64_t traceHash = 0xcbf29ce484222325ULL;
uint64_t batches = 0;

void fold(uint64_t v) {
  for (int i = 0; i < 8; i++) {
    traceHash ^= (v >> (8 * i)) & 0xff;
    traceHash *= 0x100000001b3ULL;
  }
}

void batchApplied(uint64_t time, const std::vector<int>& changedBits) {
  batches++;
  fold(time);
  for (int s : changedBits) {
    fold(uint64_t(s));
    fold(uint64_t(phaseThree->currentSignals[size_t(s)]));
  }
}

std::vector<bench::Result> results;

void ended() {
  std::string values;
  for (const bench::Result& r : results) values += " " + r.name + "=" + bench::hexOf(r.serials);
  printf("trace=%016llx batches=%llu events=%llu time=%llu%s\n", static_cast<unsigned long long>(traceHash),
         static_cast<unsigned long long>(batches), static_cast<unsigned long long>(phaseFour->eventsApplied),
         static_cast<unsigned long long>(phaseFour->time), values.c_str());
}

void observe(const bench::Timing& t, uint64_t cycles) {
  stopTime = t.stopAfter(cycles);
  runObservers.push_back({nullptr, batchApplied, ended});
}

void adder16() { observe(bench::buildAdder(16, results), 40); }
void counter16() { observe(bench::buildCounter(16, results), 300); }
void ring21() { observe(bench::buildRing(21, results), 50); }
void ram4() { observe(bench::buildRam(4, results), 60); }

std::string traceOf(void (*build)()) {
  RunResult r = runCircuit(build, {"-X"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = linesStartingWith(r.out, "trace=");
  return lines.empty() ? std::string("no trace") : lines.back();
}

}  // namespace

TEST(BenchTrace, RippleAdder) {
  EXPECT_EQ(traceOf(adder16),
            "trace=8539b035309b84b3 batches=1407 events=6929 time=17070 lfsr=bfb5 sum=6db2 cout=1");
}

TEST(BenchTrace, Counter) {
  EXPECT_EQ(traceOf(counter16),
            "trace=ad7c2a81b1ebbbb3 batches=4575 events=8323 time=74060 count=012c");
}

TEST(BenchTrace, RingWithRestoringGate) {
  EXPECT_EQ(traceOf(ring21),
            "trace=665726d5766d6897 batches=4594 events=5687 time=23289 count=0032");
}

TEST(BenchTrace, RamAndAccumulator) {
  EXPECT_EQ(traceOf(ram4),
            "trace=2ec4aefd448d53e0 batches=951 events=20257 time=10140 acc=597e lfsr=bc86 count=c");
}
