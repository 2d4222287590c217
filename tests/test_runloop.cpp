// The run loop seen from outside: probe reports of sources and gates, stop time, restart, halt, display
// levels, key handling without a window, and the early exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "Globals.h"
#include "Ph1.h"
#include "Sim.h"

namespace {

// The probe lines of a run, joined.
std::string probeLines(const RunResult& r) {
  std::string text;
  for (const std::string& l : linesStartingWith(r.err, "Time = ")) text += l + "\n";
  return text;
}

void noComponents() { Signal unused(3, "unused"); }

void switchWithProbe() {
  Signal a(1, "a");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Probe(SD("ab"), a, "pa");
}

void pulserWithProbe() {
  Signal p(1, "p");
  Pulser(SD("aa"), p, 'p', 20, Zero);
  Probe(SD("ab"), p);
}

void threePowerOns() {
  Signal a(1, "a"), b(1, "b"), c(1, "c");
  PowerOn(SD("aa"), a, 39, Zero);  // ONE at 48
  PowerOn(SD("ab"), b, 41, Zero);  // ONE at 50
  PowerOn(SD("ac"), c, 44, Zero);  // XXX at 48, ONE at 53
  Probe(SD("ba"), a, "a");
  Probe(SD("bb"), b, "b");
  Probe(SD("bc"), c, "c");
}

void freeClock() {
  Signal clk(1, "clk");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
}

void stopOnUndrivenAndHiz() {
  Signal hiz(1, "hiz"), off(1, "off"), fire(1, "fire");
  Tsb(SD("aa"), One, Zero, hiz);  // disabled: HIZ
  Stop(SD("ab"), hiz);
  Switch(SD("ac"), fire, 's', Zero);
  Stop(SD("ad"), fire);
  Probe(SD("ae"), hiz, "hiz");
}

void nestedProbe() {
  Signal a(1, "a");
  SD box("aa");
  Module(box, "Box", a, Signal(0, "none"));
  Switch(SD(box, "aa"), a, 'a', Zero, "A");
  Probe(SD(box, "ab"), a, "inner");
  Probe(SD("ab"), a, "outer");
}

}  // namespace

TEST(RunLoop, NoComponentsEndsAtOnce) {
  RunResult r = runCircuit(noComponents, {"-X"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "There are 0 components.\nThere are 5 signals.\n");
}

TEST(RunLoop, SwitchInitialValueAndKeyPresses) {
  RunResult r = runCircuit(switchWithProbe, {"-X", "--keys", "aa"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "There are 2 components.\nThere are 3 signals.\n"
            "Time = 0  Probe for pa at ab  Value = UNINITIALIZED\n"
            "Time = 7  Probe for pa at ab  Value = XXX\n"
            "Time = 10  Probe for pa at ab  Value = ZERO\n"
            "Time = 17  Probe for pa at ab  Value = XXX\n"
            "Time = 20  Probe for pa at ab  Value = ONE\n"
            "Time = 27  Probe for pa at ab  Value = XXX\n"
            "Time = 30  Probe for pa at ab  Value = ZERO\n");
}

TEST(RunLoop, AnEmptyScriptRunsUntilTheCircuitSettles) {
  RunResult r = runCircuit(switchWithProbe, {"-X", "--keys="});
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for pa at ab  Value = UNINITIALIZED\n"
            "Time = 7  Probe for pa at ab  Value = XXX\n"
            "Time = 10  Probe for pa at ab  Value = ZERO\n");
}

TEST(RunLoop, PulserReturnsToItsInitValue) {
  RunResult r = runCircuit(pulserWithProbe, {"-X", "--keys", "p"});
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for p[0] at ab  Value = UNINITIALIZED\n"
            "Time = 7  Probe for p[0] at ab  Value = XXX\n"
            "Time = 10  Probe for p[0] at ab  Value = ZERO\n"
            "Time = 17  Probe for p[0] at ab  Value = XXX\n"
            "Time = 20  Probe for p[0] at ab  Value = ONE\n"
            "Time = 34  Probe for p[0] at ab  Value = XXX\n"
            "Time = 39  Probe for p[0] at ab  Value = ZERO\n");
}

