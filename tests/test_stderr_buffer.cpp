// Standard error is buffered while the run loop runs: nothing may be lost or reordered on any way
// out of the run, and after the run the stream writes through again.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Globals.h"
#include "Harness.h"
#include "Sim.h"

namespace {

void probeThenFaultyByteProbe() {
  Signal a(1, "a"), three(3, "three");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Probe(SD("ab"), a, "pa");
  ProbeByte(SD("ac"), three, "bad");  // not eight bits: ends the program when first drawn
}

void clockWithProbe() {
  Signal clk(1, "clk");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
}

uint64_t timeOf(const std::string& line) { return strtoull(line.c_str() + 7, nullptr, 10); }

}  // namespace

TEST(StderrBuffer, ExitDuringThePassKeepsEarlierReportsInOrder) {
  RunResult r = runCircuit(probeThenFaultyByteProbe, {"-X", "-T", "100"});
  EXPECT_EQ(r.status, 1);
  std::vector<std::string> lines = linesOf(r.err);
  size_t probe = r.err.find("Time = 0  Probe for pa at ab  Value = UNINITIALIZED");
  size_t error = r.err.find("ERROR -- Probe8 at ac length error");
  ASSERT_NE(probe, std::string::npos) << r.err;
  ASSERT_NE(error, std::string::npos) << r.err;
  EXPECT_LT(probe, error);
}

TEST(StderrBuffer, LongRunsLoseNothingBeyondTheBufferSize) {
  // About 100 bytes a line and four lines a 38-tick cycle: well over the buffer's 64 KiB.
  RunResult r = runCircuit(clockWithProbe, {"-X", "-T", "100000"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = linesStartingWith(r.err, "Time = ");
  ASSERT_GT(r.err.size(), size_t(1) << 17);
  // The clock's changes: XXX at 7, ZERO at 10, then per 38-tick cycle XXX, ONE, XXX, ZERO at 14, 19,
  // 33, 38 (plus 38k); the first line is the report at time 0.
  size_t expected = 3;
  for (uint64_t k = 0;; k++) {
    size_t before = expected;
    for (uint64_t offset : {14, 19, 33, 38})
      if (offset + 38 * k <= 100000) expected++;
    if (expected == before) break;
  }
  EXPECT_EQ(lines.size(), expected) << lines.back();
  for (size_t i = 1; i < lines.size(); i++) ASSERT_LE(timeOf(lines[i - 1]), timeOf(lines[i])) << i;
  EXPECT_EQ(lines.front(), "Time = 0  Probe for clk at ab  Value = UNINITIALIZED");
}

TEST(StderrBuffer, WritesThroughAgainAfterTheRun) {
  RunResult r = runInChild([] {
    char program[] = "circuit", x[] = "-X", t[] = "-T", stop[] = "50";
    char* argv[] = {program, x, t, stop, nullptr};
    Sim(4, argv, clockWithProbe);
    fputs("after the run\n", stderr);
    _exit(0);  // no flush: only what has been written is there
  });
  ASSERT_EQ(r.status, 0);
  std::vector<std::string> lines = linesOf(r.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "after the run");
  EXPECT_FALSE(linesStartingWith(r.err, "Time = 38").empty()) << r.err;
}
