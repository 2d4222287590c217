// Console outputs: printing once per enabled clock edge, the character table of Stderr, decimal and
// hexadecimal words and the report for indeterminate values.
#include <gtest/gtest.h>

#include "ComponentRig.h"
#include "Harness.h"
#include "Sim.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

std::string report(const char* component) {
  return std::string("\nERROR -- ") + component +
         " component trying to output uninitialized bits \n or bits in transition. state = 4\n";
}

// Any console output: the clock and enable bits, and a data word of `width` bits.
struct ConsoleBench {
  Signal clock{1, "clock"}, enable{1, "enable"}, data;
  explicit ConsoleBench(void (*build)(const Signal&, const Signal&, const Signal&), int width)
      : data(unsigned(width), "data") {
    build(clock, enable, data);
    elaborate();
    set(enable, "1");
    set(clock, "0");
    step(0, data);  // time 0: arms at once, the enable being known
  }
  // Clock levels in turn; returns what was printed meanwhile.
  std::string clocked(const std::string& levelsInTurn) {
    CaptureStderr();
    for (char level : levelsInTurn) {
      set(clock, std::string(1, level));
      step(0, data);
    }
    return GetCapturedStderr();
  }
  std::string print(unsigned long long value) {
    setWord(data, value);
    return clocked("10");
  }
};

void stderrComponent(const Signal& clock, const Signal& enable, const Signal& code) {
  Stderr(SD("aa"), (enable, clock, code));
}
void intOutComponent(const Signal& clock, const Signal& enable, const Signal& data) {
  IntOut(SD("aa"), (enable, clock), data);
}
void hexOutComponent(const Signal& clock, const Signal& enable, const Signal& data) {
  HexOut(SD("aa"), (enable, clock), data);
}

}  // namespace

TEST(Stderr, CharacterTable) {
  ConsoleBench b(stderrComponent, 8);
  EXPECT_EQ(b.print(65), "A");
  EXPECT_EQ(b.print(10), "\n");
  EXPECT_EQ(b.print(7), "^G");
  EXPECT_EQ(b.print(0), "^@");
  EXPECT_EQ(b.print(31), "^_");
  EXPECT_EQ(b.print(32), " ");
  EXPECT_EQ(b.print(127), "\x7f");
  EXPECT_EQ(b.print(200), "|H");
  EXPECT_EQ(b.print(129), "|^A");
  EXPECT_EQ(b.print(138), "|^J") << "not an end of line";
  EXPECT_EQ(b.print(160), "| ");
  EXPECT_EQ(b.print(255), "|\x7f");
}

TEST(Stderr, PrintsOncePerEdgeAndReportsUnknownBits) {
  ConsoleBench b(stderrComponent, 8);
  setWord(b.data, 'x');
  EXPECT_EQ(b.clocked("1X1"), "x") << "ONE, XXX, ONE prints once";
  EXPECT_EQ(b.clocked("010"), "x") << "ONE, ZERO, ONE twice";
  set(b.data, "0110000X");
  EXPECT_EQ(b.clocked("1"), report("Stderr"));
  set(b.clock, "0");
  set(b.enable, "0");
  setWord(b.data, 'y');
  EXPECT_EQ(b.clocked("10"), "") << "enable ZERO: silent";
}

TEST(Stderr, SilentWhileTheEnableIsUninitialized) {
  Signal clock(1, "clock"), enable(1, "enable"), code(8, "code");
  Stderr(SD("aa"), (enable, clock, code));
  elaborate();
  setWord(code, 'A');
  CaptureStderr();
  for (const char* level : {"0", "1", "0", "1"}) {
    set(clock, level);
    step(0, code);
  }
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(IntOut, PrintsDecimalLines) {
  ConsoleBench b(intOutComponent, 8);
  EXPECT_EQ(b.print(42), "42\n");
  EXPECT_EQ(b.print(255), "255\n");
  set(b.data, "0000U000");
  EXPECT_EQ(b.clocked("10"), report("IntOut"));
}

TEST(IntOut, ValuesThatDoNotFitAnIntAreReported) {
  ConsoleBench b(intOutComponent, 40);
  EXPECT_EQ(b.print(7), "7\n") << "zero bits above 31 are fine";
  EXPECT_EQ(b.print(0x7fffffffULL), "2147483647\n");
  EXPECT_EQ(b.print(1ULL << 31), report("IntOut")) << "bit 31: negative";
  EXPECT_EQ(b.print((1ULL << 35) | 5), report("IntOut")) << "a high bit is never shifted out";
}

TEST(HexOut, DigitGroupsMostSignificantFirst) {
  ConsoleBench b(hexOutComponent, 16);
  setWord(b.data, 6699);
  EXPECT_EQ(b.clocked("1010"), "1a2b1a2b") << "no separator, no end of line";
}

TEST(HexOut, ShortTopGroupAndUnknownGroups) {
  ConsoleBench b(hexOutComponent, 6);
  EXPECT_EQ(b.print(47), "2f");
  set(b.data, "XX1111");
  EXPECT_EQ(b.clocked("10"), report("HexOut") + "f");
  set(b.data, "101X01");
  EXPECT_EQ(b.clocked("10"), "2" + report("HexOut"));
}

namespace {
void badConsoles() {
  Signal nine(9, "nine"), three(3, "three"), one(1, "one");
  Stderr(SD("aa"), nine);
  IntOut(SD("ab"), three, nine);
  HexOut(SD("ac", "Hex"), one, nine);
  HexOut(SD("ad"), (one, one), nine);  // right: no message
}
}  // namespace

TEST(Console, LengthErrorsAreAllReportedThenTheRunIsRefused) {
  RunResult r = runCircuit(badConsoles, {"-X", "--keys="});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "I/O length error--Stderr() at aa in.length = 9 should be 10.\n"
            "I/O length error--IntOut() at ab control.length = 3 should be 2.\n"
            "I/O length error--HexOut() at ac control.length = 1 should be 2.\n"
            "3 Fatal Diagnostic(s)--Can't Continue.\n");
}

namespace {
// A keyed clock prints a constant character on each press and release pair.
void keyedPrinter() {
  Signal clk(1, "clk"), code(8, 'K', "code");
  Switch(SD("aa"), clk, 'c', Zero);
  Stderr(SD("ba"), (One, clk, code));
  IntOut(SD("bb"), (One, clk), code);
}
}  // namespace

TEST(Console, KeyedClockPrintsOncePerRise) {
  RunResult r = runCircuit(keyedPrinter, {"-X", "--keys", "cccc"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "There are 3 components.\nThere are 11 signals.\nK75\nK75\n");
}