TEST(RunLoop, StopTimeEvaluatesTheLastBatchBeforeIt) {
  RunResult r = runCircuit(threePowerOns, {"-X", "-T", "50"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> late;
  for (const std::string& l : linesStartingWith(r.err, "Time = 4")) late.push_back(l);
  for (const std::string& l : linesStartingWith(r.err, "Time = 5")) late.push_back(l);
  EXPECT_EQ(late, (std::vector<std::string>{
                      "Time = 43  Probe for a at ba  Value = XXX",
                      "Time = 45  Probe for b at bb  Value = XXX",
                      "Time = 48  Probe for a at ba  Value = ONE",
                      "Time = 48  Probe for c at bc  Value = XXX",
                      "Time = 50  Probe for b at bb  Value = ONE",
                  }));
}

TEST(RunLoop, ClockCycleOfPeriodPlusEighteenTicks) {
  RunResult r = runCircuit(freeClock, {"-X", "-T", "60"});
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for clk at ab  Value = UNINITIALIZED\n"
            "Time = 7  Probe for clk at ab  Value = XXX\n"
            "Time = 10  Probe for clk at ab  Value = ZERO\n"
            "Time = 14  Probe for clk at ab  Value = XXX\n"
            "Time = 19  Probe for clk at ab  Value = ONE\n"
            "Time = 33  Probe for clk at ab  Value = XXX\n"
            "Time = 38  Probe for clk at ab  Value = ZERO\n"
            "Time = 52  Probe for clk at ab  Value = XXX\n"
            "Time = 57  Probe for clk at ab  Value = ONE\n");
}

TEST(RunLoop, RestartReplaysFromTimeZero) {
  RunResult once = runCircuit(switchWithProbe, {"-X", "--keys", "a"});
  RunResult twice = runCircuit(switchWithProbe, {"-X", "--keys", "a{F1}"});
  std::string first = probeLines(once);
  std::string afterRestart =
      "Time = 0  Probe for pa at ab  Value = UNINITIALIZED\n"  // the switch goes back to its init value
      "Time = 7  Probe for pa at ab  Value = XXX\n"
      "Time = 10  Probe for pa at ab  Value = ZERO\n";
  EXPECT_EQ(probeLines(twice), first + afterRestart);
}

TEST(RunLoop, StopComponentIgnoresHizAndEndsOnOne) {
  RunResult r = runCircuit(stopOnUndrivenAndHiz, {"-X", "--keys", "s{F10}"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for hiz at ae  Value = UNINITIALIZED\n"
            "Time = 10  Probe for hiz at ae  Value = HIZ\n");
  EXPECT_EQ(linesOf(r.err).size(), 4u);  // the Stop ended the run before F10 was due
}

TEST(RunLoop, HaltedRunTakesKeysAndEndsWhenTheScriptIsUsedUp) {
  RunResult r = runCircuit(switchWithProbe, {"-X", "--keys", "{Down}a{Down}"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(linesStartingWith(r.err, "Time = 20").size(), 1u);
  r = runCircuit(switchWithProbe, {"-X", "--keys", "{Down}"});
  EXPECT_EQ(r.status, 0);
}

TEST(RunLoop, DisplayLevelDecidesWhichProbesReport) {
  RunResult r = runCircuit(nestedProbe, {"-X", "--keys", "a{Ctrl-z}a"});
  EXPECT_EQ(probeLines(r),
            "Time = 0  Probe for outer at ab  Value = UNINITIALIZED\n"
            "Time = 7  Probe for outer at ab  Value = XXX\n"
            "Time = 10  Probe for outer at ab  Value = ZERO\n"
            "Time = 17  Probe for outer at ab  Value = XXX\n"
            "Time = 20  Probe for outer at ab  Value = ONE\n"
            "Time = 27  Probe for inner at aa.ab  Value = XXX\n"
            "Time = 27  Probe for outer at ab  Value = XXX\n"
            "Time = 30  Probe for inner at aa.ab  Value = ZERO\n"
            "Time = 30  Probe for outer at ab  Value = ZERO\n");
}

TEST(Input, UnboundKeysAreReported) {
  RunResult r = runCircuit(switchWithProbe, {"-X", "--keys", "z{Ctrl-b}{F11}{Home}{PageUp}{F7}{F6}{F6}"});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = linesOf(r.err);
  std::vector<std::string> messages(lines.begin() + 5, lines.end());
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "Keyboard input:  Character (char=z,int=122) with no corresponding component activation defined.",
                          "Keyboard input:  Control character (int=2) unmapped.",
                          "Unused Function key F11",
                          "Unused Cursor key = -1",
                          "Unused Cursor key = 4",
                      }));
}

TEST(Input, AKeyBoundTwiceOperatesTheFirstSwitch) {
  RunResult r = runCircuit(
      [] {
        Signal a(1, "a"), b(1, "b");
        Switch(SD("aa"), a, 'k', Zero);
        Switch(SD("ab"), b, 'k', Zero);
        Probe(SD("ba"), a, "a");
        Probe(SD("bb"), b, "b");
      },
      {"-X", "--keys", "k"});
  EXPECT_EQ(linesStartingWith(r.err, "Time = 20").size(), 1u);
  EXPECT_EQ(linesStartingWith(r.err, "Time = 20  Probe for a").size(), 1u);
}

TEST(Input, KeyBoundToAComponentWithoutInputRoutine) {
  RunResult r = runCircuit(
      [] {
        Signal a(1, "a");
        ensurePhaseOne();
        phaseOne->switchList.add(2, 'x');
        Not(SD("aa"), Zero, a);
      },
      {"-X", "--keys", "x"});
  EXPECT_NE(r.err.find("Keyboard input maps to a component, but no function exists\n"), std::string::npos);
}

TEST(Startup, EarlyExitBuildsAndChecksButDoesNotRun) {
  RunResult r = runCircuit(switchWithProbe, {"-X", "-E"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "There are 2 components.\nThere are 3 signals.\n");
}

TEST(Startup, WithoutAWindowTheRunGoesOnHeadless) {
  RunResult r = runCircuit(switchWithProbe, {"--keys", ""});
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines = linesOf(r.err);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Unable to open X Window");
  EXPECT_EQ(lines[3], "Time = 0  Probe for pa at ab  Value = UNINITIALIZED");
}
