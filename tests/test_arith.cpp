// Adder, incrementer and counter: five-valued carries, zero extension of a short incrementer input,
// counting on the falling clock and the transition error.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

struct AdderBench {
  Signal a{4, "a"}, b{4, "b"}, sum{4, "sum"};
  AdderBench() {
    Adder(SD("aa"), (b, a), sum);
    elaborate();
  }
  std::string add(const char* x, const char* y) {
    set(a, x);
    set(b, y);
    return step(0, sum);
  }
};

std::string incremented(int inBits, const char* value) {
  Signal in(unsigned(inBits), "in"), out(4, "out");
  Increment(SD("aa"), in, out);
  elaborate();
  set(in, value);
  return step(0, out);
}

struct CounterBench {
  Signal k{1, "k"}, n{1, "n"}, count{3, "count"};
  CounterBench() {
    Counter(SD("aa"), (n, k), count);
    elaborate();
  }
  // Clock levels in turn with the count enable given; returns the count after the last.
  std::string clock(const char* enable, const std::string& levelsInTurn) {
    set(n, enable);
    std::string last = step(0, count);
    for (char level : levelsInTurn) {
      set(k, std::string(1, level));
      last = step(0, count);
    }
    return last;
  }
};

}  // namespace

TEST(Adder, AddsWithoutCarryOut) {
  AdderBench b;
  EXPECT_EQ(b.add("0110", "0011"), "1001");
  EXPECT_EQ(b.add("1111", "0001"), "0000");
}

TEST(Adder, AKnownPairDecidesTheCarry) {
  AdderBench b;
  EXPECT_EQ(b.add("000X", "0010"), "001X") << "XXX plus ZERO: carry ZERO";
  EXPECT_EQ(b.add("010X", "1001"), "11XX") << "XXX plus ONE: unknown up to the first known pair (bit 1)";
  EXPECT_EQ(b.add("0U00", "0100"), "XX00");
}

TEST(Increment, AddsOne) {
  EXPECT_EQ(incremented(4, "0111"), "1000");
}

TEST(Increment, AllOnesWrapToZero) { EXPECT_EQ(incremented(4, "1111"), "0000"); }

TEST(Increment, UnknownBitCarries) { EXPECT_EQ(incremented(4, "001X"), "010X"); }

TEST(Increment, BitsAboveTheFirstZeroPassUnchanged) { EXPECT_EQ(incremented(4, "ZU01"), "ZU10"); }

TEST(Increment, ShortInputIsZeroExtended) {
  EXPECT_EQ(incremented(2, "11"), "0100");
}

TEST(Counter, CountsOnTheFallingClock) {
  CounterBench b;
  EXPECT_EQ(b.clock("0", ""), "000");
  EXPECT_EQ(b.clock("1", "01"), "000") << "the rise does not count";
  EXPECT_EQ(b.clock("1", "0"), "001");
  EXPECT_EQ(b.clock("1", "1X0"), "010") << "ONE, XXX, ZERO counts once";
  EXPECT_EQ(b.clock("1", "1X1X"), "010");
  EXPECT_EQ(b.clock("1", "010101010"), "111");
  EXPECT_EQ(b.clock("1", "10"), "000") << "wraps";
}

TEST(Counter, EnableZeroClearsAndHolds) {
  CounterBench b;
  EXPECT_EQ(b.clock("1", "0101"), "UUU") << "enable ONE from the start: never cleared, never counts";
  EXPECT_EQ(b.clock("0", "1010"), "000");
  EXPECT_EQ(b.clock("1", "10"), "001");
  set(b.k, "1");
  EXPECT_EQ(b.clock("0", ""), "000") << "clears with the clock high";
}

TEST(Counter, ClockedInTransitionStopsUntilCleared) {
  CounterBench b;
  b.clock("0", "0");
  b.clock("1", "1");
  set(b.count, "0X1");
  set(b.k, "0");
  CaptureStderr();
  EXPECT_EQ(step(0, b.count), "0X0") << "the change of bit 0 stands";
  EXPECT_EQ(GetCapturedStderr(), "Counter clocked when the count is in transition\n");
  set(b.count, "001");
  EXPECT_EQ(b.clock("1", "1010"), "001");
  EXPECT_EQ(b.clock("0", ""), "000");
  EXPECT_EQ(b.clock("1", "10"), "001");
}

namespace {
void badArithmetic() {
  Signal d(7, "d"), s(4, "s"), one(1, "one");
  Adder(SD("aa"), d, s);
  Adder(SD("ab", "Sum"), (d, one), s.sub(2, 0));
  Counter(SD("ac"), one, s);
  Adder(SD("ad"), (s, s), s);  // right: no message
}
}  // namespace

TEST(Arithmetic, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badArithmetic, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Adder  at aa dataIn.length = 7 out.length = 4\n"
            "I/O length error--Adder Sum at ab dataIn.length = 8 out.length = 3\n"
            "I/O length error--Counter  at ac in.length = 1 should be at least 2.\n"
            "3 Fatal Diagnostic(s)--Can't Continue.\n");
}
