// Clock gate and flip-flops: edges seen by level, set and reset precedence, the JK decision at the
// rising clock and its effect at the falling clock, and the length errors.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

namespace {

struct DffBench {
  Signal r{1, "r"}, c{1, "c"}, d{1, "d"}, s{1, "s"}, q{1, "q"};
  DffBench() {
    Dff(SD("aa"), (s, d, c, r), q);
    elaborate();
  }
  // Clock levels in turn, each one evaluation; returns Q after each, space separated.
  std::string clock(const std::string& levelsInTurn) {
    std::string seen;
    for (char level : levelsInTurn) {
      set(c, std::string(1, level));
      seen += (seen.empty() ? "" : " ") + step(0, q);
    }
    return seen;
  }
};

struct JkffBench {
  Signal r{1, "r"}, k{1, "k"}, c{1, "c"}, j{1, "j"}, s{1, "s"}, q{1, "q"}, qp{1, "qp"};
  Signal out{(q, qp)};  // levels(out): Q then QP
  JkffBench() {
    Jkff(SD("aa"), (s, j, c, k, r), out);
    elaborate();
    step(0, out);  // time 0
    set(r, "0");
    set(s, "0");
  }
  std::string clock(const std::string& levelsInTurn) {
    std::string seen;
    for (char level : levelsInTurn) {
      set(c, std::string(1, level));
      seen += (seen.empty() ? "" : " ") + step(0, out);
    }
    return seen;
  }
};

struct GateBench {
  Signal c{1, "c"}, e{1, "e"}, gc{1, "gc"};
  GateBench() {
    Gate(SD("aa"), (e, c), gc);
    elaborate();
  }
  std::string with(const char* clock, const char* enable) {
    set(c, clock);
    set(e, enable);
    return step(0, gc);
  }
};

}  // namespace

TEST(Dff, DrivesXxxAtTimeZeroAndClocksOnARiseSeenAfterZero) {
  DffBench b;
  set(b.r, "0");
  set(b.s, "0");
  set(b.d, "1");
  set(b.c, "1");
  EXPECT_EQ(step(0, b.q), "X");  // time 0: nothing but XXX
  EXPECT_EQ(b.clock("1"), "X");  // high, never seen low
  EXPECT_EQ(b.clock("01"), "X 1");
  set(b.d, "0");
  EXPECT_EQ(b.clock("X1"), "1 1") << "ONE, XXX, ONE is no edge";
  EXPECT_EQ(b.clock("0X1"), "1 1 0") << "ZERO, XXX, ONE is one edge";
  set(b.d, "Z");
  EXPECT_EQ(b.clock("01"), "0 Z") << "D is taken whatever it is";
}

TEST(Dff, OutputChangesThroughXxxWithTheMediumDelays) {
  DffBench b;
  step(0, b.q);
  set(b.r, "0");
  set(b.s, "0");
  set(b.d, "1");
  b.clock("0");
  phaseFour->time = 100;
  set(b.c, "1");
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(settle(), "117 q[0]=1\n");  // from XXX straight to ONE
  b.clock("0");
  set(b.d, "0");
  phaseFour->time = 200;
  set(b.c, "1");
  phaseTwo->logicEvaluate[0](0);
  EXPECT_EQ(settle(), "213 q[0]=X\n217 q[0]=0\n");
}

TEST(Dff, SetAndResetOverrideTheClock) {
  DffBench b;
  step(0, b.q);
  set(b.d, "0");
  set(b.c, "0");
  set(b.r, "0");
  set(b.s, "1");
  EXPECT_EQ(step(0, b.q), "1");
  EXPECT_EQ(b.clock("10"), "1 1");
  set(b.r, "1");
  set(b.s, "0");
  EXPECT_EQ(step(0, b.q), "0");
  set(b.d, "1");
  set(b.s, "1");  // both ONE: nothing changes, the clock is ignored
  EXPECT_EQ(b.clock("010"), "0 0 0");
  set(b.c, "1");
  set(b.r, "0");
  set(b.s, "0");  // reset released while the clock is high: no edge until it has been ZERO
  EXPECT_EQ(step(0, b.q), "0");
  EXPECT_EQ(b.clock("1X1"), "0 0 0");
  EXPECT_EQ(b.clock("01"), "0 1");
}

TEST(Dff, UndrivenResetNeverClocks) {
  DffBench b;
  set(b.s, "0");
  set(b.d, "1");
  step(0, b.q);
  EXPECT_EQ(b.clock("0101"), "X X X X");
  set(b.r, "X");
  EXPECT_EQ(b.clock("01"), "X X");
}

TEST(Jkff, DecidesAtTheRiseAndChangesAtTheFall) {
  JkffBench b;
  set(b.j, "0");
  set(b.k, "1");
  EXPECT_EQ(b.clock("01"), "XX XX") << "nothing changes at the rise";
  set(b.j, "1");
  set(b.k, "0");  // too late: decided at the rise
  EXPECT_EQ(b.clock("0"), "01");
  EXPECT_EQ(b.clock("10"), "01 10");
  set(b.j, "0");
  set(b.k, "0");
  EXPECT_EQ(b.clock("1010"), "10 10 10 10") << "J and K ZERO hold";
  set(b.j, "1");
  set(b.k, "1");
  EXPECT_EQ(b.clock("1010"), "10 01 01 10") << "toggle";
  set(b.j, "X");
  EXPECT_EQ(b.clock("10"), "10 XX");
}

TEST(Jkff, ToggleFromXxxStaysXxx) {
  JkffBench b;
  set(b.j, "1");
  set(b.k, "1");
  EXPECT_EQ(b.clock("010"), "XX XX XX");
}

TEST(Jkff, SetAndResetActAtOnceAndNeedTheClockLowAgain) {
  JkffBench b;
  set(b.j, "1");
  set(b.k, "1");
  b.clock("01");
  set(b.s, "1");
  EXPECT_EQ(step(0, b.out), "10");
  set(b.s, "0");
  set(b.r, "1");
  EXPECT_EQ(step(0, b.out), "01");
  set(b.r, "0");
  EXPECT_EQ(b.clock("0"), "01") << "the decision made before the reset is gone";
  EXPECT_EQ(b.clock("10"), "01 10");
  set(b.r, "1");
  set(b.s, "1");
  EXPECT_EQ(b.clock("10"), "10 10");
}

TEST(Gate, PassesOnlyPulsesThatBeganWithTheEnableOne) {
  GateBench b;
  EXPECT_EQ(b.with("1", "U"), "U") << "time 0";
  EXPECT_EQ(b.with("1", "X"), "U");
  EXPECT_EQ(b.with("1", "1"), "1") << "enable first known while the clock is high";
  EXPECT_EQ(b.with("1", "0"), "1") << "the enable cannot cut a pulse short";
  EXPECT_EQ(b.with("0", "0"), "0");
  EXPECT_EQ(b.with("1", "0"), "0");
  EXPECT_EQ(b.with("1", "1"), "0") << "nor start one while the clock is high";
  EXPECT_EQ(b.with("X", "1"), "0");
  EXPECT_EQ(b.with("0", "1"), "0");
  EXPECT_EQ(b.with("X", "1"), "0");
  EXPECT_EQ(b.with("1", "1"), "1");
  EXPECT_EQ(b.with("X", "1"), "1") << "only ZERO ends the pulse";
  EXPECT_EQ(b.with("0", "1"), "0");
}

TEST(Gate, EnableFirstKnownAsZeroWhileTheClockIsHigh) {
  GateBench b;
  EXPECT_EQ(b.with("U", "U"), "U");
  EXPECT_EQ(b.with("1", "0"), "0");
  EXPECT_EQ(b.with("1", "1"), "0");
  EXPECT_EQ(b.with("0", "1"), "0");
  EXPECT_EQ(b.with("1", "1"), "1");
}

namespace {
void badFlipFlops() {
  Signal three(3, "three"), one(1, "one"), two(2, "two");
  Gate(SD("aa"), three, one);
  Dff(SD("ab"), three, one);
  Jkff(SD("ac", "JK"), (two, three), one);
  Dff(SD("ad"), (one, three), one);  // right: no message
}
}  // namespace

TEST(FlipFlops, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badFlipFlops, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Gate() at aa in.length = 3 out.length = 1 should be 2 & 1.\n"
            "I/O length error--Dff() at ab in.length = 3 out.length = 1 should be 4 & 1.\n"
            "I/O length error--Jkff() at ac in.length = 5 out.length = 1 should be 5 & 2.\n"
            "3 Fatal Diagnostic(s)--Can't Continue.\n");
}

namespace {
// A register bit as the processor builds it: a keyed clock and data into a Dff, probed.
void keyedDff() {
  Signal clk(1, "clk"), d(1, "d"), q(1, "q");
  Switch(SD("aa"), clk, 'c', Zero);
  Switch(SD("ab"), d, 'd', Zero);
  Dff(SD("ba"), (Zero, d, clk, Zero), q);
  Probe(SD("ca"), q, "q");
}
}  // namespace

TEST(Dff, KeyedClockLoadsOnEachPress) {
  RunResult r = runCircuit(keyedDff, {"-X", "--keys", "cdcc"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(linesStartingWith(r.err, "Time = "),
            (std::vector<std::string>{
                "Time = 0  Probe for q at ca  Value = UNINITIALIZED",
                "Time = 13  Probe for q at ca  Value = XXX",
                "Time = 40  Probe for q at ca  Value = ZERO",  // clock up at 23, D taken: XXX to ZERO at +17
                "Time = 83  Probe for q at ca  Value = XXX",   // second rise at 70: ZERO, XXX at +13, ONE at +17
                "Time = 87  Probe for q at ca  Value = ONE",
            }));
}
